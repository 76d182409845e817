// The windows on a real temporary installation, every outside effect recorded:
// the main window's controls, the configuration buttons of the first two tabs,
// the map tab (map cycle pictures, Delete key, drag and drop, trash, message of
// the day, tab-change rule, launch buttons), the layout at its natural size, and
// the start and closing sequence with its timers driven by the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "config/cfg_writer.h"
#include "config/field_catalogue.h"
#include "config/resets.h"
#include "install/build_info.h"
#include "platform/file_system.h"
#include "support/real_faults.h"
#include "support/temp_install.h"
#include "ui/dialogs.h"
#include "ui/map_widgets.h"
#include "ui/start_sequence.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures


QString Q(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

TEST(MainForm, everyFieldHasItsControlKindTooltipLabelLimitAndTabAndEveryButtonItsCaptionAndTooltip) {
  FormOnDisk f;
  for (const config::ConfigField& field : config::FieldCatalogue::All()) {
    SCOPED_TRACE(std::string(field.name));
    QWidget* control = f.Find(std::string(field.name).c_str());
    auto* box = qobject_cast<QCheckBox*>(control);
    auto* edit = qobject_cast<QLineEdit*>(control);
    ASSERT_TRUE(field.IsCheckBox() ? box && box->isTristate() : edit != nullptr);
    if (edit) { EXPECT_EQ(edit->maxLength(), field.maxLength > 0 ? field.maxLength : 32767); }
    EXPECT_EQ(control->toolTip(), Q(field.tooltip));
    QStringList labels;  // of the labels whose buddy is the control
    for (QLabel* l : f.form->findChildren<QLabel*>()) if (l->buddy() == control) labels << l->text();
    EXPECT_EQ(labels, QStringList{Q(field.label)});
    EXPECT_TRUE(f.Find<QTabWidget>("SSTab1")->widget(static_cast<int>(field.tab))->isAncestorOf(control));
  }
  const QList<QStringList> buttons = Rows("buttons.tsv");  // name, caption, tooltip
  ASSERT_EQ(buttons.size(), 29);
  for (const QStringList& row : buttons) {
    QWidget* w = f.Find(row[0].toLatin1().constData());
    ASSERT_TRUE(w != nullptr && row.size() == 3) << row[0].toStdString();
    const auto* button = qobject_cast<QPushButton*>(w);
    EXPECT_TRUE(w->toolTip() == row[2] && (!button || button->text() == row[1])) << row[0].toStdString();
  }
}

TEST(MainForm, resetsAskFirstAndOnlyYesPutsTheDefaultsIn_andRereadBringsTheFilesValuesBack) {
  for (const auto& [reset, reread, tab, file, title, field, byDefault] :
       {std::tuple{"Command14", "Command13", 0, "valve/autoexec.cfg", "Autoexec.Cfg", "rate", "3500"},
        {"Command15", "Command12", 1, "tfc/server.cfg", "Server.Cfg", "hostname", "TFC Battle"}}) {
    for (bool yes : {false, true}) {
      SCOPED_TRACE(std::string(reset) + (yes ? " Yes" : " No"));
      FormOnDisk f(tab);
      f.game.Write(file, std::string("// mine\n") + field + "\t\"from file\"\n");
      QTest::keyClicks(f.Find(field), "typed");
      f.dialogs.answer = yes;
      f.Click(reset);
      EXPECT_EQ(f.form->GetText(field), yes ? byDefault : "typed");
      f.Click(reread);
      EXPECT_EQ(f.form->GetText(field), "from file");
      EXPECT_EQ(f.dialogs.shown, QStringList{QString("!Set ") + title + " fields to Default Values: " +
                                             "Are you sure you want to set all Fields to their Default Value ?"});
    }
  }
}

// A click only clears or ticks a box; only a file greys one, and a long value from a file survives its limit.
TEST(MainForm, valuesReadTypedAndClickedReachServerCfgByteForByteByClickAndByAccessKey) {
  std::string expected = DataFile("typed_server.cfg");
  expected.replace(expected.find("@DOWNLOAD_PAGE@"), 15, install::kDownloadPage);
  for (bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Alt+W" : "click");
    FormOnDisk f(1);
    f.game.Write("tfc/server.cfg",
                 "sv_aim \"2\"\nsv_gravity\t\"1000\"\nmp_footsteps \"2\"\npausable \"1\"\ntfc_autoteam \"2\"\n");
    f.Click("Command12");
    EXPECT_EQ(f.Find<QCheckBox>("sv_aim")->checkState(), Qt::PartiallyChecked);
    QTest::keyClicks(f.Find("hostname"), "My Server, \"24/7\"");
    QTest::keyClicks(f.Find("port"), "270159");  // five at most
    for (const char* box : {"sv_lan", "mp_footsteps", "pausable"}) f.Click(box);  // 0, 2 and 1 before
    QSignalSpy clicked(f.Find<QPushButton>("Command3"), &QPushButton::clicked);
    if (byKey) QTest::keyClick(f.form.get(), Qt::Key_W, Qt::AltModifier);
    else f.Click("Command3");
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(2000));
    EXPECT_EQ(f.game.Read("tfc/server.cfg"), expected);
    EXPECT_EQ(f.dialogs.shown, QStringList{"The new Server.cfg and Listenserver.cfg files have been created successfully"});
  }
}

