#include "ui/start_sequence.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QThread>

#include "app/location_check.h"
#include "app/workspace.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/locate_window.h"
#include "ui/main_form.h"
#include "ui/server_monitor.h"
#include "ui/shrink.h"
#include "ui/splash_windows.h"

namespace quorvane::ui {

CheckLocation::CheckLocation(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("CheckLocation");
  setAttribute(Qt::WA_QuitOnClose, false);
  m_gamePath = new QLineEdit(this);
  m_gamePath->setObjectName("GamePath");
}

StartSequence::StartSequence(SequenceServices services, QObject* parent)
    : QObject(parent), m_services(std::move(services)) {
  if (!m_services.pause) m_services.pause = [] { QThread::msleep(1000); };
  // Folders are compared by the places they name, as the locate windows find them.
  m_installing = std::make_shared<app::InstallingFolders>([resolve = m_services.resolvePath](std::string_view folder) {
    return resolve ? resolve(folder).string() : std::string(folder);
  });
}

StartSequence::~StartSequence() {
  for (QWidget* window : LoadedWindows()) delete window;
}

void StartSequence::Start() {
  if (m_services.interrupted) {
    m_interruptWatch.setInterval(200);
    connect(&m_interruptWatch, &QTimer::timeout, this, [this] {
      if (m_services.interrupted()) EndInterrupted();
    });
    m_interruptWatch.start();
  }
  m_intro = new Intro(m_services.sound, m_services.timers, m_services.removeCloseEntry);
  connect(m_intro, &Intro::finished, this, [this] {
    RunCheckLocation();
    Unload(m_intro);
  });
  m_intro->show();
}

QList<QWidget*> StartSequence::LoadedWindows() const {
  QList<QWidget*> windows;
  for (QWidget* w : std::initializer_list<QWidget*>{m_intro, m_check, m_locate, m_main, m_start, m_locate2, m_sound,
                                                    m_bye, m_install}) {
    if (w) windows.push_back(w);
  }
  return windows;
}

void StartSequence::Unload(QWidget* window) {
  if (!window) return;
  window->hide();
  window->deleteLater();
}

void StartSequence::RunCheckLocation() {
  const Busy busy(m_busy);
  m_check = new CheckLocation();
  const app::StartupDecision start = app::DecideStartup(m_services.fs, m_services.places);
  switch (start.branch) {
    case app::StartBranch::SettingsFile:
      SetCheckGamePath(start.location);
      SetMainGamePath(CheckGamePath());
      ShowMainForm();
      SetMainGamePath(CheckGamePath());
      ProcessEventsAndPause();
      ShowStartButton();
      break;
    case app::StartBranch::DefaultInstallation: {
      ShowMainForm();
      SetMainGamePath(start.location);
      // Unstored, the place still serves this run; the next start looks for it again.
      const app::LocationSave saved = app::StoreLocation(m_services.fs, m_services.places.settingsPath, start.location);
      if (!saved) ShowMessage(saved.message);
      ProcessEventsAndPause();
      ShowStartButton();
      break;
    }
    case app::StartBranch::FirstRun:
      ShowLocateFile(start.location);
      ShowMessage(app::kLocationNotFoundMessage);
      break;
  }
  Unload(m_check);
  m_check = nullptr;
}

MainForm& StartSequence::EnsureMain() {
  if (!m_main) {
    m_main = new MainForm(m_services.fs, m_services.dialogs, m_services.sound, m_services.starter, m_services.server);
    UseServerLinks(*m_main, m_services.links);
    m_main->UseSupervision(m_services.supervision);
    if (m_services.watch != nullptr) m_main->UseServerWatch(*m_services.watch);
    m_main->SetInstallingFolders(m_installing);
    m_services.dialogs.SetParent(m_main);
    connect(m_main, &MainForm::loaded, this, &StartSequence::ShowStartButton);
    connect(m_main, &MainForm::quitRequested, this, &StartSequence::QuitProgram);
    connect(m_main, &MainForm::changeLocationRequested, this, &StartSequence::ChangeLocation);
    connect(m_main, &MainForm::updateServerRequested, this,
            [this] { OpenInstallServer(InstallOrigin::ChangeLocation); });
    m_main->Load();
  }
  return *m_main;
}

void StartSequence::ShowMainForm() {
  MainForm& main = EnsureMain();
  main.show();
  main.raise();
}

void StartSequence::SetMainGamePath(const std::string& text) { EnsureMain().SetGameDir(text); }

void StartSequence::SetCheckGamePath(const std::string& text) {
  if (m_check) m_check->GamePath()->setText(FromAnsi(text));
}

std::string StartSequence::CheckGamePath() const {
  return m_check ? ToAnsi(m_check->GamePath()->text()) : std::string();
}

void StartSequence::ProcessEventsAndPause() {
  QCoreApplication::processEvents();
  m_services.pause();
}

void StartSequence::ShowStartButton() {
  if (!m_start) {
    m_start = new StartButton(m_services.sound, m_services.timers);
    connect(m_start, &StartButton::rockOn, this, &StartSequence::RockOn);
  }
  m_start->show();
  m_start->raise();
  m_start->activateWindow();
}

void StartSequence::ShowLocateFile(const std::string& directory) {
  if (!m_locate) {
    m_locate = new LocateWindow(LocateWindow::Kind::FirstRun, AvailableDrives(m_services.winePrefix()),
                                m_services.resolvePath);
    connect(m_locate, &LocateWindow::saveRequested, this, &StartSequence::SaveLocateFile);
    connect(m_locate, &LocateWindow::installRequested, this, [this] { OpenInstallServer(InstallOrigin::FirstRun); });
    // Nothing else can continue the start from here.
    connect(m_locate, &LocateWindow::closedByUser, this, [this] {
      m_locate->deleteLater();
      UnloadAllWindows();
      Finish();
    });
  }
  m_locate->show();
  m_locate->SetGamePathText(FromAnsi(directory));
  m_locate->SetDirPath(FromAnsi(directory));
}

void StartSequence::ShowMessage(const std::string& text) { m_services.dialogs.Inform(FromAnsi(text)); }

void StartSequence::SaveLocateFile() {
  if (!m_locate || m_busy) return;
  const Busy busy(m_busy);
  if (!CodePageHolds(m_locate->GamePathText())) {
    m_services.dialogs.Inform(FromNative(app::CodePageLocationMessage(ToNative(m_locate->GamePathText()))));
    return;
  }
  const std::string chosen = ToAnsi(m_locate->GamePathText());
  // Its load would write the files it misses there, under the running install.
  if (m_installing->Touches(chosen)) {
    ShowMessage(app::kInstallingMessage);
    return;
  }
  const app::LocationSave saved = app::SaveFirstRunLocation(m_services.fs, m_services.places.settingsPath, chosen);
  if (!saved) {
    // LocateFile stays open for another choice.
    ShowMessage(saved.message);
    return;
  }
  SetMainGamePath(chosen);
  ShowMainForm();
  ShowMessage(app::kLocationSavedMessage);
  ShowMessage(app::kRereadAdviceMessage);
  ProcessEventsAndPause();
  ShowStartButton();
  Unload(m_locate);
}

void StartSequence::RockOn() {
  // Runs once: a second press, or the close that follows the press, finds the load done.
  if (!m_main || !m_start || m_rockedOn || m_quitting || m_busy) return;
  m_rockedOn = true;
  const Busy busy(m_busy);
  MainForm& main = *m_main;
  // The load reads the files an unfinished update may have left at stock.
  OfferUnfinishedUpdates(main.GameDir());
  if (!m_main) return;
  const app::WorkspaceView view = app::LoadWorkspace(m_services.fs, main.GameDir(), main.Values(),
                                                     [&main](const std::string& text) { main.ShowMessage(text); });
  if (!m_main) return;
  main.ShowValues(view.fields);
  main.Maps().AddStartingMaps(view.startingMaps);
  if (view.mapCycle) main.Maps().SetMapCycle(*view.mapCycle);
  if (view.motd) main.Maps().SetMotd(*view.motd);
  main.Maps().AddAvailableMaps(view.availableMaps);
  LoadSoundForm();
  const app::LoadReport& report = view.report;
  Unload(m_start);
  m_main->MarkWorkspaceLoaded();
  for (const std::string& failure : report.failures) m_main->ShowMessage(failure);
  // The start window had the keyboard; hand it back to the window the user works in.
  m_main->raise();
  m_main->activateWindow();
}

void StartSequence::LoadSoundForm() {
  if (!m_sound) m_sound = new SoundForm(m_services.sound, m_services.timers);
}

void StartSequence::ChangeLocation() {
  if (!m_main) return;
  if (!m_locate2) {
    m_locate2 = new LocateWindow(LocateWindow::Kind::ChangeLocation, AvailableDrives(m_services.winePrefix()),
                                 m_services.resolvePath);
    m_locate2->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_locate2, &LocateWindow::saveRequested, this, &StartSequence::SaveLocateFile2);
    connect(m_locate2, &LocateWindow::installRequested, this,
            [this] { OpenInstallServer(InstallOrigin::ChangeLocation); });
  }
  m_locate2->show();
  m_locate2->raise();
  const QString current = FromAnsi(m_main->GameDir());
  m_locate2->SetGamePathText(current);
  m_locate2->SetDirPath(current);
}

