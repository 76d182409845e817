#pragma once
// Fills the main window from the installation its GamePath names: both
// configuration files, the map lists, the map cycle and the message of the
// day. Files that are missing leave their controls as they are (the defaults
// for a missing configuration file go in); nothing is written.
#include "install/file_system.h"

namespace quorvane::ui {

class MainForm;

void FillFromInstallation(MainForm& form, install::FileSystem& fs);

}  // namespace quorvane::ui
