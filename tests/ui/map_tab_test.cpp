// The map tab: the map cycle editor with its pictures, Delete key, drag and
// drop and trash; the message of the day; the load and the tab-change rule.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "ui/map_widgets.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

using test::FormOnDisk;

QStringList Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

struct MapTab : FormOnDisk {
  MapTab() {
    form->Load();
    form->AddAvailableMaps({"xyz", "Avanti", "2fort"});
    form->SetMapCycle({"a", "b", "c"});
    cycle = Find<MapList>("List1");
    available = Find<MapList>("List2");
  }
  void Click(const char* name) { QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton); }
  void Select(QListWidget* list, int row) { list->setCurrentRow(row); }

  MapList* cycle = nullptr;
  MapList* available = nullptr;
};

TEST(MapTab, loadShowsTheWindowOnTheMapTabWithTheDefaultInstallationUnknown) {
  FormOnDisk f;
  QSignalSpy loaded(f.form.get(), &MainForm::loaded);
  f.form->SetGameDir("");
  auto* gamePath = f.Find<QLineEdit>("GamePath");
  gamePath->setText("hlds.exe location goes here");
  f.form->Load();
  f.form->Load();
  EXPECT_TRUE(f.form->isVisible());
  EXPECT_EQ(f.Find<QTabWidget>("SSTab1")->currentIndex(), 2);
  EXPECT_TRUE(f.Find<QLineEdit>("txtitem")->isHidden());
  EXPECT_EQ(loaded.count(), 1) << "the load runs once";
  // Unless c:\sierra\half-life\hlds.exe exists on this machine, the text stays.
  if (!f.fs.IsPresent("c:\\sierra\\half-life\\hlds.exe")) EXPECT_EQ(gamePath->text(), "hlds.exe location goes here");
  else EXPECT_EQ(gamePath->text(), "C:\\Sierra\\Half-Life");
}

TEST(MapTab, tabChangeShowsRemoveAndAddOnlyOnTheMapTabAndSvLanOnlyOnTheServerTab) {
  MapTab t;
  auto* tabs = t.Find<QTabWidget>("SSTab1");
  struct Row {
    int tab;
    bool pictures;
    bool lan;
  };
  for (Row r : {Row{0, false, false}, Row{1, false, true}, Row{2, true, false}, Row{1, false, true}}) {
    tabs->setCurrentIndex(r.tab);
    EXPECT_EQ(t.Find<QWidget>("Picture6")->isVisible(), r.pictures) << r.tab;
    EXPECT_EQ(t.Find<QWidget>("Picture4")->isVisible(), r.pictures) << r.tab;
    EXPECT_EQ(t.Find<QWidget>("sv_lan")->isVisible(), r.lan) << r.tab;
  }
}

TEST(MapTab, availableMapsAndStartingMapsAreSortedWithoutRegardToCaseAndNoMapIsChosen) {
  MapTab t;
  t.form->AddStartingMaps({"xyz", "Avanti", "2fort"});
  EXPECT_EQ(Entries(t.available), (QStringList{"2fort", "Avanti", "xyz"}));
  t.form->AddAvailableMaps({"avanti", "Well"});
  EXPECT_EQ(Entries(t.available), (QStringList{"2fort", "Avanti", "avanti", "Well", "xyz"}));
  auto* combo = t.Find<QComboBox>("Combo1");
  EXPECT_EQ(combo->count(), 3);
  EXPECT_EQ(t.form->StartingMap(), "");
  combo->setCurrentIndex(1);
  t.form->AddStartingMaps({"aaa"});
  EXPECT_EQ(t.form->StartingMap(), "Avanti") << "refilling keeps the choice";
}

