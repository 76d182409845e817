// Opens the main window on the stored server location and fills it from the
// installation found there.
#include <QApplication>

#include "install/settings_file.h"
#include "platform/file_system.h"
#include "platform/process_starter.h"
#include "platform/program_dir.h"
#include "platform/server_control.h"
#include "platform/sound.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/installation_fill.h"
#include "ui/main_form.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  quorvane::ui::InstallComicFont();
  QApplication::setFont(quorvane::ui::ProgramFont());

  quorvane::platform::NativeFileSystem fs;
  quorvane::platform::NativeSoundPlayer sound;
  quorvane::platform::NativeProcessStarter starter;
  quorvane::platform::NativeServerControl server;
  quorvane::ui::Dialogs dialogs;

  quorvane::ui::MainForm form(fs, dialogs, sound, starter, server);
  QObject::connect(&form, &quorvane::ui::MainForm::quitRequested, &form, &quorvane::ui::MainForm::Unload);
  form.Load();

  const std::string settings = quorvane::platform::ProgramDirectory() + std::string(quorvane::install::kSettingsFileName);
  if (fs.IsPresent(settings)) {
    form.SetGameDir(quorvane::install::ReadServerLocation(fs, settings));
    quorvane::ui::FillFromInstallation(form, fs);
  }
  return app.exec();
}
