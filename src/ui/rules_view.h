#pragma once
// The server's rules (its public settings) in the monitor, asked for only when
// the view is shown while it holds none or Refresh is pressed. Never polled:
// the server allows few packets a second, and those go to info and players.
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "monitor/server_links.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace quorvane::ui {

// A table the monitor fills and the user only reads and selects rows in;
// `stretch` is the column that takes the spare width.
QTableWidget* NewReadOnlyTable(const QStringList& headers, int stretch);

class RulesView : public QWidget {
 public:
  // Sends one rules request; the function given is called with the outcome.
  using Ask = std::function<void(monitor::LiveQuery::RulesDone)>;
  explicit RulesView(Ask ask, QWidget* parent = nullptr);
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Show(const monitor::Result<std::vector<monitor::Rule>>& outcome);

  Ask m_ask;
  bool m_asking = false;
  bool m_filled = false;
  QLabel* m_state = nullptr;
  QTableWidget* m_table = nullptr;
  QPushButton* m_refresh = nullptr;
};

}  // namespace quorvane::ui
