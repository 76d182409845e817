#include "ui/start_sequence.h"

#include <QLineEdit>
#include <QListWidget>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/locate_window.h"
#include "ui/splash_windows.h"
#include "ui/ui_test_support.h"

namespace quorvane::ui {
namespace {

using test::RecordingDialogs;
using test::RecordingSound;
using test::TempGameDir;

void FlushUnloads() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Fires one timer of a window and checks that it runs at its own interval.
void Tick(QWidget* window, const char* timer, int intervalMs) {
  ASSERT_NE(window, nullptr);
  auto* ticker = window->findChild<Ticker*>(timer);
  ASSERT_NE(ticker, nullptr) << window->objectName().toStdString() << "." << timer;
  EXPECT_EQ(ticker->Interval(), intervalMs);
  EXPECT_FALSE(ticker->IsRunning());  // driven by the test, never by the clock
  ticker->Tick();
}

struct SequenceFixture : ::testing::Test {
  SequenceFixture() {
    test::TestApp();
    std::filesystem::create_directories(programDir);
    places.settingsPath = programDir.string() + "\\Quorvane.ini";
  }
  ~SequenceFixture() override {
    sequence.reset();
    FlushUnloads();
    std::error_code ec;
    std::filesystem::remove_all(programDir, ec);
  }
  void Make() {
    sequence = std::make_unique<StartSequence>(
        SequenceServices{fs, sound, dialogs, starter, server, places, TimerMode::Driven, [this] { ++pauses; }});
  }
  void WriteInstallation() {
    game.Write("valve/autoexec.cfg", "rate \"9999\"\r\ncl_himodels \"0\"\r\n");
    game.Write("tfc/server.cfg", "hostname \"Sequence Test\"\r\nmp_teamplay \"1\"\r\nport \"27015\"\r\n");
    game.Write("tfc/maps/avanti.bsp", "BSP");
    game.Write("tfc/mapcycle.txt", "avanti\r\nwell\r\n");
    game.Write("tfc/motd.txt", "Welcome\r\n");
  }
  std::string Settings() const {
    std::ifstream in(programDir / "Quorvane.ini", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  TempGameDir game;
  std::filesystem::path programDir = game.Path("program");
  platform::NativeFileSystem fs;
  RecordingDialogs dialogs;
  RecordingSound sound;
  test::RecordingStarter starter;
  test::NoServer server;
  app::StartPlaces places;
  int pauses = 0;
  std::unique_ptr<StartSequence> sequence;
};

using StartSequenceTest = SequenceFixture;

TEST_F(StartSequenceTest, wholeRun_windowsAndSoundsInOrderAndNothingLeftBehind) {
  WriteInstallation();
  game.Write("program/Quorvane.ini", game.GameDir() + "\r\n");
  Make();
  QSignalSpy ended(sequence.get(), &StartSequence::ended);

  sequence->Start();
  Intro* intro = sequence->IntroWindow();
  ASSERT_NE(intro, nullptr);
  EXPECT_TRUE(intro->isVisible());
  EXPECT_FALSE(intro->windowFlags() & Qt::WindowCloseButtonHint);
  intro->close();
  EXPECT_TRUE(intro->isVisible()) << "the opening window cannot be closed";

  Tick(intro, "Timer2", 300);
  Tick(intro, "Timer2", 300);
  EXPECT_EQ(sound.played, (std::vector<std::string>{"c:\\windows\\media\\asscan2.wav", "c:\\windows\\media\\sgun1.wav"}));

  Tick(intro, "Timer1", 4500);
  FlushUnloads();
  EXPECT_EQ(sequence->IntroWindow(), nullptr);
  MainForm* main = sequence->Main();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->isVisible());
  EXPECT_EQ(main->GameDir(), game.GameDir());
  EXPECT_EQ(pauses, 1);
  EXPECT_TRUE(dialogs.shown.empty());
  StartButton* start = sequence->StartWindow();
  ASSERT_NE(start, nullptr);
  EXPECT_TRUE(start->isVisible());

  Tick(start, "Timer1", 1000);
  Tick(start, "Timer1", 1000);
  EXPECT_EQ(sound.played.size(), 3u);
  EXPECT_EQ(sound.played.back(), "c:\\windows\\media\\saveme2.wav");

  auto* rockOn = start->findChild<QPushButton*>("RockOn");
  ASSERT_NE(rockOn, nullptr);
  EXPECT_EQ(rockOn->text(), "Let's Rock !!");
  EXPECT_TRUE(rockOn->font().bold());
  EXPECT_EQ(rockOn->font().family(), "Comic Sans MS");
  QTest::mouseClick(rockOn, Qt::LeftButton);
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

  SoundForm* soundForm = sequence->SoundWindow();
  ASSERT_NE(soundForm, nullptr);
  EXPECT_FALSE(soundForm->isVisible());
  EXPECT_EQ(soundForm->windowTitle(), "Form1");
  Tick(soundForm, "Timer1", 750);
  Tick(soundForm, "Timer1", 750);
  EXPECT_EQ(sound.played.back(), "c:\\windows\\media\\vox_login.wav");
  EXPECT_EQ(sound.played.size(), 4u);

  QTest::mouseClick(main->findChild<QPushButton*>("Command5"), Qt::LeftButton);
  FlushUnloads();
  EXPECT_EQ(sequence->Main(), nullptr);
  Bye* bye = sequence->ByeWindow();
  ASSERT_NE(bye, nullptr);
  EXPECT_TRUE(bye->isVisible());
  EXPECT_TRUE(bye->windowFlags() & Qt::WindowCloseButtonHint || !(bye->windowFlags() & Qt::CustomizeWindowHint));
  Tick(bye, "Timer2", 1200);
  Tick(bye, "Timer2", 1200);
  EXPECT_EQ(sound.played, (std::vector<std::string>{"c:\\windows\\media\\asscan2.wav", "c:\\windows\\media\\sgun1.wav",
                                                    "c:\\windows\\media\\saveme2.wav", "c:\\windows\\media\\vox_login.wav",
                                                    "c:\\windows\\media\\sgun1.wav", "c:\\windows\\media\\asscan2.wav"}));
  EXPECT_TRUE(ended.isEmpty());
  Tick(bye, "Timer1", 4500);
  FlushUnloads();

  ASSERT_EQ(ended.size(), 1);
  EXPECT_EQ(ended.front().front().toInt(), 0);
  EXPECT_TRUE(sequence->LoadedWindows().isEmpty());
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(StartSequenceTest, mainWindowFrameClose_runsTheClosingSequence) {
  WriteInstallation();
  game.Write("program/Quorvane.ini", game.GameDir() + "\r\n");
  Make();
  QSignalSpy ended(sequence.get(), &StartSequence::ended);
  sequence->Start();
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  ASSERT_NE(sequence->Main(), nullptr);

  sequence->Main()->close();
  FlushUnloads();
  ASSERT_NE(sequence->ByeWindow(), nullptr);
  EXPECT_EQ(sequence->Main(), nullptr);
  // Closing the farewell early still ends the program, SoundForm or not.
  sequence->ByeWindow()->close();
  FlushUnloads();
  EXPECT_EQ(ended.size(), 1);
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(StartSequenceTest, firstRun_locateFileSaveStoresTheChosenDirectoryAndStartsUp) {
  Make();
  sequence->Start();
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  FlushUnloads();

  LocateWindow* locate = sequence->LocateFile();
  ASSERT_NE(locate, nullptr);
  EXPECT_EQ(sequence->Main(), nullptr);
  EXPECT_EQ(locate->windowTitle(), "Locate HLDS.EXE File");
  ASSERT_EQ(dialogs.Texts(), QStringList{"The location of the hlds.exe server file was not found.  Please select "
                                         "the location of the file now."});
  EXPECT_FALSE(locate->GamePathText().isEmpty());
  EXPECT_TRUE(locate->findChild<QLineEdit*>("GamePath")->isReadOnly());

  locate->SetDirPath(QString::fromStdString(game.GameDir()));
  EXPECT_EQ(locate->GamePathText(), QString::fromStdString(game.GameDir()));
  QTest::mouseClick(locate->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  FlushUnloads();

  EXPECT_EQ(Settings(), game.GameDir() + "\r\n");
  EXPECT_EQ(sequence->LocateFile(), nullptr);
  ASSERT_NE(sequence->Main(), nullptr);
  EXPECT_EQ(sequence->Main()->GameDir(), game.GameDir());
  ASSERT_NE(sequence->StartWindow(), nullptr);
  EXPECT_TRUE(sequence->StartWindow()->isVisible());
  EXPECT_EQ(dialogs.shown.size(), 3u);
  EXPECT_EQ(dialogs.shown[1].text, "The Location of the Half-Life Server executable has been saved.");
  EXPECT_EQ(pauses, 1);
}

TEST_F(StartSequenceTest, firstRun_closingLocateFileEndsTheProgram) {
  Make();
  QSignalSpy ended(sequence.get(), &StartSequence::ended);
  sequence->Start();
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  ASSERT_NE(sequence->LocateFile(), nullptr);
  sequence->LocateFile()->close();
  FlushUnloads();
  EXPECT_EQ(ended.size(), 1);
  EXPECT_FALSE(std::filesystem::exists(programDir / "Quorvane.ini"));
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(StartSequenceTest, changeLocation_reloadsFromTheNewPlaceAndKeepsTheCycleWhenItHasNone) {
  WriteInstallation();
  game.Write("program/Quorvane.ini", game.GameDir() + "\r\n");
  TempGameDir other;
  other.Write("tfc/server.cfg", "hostname \"Other place\"\r\n");
  other.Write("tfc/maps/dustbowl.bsp", "BSP");
  Make();
  sequence->Start();
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  QTest::mouseClick(sequence->StartWindow()->findChild<QPushButton*>("RockOn"), Qt::LeftButton);
  MainForm* main = sequence->Main();
  main->findChild<QComboBox*>("Combo1")->setCurrentIndex(1);

  QTest::mouseClick(main->findChild<QPushButton*>("Command19"), Qt::LeftButton);
  LocateWindow* locate2 = sequence->LocateFile2();
  ASSERT_NE(locate2, nullptr);
  EXPECT_EQ(locate2->windowTitle(), "Locate HLDS.exe File");
  EXPECT_EQ(locate2->GamePathText(), QString::fromStdString(game.GameDir()));
  locate2->SetDirPath(QString::fromStdString(other.GameDir()));
  QTest::mouseClick(locate2->findChild<QPushButton*>("Command1"), Qt::LeftButton);
  FlushUnloads();

  EXPECT_EQ(sequence->LocateFile2(), nullptr);
  EXPECT_EQ(Settings(), other.GameDir() + "\r\n");
  EXPECT_EQ(main->GameDir(), other.GameDir());
  EXPECT_EQ(main->GetText("hostname"), "Other place");
  EXPECT_EQ(main->MapCycle(), (std::vector<std::string>{"avanti", "well"}));
  EXPECT_EQ(other.Read("tfc/mapcycle.txt"), "");
  EXPECT_EQ(main->StartingMap(), "");
  EXPECT_EQ(main->findChild<QComboBox*>("Combo1")->count(), 7);
  EXPECT_EQ(dialogs.Texts().back(), "The Location of the Half-Life Server executable has been saved.");
}

}  // namespace
}  // namespace quorvane::ui
