#pragma once
// The monitor's "History" tab: who played, searched by any part of a name, a
// SteamID or an address; one row a player, the sessions on demand, "Forget
// this player" and the "Keep players' addresses" setting.
#include <QWidget>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace quorvane::ui {

class Dialogs;
class PlayerHistory;

class HistoryTab : public QWidget {
  Q_OBJECT
 public:
  // `history` may be none: the tab then says there is no history in this run.
  HistoryTab(PlayerHistory* history, Dialogs* dialogs, QWidget* parent = nullptr);

  // Searches again with the text in the box.
  void Refresh();
  void ShowDetails();
  void ForgetSelected();
  // Asks the Bans tab to ban the selected player.
  void BanSelected();

 signals:
  void banAsked(const QString& steamId, const QString& address, const QString& name);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Say(const QString& text);
  void KeepAddressesToggled(bool keep);
  QString SelectedKey() const;

  PlayerHistory* m_history;
  Dialogs* m_dialogs;
  QLineEdit* m_search;
  QTableWidget* m_rows;
  QPlainTextEdit* m_details;
  QPushButton* m_detailsButton;
  QPushButton* m_forget;
  QPushButton* m_ban;
  QCheckBox* m_keepAddresses;
  QLabel* m_notice;
  std::vector<std::string> m_keys;  // the store's key of each row shown
};

}  // namespace quorvane::ui
