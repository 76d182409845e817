#pragma once
// The launch, join, stop and link operations of the map tab. The core builds
// each request; ProcessStarter and ServerControl (platform/) carry it out.
#include <optional>
#include <string>

#include "config/field_store.h"
#include "install/file_system.h"
#include "launch/sound_player.h"

namespace quorvane::launch {

// One shell call: program, parameter string, working directory, show command.
struct LaunchRequest {
  std::string verb;        // "Open", or empty for the default action
  std::string file;        // program path text, or a link
  std::string parameters;  // as one string, pieces joined unchanged
  std::string directory;   // working directory text
  int showCommand = 0;     // 0 = SW_HIDE
};

struct [[nodiscard]] StartResult {
  bool ok = true;
  std::string error;  // the OS's reason when the start failed
  // The started program as ServerControl knows it, where the system tells
  // (on Linux its process group); a stop ends this one before any other.
  using Started = std::optional<long long>;
  Started started;

  static StartResult Failure(std::string why) { return {false, std::move(why), std::nullopt}; }
};

class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  virtual StartResult Start(const LaunchRequest& request) = 0;
  virtual void SetCurrentDirectory(const std::string& directory) = 0;
  virtual StartResult OpenLink(const std::string& url) = 0;  // mail and web links
};

// Finds the running dedicated server and ends it.
class ServerControl {
 public:
  virtual ~ServerControl() = default;
  using Handle = long long;  // a window, process or process group the platform found or started
  // Whether the server this program started (StartResult::started) still runs.
  [[nodiscard]] virtual bool IsRunning(Handle started) = 0;
  // A running server this program did not start, judged by what it runs.
  [[nodiscard]] virtual std::optional<Handle> FindServer() = 0;
  virtual void Terminate(Handle server) = 0;
  virtual void Pause(int milliseconds) = 0;  // blocks; no events run meanwhile
  virtual void SendClose(Handle server) = 0;
};

// What the launch buttons read from and do to the main window.
class LaunchWindow {
 public:
  virtual ~LaunchWindow() = default;
  virtual std::string GameDir() const = 0;      // GamePath text
  virtual std::string StartingMap() const = 0;  // Combo1 text
  virtual void FocusStartingMap() = 0;
  virtual void ShowMessage(const std::string& text) = 0;  // OK box, "Quorvane"
};

class Launcher {
 public:
  Launcher(install::FileSystem& fs, config::FieldStore& fields, LaunchWindow& window, SoundPlayer& sound,
           ProcessStarter& starter, ServerControl& server);

  void StartDedicatedServer();  // Command2
  void StartListenServer();     // Command20
  void JoinYourGame();          // Command4
  void StopDedicatedServer();   // Command21
  void EmailComments();         // Command6
  void OpenWebsite();           // Command7

  // The dedicated server started from here is still up (its files are in use).
  [[nodiscard]] bool StartedServerRunning();

  void LaunchDedicatedServer(const std::string& map);
  void LaunchListenServer(const std::string& map);

  // The dedicated server this program started: still running, gone without a
  // stop from here (said once, then forgotten), or none.
  enum class Watch { None, Running, Ended };
  [[nodiscard]] Watch WatchStartedServer();

 private:
  // Reports a failure itself; gives what the start gave to stop it by.
  StartResult::Started Launch(const LaunchRequest& request);
  void OpenLink(const std::string& link);
  // "Quorvane could not start <what>: <reason>" when the start failed.
  void ReportFailure(const std::string& what, const StartResult& result);

  install::FileSystem& m_fs;
  config::FieldStore& m_fields;
  LaunchWindow& m_window;
  SoundPlayer& m_sound;
  ProcessStarter& m_starter;
  ServerControl& m_server;
  // The dedicated server the last start gave, until it is found gone.
  std::optional<ServerControl::Handle> m_startedServer;
};

}  // namespace quorvane::launch
