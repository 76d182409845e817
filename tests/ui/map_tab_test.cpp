// The map tab: the map cycle editor with its pictures, Delete key, drag and
// drop and trash; the message of the day; the tab-change rule.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "ui/map_widgets.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

QStringList Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

struct MapTab : test::FormOnDisk {
  MapTab() {
    form->Load();
    form->AddAvailableMaps({"xyz", "Avanti", "2fort"});
    form->SetMapCycle({"a", "b", "c"});
  }
  MapList* cycle = Find<MapList>("List1");
  MapList* available = Find<MapList>("List2");
};

TEST(MapTab, loadShowsTheMapTabAndTabChangeShowsRemoveAndAddOnlyThereAndSvLanOnlyOnTheServerTab) {
  MapTab t;
  auto* tabs = t.Find<QTabWidget>("SSTab1");
  EXPECT_EQ(tabs->currentIndex(), 2);
  for (const auto& [tab, pictures, lan] : {std::tuple{0, false, false}, {1, false, true}, {2, true, false}, {1, false, true}}) {
    tabs->setCurrentIndex(tab);
    EXPECT_EQ(t.Find("Picture6")->isVisible(), pictures) << tab;
    EXPECT_EQ(t.Find("Picture4")->isVisible(), pictures) << tab;
    EXPECT_EQ(t.Find("sv_lan")->isVisible(), lan) << tab;
  }
}

TEST(MapTab, picturesAddRemoveAndMoveWithTheSelectionFollowing) {
  struct Step {
    const char* picture;
    int cycleRow, availableRow;  // -1: nothing selected
    QStringList after;
    int selectedAfter;  // -1: nothing selected, -2: not checked
  };
  const Step steps[] = {
      {"Picture4", -1, 2, {"a", "b", "c", "xyz"}, -1}, {"Picture4", -1, -1, {"a", "b", "c"}, -1},
      {"Picture6", 1, -1, {"a", "c"}, -2},             {"Picture6", -1, -1, {"a", "b", "c"}, -1},
      {"Picture2", 2, -1, {"a", "c", "b"}, 1},         {"Picture2", 0, -1, {"a", "b", "c"}, 0},
      {"Picture3", 0, -1, {"b", "a", "c"}, 1},         {"Picture3", 2, -1, {"a", "b", "c"}, 2},
      {"Picture3", -1, -1, {"a", "b", "c"}, -1},       {"picTrash", 1, -1, {}, -1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.picture) + " row " + std::to_string(s.cycleRow));
    MapTab t;
    if (s.cycleRow >= 0) t.cycle->setCurrentRow(s.cycleRow);
    if (s.availableRow >= 0) t.available->setCurrentRow(s.availableRow);
    t.Click(s.picture);
    EXPECT_EQ(Entries(t.cycle), s.after);
    if (s.selectedAfter >= 0) {
      ASSERT_EQ(t.cycle->selectedItems().size(), 1);
      EXPECT_EQ(t.cycle->row(t.cycle->selectedItems().first()), s.selectedAfter);
    } else if (s.selectedAfter == -1) {
      EXPECT_TRUE(t.cycle->selectedItems().isEmpty());
    }
  }
}

TEST(MapTab, deleteKeyAsksAndRemovesOnlyOnYesAndNeverWithoutASelection) {
  for (bool yes : {false, true}) {
    MapTab t;
    t.cycle->setCurrentRow(0);
    t.dialogs.answers.push_back(yes);
    QTest::keyClick(t.cycle, Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].text, "Delete this map ?");
    EXPECT_EQ(t.dialogs.shown[0].title, "Delete Map from Mapcycle.txt");
    EXPECT_EQ(t.dialogs.shown[0].icon, Dialogs::Icon::Question);
    EXPECT_EQ(Entries(t.cycle), (yes ? QStringList{"b", "c"} : QStringList{"a", "b", "c"}));
  }
  MapTab none;
  none.cycle->clearSelection();
  QTest::keyClick(none.cycle, Qt::Key_Delete);
  EXPECT_TRUE(none.dialogs.shown.empty());
}

// Sends a whole drag (enter, move, drop) to a widget; true when it took the drop.
bool DragOnto(QWidget* target, QMimeData* data) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

