// The built program as a process. Started where its windows have no display:
// a plain word and status 1, never the window system's abort; the terminal
// modes run as ever, since they need no display. Started at all: the sound
// system and the network stack wait until something needs them.
#include <gtest/gtest.h>

#include <QProcess>

#include "support/standin_server.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

struct ProgramRun {
  int exitCode = -1;
  bool crashed = true;
  QString out;
  QString err;
};

// The program with the display variables cleared and `set` added to its environment.
ProgramRun RunProgram(const QStringList& arguments, const QStringList& set = {}) {
  fixtures::App();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  for (const QString& pair : set) environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
  QProcess program;
  program.setProcessEnvironment(environment);
  program.start(QUORVANE_PROGRAM, arguments);
  EXPECT_TRUE(program.waitForFinished(60000));
  return {program.exitCode(), program.exitStatus() == QProcess::CrashExit,
          QString::fromLocal8Bit(program.readAllStandardOutput()),
          QString::fromLocal8Bit(program.readAllStandardError())};
}

struct NoDisplayCase {
  const char* name;
  QStringList arguments;
  QStringList environment;
  const char* message;
};

class ProgramWithoutDisplayTest : public ::testing::TestWithParam<NoDisplayCase> {};

TEST_P(ProgramWithoutDisplayTest, saysSoInAWordAndEndsWithStatusOne) {
  const NoDisplayCase& c = GetParam();
  const ProgramRun run = RunProgram(c.arguments, c.environment);
  EXPECT_FALSE(run.crashed);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err.toStdString(), c.message);
  EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

// Display numbers far above any a test machine runs.
INSTANTIATE_TEST_SUITE_P(
    Displays, ProgramWithoutDisplayTest,
    ::testing::Values(
        NoDisplayCase{"noDisplayVariables",
                      {},
                      {},
                      "quorvane: there is no display to open the windows on. The terminal modes need none: see "
                      "quorvane --help.\n"},
        NoDisplayCase{"anXDisplayWithNothingThere",
                      {},
                      {"DISPLAY=:987"},
                      "quorvane: cannot open the display :987. The terminal modes need none: see quorvane --help.\n"},
        NoDisplayCase{"aDisplayArgumentWithNothingThere",
                      {"-display", ":986"},
                      {},
                      "quorvane: cannot open the display :986. The terminal modes need none: see quorvane --help.\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramWithoutDisplay, aChosenWindowSystemThatCannotStart_isNamedWithoutAbortOrAdviceToReinstall) {
  const ProgramRun run = RunProgram({}, {"QT_QPA_PLATFORM=xcb"});
  EXPECT_FALSE(run.crashed);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(
      run.err.endsWith("quorvane: the window system xcb cannot be started. The terminal modes need none: see "
                       "quorvane --help.\n"))
      << run.err.toStdString();
  EXPECT_FALSE(run.err.contains("Reinstall")) << run.err.toStdString();
}

TEST(TerminalModeWithoutDisplay, helpAnswersAsEver) {
  const ProgramRun run = RunProgram({"--help"});
  EXPECT_FALSE(run.crashed);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("--query")) << run.out.toStdString();
}

TEST(ProgramStartTest, loadsNeitherQtMultimediaNorQtNetworkBeforeItNeedsThem) {
  // The dynamic loader names every library it maps.
  const ProgramRun run = RunProgram({"--version"}, {"LD_DEBUG=files"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.err.contains("libQt6Core")) << "the loader said nothing";
  EXPECT_FALSE(run.err.contains("libQt6Multimedia"));
  EXPECT_FALSE(run.err.contains("libQt6Network"));
}

// The query loads the sockets at run time; without a display they load all the same.
TEST(TerminalModeWithoutDisplay, queryOfARunningServer_printsItsInfo) {
  fixtures::App();
  const test_support::StandInServer server("hostname \"No Display\"\r\n");
  const ProgramRun run = RunProgram({"--query", QString::fromStdString(server.Target())});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains("No Display")) << run.out.toStdString();
}

}  // namespace
}  // namespace quorvane::ui
