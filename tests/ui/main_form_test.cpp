// The main window's controls, the configuration buttons of the first two tabs
// on a real installation, and the layout at its natural size. With
// QUORVANE_SCREENSHOT_DIR set, each tab is also saved as a picture there.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

#include "config/field_catalogue.h"
#include "config/resets.h"
#include "install/build_info.h"
#include "support/real_faults.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

using test::FormOnDisk;

QString Q(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// A form loaded and shown on one tab.
struct FormOnTab : FormOnDisk {
  explicit FormOnTab(int tab) {
    form->Load();
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Find<QTabWidget>("SSTab1")->setCurrentIndex(tab);
  }
};

TEST(MainForm, everyCatalogueFieldHasItsControlKindTooltipLabelLimitAndTab) {
  FormOnDisk f;
  for (const config::ConfigField& field : config::FieldCatalogue::All()) {
    SCOPED_TRACE(std::string(field.name));
    QWidget* control = f.Find(std::string(field.name).c_str());
    ASSERT_NE(control, nullptr);
    if (field.IsCheckBox()) {
      ASSERT_TRUE(qobject_cast<QCheckBox*>(control) && qobject_cast<QCheckBox*>(control)->isTristate());
    } else {
      ASSERT_NE(qobject_cast<QLineEdit*>(control), nullptr);
      EXPECT_EQ(qobject_cast<QLineEdit*>(control)->maxLength(), field.maxLength > 0 ? field.maxLength : 32767);
    }
    EXPECT_EQ(control->toolTip(), Q(field.tooltip));
    QLabel* label = nullptr;  // the one whose buddy is the control
    for (QLabel* l : f.form->findChildren<QLabel*>()) label = l->buddy() == control ? l : label;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), Q(field.label));
    EXPECT_TRUE(f.Find<QTabWidget>("SSTab1")->widget(static_cast<int>(field.tab))->isAncestorOf(control));
  }
}

TEST(MainForm, everyButtonHasItsCaptionAndTooltip) {
  FormOnDisk f;
  QFile rows(QUORVANE_TEST_DATA "/ui/buttons.tsv");  // name, caption, tooltip
  ASSERT_TRUE(rows.open(QIODevice::ReadOnly | QIODevice::Text));
  while (!rows.atEnd()) {
    const QStringList row = QString::fromUtf8(rows.readLine()).chopped(1).split('\t');
    QWidget* w = f.Find(row[0].toLatin1().constData());
    ASSERT_TRUE(w != nullptr && row.size() == 3) << row[0].toStdString();
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      EXPECT_EQ(button->text(), row[1]);
    }
    EXPECT_EQ(w->toolTip(), row[2]) << row[0].toStdString();
  }
}

TEST(MainForm, aClickOnlyClearsOrTicksAndOnlyAFileGreys) {
  FormOnTab f(1);
  for (const auto& [before, after] : {std::pair{0, 1}, {1, 0}, {2, 1}}) {
    f.form->SetCheck("sv_aim", before);
    f.Click("sv_aim");
    EXPECT_EQ(f.form->GetCheck("sv_aim"), after) << "from " << before;
  }
  f.game.Write("tfc/server.cfg", "sv_aim \"2\"\r\n");
  f.Click("Command12");
  EXPECT_EQ(f.Find<QCheckBox>("sv_aim")->checkState(), Qt::PartiallyChecked);
  f.Click("Command3");
  EXPECT_NE(f.game.Read("tfc/server.cfg").find("\r\nsv_aim\t\t\t\"2\"\r\n"), std::string::npos);
}

