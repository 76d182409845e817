// The locate windows on a real directory tree: where Dir1 opens once its model
// has read the way there, how the keyboard and the drive list move it, and
// what the first run's save stores.
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>
#include <QTreeView>

#include "ui/locate_window.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

// The model reads in the background; a loaded machine may take a while.
constexpr int kReadTimeoutMs = 20000;

// Makes `dir` the process's current directory for the object's life.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& dir) : m_previous(QDir::currentPath()) {
    EXPECT_TRUE(QDir::setCurrent(QString::fromStdString(dir.string())));
  }
  ~CurrentDirectory() { QDir::setCurrent(m_previous); }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  const QString m_previous;
};

// A tree five levels below `tree`: the server in tree/l1/l2/l3/l4/server after forty
// siblings (so that the list must scroll to it), then `spare` with a program and a
// directory of its own.
struct LocateWindowTest : StartSequenceTest {
  LocateWindowTest() {
    for (int i = 0; i < 40; ++i) game.MakeDir(QString("tree/l1/l2/l3/l4/a%1").arg(i, 2, 10, QChar('0')).toStdString());
    game.Write("tree/l1/l2/l3/l4/server/hlds.exe", "MZ");
    game.Write("tree/l1/l2/l3/l4/spare/other.exe", "MZ");
    game.MakeDir("tree/l1/l2/l3/l4/spare/inner");
    game.MakeDir("program");
  }
  // Paths as the directory list's model writes them, with '/' on every system.
  QString Dir(const std::string& relative) const {
    return QDir::fromNativeSeparators(QString::fromStdString(game.Path(relative).string()));
  }
  // The file-system root, a drive of every machine.
  static QString Root() { return QDir::rootPath(); }

  // A locate window of its own, shown active, with Dir1 set to `place` as the main window sets it.
  std::unique_ptr<LocateWindow> Open(const QString& place, QList<DriveEntry> drives = {{Root(), Root()}}) {
    auto window = std::make_unique<LocateWindow>(LocateWindow::Kind::ChangeLocation, std::move(drives),
                                                 [](std::string_view text) { return std::filesystem::path(text); });
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->SetGamePathText(place);
    window->SetDirPath(place);
    return window;
  }

  static QTreeView* Tree(const QWidget* window) { return Child<QTreeView>(window, "Dir1"); }
  static QString Current(const QWidget* window) {
    const QTreeView* tree = Tree(window);
    return static_cast<QFileSystemModel*>(tree->model())->filePath(tree->currentIndex());
  }
  static QString GamePath(const QWidget* window) { return Child<QLineEdit>(window, "GamePath")->text(); }
  static QStringList Programs(const QWidget* window) {
    return static_cast<QStringListModel*>(Child<QListView>(window, "File1")->model())->stringList();
  }

  // Waits until Dir1 stands on `dir` with all of its siblings read, inside the visible part of the list.
  static ::testing::AssertionResult WaitUntilShown(const QWidget* window, const QString& dir) {
    const QTreeView* tree = Tree(window);
    // A root's siblings are the machine's other drives: there is nothing of its own to wait for.
    const bool root = QDir(dir).isRoot();
    // Directories only: a Wine prefix's dosdevices also holds links to devices (com1 -> /dev/ttyS0).
    const QFileInfoList entries = QFileInfo(dir).dir().entryInfoList(QDir::AllDirs | QDir::NoDotAndDotDot);
    const auto siblings =
        root ? 0 : std::count_if(entries.cbegin(), entries.cend(), [](const QFileInfo& e) { return e.isDir(); });
    const auto shown = [&] {
      const QModelIndex index = tree->currentIndex();
      const QRect at = tree->visualRect(index);
      return Current(window) == dir && (root || tree->model()->rowCount(index.parent()) == siblings) && at.top() >= 0 &&
             at.bottom() < tree->viewport()->height() && at.left() >= 0 && at.left() < tree->viewport()->width();
    };
    if (QTest::qWaitFor(shown, kReadTimeoutMs)) return ::testing::AssertionSuccess();
    const QModelIndex index = tree->currentIndex();
    const QRect at = tree->visualRect(index);
    return ::testing::AssertionFailure() << "Dir1 stands on " << Current(window).toStdString() << " among "
                                         << tree->model()->rowCount(index.parent()) << " of " << siblings
                                         << " directories, at " << at.x() << "," << at.y() << " in a list "
                                         << tree->viewport()->width() << "x" << tree->viewport()->height();
  }