void StartSequence::SaveLocateFile2() {
  if (!m_locate2 || !m_main || m_busy || m_quitting) return;
  const Busy busy(m_busy);
  MainForm& main = *m_main;
  if (!CodePageHolds(m_locate2->GamePathText())) {
    m_services.dialogs.Inform(FromNative(app::CodePageLocationMessage(ToNative(m_locate2->GamePathText()))));
    return;
  }
  const std::string chosen = ToAnsi(m_locate2->GamePathText());
  if (m_installing->Touches(chosen)) {
    main.ShowMessage(app::kInstallingMessage);
    return;
  }
  const app::LocationSave saved = app::SaveChangedLocation(m_services.fs, m_services.places.settingsPath, chosen);
  if (!saved) {
    // The window stays for another choice.
    main.ShowMessage(saved.message);
    return;
  }
  main.SetGameDir(chosen);
  main.show();
  main.raise();
  main.activateWindow();
  OfferUnfinishedUpdates(chosen);
  const app::LocationReload reload = app::ReloadLocation(m_services.fs, chosen, main.Values());
  main.Maps().ClearStartingMaps();
  main.Maps().AddStartingMaps(reload.maps);
  if (reload.mapCycle) main.Maps().SetMapCycle(*reload.mapCycle);
  main.Maps().ClearAvailableMaps();
  main.Maps().AddAvailableMaps(reload.maps);
  main.ShowValues(reload.fields);
  if (reload.motd) main.Maps().SetMotd(*reload.motd);
  for (const std::string& failure : reload.failures) main.ShowMessage(failure);
  main.ShowMessage(app::kLocationSavedMessage);
  Unload(m_locate2);
}

void StartSequence::QuitProgram() {
  // Set before the shrink: it lets events run, and a second click on Quit
  // would otherwise start a second shrink of the same window and delete it
  // under the first. Nor may the main window go while a load or save that
  // fills it is under way (its message boxes let a close request through),
  // nor while any handler waits on a message box of its own.
  if (!m_main || m_quitting || m_busy || Dialogs::AnyOpen()) return;
  m_quitting = true;
  if (!ShrinkWindow(*m_main) || !m_main) return;
  m_bye = new Bye(m_services.sound, m_services.timers);
  connect(m_bye, &Bye::finished, this, [this] {
    Unload(m_bye);
    UnloadAllWindows();
    Finish();
  });
  m_bye->show();
  m_services.dialogs.SetParent(nullptr);
  m_main->Unload();
  Unload(m_main);
}

void StartSequence::UnloadAllWindows() {
  m_services.dialogs.SetParent(nullptr);
  for (QWidget* window : LoadedWindows()) Unload(window);
}

void StartSequence::Finish() {
  if (m_ended) return;
  m_ended = true;
  emit ended(0);
}

}  // namespace quorvane::ui
