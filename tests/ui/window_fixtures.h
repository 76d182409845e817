#pragma once
// What the window tests share: the run's one QApplication, a main window on a
// temporary installation with every outside effect recorded, and the start
// sequence with its timers driven by the test.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "support/temp_install.h"
#include "ui/dialogs.h"
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

// Message boxes that record what they would show: a message's text, or a question
// as "<? or !><title>: <text>" (? for the question icon, ! for stop); a question gets `answer`.
// `whileShown`, when set, runs while a message is up, as the user's actions do under a real box.
struct RecordingDialogs : Dialogs {
  void Inform(const QString& text, const QString&) override {
    shown << text;
    if (whileShown) whileShown();
  }
  bool AskYesNo(const QString& text, const QString& title, Icon icon) override {
    shown << (icon == Icon::Question ? "?" : "!") + title + ": " + text;
    return answer;
  }
  QStringList shown;
  bool answer = false;
  std::function<void()> whileShown;
};

// The world outside the windows: records in order the sounds played ("sound <path>"), what it is
// asked to start ("<file>|<parameters>|<directory>", answering with `result`) and pauses; finds no server,
// and a started one runs while `running` says so.
struct Outside : launch::SoundPlayer, launch::ProcessStarter, launch::ServerControl {
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
  Words events;
  launch::StartResult result;
  bool running = false;
};

// A main window on a temporary installation, with every outside effect recorded (and the
// run's one QApplication).
struct FormOnDisk {
  // With a tab, the form is also loaded and shown active on it. The fields
  // stand for a loaded workspace unless told otherwise.
  explicit FormOnDisk(int tab = -1, bool workspaceLoaded = true) {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("ui_tests"), nullptr};
    if (qApp == nullptr) new QApplication(argc, argv);  // one for the whole run
    for (const char* dir : {"tfc/maps", "valve"}) game.MakeDir(dir);
    form = std::make_unique<MainForm>(fs, dialogs, outside, outside, outside);
    form->SetGameDir(game.GameDir());
    if (workspaceLoaded) form->MarkWorkspaceLoaded();
    if (tab < 0) return;
    form->Load();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Find<QTabWidget>("SSTab1")->setCurrentIndex(tab);
  }
  template <typename T = QWidget>
  T* Find(const char* name) const { return form->findChild<T*>(QLatin1String(name)); }
  void Click(const char* name) const { QTest::mouseClick(Find(name), Qt::LeftButton); }

  test_support::TempInstall game;
  platform::NativeFileSystem fs;
  RecordingDialogs dialogs;
  Outside outside;
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

inline void FlushUnloads() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

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

// The window test's installation and recorders, without its main window.
struct StartSequenceTest : ::testing::Test, FormOnDisk {
  // With an installation, the settings file points at it; without, this is the first run.
  void Start(bool installed) {
    form.reset();
    if (installed) {
      for (const char* made : {"tfc", "valve"})
        std::filesystem::remove_all(game.Path(made));  // the copy brings its own
      std::filesystem::copy(QUORVANE_TEST_DATA "/app/complete", game.GameDir(),
                            std::filesystem::copy_options::recursive);
      game.Write("program/Quorvane.ini", game.GameDir() + "\r\n");
    }
    const app::StartPlaces places{game.Path("program").string() + "\\Quorvane.ini", {}};
    sequence = std::make_unique<StartSequence>(
        SequenceServices{fs, outside, dialogs, outside, outside, places, TimerMode::Driven, [] {}});
    QObject::connect(sequence.get(), &StartSequence::ended, [this](int code) { ends.push_back(code); });
    sequence->Start();
  }
  void ExpectEnded() {
    EXPECT_EQ(ends, std::vector<int>{0});
    EXPECT_TRUE(sequence->LoadedWindows().isEmpty());
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }
  void TearDown() override {
    sequence.reset();
    FlushUnloads();
  }

  std::unique_ptr<StartSequence> sequence;
  std::vector<int> ends;
};

}  // namespace quorvane::ui::fixtures
