// The start and closing sequence with its timers driven by the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "config/cfg_writer.h"
#include "config/field_catalogue.h"
#include "config/resets.h"
#include "install/build_info.h"
#include "platform/file_system.h"
#include "support/real_faults.h"
#include "support/temp_install.h"
#include "ui/dialogs.h"
#include "ui/map_widgets.h"
#include "ui/start_sequence.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

TEST_F(StartSequenceTest, wholeRun_windowsAndSoundsInOrderAndNothingLeftBehind) {
  Start(true);
  Tick(sequence->IntroWindow(), "Timer2", 300, 2);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  EXPECT_EQ(sequence->IntroWindow(), nullptr);
  MainForm* main = sequence->Main();
  ASSERT_TRUE(main != nullptr && main->isVisible());
  ASSERT_TRUE(sequence->StartWindow() != nullptr && sequence->StartWindow()->isVisible());
  Tick(sequence->StartWindow(), "Timer1", 1000, 2);

  QTest::mouseClick(sequence->StartWindow()->findChild<QPushButton*>("RockOn"), Qt::LeftButton);
  FlushUnloads();
  EXPECT_EQ(sequence->StartWindow(), nullptr);
  EXPECT_EQ((Words{main->GetText("hostname"), main->GetText("mp_teamplay"), main->GetText("rate"), main->Motd(),
                   std::to_string(main->GetCheck("cl_himodels"))}),
            (Words{"Friday Night TFC", "21", "9999", "Welcome!\r\nNo spawn camping.", "0"}));
  EXPECT_EQ(main->findChild<QComboBox*>("Combo1")->count() + main->findChild<QListWidget*>("List2")->count(), 16);
  EXPECT_EQ(main->MapCycle(), (Words{"2fort", "well", "avanti"}));
  ASSERT_TRUE(sequence->SoundWindow() != nullptr && !sequence->SoundWindow()->isVisible());
  Tick(sequence->SoundWindow(), "Timer1", 750, 2);

  QTest::mouseClick(main->findChild<QPushButton*>("Command5"), Qt::LeftButton);
  FlushUnloads();
  EXPECT_EQ(sequence->Main(), nullptr);
  ASSERT_TRUE(sequence->ByeWindow() != nullptr && sequence->ByeWindow()->isVisible());
  Tick(sequence->ByeWindow(), "Timer2", 1200, 2);
  const std::string m = "sound c:\\windows\\media\\";
  EXPECT_EQ(outside.events, (Words{m + "asscan2.wav", m + "sgun1.wav", m + "saveme2.wav", m + "vox_login.wav",
                                   m + "sgun1.wav", m + "asscan2.wav"}));
  EXPECT_TRUE(ends.empty());
  Tick(sequence->ByeWindow(), "Timer1", 4500);
  ExpectEnded();
}

TEST_F(StartSequenceTest, mainWindowFrameClose_runsTheClosingSequence) {
  Start(true);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  Close(sequence->Main());
  Close(sequence->ByeWindow());  // closing the farewell early still ends the program
  ExpectEnded();
}

TEST_F(StartSequenceTest, firstRun_closingLocateFileEndsTheProgram) {
  Start(false);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  EXPECT_EQ(sequence->Main(), nullptr);
  Close(sequence->LocateFile());
  ExpectEnded();
  EXPECT_FALSE(game.Exists("program/Quorvane.ini"));
}

}  // namespace
}  // namespace quorvane::ui
