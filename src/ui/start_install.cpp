// The start sequence's part in installing the server: opening InstallServer
// and taking the installed directory as the server location.
#include <QPointer>

#include "app/location_check.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/install_server.h"
#include "ui/start_sequence.h"
#include "update/installer.h"
#include "update/interrupted_update.h"
#include "update/locations.h"

namespace quorvane::ui {

void StartSequence::OpenInstallServer(InstallOrigin origin) {
  if (m_quitting || m_ended) return;
  if (m_main && m_main->Launcher().StartedServerRunning()) {
    m_services.dialogs.Inform(QString::fromLatin1(update::kServerInUseMessage));
    return;
  }
  m_installOrigin = origin;
  if (!m_install) {
    // The installer works on this machine's text; GameDir is the code page's.
    std::string gameDir;
    if (origin == InstallOrigin::FirstRun && m_locate)
      gameDir = ToNative(m_locate->GamePathText());
    else if (m_main)
      gameDir = AnsiToUtf8(m_main->GameDir());
    InstallServerSetup setup;
    const update::InstallMachine& machine = m_services.machine;
    setup.installDir = FromNative(machine.defaultInstallDir(gameDir));
    if (const std::optional<std::string> found = machine.findSteamCmd()) setup.steamCmd = FromNative(*found);
    setup.howToGet = FromNative(update::HowToGetSteamCmd(machine.system));
    // The server may be started from the main window while this window is open.
    setup.serverRunning = [main = QPointer<MainForm>(m_main)] {
      return main && main->Launcher().StartedServerRunning();
    };
    setup.installing = m_installing;
    m_install = new InstallServerWindow(*machine.files, machine, std::move(setup));
    m_install->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_install, &InstallServerWindow::useLocationRequested, this, &StartSequence::UseInstalledLocation);
  }
  m_install->show();
  m_install->raise();
  m_install->activateWindow();
}

void StartSequence::UseInstalledLocation(const QString& dir) {
  if (m_busy || m_quitting) return;
  // Installed fine, but no use as GameDir: say so before any window changes.
  if (!CodePageHolds(dir)) {
    m_services.dialogs.Inform(FromNative(app::CodePageLocationMessage(ToNative(dir))));
    return;
  }
  QPointer<LocateWindow> locate;
  if (m_installOrigin == InstallOrigin::FirstRun && m_locate && m_locate->isVisible()) {
    // No main window yet: the first-run save stores it and carries the start on.
    locate = m_locate;
    locate->SetDirPath(dir);
    locate->SetGamePathText(dir);
    SaveLocateFile();
  } else if (m_main) {
    // The change-location save stores it and reloads the workspace from there.
    if (!m_locate2) ChangeLocation();
    locate = m_locate2;
    if (!locate) return;
    locate->SetDirPath(dir);
    locate->SetGamePathText(dir);
    SaveLocateFile2();
  } else {
    return;
  }
  // A save that failed has said why and left its window up for another try.
  if (!locate || !locate->isVisible()) Unload(m_install);
}

void StartSequence::OfferUnfinishedUpdates(const std::string& gameDir) {
  // One of ours writing there now is under way, not unfinished.
  if (m_installing->Touches(gameDir)) return;
  const update::InstallMachine& machine = m_services.machine;
  for (const update::InterruptedUpdate& unfinished : update::FindInterruptedUpdates(m_services.fs, gameDir)) {
    if (machine.settleUnfinished && !machine.settleUnfinished(unfinished.marker)) continue;
    // No keeps the marker, and the question comes again at the next start.
    if (!m_services.dialogs.AskYesNo(FromAnsi(update::InterruptedQuestion(unfinished)), QStringLiteral("Quorvane"),
                                     Dialogs::Icon::Question))
      continue;
    ShowMessage(update::RecoverInterruptedUpdate(m_services.fs, gameDir, unfinished).message);
  }
}

void StartSequence::EndInterrupted() {
  m_interruptWatch.stop();
  // SteamCMD's group ends and the user's files go back. The window itself stays:
  // a message box it opened may be running its own event loop right now.
  if (m_install) m_install->EndAtOnce();
  if (m_services.endInterrupted) m_services.endInterrupted();
}

}  // namespace quorvane::ui
