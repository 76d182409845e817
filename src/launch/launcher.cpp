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

// Plays the cue that goes before a start; says so when no map is chosen.
std::optional<LaunchOutcome> RefuseWithoutMap(const LaunchForm& form, SoundPlayer& sound) {
  if (form.startingMap.empty()) {
    sound.PlaySoundCue(kUhOhCue);
    return LaunchOutcome{kNoMapMessage, true};
  }
  sound.PlaySoundCue(kCommandCue);
  return std::nullopt;
}

// "Quorvane could not start <what>: <reason>" when the start failed.
LaunchOutcome Said(const std::string& what, const StartResult& result) {
  if (result.ok) return {};
  std::string text = kStartFailed;
  text += what;
  if (!result.reason.empty()) {
    text += ": ";
    text += result.reason;
  }
  return {text, false};
}

// One of the game's programs under GameDir, started hidden with GameDir as its
// working directory; the parameter pieces arrive joined and unchanged.
LaunchRequest GameRequest(const std::string& gameDir, std::string_view program, std::string parameters) {
  return LaunchRequest{kOpenVerb, install::GamePath(gameDir, program), std::move(parameters), gameDir, kHide};
}

}  // namespace

Launcher::Launcher(install::FileSystem& fs, SoundPlayer& sound, ProcessStarter& starter, ServerControl& server)
    : m_fs(fs), m_sound(sound), m_starter(starter), m_server(server) {}

LaunchOutcome Launcher::StartDedicatedServer(const LaunchForm& form) {
  if (auto refused = RefuseWithoutMap(form, m_sound)) return *refused;
  return LaunchDedicatedServer(form);
}

LaunchOutcome Launcher::StartListenServer(const LaunchForm& form) {
  if (!m_fs.IsPresent(install::GamePath(form.gameDir, install::kListenServerCfg))) {
    // This press only creates the file; the next one starts the game.
    const config::WriteResult written = config::WriteListenServerCfg(m_fs, form.gameDir, form.fields);
    if (!written) return {kWriteFailed + written.file + ": " + written.reason, false};
    return {};
  }
  if (auto refused = RefuseWithoutMap(form, m_sound)) return *refused;
  return LaunchListenServer(form);
}

LaunchOutcome Launcher::LaunchDedicatedServer(const LaunchForm& form) {
  m_starter.SetCurrentDirectory(form.gameDir);
  const LaunchRequest request = GameRequest(
      form.gameDir, install::kHldsExe, " -game tfc -port " + form.fields.GetText("port") + " +map " + form.startingMap);
  const StartResult result = m_starter.Start(request);
  // A server started earlier may still run; the stop finds it by what it runs.
  if (result.started) m_startedServer = result.started;
  return Said(request.file, result);
}

LaunchOutcome Launcher::LaunchListenServer(const LaunchForm& form) {
  m_starter.SetCurrentDirectory(form.gameDir);
  const LaunchRequest request = GameRequest(
      form.gameDir, install::kHlExe,
      " -game tfc -console +sv_lan 0 +maxplayers " + form.fields.GetText("maxplayers") + " +map " + form.startingMap);
  return Said(request.file, m_starter.Start(request));
}

LaunchOutcome Launcher::JoinYourGame(const std::string& gameDir) {
  m_sound.PlaySoundCue(kJoinCue);
  const LaunchRequest request = GameRequest(gameDir, install::kHlExe, kJoinParameters);
  return Said(request.file, m_starter.Start(request));
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

LaunchOutcome Launcher::EmailComments() { return OpenLink(std::string("mailto:") + install::kMailAddress); }

LaunchOutcome Launcher::OpenWebsite() { return OpenLink(install::kDownloadPage); }

LaunchOutcome Launcher::OpenLink(const std::string& link) { return Said(link, m_starter.OpenLink(link)); }

}  // namespace quorvane::launch
