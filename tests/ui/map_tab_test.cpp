// The map tab on a real temporary installation: map cycle pictures, Delete key, drag and drop, trash,
// message of the day, and the launch buttons.
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>

#include "config/cfg_writer.h"
#include "support/real_faults.h"
#include "ui/map_widgets.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

struct MapTab : FormOnDisk {
  MapTab() {
    form->Load();
    form->Maps().AddAvailableMaps({"xyz", "Avanti", "2fort"});
    form->Maps().SetMapCycle({"a", "b", "c"});
  }
  MapList* cycle = Find<MapList>("List1");
  MapList* available = Find<MapList>("List2");
};

TEST(MapTab, picturesDeleteKeyAndDropsChangeTheCycleAndItsSelectionAsTheTableSays) {
  const QList<QStringList> rows = Rows("map_cycle_operations.tsv");
  ASSERT_EQ(rows.size(), 18);
  for (const QStringList& c : rows) {  // action, List1 row, List2 row, answer, List1 after, selected after, shown
    SCOPED_TRACE(c.join(" | ").toStdString());
    MapTab t;
    if (c[1] != "-") t.cycle->setCurrentRow(c[1].toInt());
    if (c[2] != "-") t.available->setCurrentRow(c[2].toInt());
    t.dialogs.answer = c[3] == "Yes";
    const QStringList action = c[0].split(' ');
    QString outcome = "-";
    if (action[0] == "click") t.Click(action[1].toLatin1().constData());
    if (action[0] == "Delete") QTest::keyClick(t.cycle, Qt::Key_Delete, Qt::ShiftModifier);
    if (action[0] == "drop") {
      std::unique_ptr<QMimeData> data(t.Find<MapList>(action[1].toLatin1().constData())->CreateDragData());
      outcome = DragOnto(t.Find(action[3].toLatin1().constData()), data.get()) ? "taken " : "refused ";
      const QPoint item = t.cycle->visualItemRect(t.cycle->item(1)).center();
      outcome += t.cycle->DragIconName() + " ";
      QTest::mousePress(t.cycle->viewport(), Qt::LeftButton, {}, item);
      QTest::mouseRelease(t.cycle->viewport(), Qt::LeftButton, {}, item);
      outcome += t.cycle->DragIconName();
    }
    EXPECT_EQ(Entries(t.cycle), c[4]);
    QStringList selected;
    for (const QListWidgetItem* item : t.cycle->selectedItems()) selected << QString::number(t.cycle->row(item));
    if (c[5] != "?") {
      EXPECT_EQ(selected.isEmpty() ? "none" : selected.join(','), c[5]);
    }
    EXPECT_EQ(t.dialogs.shown.isEmpty() ? outcome : t.dialogs.shown.join('|'), c[6]);
  }
}

