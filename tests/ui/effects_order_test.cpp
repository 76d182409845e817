// The order of everything the user sees, hears and finds on disk while the program starts, loads its
// workspace and changes the server's location: message boxes, file writes, sounds, windows shown and
// hidden, pauses. Each case records one whole path through the start-up and compares the log line by line
// with its data file, where the game directory is written "<game>".
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using fixtures::Lines;
using fixtures::Press;
using fixtures::Tick;
using fixtures::Words;

struct EffectsOrderTest : fixtures::StartSequenceTest {
  void PassIntro() {
    Tick(sequence->IntroWindow(), "Timer2", 300);
    Tick(sequence->IntroWindow(), "Timer1", 4500);
  }
  static void Choose(QWidget* locateWindow, const std::string& directory) {
    ASSERT_NE(locateWindow, nullptr);
    locateWindow->findChild<QLineEdit*>("GamePath")->setText(QString::fromStdString(directory));
  }
};

TEST_F(EffectsOrderTest, settingsFileStart_loadsTheWorkspaceAndClosesInOrderLeavingNothingBehind) {
  Start(Install("server"));
  Tick(sequence->IntroWindow(), "Timer2", 300, 2);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  Tick(sequence->StartWindow(), "Timer1", 1000, 2);
  Press(sequence->StartWindow(), "RockOn");
  const MainForm* main = sequence->Main();
  ASSERT_NE(main, nullptr);
  const config::FieldValues values = main->Values();
  EXPECT_EQ((Words{values.GetText("hostname"), values.GetText("mp_teamplay"), values.GetText("rate"),
                   main->Maps().Motd(), std::to_string(values.GetCheck("cl_himodels"))}),
            (Words{"Friday Night TFC", "21", "9999", "Welcome!\r\nNo spawn camping.", "0"}));
  EXPECT_EQ(main->findChild<QComboBox*>("Combo1")->count() + main->findChild<QListWidget*>("List2")->count(), 16);
  EXPECT_EQ(main->Maps().MapCycle(), (Words{"2fort", "well", "avanti"}));
  Tick(sequence->SoundWindow(), "Timer1", 750, 2);
  Press(sequence->Main(), "Command5");
  Tick(sequence->ByeWindow(), "Timer2", 1200, 2);
  EXPECT_TRUE(ends.empty());
  Tick(sequence->ByeWindow(), "Timer1", 4500);
  EXPECT_EQ(InGame(), Lines("effects/settings_file_start.txt"));
  ExpectEnded();
}

TEST_F(EffectsOrderTest, defaultInstallationStart_storesItsPlaceAndLoadsMissingFilesWithDefaults) {
  game.MakeDir("program");
  game.Write("server/hlds_run", "#!/bin/sh\n");
  game.MakeDir("server/valve");
  game.MakeDir("server/tfc");
  Start({}, {game.Path("server").string()});
  PassIntro();
  Press(sequence->StartWindow(), "RockOn");
  EXPECT_EQ(InGame(), Lines("effects/default_installation_start.txt"));
}

TEST_F(EffectsOrderTest, defaultInstallationWhosePlaceCannotBeStored_saysSoAndStartsAnyway) {
  game.MakeDir("program/Quorvane.ini");  // a directory where the settings file would go
  const std::string server = Install("server");
  game.Write("server/hlds_run", "#!/bin/sh\n");
  Start({}, {server});
  PassIntro();
  const Words events = InGame();
  const auto failure = std::find_if(events.begin(), events.end(), [](const std::string& line) {
    return line.starts_with("message Quorvane could not write <game>/program\\Quorvane.ini: ");
  });
  ASSERT_NE(failure, events.end());
  EXPECT_TRUE(std::find(events.begin(), failure, "show MainForm") != failure) << "the main window shows first";
  EXPECT_TRUE(std::find(failure, events.end(), "pause") != events.end()) << "the start goes on after it";
  EXPECT_NE(sequence->StartWindow(), nullptr);
}

TEST_F(EffectsOrderTest, firstRunStart_refusesAnEmptyChoiceThenStoresTheChosenPlace) {
  game.MakeDir("program");
  const std::string server = Install("server");
  Start();
  PassIntro();
  Choose(sequence->LocateFile(), "");
  Press(sequence->LocateFile(), "Command1");
  Choose(sequence->LocateFile(), server);
  Press(sequence->LocateFile(), "Command1");
  Press(sequence->StartWindow(), "RockOn");
  EXPECT_EQ(InGame(), Lines("effects/first_run_start.txt"));
}

TEST_F(EffectsOrderTest, locationChange_storesThePlaceAndReloadsFromIt) {
  const std::string other = Install("other");
  std::filesystem::remove(game.Path("other/Valve/autoexec.cfg"));
  Start(Install("server"));
  PassIntro();
  Press(sequence->StartWindow(), "RockOn");
  outside.events.clear();
  Press(sequence->Main(), "Command19");
  Choose(sequence->LocateFile2(), other);
  Press(sequence->LocateFile2(), "Command1");
  EXPECT_EQ(InGame(), Lines("effects/location_change.txt"));
}

}  // namespace
}  // namespace quorvane::ui
