#pragma once
// The program's one working window: every configuration field, the map cycle
// and message editors, the server location and the launch buttons, on the
// three tabs of SSTab1. The tabs build and hold their own controls; the window
// puts them together, carries out what their buttons ask for and handles what
// spans the tabs. Its controls hold the configuration the user edits; the core
// takes a snapshot of them and gives one back to show.
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/installing_folders.h"
#include "config/field_values.h"
#include "install/file_system.h"
#include "launch/launcher.h"
#include "launch/sound_player.h"
#include "ui/map_tab.h"
#include "ui/supervision_driver.h"

class QLabel;
class QTabWidget;

namespace quorvane::ui {

class Dialogs;
class FieldTab;
class ServerWatch;
class BanSender;

class MainForm : public QWidget {
  Q_OBJECT
 public:
  MainForm(install::FileSystem& fs, Dialogs& dialogs, launch::SoundPlayer& sound, launch::ProcessStarter& starter,
           launch::ServerControl& server, QWidget* parent = nullptr);
  ~MainForm() override;

  // The window's load: sizes, shows itself, opens on the map tab. Runs once;
  // showing the window runs it too. Emits loaded() at its end, where the
  // start-up sequence puts its start window in front.
  void Load();
  // Closes the window for good; a close from the frame only asks to quit.
  void Unload();

  // The configuration fields as they stand; texts are single-byte code page bytes.
  config::FieldValues Values() const;
  // Puts a snapshot into the fields; a field that already shows its value is
  // left alone, so the user's cursor and undo history there stay.
  void ShowValues(const config::FieldValues& values);

  std::string GameDir() const;      // GamePath text
  std::string StartingMap() const;  // Combo1 text
  void ShowMessage(const std::string& text);

  void SetGameDir(const std::string& gameDir);

  // The map tab: its lists and message box are what the workspace load and the location change fill.
  MapTab& Maps() const { return *m_mapTab; }

  // The operations behind the buttons, callable without a click.
  void ShowAutoexecCfgInfo();
  void ShowServerCfgInfo();
  void WriteAutoexecCfg();
  void WriteServerCfg();
  void RereadAutoexecCfg();
  void RereadServerCfg();
  void ResetAutoexecFields();
  void ResetServerFields();
  void SaveMapCycle();
  void RereadMapCycle();
  void SaveMotd();
  void RereadMotd();
  void DeleteSelectedMapAsked();
  void StartDedicatedServer();
  void StartListenServer();  // writes listenserver.cfg from the fields first
  void StopDedicatedServer();
  void JoinYourGame();
  void EmailComments();
  void OpenWebsite();

  launch::Launcher& Launcher() { return m_launcher; }
  // While "Keep the server running" is checked the dedicated server starts
  // through these; until they are given, as always.
  void UseSupervision(SupervisedStartHooks hooks);
  const SupervisedStartHooks& Supervision() const { return m_supervision; }
  // The program's watch of the server: it follows this window's fields, and
  // the monitor shows its log. Until it is given, the monitor has no log.
  void UseServerWatch(ServerWatch& watch);
  ServerWatch* Watch() const { return m_watch; }
  // The kept bans' sender, made with the watch; none before it or without a player history.
  void UseBans(BanSender* bans) { m_bans = bans; }
  BanSender* Bans() const { return m_bans; }

  // The fields hold the installation's values from here on; before, the
  // buttons that write them refuse.
  void MarkWorkspaceLoaded();

  // The folders an install writes into; while GameDir is one of them the
  // buttons that write there or start from there refuse.
  void SetInstallingFolders(std::shared_ptr<const app::InstallingFolders> installing);

 signals:
  void loaded();
  void quitRequested();            // Command5 and the frame's close control
  void changeLocationRequested();  // Command19
  void updateServerRequested();    // the server monitor's "Update server…"
  void unloading();                // the quit sequence takes the window away; its children go with it

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddTab(QWidget* page, QLabel* background, const QString& caption);
  void OnTabChanged(int index);
  void SizeBackgrounds();
  void DrawBackground(int tab);
  // When the window's screen has another pixel ratio than the pictures were drawn for.
  void RedrawPictures();
  void FitLabelColours();
  // A configuration file read again over the fields; a failure is said.
  void Reread(const std::string& path);
  void ResetFields(void (*reset)(config::FieldValues&));
  launch::LaunchForm LaunchInputs() const;
  // Gives the launch's message, then hands Combo1 the focus when asked.
  void Carry(const launch::LaunchOutcome& outcome);
  void ReportWrite(bool ok, const std::string& file, const std::string& reason, const QString& success);
  // "Quorvane could not <verb> <file>: <reason>".
  void ReportFailure(const char* verb, const std::string& file, const std::string& reason);
  // True, after saying so, while the first workspace load has not run.
  bool RefuseBeforeLoad();
  // True, after saying so, while an install or update writes into GameDir.
  bool RefuseWhileInstalling();
  std::string Path(std::string_view relative) const;

  install::FileSystem& m_fs;
  Dialogs& m_dialogs;
  launch::Launcher m_launcher;
  SupervisedStartHooks m_supervision;
  ServerWatch* m_watch = nullptr;
  BanSender* m_bans = nullptr;
  std::shared_ptr<const app::InstallingFolders> m_installing;

  QTabWidget* m_tabs = nullptr;
  FieldTab* m_autoexecTab = nullptr;
  FieldTab* m_serverTab = nullptr;
  MapTab* m_mapTab = nullptr;
  std::vector<QLabel*> m_backgrounds;  // one a tab, in tab order
  qreal m_picturesRatio = 1;
  bool m_watchingScreen = false;
  bool m_loaded = false;
  bool m_unloading = false;
  bool m_workspaceLoaded = false;
};

}  // namespace quorvane::ui
