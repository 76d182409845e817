// The program's watch of the local server, against the stand-in on a free loopback port.
#include <QLineEdit>
#include <QTemporaryDir>
#include <filesystem>
#include <optional>

#include "support/standin_server.h"
#include "ui/main_form.h"
#include "ui/player_history.h"
#include "ui/server_watch.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

// Long enough for a silence to count as the server gone.
bool Await(const std::function<bool()>& done) { return QTest::qWaitFor(done, 20000); }

const std::string kServerCfg = "rcon_password \"se cret\"\r\n";

// The players the history holds, each as "name:sessions".
QStringList Recorded(PlayerHistory& history) {
  history.Flush();
  QStringList found;
  people::PlayerStore* store = history.Store();
  const auto rows = store ? store->Search("", 10) : people::StoreAnswer<std::vector<people::PlayerRow>>{};
  if (rows)
    for (const people::PlayerRow& row : *rows)
      found << QString::fromStdString(row.lastName) + ":" + QString::number(row.sessions);
  return found;
}

TEST(ServerWatch, saysWhenTheServerCameUpAndWhenItWentDown) {
  fixtures::App();
  const std::uint16_t port = test_support::FreeUdpPort();
  ServerWatch watch({.links = platform::UdpServerLinks()});
  QStringList heard;
  QObject::connect(&watch, &ServerWatch::cameUp, [&] { heard << "up"; });
  QObject::connect(&watch, &ServerWatch::wentDown, [&] { heard << "down"; });
  watch.Watch(port, "tfc");
  std::optional<test_support::StandInServer> server(std::in_place, kServerCfg, QStringList{}, port);
  ASSERT_TRUE(Await([&] { return !heard.isEmpty(); }));
  server.reset();
  ASSERT_TRUE(Await([&] { return heard.size() == 2; })) << heard.join(',').toStdString();
  server.emplace(kServerCfg, QStringList{}, port);
  ASSERT_TRUE(Await([&] { return heard.size() == 3; })) << heard.join(',').toStdString();
  EXPECT_EQ(heard, (QStringList{"up", "down", "up"}));
}

// The main window's watch follows its port field; the monitor is never opened.
TEST(ServerWatch, aPlayerWhoJoinsWhileTheMonitorIsClosedIsInTheHistory) {
  fixtures::FormOnDisk on;
  on.game.Write("tfc/server.cfg", kServerCfg);
  test_support::StandInServer server(kServerCfg, {"QUORVANE_STANDIN_JOIN=Newcomer"});
  QTemporaryDir dir;
  PlayerHistory history(std::filesystem::path(dir.filePath("players.sqlite3").toStdString()));
  ServerWatch watch(
      {.links = platform::UdpServerLinks(), .settingsFile = dir.filePath("monitor.ini"), .history = &history});
  on.form->UseServerWatch(watch);
  on.Find<QLineEdit>("port")->setText(QString::number(server.Port()));
  ASSERT_TRUE(Await([&] { return Recorded(history).contains("Newcomer:1"); }))
      << Recorded(history).join(',').toStdString();
  // On before the log was: heard from `status`.
  EXPECT_TRUE(Recorded(history).contains("Alpha:1")) << Recorded(history).join(',').toStdString();
  EXPECT_EQ(on.form->findChild<ServerMonitor*>(), nullptr);
}

}  // namespace
}  // namespace quorvane::ui
