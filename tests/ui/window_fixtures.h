#pragma once
// What the window tests share: the run's one QApplication, a main window on a
// temporary installation with every outside effect recorded, and the start
// sequence with its timers driven by the test.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDragEnterEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/path_resolver.h"
#include "platform/server_console.h"
#include "platform/window_menu.h"
#include "support/temp_install.h"
#include "ui/dialogs.h"
#include "ui/server_monitor.h"
#include "ui/start_sequence.h"
#include "ui/ticker.h"

namespace quorvane::ui::fixtures {

using Words = std::vector<std::string>;

inline std::string DataFile(const std::string& name) {
  std::ifstream in(QUORVANE_TEST_DATA "/ui/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The rows of a tab-separated data file, less its # comment lines.
inline QList<QStringList> Rows(const std::string& name) {
  QList<QStringList> rows;
  for (const QString& line : QString::fromStdString(DataFile(name)).split('\n', Qt::SkipEmptyParts))
    if (!line.startsWith('#')) rows << line.split('\t');
  return rows;
}

// The lines of a data file, less its # comment lines.
inline Words Lines(const std::string& name) {
  Words lines;
  for (const QStringList& row : Rows(name)) lines.push_back(row.join('\t').toStdString());
  return lines;
}

// Message boxes that record what they would show: a message's text, or a question
// as "<? or !><title>: <text>" (? for the question icon, ! for stop); a question gets `answer`.
// Each also joins `effects` as "message <what was shown>", when set.
// `whileShown`, when set, runs while a message is up, as the user's actions do under a real box.
struct RecordingDialogs : Dialogs {
  void Inform(const QString& text, const QString&) override {
    Record(text);
    if (whileShown) whileShown();
  }
  bool AskYesNo(const QString& text, const QString& title, Icon icon) override {
    Record((icon == Icon::Question ? "?" : "!") + title + ": " + text);
    return answer;
  }
  void Record(const QString& what) {
    shown << what;
    if (effects != nullptr) effects->push_back("message " + what.toStdString());
  }
  QStringList shown;
  bool answer = false;
  std::function<void()> whileShown;
  Words* effects = nullptr;
};

// The world outside the windows: records in order the sounds played ("sound <path>"), what it is
// asked to start ("<file>|<parameters>|<directory>", answering with `result`) and pauses, and, as an
// application's event filter, the named windows shown and hidden ("show <name>"); finds no server,
// and a started one runs while `running` says so.
struct Outside : QObject, launch::SoundPlayer, launch::ProcessStarter, launch::ServerControl {
  void PlaySoundCue(const std::string& path) override { events.push_back("sound " + path); }
  launch::StartResult Start(const launch::LaunchRequest& r) override {
    events.push_back(r.file + "|" + r.parameters + "|" + r.directory);
    return result;
  }
  void SetCurrentDirectory(const std::string&) override {}
  launch::StartResult OpenLink(const std::string&) override { return {}; }
  bool IsRunning(Handle) override { return running; }
  std::optional<Handle> FindServer() override { return std::nullopt; }
  void Terminate(Handle) override {}
  void Pause(int ms) override { events.push_back("pause " + std::to_string(ms)); }
  void SendClose(Handle) override {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    const auto* window = qobject_cast<QWidget*>(watched);
    const bool shown = event->type() == QEvent::Show;
    if ((shown || event->type() == QEvent::Hide) && window && window->isWindow() && !window->objectName().isEmpty())
      events.push_back((shown ? "show " : "hide ") + window->objectName().toStdString());
    return false;
  }
  Words events;
  launch::StartResult result;
  bool running = false;
};

// The real file system, each change it makes joining `effects`: a file's bytes as they are (line ends
// shown) when they hold one line at most, else their size.
struct RecordingFileSystem : platform::NativeFileSystem {
  explicit RecordingFileSystem(Words& effects) : effects(effects) {}
  install::IoResult WriteFile(const std::string& path, std::string_view bytes) override {
    effects.push_back("write " + path + " " + Shown(bytes));
    return NativeFileSystem::WriteFile(path, bytes);
  }
  install::IoResult WriteFileLike(const std::string& path, std::string_view bytes,
                                  const install::ModeSource& mode) override {
    effects.push_back("write " + path + " " + Shown(bytes));
    return NativeFileSystem::WriteFileLike(path, bytes, mode);
  }
  install::IoResult Rename(const std::string& from, const std::string& to) override {
    effects.push_back("rename " + from + " to " + to);
    return NativeFileSystem::Rename(from, to);
  }
  install::IoResult Remove(const std::string& path) override {
    effects.push_back("remove " + path);
    return NativeFileSystem::Remove(path);
  }
  install::IoResult CreateDirectory(const std::string& path) override {
    effects.push_back("create " + path);
    return NativeFileSystem::CreateDirectory(path);
  }
  install::IoResult CreatePrivateDirectory(const std::string& path) override {
    effects.push_back("create " + path);
    return NativeFileSystem::CreatePrivateDirectory(path);
  }
  install::IoResult RemoveDirectory(const std::string& path) override {
    effects.push_back("remove directory " + path);
    return NativeFileSystem::RemoveDirectory(path);
  }
  static std::string Shown(std::string_view bytes) {
    if (std::count(bytes.begin(), bytes.end(), '\n') > 1)
      return std::string("(").append(std::to_string(bytes.size())) + " bytes)";
    std::string shown = "\"";
    for (const char c : bytes) shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return shown + "\"";
  }
  Words& effects;
};

// The run's one QApplication, made by whichever test needs it first.
inline void App() {
  static int argc = 1;
  static char* argv[] = {const_cast<char*>("ui_tests"), nullptr};
  if (qApp == nullptr) new QApplication(argc, argv);
}

// A window's control by its object name.
template <typename T = QWidget>
T* Child(const QObject* window, const char* name) {
  return window->findChild<T*>(QLatin1String(name));
}

inline void FlushUnloads() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Clicks a window's button (or other control) and lets what it unloads go.
inline void Press(QWidget* window, const char* button) {
  ASSERT_NE(window, nullptr) << "no window for " << button;
  auto* target = Child(window, button);
  ASSERT_NE(target, nullptr) << button;
  QTest::mouseClick(target, Qt::LeftButton);
  FlushUnloads();
}

// A main window on a temporary installation, with every outside effect recorded in `outside.events`
// (and the run's one QApplication).
struct FormOnDisk {
  // With a tab, the form is also loaded and shown active on it. The fields
  // stand for a loaded workspace unless told otherwise.
  explicit FormOnDisk(int tab = -1, bool workspaceLoaded = true) {
    App();
    for (const char* dir : {"tfc/maps", "valve"}) game.MakeDir(dir);
    dialogs.effects = &outside.events;
    form = std::make_unique<MainForm>(fs, dialogs, outside, outside, outside);
    UseServerLinks(*form, platform::UdpServerLinks());
    form->SetGameDir(game.GameDir());
    if (workspaceLoaded) form->MarkWorkspaceLoaded();
    if (tab < 0) return;
    form->Load();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Find<QTabWidget>("SSTab1")->setCurrentIndex(tab);
  }
  template <typename T = QWidget>
  T* Find(const char* name) const {
    return Child<T>(form.get(), name);
  }
  void Click(const char* name) const { Press(form.get(), name); }

  test_support::TempInstall game;
  Outside outside;
  RecordingFileSystem fs{outside.events};
  RecordingDialogs dialogs;
  std::unique_ptr<MainForm> form;
};

// Sends a drag's entry and drop to a widget; true when it took the drop.
inline bool DragOnto(QWidget* target, QMimeData* data) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

// Closes a window from its frame and lets what it unloads go.
inline void Close(QWidget* window) {
  ASSERT_NE(window, nullptr);
  window->close();
  FlushUnloads();
}

// Fires one timer of a window `times` times; it runs at its own interval and never by the clock.
inline void Tick(QWidget* window, const char* timer, int intervalMs, int times = 1) {
  for (QPointer<QWidget> w = window; times-- > 0;) {
    auto* ticker = w ? w->findChild<Ticker*>(timer) : nullptr;
    ASSERT_NE(ticker, nullptr) << "no " << timer << " in the window, or no window";
    EXPECT_EQ(ticker->Interval(), intervalMs);
    EXPECT_FALSE(ticker->IsRunning());
    ticker->Tick();
    FlushUnloads();
  }
}

// The window test's installation and recorders, without its main window; the windows the
// sequence shows and hides, and its one-second holds ("pause"), join the outside's events.
struct StartSequenceTest : ::testing::Test, FormOnDisk {
  StartSequenceTest() { qApp->installEventFilter(&outside); }

  // The sample's whole installation in `relative` below the game directory; gives its place.
  std::string Install(const std::string& relative) const {
    game.MakeDir(relative);
    std::filesystem::copy(QUORVANE_TEST_DATA "/app/complete", game.Path(relative),
                          std::filesystem::copy_options::recursive);
    return game.Path(relative).string();
  }
  // The settings file names `place`; without one this is the first run. A server is looked for by
  // default in `installDirs`.
  void Start(const std::optional<std::string>& place = {}, Words installDirs = {}) {
    form.reset();
    if (place) game.Write("program/Quorvane.ini", *place + "\r\n");
    const app::StartPlaces places{game.Path("program").string() + "\\Quorvane.ini", std::move(installDirs)};
    const auto pause = [this] { outside.events.push_back("pause"); };
    SequenceServices services{fs, outside, dialogs, outside, outside, places, TimerMode::Driven, pause};
    // The platform's own sockets, SteamCMD runs, path resolution and window menu, as main.cpp hands them over.
    services.links = platform::UdpServerLinks();
    services.machine = platform::ThisMachine();
    services.resolvePath = [](std::string_view text) { return platform::ResolvePath(text); };
    services.winePrefix = platform::DefaultWinePrefix;
    services.removeCloseEntry = platform::RemoveCloseEntry;
    if (arrangeServices) arrangeServices(services);
    sequence = std::make_unique<StartSequence>(std::move(services));
    QObject::connect(sequence.get(), &StartSequence::ended, [this](int code) { ends.push_back(code); });
    sequence->Start();
  }
  // The sample installed in <game>/server and named by the settings file, past the opening window.
  MainForm* StartPastIntro() {
    Start(Install("server"));
    Tick(sequence->IntroWindow(), "Timer1", 4500);
    return sequence->Main();
  }
  // The events with the game directory and the separator after it written "<game>/".
  Words InGame() const {
    const std::string dir = game.GameDir() + static_cast<char>(std::filesystem::path::preferred_separator);
    Words lines = outside.events;
    for (std::string& line : lines) {
      for (std::size_t at = line.find(dir); at != std::string::npos; at = line.find(dir))
        line.replace(at, dir.size(), "<game>/");
    }
    return lines;
  }
  void ExpectEnded() {
    EXPECT_EQ(ends, std::vector<int>{0});
    EXPECT_TRUE(sequence->LoadedWindows().isEmpty());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }
  void TearDown() override {
    qApp->removeEventFilter(&outside);
    sequence.reset();
    FlushUnloads();
  }

  std::unique_ptr<StartSequence> sequence;
  std::vector<int> ends;
  // Changes the services before the sequence gets them, when set.
  std::function<void(SequenceServices&)> arrangeServices;
};

// The list's entries joined with commas.
inline QString Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out.join(',');
}

}  // namespace quorvane::ui::fixtures
