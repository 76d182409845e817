#pragma once
// What the window tests share: one QApplication, recording stand-ins for the
// message boxes, sounds, process starts and server control, and a main window
// opened on a real temporary installation.
#include <QApplication>
#include <QString>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "launch/launcher.h"
#include "platform/file_system.h"
#include "ui/dialogs.h"
#include "ui/main_form.h"

namespace quorvane::ui::test {

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);  // lives for the whole run
  return *app;
}

// Message boxes that record what they would show; questions take the queued
// answers, then No.
class RecordingDialogs : public Dialogs {
 public:
  struct Shown {
    QString text;
    QString title;
    bool question = false;
    Icon icon = Icon::Stop;
  };
  void Inform(const QString& text, const QString& title) override { shown.push_back({text, title, false, Icon::Stop}); }
  bool AskYesNo(const QString& text, const QString& title, Icon icon) override {
    shown.push_back({text, title, true, icon});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QStringList Texts() const {
    QStringList texts;
    for (const Shown& s : shown) texts << s.text;
    return texts;
  }

  std::vector<Shown> shown;
  std::deque<bool> answers;
};

class RecordingSound : public launch::SoundPlayer {
 public:
  void PlaySoundCue(const std::string& path) override { played.push_back(path); }
  std::vector<std::string> played;
};

class RecordingStarter : public launch::ProcessStarter {
 public:
  launch::StartResult Start(const launch::LaunchRequest& request) override {
    started.push_back(request);
    return {};
  }
  void SetCurrentDirectory(const std::string& directory) override { directories.push_back(directory); }
  launch::StartResult OpenLink(const std::string& url) override {
    links.push_back(url);
    return {};
  }
  std::vector<launch::LaunchRequest> started;
  std::vector<std::string> directories;
  std::vector<std::string> links;
};

class NoServer : public launch::ServerControl {
 public:
  std::optional<Handle> FindServer() override { return std::nullopt; }
  void Terminate(Handle) override {}
  void Pause(int) override {}
  void SendClose(Handle) override {}
};

// A Half-Life installation in a temporary directory of its own.
class TempGameDir {
 public:
  TempGameDir() {
    std::random_device rd;
    m_root = std::filesystem::temp_directory_path() / ("quorvane-ui-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(m_root / "tfc" / "maps");
    std::filesystem::create_directories(m_root / "valve");
  }
  ~TempGameDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
  }
  TempGameDir(const TempGameDir&) = delete;
  TempGameDir& operator=(const TempGameDir&) = delete;

  std::string GameDir() const { return m_root.string(); }
  std::filesystem::path Path(const std::string& relative) const { return m_root / relative; }
  void Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::create_directories(Path(relative).parent_path());
    std::ofstream(Path(relative), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool Exists(const std::string& relative) const { return std::filesystem::exists(Path(relative)); }

 private:
  std::filesystem::path m_root;
};

// A main window on a temporary installation, with every outside effect recorded.
struct FormOnDisk {
  FormOnDisk() {
    TestApp();
    form = std::make_unique<MainForm>(fs, dialogs, sound, starter, server);
    form->SetGameDir(game.GameDir());
  }
  template <typename T>
  T* Find(const char* name) const {
    return form->findChild<T*>(QLatin1String(name));
  }

  TempGameDir game;
  platform::NativeFileSystem fs;
  RecordingDialogs dialogs;
  RecordingSound sound;
  RecordingStarter starter;
  NoServer server;
  std::unique_ptr<MainForm> form;
};

}  // namespace quorvane::ui::test