  static void Key(QWidget* window, const char* control, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(Child(window, control), key, modifiers);
    FlushUnloads();
  }
};

// The first run offers the default installation's drive, whichever directory the program was started in.
TEST_F(LocateWindowTest, firstRun_opensOnTheDefaultDrive_selectedAndInView) {
  const CurrentDirectory here(game.Path("tree/l1/l2/l3/l4/server"));
  const QString root = QDir::cleanPath(QString::fromStdString(platform::ResolvePath("C:\\").string()));
  Start();
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  QWidget* locate = sequence->LocateFile();
  ASSERT_NE(locate, nullptr);
  ASSERT_TRUE(WaitUntilShown(locate, root));
  EXPECT_TRUE(Tree(locate)->selectionModel()->isSelected(Tree(locate)->currentIndex()));
  EXPECT_EQ(GamePath(locate), root);
}

TEST_F(LocateWindowTest, locationChange_opensOnTheMainWindowsLocation_inView) {
  const QString server = Dir("tree/l1/l2/l3/l4/server");
  const CurrentDirectory elsewhere(game.Path("program"));
  Start(server.toStdString());
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  Press(sequence->Main(), "Command19");
  QWidget* locate = sequence->LocateFile2();
  ASSERT_NE(locate, nullptr);
  ASSERT_TRUE(WaitUntilShown(locate, server));
  EXPECT_EQ(GamePath(locate), server);
}

TEST_F(LocateWindowTest, storedLocationThatIsGone_isShownWhileDir1StaysWhereItWas) {
  const CurrentDirectory here(game.Path("program"));
  const auto locate = Open(Dir("gone"));
  EXPECT_TRUE(WaitUntilShown(locate.get(), Dir("program")));
  EXPECT_EQ(GamePath(locate.get()), Dir("gone"));
}

TEST_F(LocateWindowTest, firstRunSaveByAltS_storesTheDirectoryDir1StandsOn) {
  Start();
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  QWidget* locate = sequence->LocateFile();
  ASSERT_NE(locate, nullptr);
  locate->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(locate));
  Child(locate, "Dir1")->setFocus();
  ASSERT_TRUE(WaitUntilShown(locate, GamePath(locate)));
  const std::string shown = GamePath(locate).toStdString();
  QTest::keyClick(locate, Qt::Key_S, Qt::AltModifier);
  // An access key presses its button as a click does, shown pressed for a moment first.
  EXPECT_TRUE(QTest::qWaitFor([this] { return sequence->LocateFile() == nullptr; }));
  FlushUnloads();
  EXPECT_EQ(game.Read("program/Quorvane.ini"), shown + "\r\n");
}

