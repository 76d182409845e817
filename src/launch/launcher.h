#pragma once
// The launch, join, stop and link operations of the map tab. The core builds
// each request; ProcessStarter and ServerControl (platform/) carry it out.
#include <optional>
#include <string>

#include "config/field_values.h"
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

// A start's outcome: the result every layer gives, and what was started.
struct [[nodiscard]] StartResult : install::IoResult {
  // The started program as ServerControl knows it, where the system tells
  // (on Linux its process group); a stop ends this one before any other.
  using Started = std::optional<long long>;
  Started started;

  static StartResult Success(Started started = std::nullopt) { return {{}, started}; }
  static StartResult Failure(std::string why) { return {install::IoResult::Failure(std::move(why)), std::nullopt}; }
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

// What the launch buttons read from the main window.
struct LaunchForm {
  std::string gameDir;      // GamePath text
  std::string startingMap;  // Combo1 text
  config::FieldValues fields;
};

// What the window is to do after a launch button: the message to give (an OK
// box titled "Quorvane"; empty for none) and whether Combo1 takes the focus.
struct [[nodiscard]] LaunchOutcome {
  std::string message;
  bool focusStartingMap = false;
};

class Launcher {
 public:
  Launcher(install::FileSystem& fs, SoundPlayer& sound, ProcessStarter& starter, ServerControl& server);

  LaunchOutcome StartDedicatedServer(const LaunchForm& form);  // Command2
  LaunchOutcome StartListenServer(const LaunchForm& form);     // Command20
  LaunchOutcome JoinYourGame(const std::string& gameDir);      // Command4
  void StopDedicatedServer();                                  // Command21
  LaunchOutcome EmailComments();                               // Command6
  LaunchOutcome OpenWebsite();                                 // Command7

  // The dedicated server started from here is still up (its files are in use).
  [[nodiscard]] bool StartedServerRunning();

  LaunchOutcome LaunchDedicatedServer(const LaunchForm& form);
  LaunchOutcome LaunchListenServer(const LaunchForm& form);

  // The dedicated server this program started: still running, gone without a
  // stop from here (said once, then forgotten), or none.
  enum class Watch { None, Running, Ended };
  [[nodiscard]] Watch WatchStartedServer();
  // The process (group) of the dedicated server started from here, until it is found gone.
  std::optional<ServerControl::Handle> StartedServer() const { return m_startedServer; }

 private:
  LaunchOutcome OpenLink(const std::string& link);

  install::FileSystem& m_fs;
  SoundPlayer& m_sound;
  ProcessStarter& m_starter;
  ServerControl& m_server;
  // The dedicated server the last start gave, until it is found gone.
  std::optional<ServerControl::Handle> m_startedServer;
};

}  // namespace quorvane::launch
