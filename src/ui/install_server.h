#pragma once
// InstallServer: installs or updates the dedicated server with SteamCMD and
// keeps the user's edited files across it. The decisions are update::Installer's;
// this window shows them and drives the child process from the event loop.
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/installing_folders.h"
#include "install/file_system.h"
#include "update/install_machine.h"
#include "update/installer.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace quorvane::ui {

// What the window starts with, settled by whoever opens it.
// The places are this machine's own text, whatever the game's code page holds.
struct InstallServerSetup {
  QString installDir;  // offered first; made absolute when used
  QString steamCmd;    // the program found, empty when none was
  QString howToGet;    // shown when none was found
  // The server this program started is up (its files would be in use).
  std::function<bool()> serverRunning;
  // Where the folder is registered for as long as an install writes into it.
  std::shared_ptr<app::InstallingFolders> installing;
};

class InstallServerWindow : public QWidget {
  Q_OBJECT

 public:
  InstallServerWindow(install::FileSystem& fs, update::InstallMachine machine, InstallServerSetup setup,
                      QWidget* parent = nullptr);
  // A SteamCMD still running is ended with its process group.
  ~InstallServerWindow() override;

  // cmdInstall and cmdCancel.
  void StartInstall();
  void CancelInstall();
  // Ends SteamCMD's group and puts the user's files back now, saying nothing:
  // the program is about to end, perhaps inside a message box this window opened.
  void EndAtOnce();

  bool Running() const { return m_child != nullptr; }
  // The install directory as it is used: absolute.
  QString InstallDir() const;
  // The outcome of the last install, once one finished.
  const std::optional<update::InstallResult>& Result() const { return m_result; }

 signals:
  // cmdUseLocation: make the installed directory the server location.
  void useLocationRequested(const QString& dir);
  void installFinished(bool ok);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildPathRows(QGridLayout* layout);
  void BuildProgressRows(QGridLayout* layout);
  void BuildButtonRow(QGridLayout* layout);
  void ConnectSignals(QGridLayout* layout);
  void Poll();
  void Launch(std::optional<update::StartCommand> next);
  void RunEnded(bool exitedNormally, int exitCode);
  void ShowProgress(double percent, const std::string& state);
  void Finished(const update::InstallResult& result);
  void SetIdle(bool idle);

  install::FileSystem& m_fs;
  update::InstallMachine m_machine;
  InstallServerSetup m_setup;
  std::unique_ptr<update::Installer> m_installer;
  std::unique_ptr<update::ChildRun> m_child;
  std::optional<update::ChildExit> m_exit;  // the running child's, once it has ended
  std::chrono::steady_clock::time_point m_drainUntil;
  std::optional<update::InstallResult> m_result;
  QString m_installedDir;
  std::string m_busyDir;  // registered with m_setup.installing while an install runs
  QTimer m_poll;
  bool m_destroying = false;

  QLineEdit* m_dir;
  QPushButton* m_browseDir;
  QLabel* m_howTo;
  QLineEdit* m_steamCmd;
  QPushButton* m_browseSteamCmd;
  QProgressBar* m_progress;
  QLabel* m_state;
  QToolButton* m_showOutput;
  QPlainTextEdit* m_output;
  QLabel* m_outcome;
  QPushButton* m_install;
  QPushButton* m_cancel;
  QPushButton* m_useLocation;
  QPushButton* m_close;
};

}  // namespace quorvane::ui
