// The program starts with its opening window; every later step follows from
// a window's timer or a click, until the closing window ends the event loop.
#include <QApplication>
#include <QDir>

#include "install/settings_file.h"
#include "platform/file_system.h"
#include "platform/process_starter.h"
#include "platform/program_dir.h"
#include "platform/server_control.h"
#include "platform/sound.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/start_sequence.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // Windows come and go during start-up; only the sequence says when it is over.
  QApplication::setQuitOnLastWindowClosed(false);
  quorvane::ui::InstallComicFont();
  QApplication::setFont(quorvane::ui::ProgramFont());

  quorvane::platform::NativeFileSystem fs;
  quorvane::platform::NativeSoundPlayer sound;
  quorvane::platform::NativeProcessStarter starter;
  quorvane::platform::NativeServerControl server;
  quorvane::ui::Dialogs dialogs;

  quorvane::app::StartPlaces places;
  places.settingsPath = quorvane::platform::ProgramDirectory() + std::string(quorvane::install::kSettingsFileName);
  places.nativeInstallDirs = quorvane::app::SteamInstallDirs(QDir::homePath().toStdString());

  quorvane::ui::StartSequence sequence(
      {fs, sound, dialogs, starter, server, places, quorvane::ui::TimerMode::Real, {}});
  QObject::connect(&sequence, &quorvane::ui::StartSequence::ended, &app, &QCoreApplication::exit,
                   Qt::QueuedConnection);
  sequence.Start();
  return app.exec();
}
