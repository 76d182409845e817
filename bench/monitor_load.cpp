// The monitor under load, measured rather than asserted:
//   monitor_load flood [lines-per-second] [seconds]
//     log lines over loopback into an open monitor window; reports how late a
//     10 ms timer on the window's event loop fires (p50/p99/max) and the peak
//     resident memory against the scrollback cap.
//   monitor_load idle PORT [seconds]
//     the status line and the program's server watch (the monitor closed)
//     beside a server that answers at PORT with the console password "idle":
//     the watch hears its live log and asks `status` for the player history;
//     reports the CPU time used as a share of one core.
#include <QApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/server_console.h"
#include "ui/ansi_text.h"
#include "ui/player_history.h"
#include "ui/server_monitor.h"
#include "ui/server_watch.h"
#include "ui/status_line.h"

namespace {

long PeakRssKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// A log packet as the server sends it: mostly kills, and every tenth line a player
// coming or going, so that the player history really writes.
QByteArray LogPacket(long n) {
  std::string message;
  const std::string joiner = "\"Joiner" + std::to_string(n / 20) + "<" + std::to_string(100 + n / 20) +
                             "><STEAM_0:0:" + std::to_string(n / 20) + "><>\"";
  if (n % 20 == 0)
    message = joiner + " connected, address \"10.0." + std::to_string(n / 20 % 250) + ".1:27005\"";
  else if (n % 20 == 10)
    message = joiner + " disconnected";
  else
    message = "\"Player" + std::to_string(n % 32) + "<" + std::to_string(n % 32 + 2) +
              "><STEAM_0:1:" + std::to_string(n) + "><Blue>\" killed \"Other<9><STEAM_0:0:1><Red>\" with \"rocket\"";
  const std::string text = "\xFF\xFF\xFF\xFFlog L 01/31/2024 - 21:05:09: " + message + "\n";
  return QByteArray(text.data(), static_cast<qsizetype>(text.size() + 1));
}

int Flood(int rate, int seconds) {
  // The sender stands for the server: the monitor hears only the address it watches.
  std::uint16_t port = 0;
  {
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::LocalHost, 0)) return std::fprintf(stderr, "no free port\n"), 1;
    port = probe.localPort();
  }
  quorvane::ui::MonitorSources sources;
  sources.links = quorvane::platform::UdpServerLinks();
  sources.port = port;
  const QString settings = QString::fromStdString("/tmp/monitor_load_" + std::to_string(port) + ".ini");
  sources.settingsFile = settings;
  // The player history records as in the program, fed by the watch whose log the window shows.
  const std::filesystem::path historyFile =
      std::filesystem::temp_directory_path() / ("monitor_load_" + std::to_string(port)) / "players.sqlite3";
  quorvane::ui::PlayerHistory history(historyFile);
  quorvane::ui::ServerWatch watch({.links = sources.links, .settingsFile = settings, .history = &history});
  watch.Watch(port, "tfc");
  sources.watch = &watch;
  sources.history = &history;
  quorvane::ui::ServerMonitor window(std::move(sources));
  window.show();
  const long before = PeakRssKiB();
  const std::uint16_t to = watch.LogPort();

  std::atomic<bool> done{false};
  std::atomic<long> sent{0};
  std::thread flood([&] {
    QUdpSocket s;
    if (!s.bind(QHostAddress::LocalHost, port)) std::fprintf(stderr, "cannot bind the sender\n");
    const auto start = std::chrono::steady_clock::now();
    const long total = static_cast<long>(rate) * seconds;
    for (long n = 0; n < total; ++n) {
      // Paced per millisecond so the flood is even, not one burst.
      const auto due = start + std::chrono::microseconds(n * 1000000L / rate);
      if (n % std::max(1, rate / 1000) == 0) std::this_thread::sleep_until(due);
      s.writeDatagram(LogPacket(n), QHostAddress::LocalHost, to);
      sent = n + 1;
    }
    done = true;
  });

  std::vector<double> late;
  QElapsedTimer clock;
  clock.start();
  qint64 last = clock.nsecsElapsed();
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(10);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    late.push_back(std::max(0.0, (now - last) / 1e6 - 10.0));
    last = now;
    if (done && clock.elapsed() > seconds * 1000 + 500) QCoreApplication::quit();
  });
  tick.start();
  QApplication::exec();
  flood.join();

  std::sort(late.begin(), late.end());
  auto at = [&](double q) { return late.empty() ? 0.0 : late[static_cast<std::size_t>(q * (late.size() - 1))]; };
  const long after = PeakRssKiB();
  std::printf("flood: %d lines/s for %d s, %ld sent, %llu heard, %zu kept (cap %zu)\n", rate, seconds, sent.load(),
              static_cast<unsigned long long>(window.Log().Added()), window.Log().Size(), window.Log().Cap());
  std::printf("timer lateness ms: p50 %.2f  p99 %.2f  max %.2f  (%zu ticks)\n", at(0.5), at(0.99), at(1.0),
              late.size());
  std::printf("peak RSS: %.1f MiB at start, %.1f MiB at the end (+%.1f MiB)\n", before / 1024.0, after / 1024.0,
              (after - before) / 1024.0);
  history.Flush();
  std::size_t players = 0;
  if (quorvane::people::PlayerStore* store = history.Store())
    if (const auto rows = store->Search("Joiner", 1000000)) players = rows->size();
  std::error_code ignored;
  std::printf("player history: %zu players recorded, %.1f MiB on disk\n", players,
              static_cast<double>(std::filesystem::file_size(historyFile, ignored)) / (1024.0 * 1024.0));
  std::remove(settings.toStdString().c_str());
  std::filesystem::remove_all(historyFile.parent_path());
  return 0;
}

