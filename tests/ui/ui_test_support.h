#pragma once
// What the window tests share: one QApplication, recording stand-ins for the
// message boxes, sounds and process starts, and a main window opened on a real
// temporary installation.
#include <QApplication>
#include <QTest>
#include <deque>
#include <memory>

#include "launch/launcher.h"
#include "platform/file_system.h"
#include "support/temp_install.h"
#include "ui/dialogs.h"
#include "ui/main_form.h"

namespace quorvane::ui::test {

inline void TestApp() {
  static int argc = 1;
  static char* argv[] = {const_cast<char*>("ui_tests"), nullptr};
  if (qApp == nullptr) new QApplication(argc, argv);  // lives for the whole run
}

// Message boxes that record what they would show; questions take the queued answers, then No.
class RecordingDialogs : public Dialogs {
 public:
  struct Shown {
    QString text, title;
    bool question;
    Icon icon;
  };
  void Inform(const QString& text, const QString& title) override { shown.push_back({text, title, false, Icon::Stop}); }
  bool AskYesNo(const QString& text, const QString& title, Icon icon) override {
    shown.push_back({text, title, true, icon});
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  QStringList Texts() const {
    QStringList texts;
    for (const Shown& s : shown) texts << s.text;
    return texts;
  }
  std::vector<Shown> shown;
  std::deque<bool> answers;
};

struct RecordingSound : launch::SoundPlayer {
  void PlaySoundCue(const std::string& path) override { played.push_back(path); }
  std::vector<std::string> played;
};

struct NoStarter : launch::ProcessStarter {
  launch::StartResult Start(const launch::LaunchRequest&) override { return {}; }
  void SetCurrentDirectory(const std::string&) override {}
  launch::StartResult OpenLink(const std::string&) override { return {}; }
};

struct NoServer : launch::ServerControl {
  std::optional<Handle> FindServer() override { return std::nullopt; }
  void Terminate(Handle) override {}
  void Pause(int) override {}
  void SendClose(Handle) override {}
};

// A main window on a temporary installation, with every outside effect recorded.
struct FormOnDisk {
  FormOnDisk() {
    TestApp();
    game.MakeDir("tfc/maps");
    game.MakeDir("valve");
    form = std::make_unique<MainForm>(fs, dialogs, sound, starter, server);
    form->SetGameDir(game.GameDir());
  }
  template <typename T = QWidget>
  T* Find(const char* name) const {
    return form->findChild<T*>(QLatin1String(name));
  }
  void Click(const char* name) const { QTest::mouseClick(Find(name), Qt::LeftButton); }

  test_support::TempInstall game;
  platform::NativeFileSystem fs;
  RecordingDialogs dialogs;
  RecordingSound sound;
  NoStarter starter;
  NoServer server;
  std::unique_ptr<MainForm> form;
};

}  // namespace quorvane::ui::test
