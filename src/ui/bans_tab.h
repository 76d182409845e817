#pragma once
// The monitor's "Bans" tab: every kept ban with its reason and length,
// filtered by whether it is in force, has expired, or was found on the server;
// adding one, changing its reason or length (a found one given a reason is
// adopted), lifting it. Expired and lifted bans stay listed as such.
#include <QStringList>
#include <QWidget>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "people/ban_store.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quorvane::ui {

class BanSender;
class Dialogs;

class BansTab : public QWidget {
  Q_OBJECT
 public:
  enum class Filter { All, InForce, Expired, Found };

  // `sender` may be none: the tab then says no bans are kept in this run.
  BansTab(BanSender* sender, Dialogs* dialogs, QWidget* parent = nullptr);

  void Refresh();
  void AddBan();
  void ChangeSelected();
  void LiftSelected();
  // Fills the form for a player (from the History tab or the player list); a
  // shared placeholder SteamID gives way to the player's address.
  void Offer(const QString& steamId, const QString& address, const QString& name);

 signals:
  // Offer filled the form: the monitor brings the tab forward.
  void offered();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Say(const QString& text);
  void Selected();
  const people::StoredBan* SelectedBan() const;
  people::BanStore* WritableStore();
  // The selected ban and the store to change it in; the ban is none (said why) without either.
  std::pair<const people::StoredBan*, people::BanStore*> SelectedToChange();
  std::optional<std::chrono::minutes> ChosenLength() const;

  BanSender* m_sender;
  Dialogs* m_dialogs;
  QComboBox* m_filter;
  QTableWidget* m_rows;
  QLineEdit* m_target;
  QLineEdit* m_name;
  QLineEdit* m_reason;
  QComboBox* m_length;
  QSpinBox* m_minutes;
  QPushButton* m_add;
  QPushButton* m_change;
  QPushButton* m_lift;
  QLabel* m_notice;
  QString m_offeredAddress;  // the player's address, offered when their SteamID is a placeholder
  std::vector<people::StoredBan> m_shown;
};

// The lengths offered, in the order of the tab's list.
QStringList BanLengthNames();
// "in force, 25 min left", "in force", "expired", "lifted".
QString BanStateText(const people::Ban& ban, people::WallTime now);

}  // namespace quorvane::ui