// Each row starts on the server directory, fully read.
TEST_F(LocateWindowTest, keyboardMovesDir1_andGamePathAndFile1Follow) {
  struct Row {
    const char* name;
    std::vector<Qt::Key> keys;
    const char* reached;
    QStringList programs;
  };
  const Row rows[] = {
      {"Down moves to the next sibling", {Qt::Key_Down}, "tree/l1/l2/l3/l4/spare", {"other.exe"}},
      {"Up moves to the previous sibling", {Qt::Key_Up}, "tree/l1/l2/l3/l4/a39", {}},
      {"Left moves to the parent", {Qt::Key_Left}, "tree/l1/l2/l3/l4", {}},
      {"typing its first letters finds a sibling", {Qt::Key_S, Qt::Key_P}, "tree/l1/l2/l3/l4/spare", {"other.exe"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto locate = Open(Dir("tree/l1/l2/l3/l4/server"));
    ASSERT_TRUE(WaitUntilShown(locate.get(), Dir("tree/l1/l2/l3/l4/server")));
    for (const Qt::Key key : row.keys) Key(locate.get(), "Dir1", key);
    EXPECT_EQ(Current(locate.get()), Dir(row.reached));
    EXPECT_EQ(GamePath(locate.get()), Dir(row.reached));
    EXPECT_EQ(Programs(locate.get()), row.programs);
  }
}

TEST_F(LocateWindowTest, rightOpensADirectoryAndEntersIt_leftClosesIt) {
  const QString spare = Dir("tree/l1/l2/l3/l4/spare");
  const auto locate = Open(spare);
  ASSERT_TRUE(WaitUntilShown(locate.get(), spare));
  QTreeView* tree = Tree(locate.get());
  const QPersistentModelIndex spareIndex = static_cast<QFileSystemModel*>(tree->model())->index(spare);
  Key(locate.get(), "Dir1", Qt::Key_Right);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tree->model()->rowCount(spareIndex) == 1; }, kReadTimeoutMs));
  EXPECT_TRUE(tree->isExpanded(spareIndex));
  Key(locate.get(), "Dir1", Qt::Key_Right);
  EXPECT_EQ(GamePath(locate.get()), Dir("tree/l1/l2/l3/l4/spare/inner"));
  Key(locate.get(), "Dir1", Qt::Key_Left);
  Key(locate.get(), "Dir1", Qt::Key_Left);
  EXPECT_EQ(GamePath(locate.get()), spare);
  EXPECT_FALSE(tree->isExpanded(spareIndex));
}

TEST_F(LocateWindowTest, opensWithTheKeyboardInDir1) {
  const auto locate = Open(Dir("tree"));
  EXPECT_EQ(QApplication::focusWidget(), Tree(locate.get()));
}

TEST_F(LocateWindowTest, tabGoesFromTheDriveToTheDirectoryToItsProgramsThenTheButtons) {
  const auto locate = Open(Dir("tree"));
  Child(locate.get(), "Drive1")->setFocus();
  QStringList reached;
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(reached, (QStringList{"Dir1", "File1", "Command1", "cmdInstallServer"}));
}

TEST_F(LocateWindowTest, drive1ShowsTheDriveThatHoldsDir1) {
  const auto locate = Open(Dir("tree/l1"), {{Root(), Root()}, {"c:", Dir("tree")}, {"z:", Root()}});
  const auto* drive = Child<QComboBox>(locate.get(), "Drive1");
  EXPECT_EQ(drive->currentText(), "c:");
  locate->SetDirPath(Dir("program"));
  EXPECT_EQ(drive->currentText(), Root());
}

TEST_F(LocateWindowTest, choosingADriveByKeyboard_movesDir1ToItsRoot) {
  const auto locate = Open(Dir("program"), {{Root(), Root()}, {"c:", Dir("tree")}});
  Key(locate.get(), "Drive1", Qt::Key_Down);
  EXPECT_TRUE(WaitUntilShown(locate.get(), Dir("tree")));
  EXPECT_EQ(GamePath(locate.get()), Dir("tree"));
  EXPECT_EQ(Programs(locate.get()), QStringList{});
}

TEST_F(LocateWindowTest, choosingADriveThatIsGone_leavesDir1AndTheDriveShownAsTheyWere) {
  const auto locate = Open(Dir("program"), {{Root(), Root()}, {"c:", Dir("gone")}});
  ASSERT_TRUE(WaitUntilShown(locate.get(), Dir("program")));
  Key(locate.get(), "Drive1", Qt::Key_Down);
  EXPECT_EQ(Current(locate.get()), Dir("program"));
  EXPECT_EQ(GamePath(locate.get()), Dir("program"));
  EXPECT_EQ(Child<QComboBox>(locate.get(), "Drive1")->currentText(), Root());
}

}  // namespace
}  // namespace quorvane::ui
