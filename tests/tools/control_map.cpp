// Prints where each named control of every window lies, so the monkey driver
// can tell which control a click at a window position hit. The layout is
// fixed, so windows built offscreen here match the ones the program shows.
// One line per control: WINDOW TAB NAME X Y WIDTH HEIGHT (relative to the
// window's client area; TAB is -1 for windows without tabs). A line with
// NAME "-" gives the window's own size.
// Usage: quorvane_control_map   (run with QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <string_view>

#include "platform/codepage.h"
#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/path_resolver.h"
#include "platform/process_starter.h"
#include "platform/server_console.h"
#include "platform/server_control.h"
#include "platform/sound.h"
#include "platform/window_menu.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/install_server.h"
#include "ui/locate_window.h"
#include "ui/main_form.h"
#include "ui/server_monitor.h"
#include "ui/splash_windows.h"

namespace {

void PrintLine(const QString& window, int tab, const QString& name, const QRect& r) {
  std::printf("%s %d %s %d %d %d %d\n", qPrintable(window), tab, qPrintable(name), r.x(), r.y(), r.width(), r.height());
}

// Every visible named control, as the window shows it now.
void PrintControls(QWidget& window, const QString& windowName, int tab) {
  PrintLine(windowName, tab, "-", QRect(QPoint(0, 0), window.size()));
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (w->objectName().isEmpty() || !w->isVisible() || w->window() != &window) continue;
    PrintLine(windowName, tab, w->objectName(), QRect(w->mapTo(&window, QPoint(0, 0)), w->size()));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  quorvane::ui::UseCodePage(quorvane::platform::AnsiToUtf8, quorvane::platform::Utf8ToAnsi);
  quorvane::ui::InstallComicFont();
  QApplication::setFont(quorvane::ui::ProgramFont());

  quorvane::platform::NativeFileSystem fs;
  quorvane::platform::NativeSoundPlayer sound;
  quorvane::platform::NativeProcessStarter starter;
  quorvane::platform::NativeServerControl server;
  quorvane::ui::Dialogs dialogs;
  const auto driven = quorvane::ui::TimerMode::Driven;

  quorvane::ui::MainForm main(fs, dialogs, sound, starter, server);
  main.Load();
  auto* tabs = main.findChild<QTabWidget*>("SSTab1");
  if (tabs == nullptr) return 1;
  for (int tab = 0; tab < tabs->count(); ++tab) {
    tabs->setCurrentIndex(tab);
    QApplication::processEvents();
    PrintControls(main, "MainForm", tab);
    // The tab headers have no names of their own.
    for (int header = 0; header < tabs->count(); ++header) {
      const QRect r = tabs->tabBar()->tabRect(header).translated(tabs->tabBar()->mapTo(&main, QPoint(0, 0)));
      PrintLine("MainForm", tab, QString("SSTab1.tab%1").arg(header), r);
    }
  }

  quorvane::ui::StartButton start(sound, driven);
  start.show();
  quorvane::ui::Intro intro(sound, driven, quorvane::platform::RemoveCloseEntry);
  intro.show();
  quorvane::ui::Bye bye(sound, driven);
  bye.show();
  const auto drives = quorvane::ui::AvailableDrives(quorvane::platform::DefaultWinePrefix());
  const auto resolve = [](std::string_view text) { return quorvane::platform::ResolvePath(text); };
  quorvane::ui::LocateWindow locate(quorvane::ui::LocateWindow::Kind::FirstRun, drives, resolve);
  locate.show();
  quorvane::ui::LocateWindow locate2(quorvane::ui::LocateWindow::Kind::ChangeLocation, drives, resolve);
  locate2.show();
  // The monitor at its first size; its own settings go to a place thrown away.
  QTemporaryDir scratch;
  quorvane::ui::MonitorSources sources;
  sources.dialogs = &dialogs;
  sources.links = quorvane::platform::UdpServerLinks();
  sources.settingsFile = scratch.filePath("monitor.ini");
  quorvane::ui::ServerMonitor monitor(std::move(sources));
  monitor.show();
  quorvane::ui::InstallServerSetup setup;
  setup.installDir = "/";
  setup.serverRunning = [] { return false; };
  quorvane::ui::InstallServerWindow install(fs, quorvane::platform::ThisMachine(), std::move(setup));
  install.show();
  QApplication::processEvents();
  PrintControls(start, "StartButton", -1);
  PrintControls(intro, "Intro", -1);
  PrintControls(bye, "bye", -1);
  PrintControls(locate, "LocateFile", -1);
  PrintControls(locate2, "LocateFile2", -1);
  PrintControls(monitor, "ServerMonitor", -1);
  PrintControls(install, "InstallServer", -1);
  return 0;
}
