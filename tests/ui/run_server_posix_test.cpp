// `quorvane --run-server` end to end: the built program keeps the stand-in
// server running with the test's short times, in an installation of its own.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>

#include "store/sqlite_player_store.h"
#include "support/standin_processes.h"
#include "support/standin_server.h"
#include "ui/command_line.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

namespace fs = std::filesystem;

// grace 20 s (no hang unless a row wants one), restarts after 1, 2, 2 s.
constexpr const char* kTimes = "grace=20,answer=3,query=1,kill=1,first=1,max=2,healthy=60,loop=5/60";

// The program copied beside its own Quorvane.ini (the stored location), its
// modules reached as from an installation, the stand-in as the server, and
// every place it keeps things inside the scratch folder.
class RunServer : public ::testing::Test {
 protected:
  void SetUp() override {
    fixtures::App();
    const fs::path root = Root();
    fs::create_directories(root / "bin");
    fs::create_directories(root / "srv" / "tfc");
    fs::copy_file(QUORVANE_PROGRAM, root / "bin" / "quorvane");
    fs::create_directory_symlink(fs::path(QUORVANE_PROGRAM).parent_path().parent_path() / "lib", root / "lib");
    Write(root / "bin" / "Quorvane.ini", "\"" + (root / "srv").string() + "\"\r\n");
    Write(root / "srv" / "tfc" / "server.cfg", "port \"" + std::to_string(m_port) + "\"\r\n");
    Write(root / "srv" / "tfc" / "mapcycle.txt", "2fort\r\nwell\r\n");
    test_support::InstallStandIn(root / "srv" / "hlds_linux");
    m_env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QUORVANE_STANDIN_IGNORE_TERM", "QUORVANE_STANDIN_CHILD"})
      m_env.remove(name);
    for (const char* place : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"}) {
      fs::create_directories(root / place);
      m_env.insert(place, QString::fromStdString((root / place).string()));
    }
    m_env.insert("QUORVANE_SUPERVISE_TIMES", kTimes);
    m_env.insert("QUORVANE_STANDIN_RUNS", QString::fromStdString((root / "runs").string()));
  }
  void TearDown() override {
    for (QProcess* program : {&m_program, &m_second}) {
      if (program->state() != QProcess::NotRunning) program->kill();
      program->waitForFinished(5000);
    }
    EXPECT_TRUE(test_support::EndAll(Root() / "srv", {})) << "a server outlived the test";
  }

  fs::path Root() const { return fs::path(m_dir.path().toStdString()); }
  static void Write(const fs::path& file, const std::string& text) {
    QFile out(QString::fromStdString(file.string()));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text.data(), static_cast<qint64>(text.size()));
  }
  void Start(QProcess& program, const QStringList& arguments = {"--run-server"}) {
    program.setProcessEnvironment(m_env);
    program.start(QString::fromStdString((Root() / "bin" / "quorvane").string()), arguments);
    ASSERT_TRUE(program.waitForStarted());
  }
  // Reads standard error until it has said `text` `times` times.
  bool AwaitSaid(QProcess& program, const QString& text, int times = 1, int timeoutMs = 30000) {
    QString& said = &program == &m_program ? m_said : m_secondSaid;
    return QTest::qWaitFor(
               [&] {
                 said += QString::fromLocal8Bit(program.readAllStandardError());
                 return said.count(text) >= times || program.state() == QProcess::NotRunning;
               },
               timeoutMs) &&
           said.count(text) >= times;
  }
  int Ended(QProcess& program) {
    EXPECT_TRUE(program.waitForFinished(20000));
    (&program == &m_program ? m_said : m_secondSaid) += QString::fromLocal8Bit(program.readAllStandardError());
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
  }
  QStringList Reports() const {
    return QDir(QString::fromStdString((Root() / "XDG_STATE_HOME" / "quorvane" / "crashes").string()))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  }
  QString Report(const QString& folder) const {
    QFile in(QString::fromStdString((Root() / "XDG_STATE_HOME" / "quorvane" / "crashes").string()) + "/" + folder +
             "/report.txt");
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
  }

  QTemporaryDir m_dir;
  std::uint16_t m_port = test_support::FreeUdpPort();
  QProcessEnvironment m_env;
  QProcess m_program, m_second;
  QString m_said, m_secondSaid;
};

TEST_F(RunServer, twoCrashesThenAHealthyRunGiveThreeStartsAndTwoReports) {
  m_env.insert("QUORVANE_STANDIN_END", "segv");
  m_env.insert("QUORVANE_STANDIN_END_AFTER", "0.5");
  m_env.insert("QUORVANE_STANDIN_END_RUNS", "2");
  Start(m_program);
  // A crashing run may end before its first query: only the healthy third one surely answers.
  ASSERT_TRUE(AwaitSaid(m_program, "The server started", 3)) << m_said.toStdString();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        m_said += QString::fromLocal8Bit(m_program.readAllStandardError());
        return m_said.mid(m_said.lastIndexOf("The server started")).contains("The server answers");
      },
      30000))
      << m_said.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0) << m_said.toStdString();
  EXPECT_EQ(m_said.count("The server started"), 3) << m_said.toStdString();
  EXPECT_TRUE(m_said.contains("restarting in 1 s") && m_said.contains("restarting in 2 s")) << m_said.toStdString();
  EXPECT_TRUE(m_said.contains("The server was stopped.")) << m_said.toStdString();
  const QStringList reports = Reports();
  ASSERT_EQ(reports.size(), 2);
  for (const QString& folder : reports) EXPECT_TRUE(Report(folder).contains("How it ended: SIGSEGV (signal 11)"));
}

