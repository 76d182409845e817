// The main window's configuration tabs on a real temporary installation: captions, resets, re-reads,
// the bytes a write puts on disk, and the tabs' layout at its natural size.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "config/resets.h"
#include "install/build_info.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

TEST(MainForm, everyButtonKeepsItsCaptionAndTooltip) {
  FormOnDisk f;
  const QList<QStringList> buttons = Rows("buttons.tsv");  // name, caption, tooltip
  ASSERT_EQ(buttons.size(), 29);
  for (const QStringList& row : buttons) {
    SCOPED_TRACE(row[0].toStdString());
    QWidget* w = f.Find(row[0].toLatin1().constData());
    ASSERT_TRUE(w != nullptr && row.size() == 3);
    EXPECT_EQ(w->toolTip(), row[2]);
    if (const auto* button = qobject_cast<QPushButton*>(w)) {
      EXPECT_EQ(button->text(), row[1]);
    }
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
      EXPECT_EQ(f.form->Values().GetText(field), yes ? byDefault : "typed");
      f.Click(reread);
      EXPECT_EQ(f.form->Values().GetText(field), "from file");
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
    QTest::keyClicks(f.Find("port"), "270159");                                   // five at most
    for (const char* box : {"sv_lan", "mp_footsteps", "pausable"}) f.Click(box);  // 0, 2 and 1 before
    QSignalSpy clicked(f.Find<QPushButton>("Command3"), &QPushButton::clicked);
    if (byKey)
      QTest::keyClick(f.form.get(), Qt::Key_W, Qt::AltModifier);
    else
      f.Click("Command3");
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(2000));
    EXPECT_EQ(f.game.Read("tfc/server.cfg"), expected);
    EXPECT_EQ(f.dialogs.shown,
              QStringList{"The new Server.cfg and Listenserver.cfg files have been created successfully"});
  }
}

TEST(MainForm, loadOpensOnTheMapTab_andEveryTabShowsItsOwnControlsWithWholeCaptionsAndNoOverlaps) {
  FormOnDisk f;
  f.form->Load();
  EXPECT_EQ(f.Find<QTabWidget>("SSTab1")->currentIndex(), 2);
  config::FieldValues typical;  // shown as after a start on a typical installation
  config::ResetAutoexecFields(typical);
  config::ResetServerFields(typical);
  f.form->ShowValues(typical);
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
      const int needed = label && label->pixmap().isNull()     ? label->fontMetrics().horizontalAdvance(label->text())
                         : button && !button->text().isEmpty() ? button->sizeHint().width()
                                                               : 0;
      EXPECT_GE(w->width(), needed) << w->objectName().toStdString() << " cuts its caption";
      for (std::size_t j = i + 1; j < controls.size(); ++j)
        EXPECT_FALSE(on(w).intersects(on(controls[j])))
            << w->objectName().toStdString() << " and " << controls[j]->objectName().toStdString();
    }
  }
}

}  // namespace
}  // namespace quorvane::ui