int Idle(int port, int seconds) {
  quorvane::ui::StatusLine line(
      {[port] { return std::to_string(port); }, [] { return quorvane::launch::Launcher::Watch::None; }});
  line.UseLinks(quorvane::platform::UdpServerLinks());
  line.show();
  const std::filesystem::path historyFile =
      std::filesystem::temp_directory_path() / ("monitor_load_idle_" + std::to_string(port)) / "players.sqlite3";
  quorvane::ui::PlayerHistory history(historyFile);
  const QString settings = QString::fromStdString("/tmp/monitor_load_idle_" + std::to_string(port) + ".ini");
  quorvane::ui::ServerWatch watch({.links = quorvane::platform::UdpServerLinks(),
                                   .password =
                                       [] {
                                         return quorvane::monitor::ConsolePassword{true, "", "idle"};
                                       },
                                   .settingsFile = settings,
                                   .history = &history});
  watch.Watch(static_cast<std::uint16_t>(port), "tfc");
  long lines = 0;
  QObject::connect(&watch, &quorvane::ui::ServerWatch::logLine, [&lines] { ++lines; });
  const std::clock_t cpu0 = std::clock();
  QElapsedTimer wall;
  wall.start();
  QTimer::singleShot(seconds * 1000, [] { QCoreApplication::quit(); });
  QApplication::exec();
  const double cpu = static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
  std::printf("idle: %s, %ld log lines heard\n", line.text().toUtf8().constData(), lines);
  std::printf("CPU %.3f s over %.1f s = %.2f %% of one core\n", cpu, wall.elapsed() / 1000.0,
              100.0 * cpu / (wall.elapsed() / 1000.0));
  std::remove(settings.toStdString().c_str());
  std::filesystem::remove_all(historyFile.parent_path());
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  quorvane::ui::UseCodePage(quorvane::platform::AnsiToUtf8, quorvane::platform::Utf8ToAnsi);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "flood") return Flood(argc > 2 ? std::stoi(argv[2]) : 50000, argc > 3 ? std::stoi(argv[3]) : 10);
  if (mode == "idle" && argc > 2) return Idle(std::stoi(argv[2]), argc > 3 ? std::stoi(argv[3]) : 60);
  std::fprintf(stderr, "usage: monitor_load flood [lines-per-second] [seconds] | idle PORT [seconds]\n");
  return 2;
}