TEST(MapTab, cycleAndMessageAreWrittenClearedAndReadBack_anUneditedMessageKeepsItsBytes_andAFailedWriteSaysSo) {
  MapTab t;
  t.form->Maps().SetMapCycle({"2fort", "", "well"});
  t.Click("Command9");
  EXPECT_EQ(t.game.Read("tfc/mapcycle.txt"), "2fort\r\n\r\nwell\r\n");
  t.Click("picTrash");
  t.Click("Command11");
  EXPECT_EQ(Entries(t.cycle), "2fort,,well");
  auto* box = t.Find<QPlainTextEdit>("Text9");
  box->setPlainText("Welcome\nto the server");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "Welcome\r\nto the server\r\n");
  EXPECT_EQ(t.dialogs.shown,
            (QStringList{"The Mapcycle.txt file has been created.", "The MOTD.txt file has been saved."}));
  t.Click("Command18");
  EXPECT_TRUE(box->toPlainText().isEmpty() && t.game.Read("tfc/motd.txt") == "Welcome\r\nto the server\r\n");
  t.Click("Command17");
  EXPECT_EQ(box->toPlainText(), "Welcome\nto the server");
  // A file read and written back unedited keeps its bytes; only the final line end becomes the program's own.
  for (const auto& file : std::filesystem::directory_iterator(QUORVANE_TEST_DATA "/ui/motd")) {
    const std::string name = file.path().filename().string();
    t.game.Write("tfc/motd.txt", DataFile("motd/" + name));
    t.Click("Command17");
    t.Click("Command16");
    EXPECT_EQ(t.game.Read("tfc/motd.txt"), DataFile("motd_written/" + name)) << name;
  }
  t.form->Maps().SetMotd(
      "unix\nlines");  // as read from "unix\nlines\n"; an edited message takes the program's own line ends
  box->moveCursor(QTextCursor::End);
  QTest::keyClicks(box, "!");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "unix\r\nlines!\r\n");
  for (const char* clear : {"picTrash", "Command18"}) t.Click(clear);
  for (const char* write : {"Command9", "Command16"}) t.Click(write);
  EXPECT_EQ(t.game.Read("tfc/mapcycle.txt") + "|" + t.game.Read("tfc/motd.txt"), "|\r\n");
  // Into a directory that cannot be written, each write shows its failure and no success.
  test_support::Immutable cycle(t.game.Path("tfc/mapcycle.txt"));
  test_support::Immutable motd(t.game.Path("tfc/motd.txt"));
  test_support::Immutable dir(t.game.Path("tfc"));
  if (!cycle.ok() || !motd.ok() || !dir.ok()) GTEST_SKIP() << "no immutable files here: " << dir.error();
  t.dialogs.shown.clear();
  t.form->WriteServerCfg();
  t.form->SaveMapCycle();
  t.form->SaveMotd();
  ASSERT_EQ(t.dialogs.shown.size(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(t.dialogs.shown[i].startsWith("Quorvane could not write " + QString::fromStdString(t.game.GameDir())) &&
                t.dialogs.shown[i].contains(QStringList{"server.cfg", "mapcycle.txt", "motd.txt"}[i]))
        << t.dialogs.shown[i].toStdString();
}

// Real starts of the stand-in server through the launcher are the platform tests'; here, which button asks for what.
TEST(MapTab, launchButtonsStartWithTheWindowsFieldsAndMap_listenFirstWritesItsFile_andAFailureIsShown) {
  MapTab t;
  t.form->Maps().AddStartingMaps({"2fort", "well"});
  t.Find<QComboBox>("Combo1")->setCurrentIndex(1);
  config::FieldValues values = t.form->Values();
  values.SetText("port", "27015");
  values.SetText("maxplayers", "12");
  t.form->ShowValues(values);
  for (const char* button : {"Command20", "Command20", "Command4", "Command2", "Command21"}) t.Click(button);
  EXPECT_EQ(t.game.Read("tfc/listenserver.cfg"), config::ListenServerCfgText(t.form->Values()));
  const std::string dir = t.game.GameDir();
  const std::string cue = "sound c:\\windows\\media\\";
  EXPECT_EQ(t.outside.events,
            (Words{"write " + dir + "\\Tfc\\listenserver.cfg (995 bytes)", cue + "Military_command.wav",
                   dir + "\\hl.exe| -game tfc -console +sv_lan 0 +maxplayers 12 +map well|" + dir, cue + "launch.wav",
                   dir + "\\hl.exe| -console +connect 127.0.0.1:27016|" + dir, cue + "Military_command.wav",
                   dir + "\\hlds.exe| -game tfc -port 27015 +map well|" + dir, "pause 1000"}));
  t.outside.result = launch::StartResult::Failure("No such file or directory");
  t.Click("Command2");
  EXPECT_EQ(t.dialogs.shown, QStringList{QString::fromStdString("Quorvane could not start " + dir +
                                                                "\\hlds.exe: No such file or directory")});
}

}  // namespace
}  // namespace quorvane::ui
