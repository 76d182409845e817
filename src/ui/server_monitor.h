#pragma once
// The server monitor: the server's info and players, its remote console, its
// live log and the buttons for what is done most. A top-level window of its
// own that stays open beside the main window. What it shows and sends is
// decided in monitor/monitor_view; the window displays and forwards.
#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/monitor_view.h"
#include "monitor/server_links.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace quorvane::install {
class FileSystem;
}

namespace quorvane::ui {

class BanSender;
class BansTab;
class Dialogs;
class LogPane;
class MainForm;
class PlayerHistory;
class ScheduledRestarts;
class ServerWatch;
class StopCountdown;
class SupervisionDriver;

struct MonitorSources {
  std::string host = "127.0.0.1";
  std::uint16_t port = monitor::kDefaultServerPort;
  monitor::ServerLinks links;
  std::string serverCfgPath;                               // where the console password is read
  std::function<monitor::ConsolePassword()> filePassword;  // rcon_password of the written server.cfg
  std::function<std::string()> fieldPassword;              // the Server Config tab's field
  std::function<std::vector<std::string>()> maps;          // the map catalogue
  std::function<void()> stop;                              // the Stop button's operation
  std::function<void()> updateServer;                      // opens the install window
  StopCountdown* countdown = nullptr;  // "Warn and stop" beyond this window; the window's own when none
  Dialogs* dialogs = nullptr;
  ServerWatch* watch = nullptr;              // the server's live log, heard for the whole run; none: no log here
  PlayerHistory* history = nullptr;          // who played, for the History tab; none without it
  BanSender* bans = nullptr;                 // the kept bans, sent when the server comes up; none: no Bans tab to act
  QString settingsFile;                      // the window's own settings; empty for the user's configuration directory
  SupervisionDriver* supervision = nullptr;  // keeps the server running; none: no such choice
  ScheduledRestarts* restarts = nullptr;     // its restart schedule; none: no such choice
  QString crashesDir;                        // the crash reports; empty: no "Crashes" tab
  std::function<std::string(const QString& folder)> openFolder;
};

class ServerMonitor : public QWidget {
  Q_OBJECT
 public:
  explicit ServerMonitor(MonitorSources sources, QWidget* parent = nullptr);
  ~ServerMonitor() override;

  // Reads the password for the console, and lets the watch try a corrected one for the log.
  void Connect();
  // Runs `command` as typed on the console: echoed, then its answer.
  void RunTyped(const QString& command);
  void ChangeMap();
  void Say();
  void KickSelected();
  // Fills the Bans tab for the selected player, their SteamID and address from `status`.
  void BanSelected();
  void Restart();
  // Asks, then warns the players and stops the server 60 s later.
  void WarnAndStop();
  // Ends that countdown and tells the players.
  void CancelStop();

  const monitor::LogBook& Log() const { return m_log; }
  void AddLogLine(const monitor::LogLine& line);
  std::uint16_t Port() const { return m_sources.port; }
  bool ConsoleIdle() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Pending {
    std::string command;
    bool echo = true;
    std::function<void(const monitor::ConsoleStep&)> then;
  };
  void Queue(std::string command, bool echo, std::function<void(const monitor::ConsoleStep&)> then = {});
  void RunNext();
  void Print(const QString& text);
  void ShowInfo(const monitor::ServerInfo& info, int roundTripMs);
  void ShowPlayers(const std::vector<monitor::Player>& players);
  QWidget* BuildStatusPane();
  QWidget* BuildPlayersAndRules();
  QWidget* BuildConsolePane();
  QWidget* BuildLogPane();
  QWidget* WithCrashesTab(QWidget* log);
  void ConnectSignals();
  void OpenLinks();
  void Refilter();
  void SetConsoleEnabled(bool on);
  void ShowCountdown();
  QWidget* BuildButtons();
  QWidget* BuildCountdownRow();

  MonitorSources m_sources;
  std::unique_ptr<monitor::LiveQuery> m_query;
  std::unique_ptr<monitor::LiveConsole> m_console;
  std::deque<Pending> m_pending;
  bool m_running = false;
  std::string m_password;
  monitor::CommandHistory m_history;
  monitor::LogBook m_log;
  StopCountdown* m_countdown = nullptr;

  QLabel* m_info = nullptr;
  QTableWidget* m_players = nullptr;
  BansTab* m_bansTab = nullptr;
  QLabel* m_notice = nullptr;
  QLineEdit* m_input = nullptr;
  QPlainTextEdit* m_output = nullptr;
  QLineEdit* m_filter = nullptr;
  LogPane* m_logView = nullptr;
  QComboBox* m_mapChoice = nullptr;
  QLineEdit* m_sayText = nullptr;
  QLabel* m_countdownLeft = nullptr;
  QPushButton* m_cancelStop = nullptr;
  std::vector<QWidget*> m_consoleControls;
};

// Adds the status line under SSTab1, opens the monitor from it, says when the
// started server ends by itself, and calls a countdown off on quit.
void AttachServerMonitor(MainForm& form, QBoxLayout* layout, install::FileSystem& fs, Dialogs& dialogs);
// Points the program's watch at the server the form's fields name (the port,
// the folder and its server.cfg) and hands its log to the supervision.
void FollowServer(MainForm& form, install::FileSystem& fs, ServerWatch& watch);
// The sockets the form's status line and monitor ask the server with; until
// they are given, the line asks nobody.
void UseServerLinks(MainForm& form, monitor::ServerLinks links);

}  // namespace quorvane::ui