TEST(MapTab, picturesAddRemoveAndMoveWithTheSelectionFollowing) {
  struct Step {
    const char* picture;
    int cycleRow;      // -1: nothing selected
    int availableRow;  // -1: nothing selected
    QStringList after;
    int selectedAfter;
  };
  const Step steps[] = {
      {"Picture4", -1, 2, {"a", "b", "c", "xyz"}, -1},
      {"Picture4", -1, -1, {"a", "b", "c"}, -1},
      {"Picture6", 1, -1, {"a", "c"}, -2},
      {"Picture6", -1, -1, {"a", "b", "c"}, -1},
      {"Picture2", 2, -1, {"a", "c", "b"}, 1},
      {"Picture2", 0, -1, {"a", "b", "c"}, 0},
      {"Picture3", 0, -1, {"b", "a", "c"}, 1},
      {"Picture3", 2, -1, {"a", "b", "c"}, 2},
      {"Picture3", -1, -1, {"a", "b", "c"}, -1},
      {"picTrash", 1, -1, {}, -1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.picture) + " row " + std::to_string(s.cycleRow));
    MapTab t;
    if (s.cycleRow >= 0) t.Select(t.cycle, s.cycleRow);
    if (s.availableRow >= 0) t.Select(t.available, s.availableRow);
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

TEST(MapTab, deleteKeyAsksAndRemovesOnlyOnYes) {
  for (bool yes : {false, true}) {
    MapTab t;
    t.Select(t.cycle, 0);
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
  QTest::keyClick(none.cycle, Qt::Key_Backspace);
  EXPECT_TRUE(none.dialogs.shown.empty()) << "no selection, no question";
}

// Sends a whole drag (enter, move, drop) to a widget; true when it took the drop.
bool DragOnto(QWidget* target, QMimeData* data) {
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted();
}

TEST(MapTab, dropsFromAvailableMapsAppendTheirSelectionAndNothingElseIsTaken) {
  struct Case {
    const char* source;
    const char* target;
    bool taken;
    QStringList after;
  };
  const Case cases[] = {
      {"List2", "List1", true, {"a", "b", "c", "Avanti"}},
      {"List1", "List1", false, {"a", "b", "c"}},
      {"List1", "List2", false, {"a", "b", "c"}},
      {"List2", "List2", false, {"a", "b", "c"}},
      {"List1", "picTrash", false, {"a", "b", "c"}},
      {"List2", "Text9", false, {"a", "b", "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " onto " + c.target);
    MapTab t;
    t.Select(t.available, 1);
    t.Select(t.cycle, 0);
    std::unique_ptr<QMimeData> data(t.Find<MapList>(c.source)->CreateDragData());
    QWidget* target = t.Find<QWidget>(c.target);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
    EXPECT_EQ(DragOnto(target, data.get()), c.taken);
    EXPECT_EQ(Entries(t.cycle), c.after);
  }
  MapTab plain;
  QMimeData text;
  text.setText("2fort");
  EXPECT_FALSE(DragOnto(plain.cycle->viewport(), &text)) << "only the map lists' own drags count";
}

TEST(MapTab, aDragFromTheCycleOverTheTrashShowsTheTrashUntilTheNextPress) {
  MapTab t;
  EXPECT_EQ(t.cycle->DragIconName(), "List2");
  std::unique_ptr<QMimeData> fromAvailable(t.available->CreateDragData());
  DragOnto(t.Find<QWidget>("picTrash"), fromAvailable.get());
  EXPECT_EQ(t.cycle->DragIconName(), "List2") << "only a drag from List1 turns it";
  std::unique_ptr<QMimeData> fromCycle(t.cycle->CreateDragData());
  DragOnto(t.Find<QWidget>("picTrash"), fromCycle.get());
  EXPECT_EQ(t.cycle->DragIconName(), "picTrash");
  EXPECT_EQ(Entries(t.cycle), (QStringList{"a", "b", "c"}));
  QTest::mousePress(t.cycle->viewport(), Qt::LeftButton, {}, t.cycle->visualItemRect(t.cycle->item(1)).center());
  QTest::mouseRelease(t.cycle->viewport(), Qt::LeftButton, {}, t.cycle->visualItemRect(t.cycle->item(1)).center());
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

TEST(MapTab, messageOfTheDayWritesRereadsAndClears) {
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
  t.Click("Command18");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "\r\n");
}

TEST(MapTab, aMessagesBytesSurviveRereadAndWriteUnchanged) {
  const std::string files[] = {
      "unix\nlines\nonly\n",
      "old mac\rlines\r\n",
      "mixed\r\nbreaks\nand\rmore\r\n",
      "<html>\t<b>caf\xE9</b>\xA0\x80</html>\r\n\r\n\r\n",
      "no final break",
  };
  for (const std::string& bytes : files) {
    SCOPED_TRACE(bytes);
    MapTab t;
    t.game.Write("tfc/motd.txt", bytes);
    t.Click("Command17");
    t.Click("Command16");
    // Only the final line end comes back as the program's own.
    std::string expected = bytes;
    if (expected.ends_with("\r\n")) expected.resize(expected.size() - 2);
    else if (expected.back() == '\n' || expected.back() == '\r') expected.pop_back();
    EXPECT_EQ(t.game.Read("tfc/motd.txt"), expected + "\r\n");
  }
  // An edited message is written with the program's own line ends.
  MapTab t;
  t.game.Write("tfc/motd.txt", "one\ntwo\n");
  t.Click("Command17");
  auto* box = t.Find<QPlainTextEdit>("Text9");
  box->moveCursor(QTextCursor::End);
  QTest::keyClicks(box, "!");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "one\r\ntwo!\r\n");
}

TEST(MapTab, quitButtonAndFrameCloseOnlyAskToQuit) {
  MapTab t;
  QSignalSpy quit(t.form.get(), &MainForm::quitRequested);
  QSignalSpy change(t.form.get(), &MainForm::changeLocationRequested);
  t.Click("Command5");
  EXPECT_FALSE(t.form->close());
  EXPECT_TRUE(t.form->isVisible());
  EXPECT_EQ(quit.count(), 2);
  t.Click("Command19");
  EXPECT_EQ(change.count(), 1);
  t.form->Unload();
  EXPECT_FALSE(t.form->isVisible());
}

}  // namespace
}  // namespace quorvane::ui
