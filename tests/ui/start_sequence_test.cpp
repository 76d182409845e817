// The start and closing sequence with its timers driven by the test.
#include "ui/start_sequence.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

#include "ui/locate_window.h"
#include "ui/splash_windows.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

void FlushUnloads() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Fires one timer of a window, which runs at its own interval and never by the clock.
void Tick(QWidget* window, const char* timer, int intervalMs) {
  ASSERT_NE(window, nullptr);
  auto* ticker = window->findChild<Ticker*>(timer);
  ASSERT_NE(ticker, nullptr) << window->objectName().toStdString() << "." << timer;
  EXPECT_EQ(ticker->Interval(), intervalMs);
  EXPECT_FALSE(ticker->IsRunning());
  ticker->Tick();
  FlushUnloads();
}

struct StartSequenceTest : ::testing::Test {
  // With an installation, the settings file points at it; without, this is the first run.
  void Start(bool installed) {
    test::TestApp();
    game.MakeDir("program");
    places.settingsPath = game.Path("program").string() + "\\Quorvane.ini";
    if (installed) {
      game.Write("valve/autoexec.cfg", "rate \"9999\"\r\ncl_himodels \"0\"\r\n");
      game.Write("tfc/server.cfg", "hostname \"Sequence Test\"\r\nmp_teamplay \"1\"\r\nport \"27015\"\r\n");
      game.Write("tfc/maps/avanti.bsp", "BSP");
      game.Write("tfc/mapcycle.txt", "avanti\r\nwell\r\n");
      game.Write("tfc/motd.txt", "Welcome\r\n");
      game.Write("program/Quorvane.ini", game.GameDir() + "\r\n");
    }
    sequence = std::make_unique<StartSequence>(
        SequenceServices{fs, sound, dialogs, starter, server, places, TimerMode::Driven, [this] { ++pauses; }});
    ended = std::make_unique<QSignalSpy>(sequence.get(), &StartSequence::ended);
    sequence->Start();
  }
  void ExpectEnded() {
    ASSERT_EQ(ended->size(), 1);
    EXPECT_EQ(ended->front().front().toInt(), 0);
    EXPECT_TRUE(sequence->LoadedWindows().isEmpty());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }
  void TearDown() override {
    ended.reset();
    sequence.reset();
    FlushUnloads();
  }

  test_support::TempInstall game;
  platform::NativeFileSystem fs;
  test::RecordingDialogs dialogs;
  test::RecordingSound sound;
  test::NoStarter starter;
  test::NoServer server;
  app::StartPlaces places;
  int pauses = 0;
  std::unique_ptr<StartSequence> sequence;
  std::unique_ptr<QSignalSpy> ended;
};

TEST_F(StartSequenceTest, wholeRun_windowsAndSoundsInOrderAndNothingLeftBehind) {
  Start(true);
  Intro* intro = sequence->IntroWindow();
  ASSERT_NE(intro, nullptr);
  intro->close();
  EXPECT_TRUE(intro->isVisible()) << "the opening window cannot be closed";
  Tick(intro, "Timer2", 300);
  Tick(intro, "Timer2", 300);
  Tick(intro, "Timer1", 4500);
  EXPECT_EQ(sequence->IntroWindow(), nullptr);
  MainForm* main = sequence->Main();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->isVisible());
  EXPECT_EQ(pauses, 1);
  ASSERT_NE(sequence->StartWindow(), nullptr);
  EXPECT_TRUE(sequence->StartWindow()->isVisible());
  Tick(sequence->StartWindow(), "Timer1", 1000);
  Tick(sequence->StartWindow(), "Timer1", 1000);

  QTest::mouseClick(sequence->StartWindow()->findChild<QPushButton*>("RockOn"), Qt::LeftButton);
  FlushUnloads();
  EXPECT_EQ(sequence->StartWindow(), nullptr);
  EXPECT_EQ(main->GetText("hostname"), "Sequence Test");
  EXPECT_EQ(main->GetText("mp_teamplay"), "21");
  EXPECT_EQ(main->GetText("rate"), "9999");
  EXPECT_EQ(main->GetCheck("cl_himodels"), 0);
  EXPECT_EQ(main->findChild<QComboBox*>("Combo1")->count(), 7);
  EXPECT_EQ(main->findChild<QListWidget*>("List2")->count(), 7);
  EXPECT_EQ(main->MapCycle(), (std::vector<std::string>{"avanti", "well"}));
  EXPECT_EQ(main->Motd(), "Welcome");
  EXPECT_TRUE(dialogs.shown.empty());
  ASSERT_NE(sequence->SoundWindow(), nullptr);
  EXPECT_FALSE(sequence->SoundWindow()->isVisible());
  Tick(sequence->SoundWindow(), "Timer1", 750);
  Tick(sequence->SoundWindow(), "Timer1", 750);

  QTest::mouseClick(main->findChild<QPushButton*>("Command5"), Qt::LeftButton);
  FlushUnloads();
  EXPECT_EQ(sequence->Main(), nullptr);
  ASSERT_NE(sequence->ByeWindow(), nullptr);
  EXPECT_TRUE(sequence->ByeWindow()->isVisible());
  Tick(sequence->ByeWindow(), "Timer2", 1200);
  Tick(sequence->ByeWindow(), "Timer2", 1200);
  const std::string media = "c:\\windows\\media\\";
  EXPECT_EQ(sound.played, (std::vector<std::string>{media + "asscan2.wav", media + "sgun1.wav", media + "saveme2.wav",
                                                    media + "vox_login.wav", media + "sgun1.wav", media + "asscan2.wav"}));
  EXPECT_TRUE(ended->isEmpty());
  Tick(sequence->ByeWindow(), "Timer1", 4500);
  ExpectEnded();
}

TEST_F(StartSequenceTest, mainWindowFrameClose_runsTheClosingSequence) {
  Start(true);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  ASSERT_NE(sequence->Main(), nullptr);
  sequence->Main()->close();
  FlushUnloads();
  EXPECT_EQ(sequence->Main(), nullptr);
  ASSERT_NE(sequence->ByeWindow(), nullptr);
  sequence->ByeWindow()->close();  // closing the farewell early still ends the program
  FlushUnloads();
  ExpectEnded();
}

TEST_F(StartSequenceTest, firstRun_closingLocateFileEndsTheProgram) {
  Start(false);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  ASSERT_NE(sequence->LocateFile(), nullptr);
  EXPECT_EQ(sequence->Main(), nullptr);
  sequence->LocateFile()->close();
  FlushUnloads();
  ExpectEnded();
  EXPECT_FALSE(game.Exists("program/Quorvane.ini"));
}

}  // namespace
}  // namespace quorvane::ui
