#include "ui/supervision_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace quorvane::ui {

namespace {

supervise::TimePoint Now() { return supervise::Clock::now(); }

// "Loading map "2fort"": the map the server is changing to, or empty.
std::string LoadingMap(const std::string& text) {
  constexpr std::string_view kLoading = "Loading map \"";
  const std::size_t at = text.find(kLoading);
  if (at == std::string::npos) return {};
  const std::size_t start = at + kLoading.size();
  const std::size_t end = text.find('"', start);
  return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

app::SupervisionServices WithOwnDoors(app::SupervisionServices services, SupervisionDriver* driver) {
  services.query = [] {};
  services.beforeRestart = [driver] { return driver->RunBeforeRestart(); };
  auto say = std::move(services.say);
  services.say = [driver, say](const std::string& line) {
    if (say) say(line);
    emit driver->said(QString::fromStdString(line));
  };
  return services;
}

}  // namespace

SupervisionDriver::SupervisionDriver(app::SupervisionServices services, supervise::Settings settings, QObject* parent)
    : QObject(parent), m_supervision(WithOwnDoors(std::move(services), this), settings) {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &SupervisionDriver::Tick);
}

SupervisionDriver::~SupervisionDriver() = default;

void SupervisionDriver::UseLinks(monitor::ServerLinks links, std::uint16_t port) {
  m_links = std::move(links);
  m_port = port;
  m_query.reset();
  Listen();
}

bool SupervisionDriver::Supervising() const {
  const supervise::State state = m_supervision.Current();
  return state != supervise::State::Idle && state != supervise::State::GaveUp;
}

QString SupervisionDriver::Note() const {
  const supervise::State state = m_supervision.Current();
  if (state != supervise::State::Waiting && state != supervise::State::GaveUp) return {};
  std::string line = m_supervision.StatusText();
  for (const char* tail : {" Report: ", " Quorvane could not write "})
    if (const std::size_t at = line.find(tail); at != std::string::npos) line.resize(at);
  return QString::fromStdString(line);
}

void SupervisionDriver::Start() {
  m_supervision.Start(Now());
  Arm();
}

void SupervisionDriver::Started(long long process) {
  m_supervision.Started(Now(), process);
  Arm();
}

void SupervisionDriver::Stop() {
  m_supervision.Stop(Now());
  Arm();
}

void SupervisionDriver::Release() {
  m_supervision.Release();
  Arm();
}

void SupervisionDriver::RestartNow() {
  m_supervision.RestartNow(Now());
  Arm();
}

void SupervisionDriver::ResumeRestart() {
  m_supervision.ResumeRestart(Now());
  Arm();
}

bool SupervisionDriver::SayInGame(const std::string& text) {
  if (!m_consolePassword || !m_links.console || m_port == 0) return false;
  if (m_consolePassword().empty()) return false;
  if (!m_sayConsole) {
    m_sayConsole = m_links.console();
    if (m_sayConsole && !m_sayConsole->Open("127.0.0.1", m_port)) m_sayConsole.reset();
  }
  if (!m_sayConsole) return false;
  m_says.push_back("say " + text);
  if (m_says.size() == 1) SayNext();
  return true;
}

// One command at a time: the console takes the next once the last is answered.
void SupervisionDriver::SayNext() {
  if (m_says.empty() || !m_sayConsole) {
    m_says.clear();
    return;
  }
  m_sayConsole->Run(m_says.front(), m_consolePassword ? m_consolePassword() : std::string(),
                    [this](const monitor::ConsoleStep&) {
                      // Called at once when it could not be sent: the queue moves on from the event loop.
                      QTimer::singleShot(0, this, [this] {
                        if (!m_says.empty()) m_says.pop_front();
                        SayNext();
                      });
                    });
}

void SupervisionDriver::LogLine(const monitor::LogLine& line) {
  // As the log files have it, so the report masks the password in it as the log pane does.
  char time[40];
  std::snprintf(time, sizeof time, "L %02d/%02d/%04d - %02d:%02d:%02d: ", line.month, line.day, line.year, line.hour,
                line.minute, line.second);
  const std::string text = time + line.message;
  m_supervision.LogLine(text);
  if (const std::string map = LoadingMap(text); !map.empty()) {
    m_supervision.MapChange(Now(), map);
    Arm();
  }
}

void SupervisionDriver::Tick() {
  m_supervision.Tick(Now());
  Arm();
}

// Sleeps until the next thing is due: nothing runs in between.
void SupervisionDriver::Arm() {
  Listen();
  const std::optional<supervise::TimePoint> wake = m_supervision.NextWake();
  if (m_supervision.Starts() != m_starts) {
    m_starts = m_supervision.Starts();
    emit started();
  }
  emit changed();
  if (!wake) {
    m_timer.stop();
    return;
  }
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*wake - Now());
  m_timer.start(static_cast<int>(std::clamp<long long>(wait.count(), 0, 60 * 60 * 1000)));
}

// The query runs while the server does, so its answers reach the supervisor.
void SupervisionDriver::Listen() {
  const supervise::State state = m_supervision.Current();
  const bool running = state == supervise::State::Running;
  if (!running) {
    m_query.reset();
    m_sayConsole.reset();
    m_says.clear();
    return;
  }
  if (m_query || !m_links.query || m_port == 0) return;
  m_query = m_links.query({[this](const monitor::ServerInfo& info, int) {
                             m_supervision.Answered(Now(), info.map, info.players);
                             Arm();
                             emit answered(info.players);
                           },
                           {},
                           {},
                           {}});
  if (m_query && !m_query->Start("127.0.0.1", m_port)) m_query.reset();
}

}  // namespace quorvane::ui
