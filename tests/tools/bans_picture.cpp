// Draws the picture of the Bans tab in the README: the monitor's tabs, taken
// out of a monitor window made on a scratch store of sample bans, at the
// size of docs/history.png.
// Usage: quorvane_bans_picture FILE.png
#include <QApplication>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "platform/codepage.h"
#include "platform/server_console.h"
#include "store/sqlite_player_store.h"
#include "ui/ansi_text.h"
#include "ui/ban_sender.h"
#include "ui/bans_tab.h"
#include "ui/dialogs.h"
#include "ui/server_monitor.h"

namespace {

using namespace quorvane;
using std::chrono::minutes;

people::Ban Sample(const char* target, const char* name, const char* reason, minutes ago,
                   std::optional<minutes> length, people::BanSource source = people::BanSource::ThisProgram) {
  const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  people::Ban ban = *people::MakeBan(*people::ParseBanTarget(target), name, reason, now - ago, length);
  ban.source = source;
  return ban;
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::UseCodePage(platform::AnsiToUtf8, platform::Utf8ToAnsi);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvane_bans_picture FILE.png\n");
    return 2;
  }
  const QTemporaryDir scratch;
  store::OpenedStore opened = store::SqlitePlayerStore::Open((scratch.path() + "/players.sqlite3").toStdString());
  if (!opened.store) {
    std::fprintf(stderr, "%s\n", opened.message.c_str());
    return 1;
  }
  people::Ban lifted = Sample("STEAM_0:0:1213", "Delta", "Team killing", minutes(25), minutes(60));
  lifted.liftedAt = lifted.madeAt + minutes(10);
  const auto added = opened.store->AddBans({
      Sample("203.0.113.0/24", "", "", minutes(9000), std::nullopt, people::BanSource::FoundInFile),
      Sample("STEAM_0:1:4242", "", "", minutes(4000), std::nullopt, people::BanSource::FoundOnServer),
      Sample("STEAM_0:1:91011", "Charlie", "Aimbot, seen in two demos", minutes(3000), std::nullopt),
      Sample("192.168.1.20", "Delta", "Voice spam from a LAN client", minutes(90), minutes(30)),
      Sample("STEAM_0:0:5678", "[LAN] Sniper Bob", "Spawn camping after two warnings", minutes(120), minutes(24 * 60)),
      lifted,
  });
  if (!added) {
    std::fprintf(stderr, "%s\n", added.message.c_str());
    return 1;
  }
  ui::BanSenderSources bans;
  bans.store = [&opened] { return opened.store.get(); };
  ui::BanSender sender(std::move(bans));
  ui::Dialogs dialogs;
  ui::MonitorSources sources;
  sources.links = platform::UdpServerLinks();
  sources.port = 9;  // nobody answers: the picture is of the tab alone
  sources.dialogs = &dialogs;
  sources.bans = &sender;
  sources.settingsFile = scratch.path() + "/monitor.ini";
  ui::ServerMonitor monitor(std::move(sources));
  auto* tabs = monitor.findChild<QTabWidget*>(QStringLiteral("PlayersAndRules"));
  auto* tab = monitor.findChild<ui::BansTab*>(QStringLiteral("Bans"));
  tabs->setParent(nullptr);
  tabs->resize(900, 420);
  tabs->setCurrentWidget(tab);
  tabs->show();
  tab->findChild<QTableWidget*>(QStringLiteral("BanList"))->selectRow(2);
  QApplication::processEvents();
  const bool saved = tabs->grab().save(QString::fromLocal8Bit(argv[1]));
  delete tabs;
  if (!saved) {
    std::fprintf(stderr, "%s could not be written.\n", argv[1]);
    return 1;
  }
  std::printf("%s\n", argv[1]);
  return 0;
}
