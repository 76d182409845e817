// The order of everything the user sees, hears and finds on disk while the program starts, loads its
// workspace and changes the server's location: message boxes, file writes, sounds, windows shown and
// hidden, pauses. Each case records one whole path through the start-up and compares the log line by line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "support/temp_install.h"
#include "ui/dialogs.h"
#include "ui/start_sequence.h"
#include "ui/ticker.h"

namespace quorvane::ui {
namespace {

using Log = std::vector<std::string>;

// The test's folders lie one level below <game>, joined by this system's
// separator; the expected lines write that separator as '/'. Any other '/' is
// the program's own and stays.
Log Native(Log lines) {
  const std::string written = "<game>/";
  const std::string native = "<game>" + std::string(1, static_cast<char>(std::filesystem::path::preferred_separator));
  for (std::string& line : lines) {
    for (std::size_t at = line.find(written); at != std::string::npos; at = line.find(written, at + 1))
      line.replace(at, written.size(), native);
  }
  return lines;
}

// Every outside effect, in the one order they happened; paths inside the installation start with "<game>".
struct Effects : Dialogs, launch::SoundPlayer, launch::ProcessStarter, launch::ServerControl, QObject {
  explicit Effects(std::string gameDir) : m_gameDir(std::move(gameDir)) {}

  void Inform(const QString& text, const QString&) override { Add("message " + text.toStdString()); }
  bool AskYesNo(const QString& text, const QString& title, Icon) override {
    Add("question " + title.toStdString() + ": " + text.toStdString());
    return false;
  }
  void PlaySoundCue(const std::string& path) override { Add("sound " + path); }
  launch::StartResult Start(const launch::LaunchRequest& r) override {
    Add("start " + r.file);
    return {};
  }
  void SetCurrentDirectory(const std::string&) override {}
  launch::StartResult OpenLink(const std::string&) override { return {}; }
  bool IsRunning(Handle) override { return false; }
  std::optional<Handle> FindServer() override { return std::nullopt; }
  void Terminate(Handle) override {}
  void Pause(int ms) override { Add("pause " + std::to_string(ms)); }
  void SendClose(Handle) override {}

  // Windows shown and hidden, known by their names.
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool showOrHide = event->type() == QEvent::Show || event->type() == QEvent::Hide;
    if (showOrHide && widget != nullptr && widget->isWindow() && !widget->objectName().isEmpty()) {
      Add((event->type() == QEvent::Show ? "show " : "hide ") + widget->objectName().toStdString());
    }
    return false;
  }

  void Add(const std::string& line) { log.push_back(InGame(line)); }
  std::string InGame(std::string text) const {
    for (std::size_t at = text.find(m_gameDir); at != std::string::npos; at = text.find(m_gameDir))
      text.replace(at, m_gameDir.size(), "<game>");
    return text;
  }

  // Short contents as they are (line ends shown), longer ones by their size.
  std::string Shown(std::string_view bytes) const {
    const std::string text = InGame(std::string(bytes));
    if (text.size() > 60) return std::string("(").append(std::to_string(bytes.size())).append(" bytes)");
    std::string shown;
    for (char c : text) {
      if (c == '\r') shown += "\\r";
      else if (c == '\n') shown += "\\n";
      else shown += c;
    }
    return "\"" + shown + "\"";
  }

  Log log;

 private:
  std::string m_gameDir;
};

// The real file system, with every change it makes written into the effects log.
class RecordingFileSystem : public install::FileSystem {
 public:
  explicit RecordingFileSystem(Effects& effects) : m_effects(effects) {}