TEST(MainForm, aFilesLongAndCodePageValuesSurviveLoadAndWriteButTypingKeepsTheLimit) {
  FormOnTab f(1);
  f.game.Write("tfc/server.cfg", "sv_gravity\t\"1000\"\r\nhostname \"Caf\xE9 \x80\"\r\n");
  f.Click("Command12");
  EXPECT_EQ(f.Find<QLineEdit>("sv_gravity")->text(), "1000");
  EXPECT_EQ(f.Find<QLineEdit>("hostname")->text(), QString::fromUtf8("Caf\u00e9 \u20ac"));
  f.Click("Command3");
  const std::string written = f.game.Read("tfc/server.cfg");
  EXPECT_NE(written.find("\r\nsv_gravity\t\t\"1000\"\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\nhostname\t\t\"Caf\xE9 \x80\"\r\n"), std::string::npos);
  // Shortening it brings the limit back, so it cannot grow past three again.
  auto* gravity = f.Find<QLineEdit>("sv_gravity");
  gravity->setFocus();
  gravity->end(false);
  QTest::keyClick(gravity, Qt::Key_Backspace);
  QTest::keyClicks(gravity, "99");
  EXPECT_EQ(gravity->text(), "100");
}

TEST(MainForm, typedValuesReachServerCfgByteForByteByClickAndByAccessKey) {
  std::ifstream in(QUORVANE_TEST_DATA "/ui/typed_server.cfg", std::ios::binary);
  std::string expected{std::istreambuf_iterator<char>(in), {}};
  expected.replace(expected.find("@DOWNLOAD_PAGE@"), 15, install::kDownloadPage);
  for (bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Alt+W" : "click");
    FormOnTab f(1);
    QTest::keyClicks(f.Find("hostname"), "My Server, \"24/7\"");
    QTest::keyClicks(f.Find("port"), "270159");  // five at most
    f.Click("sv_lan");
    f.form->SetCheck("tfc_autoteam", 2);
    QSignalSpy clicked(f.Find<QPushButton>("Command3"), &QPushButton::clicked);
    if (byKey) QTest::keyClick(f.form.get(), Qt::Key_W, Qt::AltModifier);
    else f.Click("Command3");
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(2000));
    EXPECT_EQ(f.game.Read("tfc/server.cfg"), expected);
    EXPECT_TRUE(f.game.Exists("tfc/listenserver.cfg"));
    EXPECT_EQ(f.dialogs.Texts(),
              QStringList{"The new Server.cfg and Listenserver.cfg files have been created successfully"});
  }
}

TEST(MainForm, rereadBringsTheFilesValuesBackAfterAnEdit) {
  for (const auto& [file, button, field, tab] : {std::tuple{"tfc/server.cfg", "Command12", "hostname", 1},
                                                 {"valve/autoexec.cfg", "Command13", "rate", 0}}) {
    SCOPED_TRACE(button);
    FormOnTab f(tab);
    f.game.Write(file, std::string("// mine\n") + field + "\t\"from file\"\nsv_lan \"2\"\n");
    QTest::keyClicks(f.Find(field), "typed");
    f.Click(button);
    EXPECT_EQ(f.form->GetText(field), "from file");
    EXPECT_EQ(f.form->GetCheck("sv_lan"), 2);
    EXPECT_TRUE(f.dialogs.shown.empty());
  }
}

TEST(MainForm, resetsAskFirstAndOnlyYesPutsTheDefaultsIn) {
  const char* const cases[][5] = {
      {"Command14", "0", "Set Autoexec.Cfg fields to Default Values", "rate", "3500"},
      {"Command15", "1", "Set Server.Cfg fields to Default Values", "hostname", "TFC Battle"},
  };
  for (const auto& [button, tab, title, field, byDefault] : cases) {
    for (bool yes : {false, true}) {
      SCOPED_TRACE(std::string(button) + (yes ? " Yes" : " No"));
      FormOnTab f(std::atoi(tab));
      f.form->SetText(field, "mine");
      f.form->SetCheck("sv_cheats", 1);
      f.dialogs.answers.push_back(yes);
      f.Click(button);
      ASSERT_EQ(f.dialogs.shown.size(), 1u);
      EXPECT_EQ(f.dialogs.shown[0].text, "Are you sure you want to set all Fields to their Default Value ?");
      EXPECT_EQ(f.dialogs.shown[0].title, title);
      EXPECT_TRUE(f.dialogs.shown[0].question && f.dialogs.shown[0].icon == Dialogs::Icon::Stop);
      EXPECT_EQ(f.form->GetText(field), yes ? byDefault : "mine");
      EXPECT_EQ(f.form->GetCheck("sv_cheats"), yes ? 0 : 1);
      EXPECT_FALSE(f.game.Exists("tfc/server.cfg")) << "a reset writes nothing";
    }
  }
}