// The live log is asked for from the first answer, as the monitor asks for it: its lines, the fatal one
// too, go into the report, the console password masked.
TEST_F(RunServer, fatalErrorOfTheLiveLogGoesIntoTheReport) {
  Write(Root() / "srv" / "tfc" / "server.cfg",
        "port \"" + std::to_string(m_port) + "\"\r\nrcon_password \"sesame\"\r\n");
  m_env.insert("QUORVANE_STANDIN_END", "fatal");
  // Time for the first answer and the live log before the fatal line, on a slow or sanitized run too.
  m_env.insert("QUORVANE_STANDIN_END_AFTER", "6");
  m_env.insert("QUORVANE_STANDIN_END_RUNS", "1");
  Start(m_program);
  ASSERT_TRUE(AwaitSaid(m_program, "The server started", 2)) << m_said.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0);
  ASSERT_EQ(Reports().size(), 1);
  const QString report = Report(Reports().front());
  EXPECT_TRUE(report.contains("Fatal error: FATAL ERROR (shutting down): Host_Error")) << report.toStdString();
  EXPECT_TRUE(report.contains("lines of the live log:")) << report.toStdString();
  EXPECT_FALSE(report.contains("sesame")) << report.toStdString();
}

// At its first answer: the server's own banned.cfg taken over once, then what it lacks of the kept bans.
TEST_F(RunServer, theKeptBansAreBackInForceFromTheFirstAnswer) {
  Write(Root() / "srv" / "tfc" / "server.cfg",
        "port \"" + std::to_string(m_port) + "\"\r\nrcon_password \"sesame\"\r\n");
  Write(Root() / "srv" / "tfc" / "banned.cfg", "banid 0.0 STEAM_0:1:77\r\n");
  {
    store::OpenedStore opened =
        store::SqlitePlayerStore::Open(Root() / "XDG_DATA_HOME" / "quorvane" / "players.sqlite3");
    ASSERT_TRUE(opened.store) << opened.message;
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    ASSERT_TRUE(opened.store->AddBans(
        {*people::MakeBan(*people::ParseBanTarget("STEAM_0:0:7"), "", "spam", now, std::chrono::minutes(30))}));
  }
  Start(m_program);
  ASSERT_TRUE(AwaitSaid(m_program, "back in force on the server (1 command(s) sent)")) << m_said.toStdString();
  EXPECT_TRUE(m_said.contains("1 ban(s) were taken over from the server's banned.cfg")) << m_said.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0);
}

// Who played is kept without a window too, and another copy of the program can look it up meanwhile.
TEST_F(RunServer, aPlayerWhoJoinsIsInThePlayerHistory) {
  Write(Root() / "srv" / "tfc" / "server.cfg",
        "port \"" + std::to_string(m_port) + "\"\r\nrcon_password \"sesame\"\r\n");
  m_env.insert("QUORVANE_STANDIN_JOIN", "Newcomer");
  Start(m_program);
  ASSERT_TRUE(AwaitSaid(m_program, "The server answers")) << m_said.toStdString();
  QString found;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        QProcess lookup;
        lookup.setProcessEnvironment(m_env);
        lookup.start(QString::fromStdString((Root() / "bin" / "quorvane").string()), {"--history", "Newcomer"});
        lookup.waitForFinished(10000);
        found = QString::fromUtf8(lookup.readAllStandardOutput());
        return found.contains("STEAM_0:0:4040");
      },
      20000))
      << found.toStdString() << m_said.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0);
}

TEST_F(RunServer, aServerThatStopsAnsweringIsEndedAndStartedAgain) {
  m_env.insert("QUORVANE_SUPERVISE_TIMES", "grace=2,answer=2,query=1,kill=1,first=1,max=2,healthy=60,loop=5/60");
  m_env.insert("QUORVANE_STANDIN_END", "deaf");
  m_env.insert("QUORVANE_STANDIN_END_AFTER", "0.5");
  m_env.insert("QUORVANE_STANDIN_END_RUNS", "1");
  Start(m_program);
  ASSERT_TRUE(AwaitSaid(m_program, "The server started", 2)) << m_said.toStdString();
  EXPECT_TRUE(m_said.contains("The server crashed (stopped answering)")) << m_said.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0);
  ASSERT_EQ(Reports().size(), 1);
  EXPECT_TRUE(Report(Reports().front()).contains("Hung: yes"));
}