TEST(MainForm, loadOpensOnTheMapTab_andEveryTabShowsItsOwnControlsWithWholeCaptionsAndNoOverlaps) {
  FormOnDisk f;
  f.form->Load();
  EXPECT_EQ(f.Find<QTabWidget>("SSTab1")->currentIndex(), 2);
  config::ResetAutoexecFields(*f.form);  // shown as after a start on a typical installation
  config::ResetServerFields(*f.form);
  f.form->AddStartingMaps({"2fort", "avanti", "badlands", "casbah", "crossover2", "cz2", "dustbowl", "epicenter"});
  auto on = [&](QWidget* w) { return QRect(w->mapTo(f.form.get(), QPoint(0, 0)), w->size()); };
  for (int tab = 0; tab < 3; ++tab) {
    SCOPED_TRACE("tab " + std::to_string(tab));
    f.Find<QTabWidget>("SSTab1")->setCurrentIndex(tab);
    QApplication::processEvents();
    // The named controls shown, less the tabs, the background pictures and the map pictures' frame.
    std::vector<QWidget*> controls;
    for (QWidget* w : f.form->findChildren<QWidget*>()) {
      const QString name = w->objectName();
      if (w->isVisible() && !name.isEmpty() && !name.startsWith("qt_") && !name.startsWith("Image") &&
          name != "Picture1" && name != "SSTab1")
        controls.push_back(w);
    }
    ASSERT_GT(controls.size(), 10u);
    EXPECT_TRUE(f.Find("Picture6")->isVisible() == (tab == 2) && f.Find("Picture4")->isVisible() == (tab == 2) &&
                f.Find("sv_lan")->isVisible() == (tab == 1));
    for (std::size_t i = 0; i < controls.size(); ++i) {
      QWidget* w = controls[i];
      EXPECT_TRUE(f.form->rect().contains(on(w))) << w->objectName().toStdString();
      const auto* label = qobject_cast<QLabel*>(w);
      const auto* button = qobject_cast<QAbstractButton*>(w);
      const int needed = label && label->pixmap().isNull() ? label->fontMetrics().horizontalAdvance(label->text())
                         : button && !button->text().isEmpty() ? button->sizeHint().width()
                                                                : 0;
      EXPECT_GE(w->width(), needed) << w->objectName().toStdString() << " cuts its caption";
      for (std::size_t j = i + 1; j < controls.size(); ++j)
        EXPECT_FALSE(on(w).intersects(on(controls[j])))
            << w->objectName().toStdString() << " and " << controls[j]->objectName().toStdString();
    }
  }
}

// The list's entries joined with commas.
QString Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out.join(',');
}

struct MapTab : FormOnDisk {
  MapTab() {
    form->Load();
    form->AddAvailableMaps({"xyz", "Avanti", "2fort"});
    form->SetMapCycle({"a", "b", "c"});
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
    if (c[5] != "?") { EXPECT_EQ(selected.isEmpty() ? "none" : selected.join(','), c[5]); }
    EXPECT_EQ(t.dialogs.shown.isEmpty() ? outcome : t.dialogs.shown.join('|'), c[6]);
  }
}