TEST(MainForm, aWriteIntoAReadOnlyDirectoryReportsTheFailureNotSuccess) {
  FormOnTab f(1);
  f.game.Write("tfc/motd.txt", "old\r\n");
  test_support::Immutable lockFile(f.game.Path("tfc/motd.txt")), lock(f.game.Path("tfc"));
  if (!lock.ok() || !lockFile.ok()) GTEST_SKIP() << "no immutable files here: " << lock.error();
  f.Click("Command3");
  f.form->SaveMapCycle();
  f.form->SaveMotd();
  const QStringList texts = f.dialogs.Texts();
  ASSERT_EQ(texts.size(), 3);
  const char* const files[] = {"server.cfg", "mapcycle.txt", "motd.txt"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(texts[i].startsWith("Quorvane could not write " + QString::fromStdString(f.game.GameDir())));
    EXPECT_TRUE(texts[i].contains(files[i]) && !texts[i].contains("success") && !texts[i].contains("saved."));
  }
}

// The controls a user reads or clicks, less the parts of a control (a list's scroll bar, a combo's edit).
std::vector<QWidget*> Controls(QWidget* page) {
  std::vector<QWidget*> out;
  for (QWidget* w : page->findChildren<QWidget*>()) {
    bool inner = !w->isVisible() || w->objectName().startsWith("Image") || w->objectName() == "txtitem";
    for (QWidget* p = w->parentWidget(); p != page && p != nullptr; p = p->parentWidget())
      inner = inner || qobject_cast<QAbstractScrollArea*>(p) || qobject_cast<QComboBox*>(p) || p->objectName() == "picTrash";
    if (!inner && (qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                   qobject_cast<QComboBox*>(w) || qobject_cast<QListWidget*>(w) || qobject_cast<QPlainTextEdit*>(w)))
      out.push_back(w);
  }
  return out;
}

TEST(MainForm, everyTabShowsWholeCaptionsAndNoControlOverlapsAnother) {
  FormOnDisk f;
  f.form->Load();
  config::ResetAutoexecFields(*f.form);  // shown as after a start on a typical installation
  config::ResetServerFields(*f.form);
  config::FixUpServerFields(*f.form);
  f.form->AddStartingMaps({"2fort", "avanti", "badlands", "casbah", "crossover2", "cz2", "dustbowl", "epicenter"});
  f.form->AddAvailableMaps({"2fort", "avanti", "badlands", "casbah", "crossover2", "cz2", "dustbowl", "epicenter"});
  f.form->SetMapCycle({"2fort", "well", "casbah", "rock2", "avanti", "dustbowl"});
  f.form->SetMotd("Welcome to Friday Night TFC!\r\n\r\nNo spawn camping. Be nice to new players.");
  const QString shots = qEnvironmentVariable("QUORVANE_SCREENSHOT_DIR");
  const char* const shotNames[] = {"tab-autoexec.png", "tab-server.png", "tab-maps.png"};
  auto on = [&](QWidget* w) { return QRect(w->mapTo(f.form.get(), QPoint(0, 0)), w->size()); };
  for (int tab = 0; tab < 3; ++tab) {
    SCOPED_TRACE("tab " + std::to_string(tab));
    f.Find<QTabWidget>("SSTab1")->setCurrentIndex(tab);
    QApplication::processEvents();
    std::vector<QWidget*> controls = Controls(f.Find<QTabWidget>("SSTab1")->widget(tab));
    if (tab == 2) controls.push_back(f.Find("Picture6"));
    ASSERT_GT(controls.size(), 10u);
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
    EXPECT_TRUE(shots.isEmpty() || (QDir().mkpath(shots) && f.form->grab().save(QDir(shots).filePath(shotNames[tab]))));
  }
}

}  // namespace
}  // namespace quorvane::ui