  bool IsPresent(const std::string& path) override { return m_real.IsPresent(path); }
  bool IsDirectory(const std::string& path) override { return m_real.IsDirectory(path); }
  install::Read<std::string> ReadFile(const std::string& path) override { return m_real.ReadFile(path); }
  install::IoResult WriteFile(const std::string& path, std::string_view bytes) override {
    m_effects.Add("write " + path + " " + m_effects.Shown(bytes));
    return m_real.WriteFile(path, bytes);
  }
  install::IoResult Rename(const std::string& from, const std::string& to) override {
    m_effects.Add("rename " + from + " to " + to);
    return m_real.Rename(from, to);
  }
  install::IoResult Remove(const std::string& path) override {
    m_effects.Add("remove " + path);
    return m_real.Remove(path);
  }
  install::IoResult CreateDirectory(const std::string& path) override {
    m_effects.Add("create " + path);
    return m_real.CreateDirectory(path);
  }
  std::vector<std::string> ListFiles(const std::string& directory) override { return m_real.ListFiles(directory); }
  std::vector<std::string> ListDirectories(const std::string& directory) override {
    return m_real.ListDirectories(directory);
  }
  install::IoResult RemoveDirectory(const std::string& path) override {
    m_effects.Add("remove directory " + path);
    return m_real.RemoveDirectory(path);
  }