TEST(MapTab, cycleAndMessageAreWrittenClearedAndReadBack_anUneditedMessageKeepsItsBytes_andAFailedWriteSaysSo) {
  MapTab t;
  t.form->SetMapCycle({"2fort", "", "well"});
  t.Click("Command9");
  EXPECT_EQ(t.game.Read("tfc/mapcycle.txt"), "2fort\r\n\r\nwell\r\n");
  t.Click("picTrash");
  t.Click("Command11");
  EXPECT_EQ(Entries(t.cycle), "2fort,,well");
  auto* box = t.Find<QPlainTextEdit>("Text9");
  box->setPlainText("Welcome\nto the server");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "Welcome\r\nto the server\r\n");
  EXPECT_EQ(t.dialogs.shown, (QStringList{"The Mapcycle.txt file has been created.", "The MOTD.txt file has been saved."}));
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
  t.form->SetMotd("unix\nlines");  // as read from "unix\nlines\n"; an edited message takes the program's own line ends
  box->moveCursor(QTextCursor::End);
  QTest::keyClicks(box, "!");
  t.Click("Command16");
  EXPECT_EQ(t.game.Read("tfc/motd.txt"), "unix\r\nlines!\r\n");
  for (const char* clear : {"picTrash", "Command18"}) t.Click(clear);
  for (const char* write : {"Command9", "Command16"}) t.Click(write);
  EXPECT_EQ(t.game.Read("tfc/mapcycle.txt") + "|" + t.game.Read("tfc/motd.txt"), "|\r\n");
  // Into a directory that cannot be written, each write shows its failure and no success.
  test_support::Immutable cycle(t.game.Path("tfc/mapcycle.txt")), motd(t.game.Path("tfc/motd.txt")),
      dir(t.game.Path("tfc"));
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
  t.form->AddStartingMaps({"2fort", "well"});
  t.Find<QComboBox>("Combo1")->setCurrentIndex(1);
  t.form->SetText("port", "27015");
  t.form->SetText("maxplayers", "12");
  for (const char* button : {"Command20", "Command20", "Command4", "Command2", "Command21"}) t.Click(button);
  EXPECT_EQ(t.game.Read("tfc/listenserver.cfg"), config::ListenServerCfgText(*t.form));
  const std::string dir = t.game.GameDir(), cue = "sound c:\\windows\\media\\";
  EXPECT_EQ(t.outside.events,
            (Words{cue + "Military_command.wav", dir + "\\hl.exe| -game tfc -console +sv_lan 0 +maxplayers 12 +map well|" + dir,
                   cue + "launch.wav", dir + "\\hl.exe| -console +connect 127.0.0.1:27016|" + dir,
                   cue + "Military_command.wav", dir + "\\hlds.exe| -game tfc -port 27015 +map well|" + dir, "pause 1000"}));
  t.outside.result = launch::StartResult::Failure("No such file or directory");
  t.Click("Command2");
  EXPECT_EQ(t.dialogs.shown,
            QStringList{QString::fromStdString("Quorvane could not start " + dir + "\\hlds.exe: No such file or directory")});
}


TEST_F(StartSequenceTest, wholeRun_windowsAndSoundsInOrderAndNothingLeftBehind) {
  Start(true);
  Tick(sequence->IntroWindow(), "Timer2", 300, 2);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  EXPECT_EQ(sequence->IntroWindow(), nullptr);
  MainForm* main = sequence->Main();
  ASSERT_TRUE(main != nullptr && main->isVisible());
  ASSERT_TRUE(sequence->StartWindow() != nullptr && sequence->StartWindow()->isVisible());
  Tick(sequence->StartWindow(), "Timer1", 1000, 2);

  QTest::mouseClick(sequence->StartWindow()->findChild<QPushButton*>("RockOn"), Qt::LeftButton);
  FlushUnloads();
  EXPECT_EQ(sequence->StartWindow(), nullptr);
  EXPECT_EQ((Words{main->GetText("hostname"), main->GetText("mp_teamplay"), main->GetText("rate"), main->Motd(),
                   std::to_string(main->GetCheck("cl_himodels"))}),
            (Words{"Friday Night TFC", "21", "9999", "Welcome!\r\nNo spawn camping.", "0"}));
  EXPECT_EQ(main->findChild<QComboBox*>("Combo1")->count() + main->findChild<QListWidget*>("List2")->count(), 16);
  EXPECT_EQ(main->MapCycle(), (Words{"2fort", "well", "avanti"}));
  ASSERT_TRUE(sequence->SoundWindow() != nullptr && !sequence->SoundWindow()->isVisible());
  Tick(sequence->SoundWindow(), "Timer1", 750, 2);

  QTest::mouseClick(main->findChild<QPushButton*>("Command5"), Qt::LeftButton);
  FlushUnloads();
  EXPECT_EQ(sequence->Main(), nullptr);
  ASSERT_TRUE(sequence->ByeWindow() != nullptr && sequence->ByeWindow()->isVisible());
  Tick(sequence->ByeWindow(), "Timer2", 1200, 2);
  const std::string m = "sound c:\\windows\\media\\";
  EXPECT_EQ(outside.events, (Words{m + "asscan2.wav", m + "sgun1.wav", m + "saveme2.wav", m + "vox_login.wav",
                                   m + "sgun1.wav", m + "asscan2.wav"}));
  EXPECT_TRUE(ends.empty());
  Tick(sequence->ByeWindow(), "Timer1", 4500);
  ExpectEnded();
}

TEST_F(StartSequenceTest, mainWindowFrameClose_runsTheClosingSequence) {
  Start(true);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  Close(sequence->Main());
  Close(sequence->ByeWindow());  // closing the farewell early still ends the program
  ExpectEnded();
}

TEST_F(StartSequenceTest, firstRun_closingLocateFileEndsTheProgram) {
  Start(false);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  EXPECT_EQ(sequence->Main(), nullptr);
  Close(sequence->LocateFile());
  ExpectEnded();
  EXPECT_FALSE(game.Exists("program/Quorvane.ini"));
}

}  // namespace
}  // namespace quorvane::ui
