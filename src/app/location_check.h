#pragma once
// Settling GameDir at start, and the two saves of the locate windows.
#include <string>
#include <vector>

#include "app/workspace.h"
#include "install/file_system.h"

namespace quorvane::app {

inline constexpr const char* kLocationNotFoundMessage =
    "The location of the hlds.exe server file was not found.  Please select the location of the file now.";
inline constexpr const char* kEmptyLocationMessage = "You Must Enter a Directory Location for the Hlds.exe file";
inline constexpr const char* kLocationSavedMessage = "The Location of the Half-Life Server executable has been saved.";
inline constexpr const char* kRereadAdviceMessage =
    "If you have just changed the Directory Location of where the Hlds.exe file is, You should then Go To the "
    "Server.Cfg Screen and the Autoexec.Cfg Screen and Click on the 'Re-Read Server.Cfg File' Button and the "
    "'Re-Read Autoexec.Cfg File' Button.  You should also Go To the Game Map Screen and Click on the 'Re-Read "
    "Mapcycle.Txt File' Button and the 'Re-Read the MOTD.txt File' Button.";
// Quorvane.ini holds the location as one line, so a name with a line break would come back cut.
inline constexpr const char* kLineBreakLocationMessage =
    "The name of this directory holds a line break, which Quorvane cannot store. Please select another directory.";

// The windows the start-up check and the first-run save drive.
class LocationWindows {
 public:
  virtual ~LocationWindows() = default;
  virtual void ShowMainForm() = 0;
  virtual void SetMainGamePath(const std::string& text) = 0;
  virtual void SetCheckGamePath(const std::string& text) = 0;  // CheckLocation's own GamePath
  virtual std::string CheckGamePath() const = 0;
  // Lets pending window events run, then holds the thread for a second.
  virtual void ProcessEventsAndPause() = 0;
  virtual void ShowStartButton() = 0;
  // Shows LocateFile with its GamePath and Dir1 on `directory`.
  virtual void ShowLocateFile(const std::string& directory) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

enum class StartBranch { SettingsFile, DefaultInstallation, FirstRun };

struct StartPlaces {
  std::string settingsPath;  // program directory + "\Quorvane.ini"
  // Native installations tried after the default one, each a directory
  // without its closing separator.
  std::vector<std::string> nativeInstallDirs;
};

// The places a Steam installation of the dedicated server takes under `home`.
std::vector<std::string> SteamInstallDirs(const std::string& home);

// The default installation's GameDir when one is present, else empty.
std::string FindDefaultInstallation(install::FileSystem& fs, const std::vector<std::string>& nativeInstallDirs);

// The load of CheckLocation. Returns the branch it took.
StartBranch RunStartupCheck(install::FileSystem& fs, const StartPlaces& places, LocationWindows& windows);

// Command1 of LocateFile. False when nothing was stored: nothing or a name with a line break was
// chosen, or the settings file could not be written (LocateFile stays open).
[[nodiscard]] bool SaveFirstRunLocation(install::FileSystem& fs, const std::string& settingsPath,
                                        const std::string& chosen, LocationWindows& windows);

// The main window's side of the change-location save.
class ChangeTarget : public Workspace {
 public:
  virtual void SetGameDir(const std::string& text) = 0;
  virtual void BringToFront() = 0;
};

// Command1 of LocateFile2: stores the place and reloads everything the main
// window shows from it. When the place cannot be stored the main window is
// left as it was and the failure returned (already shown); the caller
// unloads LocateFile2 only after a success.
install::IoResult SaveChangedLocation(install::FileSystem& fs, const std::string& settingsPath,
                                      const std::string& chosen, ChangeTarget& main);

}  // namespace quorvane::app
