#pragma once
// The program's life from the opening window to the end: which window comes
// when, the start-up check, the workspace load and the closing sequence.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/installing_folders.h"
#include "app/location_check.h"
#include "install/file_system.h"
#include "launch/launcher.h"
#include "launch/sound_player.h"
#include "monitor/server_links.h"
#include "ui/install_server.h"
#include "ui/locate_window.h"
#include "ui/main_form.h"
#include "ui/splash_windows.h"
#include "ui/ticker.h"
#include "update/install_machine.h"

class QLineEdit;

namespace quorvane::ui {

class Dialogs;

// Never seen: its load settles GameDir and then unloads it.
class CheckLocation : public QWidget {
  Q_OBJECT

 public:
  explicit CheckLocation(QWidget* parent = nullptr);
  QLineEdit* GamePath() const { return m_gamePath; }

 private:
  QLineEdit* m_gamePath;
};

struct SequenceServices {
  install::FileSystem& fs;
  launch::SoundPlayer& sound;
  Dialogs& dialogs;
  launch::ProcessStarter& starter;
  launch::ServerControl& server;
  app::StartPlaces places;
  TimerMode timers = TimerMode::Real;
  // The one-second hold of the start-up check; empty means a real second.
  std::function<void()> pause{};
  // The server's sockets, for the status line and the monitor.
  monitor::ServerLinks links{};
  // SteamCMD and this machine, for the install window.
  update::InstallMachine machine{};
  // The locate windows' path resolution, and the Wine prefix whose drives they offer.
  PathResolver resolvePath{};
  std::function<std::filesystem::path()> winePrefix{};
  CloseEntryRemover removeCloseEntry{};
  // A request to end the program came (Ctrl+C in its terminal, the session
  // ending), and the end it asked for; looked at a few times a second.
  std::function<bool()> interrupted{};
  std::function<void()> endInterrupted{};
  // The main window's start while the server is kept running.
  SupervisedStartHooks supervision{};
  // The server watched for the whole run, whose log the monitor shows; none: no log.
  ServerWatch* watch = nullptr;
};

class StartSequence : public QObject {
  Q_OBJECT

 public:
  explicit StartSequence(SequenceServices services, QObject* parent = nullptr);
  ~StartSequence() override;

  // Shows the opening window; everything after follows from its timers.
  void Start();

  // Shut-down, from the main window's quit button or its frame's close control.
  void QuitProgram();
  void UnloadAllWindows();

  // The windows that are loaded now (null when not).
  Intro* IntroWindow() const { return m_intro; }
  MainForm* Main() const { return m_main; }
  StartButton* StartWindow() const { return m_start; }
  SoundForm* SoundWindow() const { return m_sound; }
  Bye* ByeWindow() const { return m_bye; }
  LocateWindow* LocateFile() const { return m_locate; }
  LocateWindow* LocateFile2() const { return m_locate2; }
  QList<QWidget*> LoadedWindows() const;

  // InstallServer, from a locate window's cmdInstallServer or the monitor's "Update server…"
  // (ChangeLocation). Refuses, saying so, while the server started from here runs.
  enum class InstallOrigin { FirstRun, ChangeLocation };
  void OpenInstallServer(InstallOrigin origin);
  InstallServerWindow* InstallServer() const { return m_install; }

 signals:
  // No window is left; the event loop is to end with this code.
  void ended(int exitCode);

 private:
  void ShowMainForm();
  void SetMainGamePath(const std::string& text);
  void SetCheckGamePath(const std::string& text);
  std::string CheckGamePath() const;
  // Lets pending window events run, then holds the thread for a second.
  void ProcessEventsAndPause();
  void ShowStartButton();
  // Shows LocateFile with its GamePath and Dir1 on `directory`.
  void ShowLocateFile(const std::string& directory);
  void ShowMessage(const std::string& text);

  MainForm& EnsureMain();
  void RunCheckLocation();
  void RockOn();
  void LoadSoundForm();
  void ChangeLocation();
  void SaveLocateFile();
  void SaveLocateFile2();
  void Finish();
  static void Unload(QWidget* window);
  // The installed directory becomes the server location through the save of the window it came from.
  void UseInstalledLocation(const QString& dir);
  // An update into `gameDir` that this program never finished: its SteamCMD
  // ended, and the kept files put back when the user says so.
  void OfferUnfinishedUpdates(const std::string& gameDir);
  // SteamCMD ended and the user's files put back before the program ends as asked.
  void EndInterrupted();

  // Holds a flag for the length of a handler that shows message boxes or lets events run.
  struct Busy {
    explicit Busy(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Busy() { m_flag = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    bool& m_flag;
  };

  SequenceServices m_services;
  // Shared with the main window and the install window, which may outlive this.
  std::shared_ptr<app::InstallingFolders> m_installing;
  QPointer<Intro> m_intro;
  QPointer<CheckLocation> m_check;
  QPointer<MainForm> m_main;
  QPointer<StartButton> m_start;
  QPointer<SoundForm> m_sound;
  QPointer<Bye> m_bye;
  QPointer<LocateWindow> m_locate;
  QPointer<LocateWindow> m_locate2;
  QPointer<InstallServerWindow> m_install;
  InstallOrigin m_installOrigin = InstallOrigin::FirstRun;
  QTimer m_interruptWatch;
  bool m_ended = false;
  bool m_rockedOn = false;
  bool m_quitting = false;
  bool m_busy = false;  // the start-up check, the workspace load or a locate window's save is under way
};

}  // namespace quorvane::ui
