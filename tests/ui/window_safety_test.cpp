// What a user can do to the windows that must neither crash the program nor
// harm a file: line breaks in one-line fields, writes before the first load,
// closing the start window, a double click on Quit, and failures that must be
// shown rather than passed over.
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/shrink_window.h"
#include "support/memory_file_system.h"
#include "ui/shrink.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

// ---- Line breaks never enter a one-line field

struct LineBreakCase {
  const char* name;
  void (*put)(QLineEdit* field, const QString& text);
};

void Paste(QLineEdit* field, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  field->setFocus();
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

void Drop(QLineEdit* field, const QString& text) {
  QMimeData data;
  data.setText(text);
  EXPECT_TRUE(DragOnto(field, &data));
}

class LineBreakTest : public ::testing::TestWithParam<LineBreakCase> {};

TEST_P(LineBreakTest, eachLineBreakPutIntoAFieldReachesServerCfgAsOneBlank) {
  FormOnDisk f(1);
  GetParam().put(f.Find<QLineEdit>("hostname"), QStringLiteral("a\nrcon_password \"x\"\r\nz\rend"));
  f.Click("Command3");
  const std::string cfg = f.game.Read("tfc/server.cfg");
  EXPECT_NE(cfg.find("\"a rcon_password \"x\" z end\"\r\n"), std::string::npos) << cfg;
  EXPECT_EQ(cfg.find("\nrcon_password \"x\""), std::string::npos) << cfg;
}

INSTANTIATE_TEST_SUITE_P(Fields, LineBreakTest,
                         ::testing::Values(LineBreakCase{"paste", Paste}, LineBreakCase{"drop", Drop}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Writes before the first workspace load

struct WriteButtonCase {
  const char* button;
  int tab;
};

class WriteBeforeLoadTest : public ::testing::TestWithParam<WriteButtonCase> {};

TEST_P(WriteBeforeLoadTest, writesNothingAndSaysTheConfigurationIsNotLoaded) {
  FormOnDisk f(GetParam().tab, false);
  f.game.Write("tfc/server.cfg", "hostname \"mine\"\r\n");
  f.Click(GetParam().button);
  EXPECT_EQ(f.outside.events, Words{"message The configuration has not been loaded yet."});
  EXPECT_EQ(f.game.Read("tfc/server.cfg"), "hostname \"mine\"\r\n");
}

INSTANTIATE_TEST_SUITE_P(Buttons, WriteBeforeLoadTest,
                         ::testing::Values(WriteButtonCase{"Command1", 0}, WriteButtonCase{"Command3", 1},
                                           WriteButtonCase{"Command20", 2}, WriteButtonCase{"Command9", 2},
                                           WriteButtonCase{"Command16", 2}),
                         [](const auto& info) { return std::string(info.param.button); });

// ---- Re-reads that fail say so

struct RereadCase {
  const char* button;
  const char* file;  // after the game directory
};

class RereadFailureTest : public ::testing::TestWithParam<RereadCase> {};

TEST_P(RereadFailureTest, showsTheFileAndTheReason) {
  FormOnDisk f;  // its application and recorders; the window here works on memory
  test_support::MemoryFileSystem memory;
  const std::string path = std::string("C:\\HL") + GetParam().file;
  memory.AddFile(path, "");
  memory.FailOn(test_support::MemoryFileSystem::Op::Read, path, "Input/output error");
  MainForm form(memory, f.dialogs, f.outside, f.outside, f.outside);
  form.SetGameDir("C:\\HL");
  QTest::mouseClick(form.findChild<QPushButton*>(GetParam().button), Qt::LeftButton);
  const std::string expected = "Quorvane could not read " + path + ": Input/output error";
  EXPECT_EQ(f.dialogs.shown, QStringList{QString::fromStdString(expected)});
}

INSTANTIATE_TEST_SUITE_P(Buttons, RereadFailureTest,
                         ::testing::Values(RereadCase{"Command13", "\\Valve\\autoexec.cfg"},
                                           RereadCase{"Command12", "\\Tfc\\server.cfg"},
                                           RereadCase{"Command11", "\\Tfc\\mapcycle.txt"},
                                           RereadCase{"Command17", "\\Tfc\\motd.txt"}),
                         [](const auto& info) { return std::string(info.param.button); });

// ---- The closing shrink

// Records the outer frame a window has after each move or resize; each
// resize also asks for a new layout, as the main window's backgrounds do.
struct FrameLog : QObject {
  explicit FrameLog(QWidget* content) : content(content) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) content->updateGeometry();
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move)
      frames << static_cast<QWidget*>(watched)->frameGeometry();
    return false;
  }
  QWidget* content;
  QList<QRect> frames;
};