TEST(MapTab, onlyADropFromAvailableMapsOntoTheCycleIsTakenAndAppendsTheSelection) {
  for (const auto& [source, target] : {std::pair{"List2", "List1"}, {"List1", "List1"}, {"List2", "Text9"}}) {
    SCOPED_TRACE(std::string(source) + " onto " + target);
    const bool taken = std::string(source) == "List2" && std::string(target) == "List1";
    MapTab t;
    t.available->setCurrentRow(1);
    t.cycle->setCurrentRow(0);
    std::unique_ptr<QMimeData> data(t.Find<MapList>(source)->CreateDragData());
    EXPECT_EQ(DragOnto(t.Find(target), data.get()), taken);
    EXPECT_EQ(Entries(t.cycle), (taken ? QStringList{"a", "b", "c", "Avanti"} : QStringList{"a", "b", "c"}));
  }
}

TEST(MapTab, aDragFromTheCycleOverTheTrashShowsTheTrashUntilTheNextPress) {
  MapTab t;
  std::unique_ptr<QMimeData> fromAvailable(t.available->CreateDragData()), fromCycle(t.cycle->CreateDragData());
  DragOnto(t.Find("picTrash"), fromAvailable.get());
  EXPECT_EQ(t.cycle->DragIconName(), "List2") << "only a drag from List1 turns it";
  DragOnto(t.Find("picTrash"), fromCycle.get());
  EXPECT_EQ(t.cycle->DragIconName(), "picTrash");
  EXPECT_EQ(Entries(t.cycle), (QStringList{"a", "b", "c"}));
  const QPoint item = t.cycle->visualItemRect(t.cycle->item(1)).center();
  QTest::mousePress(t.cycle->viewport(), Qt::LeftButton, {}, item);
  QTest::mouseRelease(t.cycle->viewport(), Qt::LeftButton, {}, item);
  EXPECT_EQ(t.cycle->DragIconName(), "List2");
}

TEST(MapTab, cycleWrittenThenReadBackAndMissingFileSaysSo) {
  MapTab t;
  t.form->SetMapCycle({"2fort", "", "well"});
  t.Click("Command11");
  EXPECT_EQ(t.dialogs.Texts(), QStringList{"The Program cannot find your Mapcycle.txt, Try saving it first"});
  EXPECT_EQ(t.cycle->count(), 3) << "the list keeps its entries";
  t.Click("Command9");
  EXPECT_EQ(t.game.Read("tfc/mapcycle.txt"), "2fort\r\n\r\nwell\r\n");
  EXPECT_EQ(t.dialogs.Texts().last(), "The Mapcycle.txt file has been created.");
  t.Click("picTrash");
  t.Click("Command11");
  EXPECT_EQ(Entries(t.cycle), (QStringList{"2fort", "", "well"}));
  t.Click("picTrash");
  t.Click("Command9");
  EXPECT_EQ(t.game.Read("tfc/mapcycle.txt"), "");
}

TEST(MapTab, messageOfTheDayWritesClearsAndRereadsWithItsBytesUnchanged) {
  MapTab t;
  auto* box = t.Find<QPlainTextEdit>("Text9");
  box->setPlainText("Welcome\nto the server");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "Welcome\r\nto the server\r\n");
  EXPECT_EQ(t.dialogs.Texts(), QStringList{"The MOTD.txt file has been saved."});
  t.Click("Command18");
  EXPECT_EQ(box->toPlainText(), "");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "Welcome\r\nto the server\r\n") << "clearing leaves the file";
  t.Click("Command17");
  EXPECT_EQ(box->toPlainText(), "Welcome\nto the server");
  // Only the final line end comes back as the program's own.
  const std::pair<std::string, std::string> files[] = {
      {"old mac\rlines\r\n", "old mac\rlines\r\n"},
      {"mixed\r\nbreaks\nand\rmore\r\n", "mixed\r\nbreaks\nand\rmore\r\n"},
      {"<html>\t<b>caf\xE9</b>\xA0\x80</html>\r\n\r\n\r\n", "<html>\t<b>caf\xE9</b>\xA0\x80</html>\r\n\r\n\r\n"},
      {"no final break", "no final break\r\n"},
      {"unix\nlines\n", "unix\nlines\r\n"},
  };
  for (const auto& [bytes, written] : files) {
    t.game.Write("tfc/motd.txt", bytes);
    t.Click("Command17");
    t.Click("Command16");
    EXPECT_EQ(t.game.Read("tfc/motd.txt"), written);
  }
  box->moveCursor(QTextCursor::End);  // an edited message takes the program's own line ends
  QTest::keyClicks(box, "!");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "unix\r\nlines!\r\n");
  t.Click("Command18");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "\r\n");
}

}  // namespace
}  // namespace quorvane::ui