 private:
  Effects& m_effects;
  platform::NativeFileSystem m_real;
};

class EffectsOrderTest : public ::testing::Test {
 protected:
  EffectsOrderTest() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("ui_tests"), nullptr};
    if (qApp == nullptr) new QApplication(argc, argv);
    qApp->installEventFilter(&effects);
    game.MakeDir("program");
  }
  ~EffectsOrderTest() override {
    qApp->removeEventFilter(&effects);
    sequence.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // A whole installation under `relative`, as the sample holds it.
  void Install(const std::string& relative) const {
    game.MakeDir(relative);
    std::filesystem::copy(QUORVANE_TEST_DATA "/app/complete", game.Path(relative),
                          std::filesystem::copy_options::recursive);
  }
  std::string Dir(const std::string& relative) const { return game.Path(relative).string(); }

  void Start(std::vector<std::string> nativeInstallDirs = {}) {
    const app::StartPlaces places{Dir("program") + "\\Quorvane.ini", std::move(nativeInstallDirs)};
    sequence = std::make_unique<StartSequence>(SequenceServices{fs, effects, effects, effects, effects, places,
                                                                TimerMode::Driven, [this] { effects.Add("pause"); }});
    sequence->Start();
  }

  // Fires a window's timer once by hand, as its interval would.
  static void Tick(QWidget* window, const char* timer) {
    ASSERT_NE(window, nullptr);
    auto* ticker = window->findChild<Ticker*>(timer);
    ASSERT_NE(ticker, nullptr) << timer;
    ticker->Tick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static void Click(QWidget* window, const char* button) {
    ASSERT_NE(window, nullptr);
    auto* target = window->findChild<QPushButton*>(button);
    ASSERT_NE(target, nullptr) << button;
    QTest::mouseClick(target, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static void Choose(QWidget* locateWindow, const std::string& directory) {
    ASSERT_NE(locateWindow, nullptr);
    locateWindow->findChild<QLineEdit*>("GamePath")->setText(QString::fromStdString(directory));
  }
  void PassIntro() {
    Tick(sequence->IntroWindow(), "Timer2");
    Tick(sequence->IntroWindow(), "Timer1");
  }

  test_support::TempInstall game;
  Effects effects{game.GameDir()};
  RecordingFileSystem fs{effects};
  std::unique_ptr<StartSequence> sequence;
};

const std::string kMedia = "sound c:\\windows\\media\\";

TEST_F(EffectsOrderTest, settingsFileStart_loadsTheWorkspaceAndClosesInOrder) {
  Install("server");
  game.Write("program/Quorvane.ini", Dir("server") + "\r\n");
  Start();
  PassIntro();
  Tick(sequence->StartWindow(), "Timer1");
  Click(sequence->StartWindow(), "RockOn");
  Tick(sequence->SoundWindow(), "Timer1");
  Click(sequence->Main(), "Command5");
  Tick(sequence->ByeWindow(), "Timer2");
  Tick(sequence->ByeWindow(), "Timer1");
  EXPECT_EQ(effects.log, Native(Log{
      "show Intro",
      kMedia + "asscan2.wav",
      kMedia + "sgun1.wav",
      "hide Intro",
      "show MainForm",
      "show StartButton",
      "pause",
      kMedia + "saveme2.wav",
      "hide StartButton",
      kMedia + "vox_login.wav",
      "hide MainForm",
      "show bye",
      kMedia + "sgun1.wav",
      kMedia + "asscan2.wav",
      "hide bye",
  }));
}

TEST_F(EffectsOrderTest, defaultInstallationStart_storesItsPlaceAndLoadsMissingFilesWithDefaults) {
  game.Write("server/hlds_run", "#!/bin/sh\n");
  game.MakeDir("server/valve");
  game.MakeDir("server/tfc");
  Start({Dir("server")});
  PassIntro();
  Click(sequence->StartWindow(), "RockOn");
  EXPECT_EQ(effects.log, Native(Log{
      "show Intro",
      kMedia + "asscan2.wav",
      kMedia + "sgun1.wav",
      "hide Intro",
      "show MainForm",
      "show StartButton",
      "write <game>/program\\Quorvane.ini \"<game>/server/\\r\\n\"",
      "pause",
      "message This Form looks for your Autoexec.cfg file in the <game>/server/Valve directory.  If it "
      "does not find it there, it will create a basic one.",
      "message Your Autoexec Config file was not found, I will now put in the values for you in the form",
      "write <game>/server/\\Valve\\autoexec.cfg (544 bytes)",
      "message This Form looks for your server.cfg file in the <game>/server/TFC  directory.  If it does "
      "not find it there, it will create a basic one.",
      "message Your Server Config file was not found, I will now put in the values for you in the form",
      "write <game>/server/\\Tfc\\server.cfg (982 bytes)",
      "create <game>/server/\\Tfc\\Maps\\",
      "write <game>/server/\\tfc\\mapcycle.txt \"\"",
      "write <game>/server/\\Tfc\\motd.txt \"\"",
      "hide StartButton",
  }));
}

TEST_F(EffectsOrderTest, firstRunStart_refusesAnEmptyChoiceThenStoresTheChosenPlace) {
  Install("server");
  Start();
  PassIntro();
  Choose(sequence->LocateFile(), "");
  Click(sequence->LocateFile(), "Command1");
  Choose(sequence->LocateFile(), Dir("server"));
  Click(sequence->LocateFile(), "Command1");
  Click(sequence->StartWindow(), "RockOn");
  EXPECT_EQ(effects.log, Native(Log{
      "show Intro",
      kMedia + "asscan2.wav",
      kMedia + "sgun1.wav",
      "hide Intro",
      "show LocateFile",
      "message The location of the hlds.exe server file was not found.  Please select the location of the file now.",
      "message You Must Enter a Directory Location for the Hlds.exe file",
      "write <game>/program\\Quorvane.ini \"<game>/server\\r\\n\"",
      "show MainForm",
      "show StartButton",
      "message The Location of the Half-Life Server executable has been saved.",
      "message If you have just changed the Directory Location of where the Hlds.exe file is, You should "
      "then Go To the Server.Cfg Screen and the Autoexec.Cfg Screen and Click on the 'Re-Read Server.Cfg "
      "File' Button and the 'Re-Read Autoexec.Cfg File' Button.  You should also Go To the Game Map Screen "
      "and Click on the 'Re-Read Mapcycle.Txt File' Button and the 'Re-Read the MOTD.txt File' Button.",
      "pause",
      "hide LocateFile",
      "hide StartButton",
  }));
}

TEST_F(EffectsOrderTest, locationChange_storesThePlaceAndReloadsFromIt) {
  Install("server");
  Install("other");
  std::filesystem::remove(game.Path("other/Valve/autoexec.cfg"));
  game.Write("program/Quorvane.ini", Dir("server") + "\r\n");
  Start();
  PassIntro();
  Click(sequence->StartWindow(), "RockOn");
  effects.log.clear();
  Click(sequence->Main(), "Command19");
  Choose(sequence->LocateFile2(), Dir("other"));
  Click(sequence->LocateFile2(), "Command1");
  EXPECT_EQ(effects.log, Native(Log{
      "show LocateFile2",
      "write <game>/program\\Quorvane.ini \"<game>/other\\r\\n\"",
      "message The Location of the Half-Life Server executable has been saved.",
      "hide LocateFile2",
  }));
}

}  // namespace
}  // namespace quorvane::ui
