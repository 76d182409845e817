#include "launch/launcher.h"

#include "config/cfg_writer.h"
#include "install/build_info.h"
#include "install/game_paths.h"

namespace quorvane::launch {

namespace {

constexpr const char* kUhOhCue = "c:\\windows\\media\\uhoh.wav";
constexpr const char* kCommandCue = "c:\\windows\\media\\Military_command.wav";
constexpr const char* kJoinCue = "c:\\windows\\media\\launch.wav";
constexpr const char* kNoMapMessage = "You Must Select a Starting Map Before you can Start a Game.";
constexpr const char* kStartFailed = "Quorvane could not start ";
const std::string kWriteFailed = "Quorvane could not write ";
constexpr const char* kOpenVerb = "Open";
constexpr const char* kJoinParameters = " -console +connect 127.0.0.1:27016";
constexpr int kStopPauseMs = 1000;
constexpr int kHide = 0;

// Plays the cue that goes before a start; tells the user when no map is chosen.
bool StartingMapChosen(LaunchWindow& window, SoundPlayer& sound) {
  if (window.StartingMap().empty()) {
    sound.PlaySoundCue(kUhOhCue);
    window.ShowMessage(kNoMapMessage);
    window.FocusStartingMap();
    return false;
  }
  sound.PlaySoundCue(kCommandCue);
  return true;
}

// One of the game's programs under GameDir, started hidden with GameDir as its
// working directory; the parameter pieces arrive joined and unchanged.
LaunchRequest GameRequest(const std::string& gameDir, std::string_view program, std::string parameters) {
  return LaunchRequest{kOpenVerb, install::GamePath(gameDir, program), std::move(parameters), gameDir, kHide};
}

}  // namespace

Launcher::Launcher(install::FileSystem& fs, config::FieldStore& fields, LaunchWindow& window, SoundPlayer& sound,
                   ProcessStarter& starter, ServerControl& server)
    : m_fs(fs), m_fields(fields), m_window(window), m_sound(sound), m_starter(starter), m_server(server) {}

void Launcher::StartDedicatedServer() {
  if (!StartingMapChosen(m_window, m_sound)) return;
  // The user may have changed the choice while the cue played.
  LaunchDedicatedServer(m_window.StartingMap());
}

void Launcher::StartListenServer() {
  const std::string gameDir = m_window.GameDir();
  if (!m_fs.IsPresent(install::GamePath(gameDir, install::kListenServerCfg))) {
    // This press only creates the file; the next one starts the game.
    const config::WriteResult written = config::WriteListenServerCfg(m_fs, gameDir, m_fields);
    if (!written) m_window.ShowMessage(kWriteFailed + written.file + ": " + written.reason);
    return;
  }
  if (!StartingMapChosen(m_window, m_sound)) return;
  LaunchListenServer(m_window.StartingMap());
}

void Launcher::LaunchDedicatedServer(const std::string& map) {
  const std::string gameDir = m_window.GameDir();
  m_starter.SetCurrentDirectory(gameDir);
  const StartResult::Started started =
      Launch(GameRequest(gameDir, install::kHldsExe, " -game tfc -port " + m_fields.GetText("port") + " +map " + map));
  // A server started earlier may still run; the stop finds it by what it runs.
  if (started) m_startedServer = started;
}

void Launcher::LaunchListenServer(const std::string& map) {
  const std::string gameDir = m_window.GameDir();
  m_starter.SetCurrentDirectory(gameDir);
  Launch(GameRequest(gameDir, install::kHlExe,
                     " -game tfc -console +sv_lan 0 +maxplayers " + m_fields.GetText("maxplayers") + " +map " + map));
}

void Launcher::JoinYourGame() {
  m_sound.PlaySoundCue(kJoinCue);
  const std::string gameDir = m_window.GameDir();
  Launch(GameRequest(gameDir, install::kHlExe, kJoinParameters));
}

void Launcher::StopDedicatedServer() {
  // The server this program started goes first; only when it has gone is
  // another one looked for, by what it runs, so no other program is ever ended.
  if (m_startedServer && !m_server.IsRunning(*m_startedServer)) m_startedServer.reset();
  // The pause runs even when nothing was found, so every press takes the same
  // second and the user sees the same thing whether or not a server ran.
  const std::optional<ServerControl::Handle> server = m_startedServer ? m_startedServer : m_server.FindServer();
  if (server) m_server.Terminate(*server);
  m_server.Pause(kStopPauseMs);
  if (server) m_server.SendClose(*server);
  if (m_startedServer && !m_server.IsRunning(*m_startedServer)) m_startedServer.reset();
}

bool Launcher::StartedServerRunning() {
  // Asks without forgetting: the monitor still has to learn that it ended.
  return m_startedServer && m_server.IsRunning(*m_startedServer);
}

Launcher::Watch Launcher::WatchStartedServer() {
  if (!m_startedServer) return Watch::None;
  if (m_server.IsRunning(*m_startedServer)) return Watch::Running;
  m_startedServer.reset();
  return Watch::Ended;
}

void Launcher::EmailComments() { OpenLink(std::string("mailto:") + install::kMailAddress); }

void Launcher::OpenWebsite() { OpenLink(install::kDownloadPage); }

void Launcher::OpenLink(const std::string& link) { ReportFailure(link, m_starter.OpenLink(link)); }

StartResult::Started Launcher::Launch(const LaunchRequest& request) {
  const StartResult result = m_starter.Start(request);
  ReportFailure(request.file, result);
  return result.started;
}

void Launcher::ReportFailure(const std::string& what, const StartResult& result) {
  if (result.ok) return;
  std::string text = kStartFailed;
  text += what;
  if (!result.error.empty()) {
    text += ": ";
    text += result.error;
  }
  m_window.ShowMessage(text);
}

}  // namespace quorvane::launch
