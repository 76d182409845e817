#pragma once
// The server monitor's "Crashes" tab: the crash reports, newest first (time,
// how it ended, uptime); the chosen one's report.txt beside them, and
// "Open folder" showing its folder in the file manager.
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace quorvane::ui {

class CrashesTab : public QWidget {
  Q_OBJECT
 public:
  // Opens a folder in the file manager; the reason when it cannot, else empty.
  using OpenFolder = std::function<std::string(const QString& folder)>;
  CrashesTab(QString crashesDir, OpenFolder openFolder, QWidget* parent = nullptr);

  // Reads the folder again, keeping the chosen report when it is still there.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowChosen();
  void OpenChosenFolder();
  QString ChosenFolder() const;

  QString m_dir;
  OpenFolder m_openFolder;
  QTableWidget* m_list = nullptr;
  QPlainTextEdit* m_report = nullptr;
  QPushButton* m_open = nullptr;
  QLabel* m_problem = nullptr;
};

}  // namespace quorvane::ui
