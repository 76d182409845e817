#pragma once
// Settling GameDir at start, and the two saves of the locate windows.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/workspace.h"
#include "config/field_values.h"
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

// GameDir and Quorvane.ini are the game's single-byte text; a folder named
// outside the code page would be stored as some other folder. `dir` is this
// machine's own text (UTF-8), and so is the message.
std::string CodePageLocationMessage(std::string_view dir);

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

// What CheckLocation's load found: the branch and the place it goes on with
// (the stored location, the default installation found, or where LocateFile
// opens). The default installation is to be stored once the main window shows.
struct StartupDecision {
  StartBranch branch = StartBranch::FirstRun;
  std::string location;
};
StartupDecision DecideStartup(install::FileSystem& fs, const StartPlaces& places);

// A location save: stored, or the message that says why not (a refusal or the
// write's failure, naming the file).
struct [[nodiscard]] LocationSave {
  bool stored = false;
  std::string message;
  explicit operator bool() const { return stored; }
};
LocationSave StoreLocation(install::FileSystem& fs, const std::string& settingsPath, const std::string& location);

// Command1 of LocateFile: nothing chosen or a name with a line break is
// refused; otherwise the choice is stored. After a store the window shows the
// main form, kLocationSavedMessage and kRereadAdviceMessage, then StartButton.
LocationSave SaveFirstRunLocation(install::FileSystem& fs, const std::string& settingsPath, const std::string& chosen);

// Command1 of LocateFile2, first step: a name with a line break is refused,
// otherwise the place is stored. LocateFile2 stays open unless it was.
LocationSave SaveChangedLocation(install::FileSystem& fs, const std::string& settingsPath, const std::string& chosen);

// Second step: everything the main window shows, read again from the new place.
struct [[nodiscard]] LocationReload {
  std::vector<std::string> maps;                     // replaces Combo1 and List2 whole
  std::optional<std::vector<std::string>> mapCycle;  // List1, when mapcycle.txt is there
  config::FieldValues fields;                        // a file that is not there keeps the values the window had
  std::optional<std::string> motd;                   // Text9, when motd.txt could be read
  std::vector<std::string> failures;                 // each a whole message, in the order met
};
LocationReload ReloadLocation(install::FileSystem& fs, const std::string& location, config::FieldValues fields);

}  // namespace quorvane::app