// The offscreen platform draws a frame of its own around a window, so its
// outer frame is larger than the inside, as under a window manager.
TEST(ShrinkWindow, theOuterFrameTakesTheLastStepEvenBelowTheLayoutsMinimum) {
  App();
  QWidget window;
  auto* tall = new QWidget;
  tall->setMinimumSize(300, 400);
  (new QVBoxLayout(&window))->addWidget(tall);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const double dpi = window.screen()->logicalDotsPerInchY();
  const auto twips = [dpi](int pixels) { return app::PixelsToTwips(pixels, dpi); };
  const auto pixels = [dpi](int twips) { return app::TwipsToPixels(twips, dpi); };
  const QRect area = window.screen()->geometry();
  const QRect frame = window.frameGeometry();
  const app::TwipRect last =
      app::ShrinkSteps({twips(frame.x()), twips(frame.y()), twips(frame.width()), twips(frame.height())},
                       twips(area.width()), twips(area.height()))
          .back();
  FrameLog log(tall);
  window.installEventFilter(&log);
  ASSERT_TRUE(ShrinkWindow(window));
  ASSERT_FALSE(log.frames.isEmpty());
  EXPECT_EQ(log.frames.last(), QRect(pixels(last.left), pixels(last.top), pixels(last.width), pixels(last.height)));
  EXPECT_FALSE(window.isVisible());
}

// ---- The start and closing sequence under hasty hands

TEST_F(StartSequenceTest, closingTheMainWindowWhileTheLoadShowsAMessage_leavesTheWindowToTheLoad) {
  QPointer<MainForm> main = StartPastIntro();
  std::filesystem::remove(game.Path("server/Valve/autoexec.cfg"));  // so the load has messages to show
  dialogs.whileShown = [main] {
    if (main) main->close();
    FlushUnloads();
  };
  Press(sequence->StartWindow(), "RockOn");
  dialogs.whileShown = nullptr;
  ASSERT_TRUE(main && main->isVisible());
  EXPECT_EQ(main->Values().GetText("hostname"), "Friday Night TFC");
  EXPECT_EQ(sequence->ByeWindow(), nullptr);
}

// Clicks Quit again the moment the main window starts to shrink, as the
// second click of a double click arrives while the first one's shrink runs.
struct SecondClickDuringShrink : QObject {
  explicit SecondClickDuringShrink(MainForm* main) : button(main->findChild<QPushButton*>("Command5")) {
    main->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize && button && !sent) {
      sent = true;
      QTest::mouseClick(button, Qt::LeftButton);
    }
    return false;
  }
  QPointer<QPushButton> button;
  bool sent = false;
};

TEST_F(StartSequenceTest, doubleClickOnQuitWhileTheWindowShrinks_runsOneClosingSequence) {
  StartPastIntro();
  Press(sequence->StartWindow(), "RockOn");
  SecondClickDuringShrink hasty(sequence->Main());
  Press(sequence->Main(), "Command5");
  EXPECT_TRUE(hasty.sent);
  EXPECT_EQ(std::count(outside.events.begin(), outside.events.end(), "show bye"), 1);
  Tick(sequence->ByeWindow(), "Timer1", 4500);
  ExpectEnded();
}

TEST_F(StartSequenceTest, quitWhileAHandlerWaitsOnItsMessageBox_leavesTheMainWindowInPlace) {
  StartPastIntro();
  Press(sequence->StartWindow(), "RockOn");
  Dialogs boxes(sequence->Main());
  bool asked = false;
  // A close request reaching the sequence while the box is open, as a window manager can send one.
  QTimer::singleShot(0, sequence.get(), [&] {
    asked = true;
    sequence->QuitProgram();
    FlushUnloads();
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  boxes.Inform("Please choose a starting map");
  FlushUnloads();
  EXPECT_TRUE(asked);
  EXPECT_NE(sequence->Main(), nullptr);
  EXPECT_EQ(sequence->ByeWindow(), nullptr);
}

}  // namespace
}  // namespace quorvane::ui