TEST_F(RunServer, fiveQuickCrashesGiveUpWithTheCrashLoopCode) {
  m_env.insert("QUORVANE_STANDIN_END", "exit1");
  m_env.insert("QUORVANE_STANDIN_END_AFTER", "0.2");
  Start(m_program);
  EXPECT_EQ(Ended(m_program), kRunServerCrashLoopCode) << m_said.toStdString();
  EXPECT_TRUE(m_said.contains("The server crashed 5 times within 1 min: it is not started again."))
      << m_said.toStdString();
  EXPECT_EQ(Reports().size(), 5);
}

TEST_F(RunServer, aSecondSupervisorIsRefusedNamingTheFirst) {
  Start(m_program);
  ASSERT_TRUE(AwaitSaid(m_program, "The server answers")) << m_said.toStdString();
  Start(m_second);
  EXPECT_EQ(Ended(m_second), kRunServerLockedCode);
  EXPECT_TRUE(m_secondSaid.contains("process " + QString::number(m_program.processId()) + " keeps it running"))
      << m_secondSaid.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0);
}

// A restart every 14 s, the players warned 8 and 4 s before it, through the console.
TEST_F(RunServer, aScheduledRestartWarnsThePlayersInOrderThenStopsAndStartsTheServer) {
  Write(Root() / "srv" / "tfc" / "server.cfg",
        "port \"" + std::to_string(m_port) + "\"\r\nrcon_password \"sesame\"\r\n");
  m_env.insert("QUORVANE_RESTART_TIMES", "every=14,warnings=8/4");
  Start(m_program);
  ASSERT_TRUE(AwaitSaid(m_program, "The server started", 2, 60000)) << m_said.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0) << m_said.toStdString();
  const QStringList order = {"Told the players: Server restart in 8 seconds.",
                             "Told the players: Server restart in 4 seconds.", "Restarting the server as scheduled.",
                             "The server was stopped for its restart.", "The server started"};
  qsizetype at = m_said.indexOf("The server started");
  for (const QString& line : order) {
    const qsizetype next = m_said.indexOf(line, at + 1);
    EXPECT_GT(next, at) << line.toStdString() << " is not next in:\n" << m_said.toStdString();
    at = std::max(at, next);
  }
  QFile console(QString::fromStdString((Root() / "srv" / "standin-console.txt").string()));
  ASSERT_TRUE(console.open(QIODevice::ReadOnly));
  QStringList says;
  for (const QByteArray& line : console.readAll().split('\n'))
    if (line.startsWith("say ")) says << QString::fromUtf8(line.trimmed());
  EXPECT_EQ(says.mid(0, 2), QStringList({"say Server restart in 8 seconds.", "say Server restart in 4 seconds."}));
  EXPECT_TRUE(Reports().isEmpty());
}

// SteamCMD names a newer build than the installed one: the run says so, and at
// the scheduled restart installs it before starting the server again, the
// edited server.cfg kept.
TEST_F(RunServer, aNewerBuildIsSaidAndInstalledAtTheScheduledRestart) {
  const std::string serverCfg = "port \"" + std::to_string(m_port) + "\"\r\nrcon_password \"sesame\"\r\n";
  Write(Root() / "srv" / "tfc" / "server.cfg", serverCfg);
  fs::create_directories(Root() / "srv" / "steamapps");
  Write(Root() / "srv" / "steamapps" / "appmanifest_90.acf", "\"AppState\"\n{\n\t\"buildid\"\t\t\"100\"\n}\n");
  fs::create_directories(Root() / "tools");
  fs::copy_file(QUORVANE_STEAMCMD_STANDIN, Root() / "tools" / "steamcmd");
  fs::create_directories(Root() / "XDG_CONFIG_HOME" / "quorvane");
  Write(Root() / "XDG_CONFIG_HOME" / "quorvane" / "monitor.ini", "[restarts]\nupdateAtRestart=true\n");
  m_env.insert("PATH", QString::fromStdString((Root() / "tools").string()) + ":" + m_env.value("PATH"));
  m_env.insert("QUORVANE_STEAMCMD_LATEST_BUILD", "200");
  m_env.insert("QUORVANE_STEAMCMD_SERVER", QUORVANE_STANDIN);
  m_env.insert("QUORVANE_RESTART_TIMES", "every=12,warnings=3");
  Start(m_program);
  ASSERT_TRUE(AwaitSaid(m_program, "An update of the server is available (build 200, installed 100).", 1, 60000))
      << m_said.toStdString();
  ASSERT_TRUE(AwaitSaid(m_program, "The server started", 2, 90000)) << m_said.toStdString();
  ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
  EXPECT_EQ(Ended(m_program), 0) << m_said.toStdString();
  EXPECT_LT(m_said.indexOf("Updating the server before it starts again."), m_said.lastIndexOf("The server started"))
      << m_said.toStdString();
  QFile manifest(QString::fromStdString((Root() / "srv" / "steamapps" / "appmanifest_90.acf").string()));
  ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
  EXPECT_TRUE(manifest.readAll().contains("\"200\""));
  QFile edited(QString::fromStdString((Root() / "srv" / "tfc" / "server.cfg").string()));
  ASSERT_TRUE(edited.open(QIODevice::ReadOnly));
  EXPECT_EQ(edited.readAll().toStdString(), serverCfg);
}

}  // namespace
}  // namespace quorvane::ui
