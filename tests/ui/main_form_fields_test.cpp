// The main window's controls: every configuration field from the catalogue,
// the tabs, the buttons and the behaviour of the two kinds of field.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "config/field_catalogue.h"
#include "ui/field_widgets.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

using test::FormOnDisk;

QString Q(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

TEST(MainFormFields, everyCatalogueFieldHasItsControlKindTooltipLabelAndLimit) {
  FormOnDisk f;
  for (const config::ConfigField& field : config::FieldCatalogue::All()) {
    SCOPED_TRACE(std::string(field.name));
    QWidget* control = f.Find<QWidget>(std::string(field.name).c_str());
    ASSERT_NE(control, nullptr);
    if (field.IsCheckBox()) {
      auto* box = qobject_cast<QCheckBox*>(control);
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(box->isTristate());
    } else {
      auto* edit = qobject_cast<QLineEdit*>(control);
      ASSERT_NE(edit, nullptr);
      EXPECT_EQ(edit->maxLength(), field.maxLength > 0 ? field.maxLength : 32767);
    }
    EXPECT_EQ(control->toolTip(), Q(field.tooltip));
    // The label is the one whose buddy is the control.
    QLabel* label = nullptr;
    for (QLabel* l : f.form->findChildren<QLabel*>())
      if (l->buddy() == control) label = l;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), Q(field.label));
    if (field.name == "motd_display_time")
      EXPECT_EQ(label->objectName(), "Label5");
    else
      EXPECT_TRUE(label->objectName().startsWith("lblLabels_")) << label->objectName().toStdString();
    // Each field sits on its catalogue tab.
    auto* tabs = f.Find<QTabWidget>("SSTab1");
    EXPECT_TRUE(tabs->widget(static_cast<int>(field.tab))->isAncestorOf(control));
  }
  EXPECT_EQ(f.Find<QLabel>("lblLabels_9")->text(), "gl_keeptjunctions:") << "tab 0 in its window order";
}

TEST(MainFormFields, windowTabsAndMapControlsCarryTheirNamesAndTexts) {
  FormOnDisk f;
  EXPECT_EQ(f.form->objectName(), "MainForm");
  EXPECT_EQ(f.form->windowTitle(), "Quorvane");
  EXPECT_EQ(f.form->font().family(), "Comic Sans MS");
  auto* tabs = f.Find<QTabWidget>("SSTab1");
  ASSERT_EQ(tabs->count(), 3);
  EXPECT_EQ(tabs->tabText(0), "Autoexec Config");
  EXPECT_EQ(tabs->tabText(1), "Server Config");
  EXPECT_EQ(tabs->tabText(2), "Game Map/Dedicated Server/Quit");
  auto* gamePath = f.Find<QLineEdit>("GamePath");
  ASSERT_NE(gamePath, nullptr);
  EXPECT_TRUE(gamePath->isReadOnly());
  EXPECT_EQ(gamePath->toolTip(),
            "You cannot edit this control from here.  You have to click on the 'Change Location of hlds.exe button'.");
  EXPECT_EQ(f.Find<QLineEdit>("txtitem")->text(), "Text1");
  EXPECT_EQ(f.Find<QWidget>("Picture6")->parentWidget(), f.form.get()) << "lies on the window, not on a tab";
  for (const char* name : {"Combo1", "List1", "List2", "Picture1", "Picture2", "Picture3", "Picture4", "picTrash",
                           "Text9", "Label1", "Label2", "Label3", "Label4", "Image1", "Image2", "Image3"})
    EXPECT_NE(f.Find<QWidget>(name), nullptr) << name;
}

TEST(MainFormFields, everyButtonHasItsCaptionAndTooltip) {
  struct Row {
    const char* name;
    int tab;
    const char* caption;
    const char* tooltip;
  };
  const Row rows[] = {
      {"Command10", 0, "Autoexec.cfg &Info", ""},
      {"Command1", 0, "&Write to Autoexec.cfg File", ""},
      {"Command14", 0, "Set all Fields to &Default", ""},
      {"Command13", 0, "&Re-Read Auotexec.cfg File", ""},
      {"Command8", 1, "Server.cfg &Info", ""},
      {"Command15", 1, "Set all Fields to &Default", ""},
      {"Command3", 1, "&Write to Server Config File", ""},
      {"Command12", 1, "&Re-Read Server.cfg File", ""},
      {"Command9", 2, "&Write to Mapcycle.txt", "Save the new MapCycle.txt file"},
      {"Command11", 2, "Re-&Read MapCycle.txt File", "Re-Read the Values from the Mapcycle.txt file"},
      {"Command16", 2, "Write to &Message of the Day", "Write to the Message of the Day File"},
      {"Command17", 2, "&Re-Read MOTD", "Re-Read the text from the Message of the Day file."},
      {"Command18", 2, "&Clear MOTD", "Clear the screen of the Message of the Day"},
      {"Command19", 2, "&Change Location of hlds.exe",
       "This will open up the form that allows you to change the directory location of the hlds.exe file"},
      {"Command2", 2, "Start &Dedicated Server", "Start a dedicated TFC Server"},
      {"Command20", 2, "Start &Listen Server", ""},
      {"Command21", 2, "&Stop Server", ""},
      {"Command4", 2, "&Join Your Game",
       "Join the Dedicated Server that you have running - You must start a dedicated server first."},
      {"Command5", 2, "&Quit This Program", "Quit the Quorvane Program."},
      {"Command6", 2, "&Email Comments on This Program", "Email to the creator of the Quorvane Program"},
      {"Command7", 2, "Go To Quorvane &Website", "Go To the Quorvane Website."},
  };
  FormOnDisk f;
  auto* tabs = f.Find<QTabWidget>("SSTab1");
  for (const Row& r : rows) {
    auto* button = f.Find<QPushButton>(r.name);
    ASSERT_NE(button, nullptr) << r.name;
    EXPECT_EQ(button->text(), r.caption) << r.name;
    EXPECT_EQ(button->toolTip(), r.tooltip) << r.name;
    EXPECT_TRUE(tabs->widget(r.tab)->isAncestorOf(button)) << r.name;
  }
  const std::pair<const char*, const char*> pictures[] = {
      {"Picture2", "Move Up in the order the highlighted map"},
      {"Picture3", "Move Down in the order the highlighted map"},
      {"Picture4", "Add the highlighted map from the Available Maps to the MapCycle.txt file"},
      {"Picture6", "Remove the highlighted map from the Mapcycle.txt list."},
      {"picTrash", "Clears the MapCycle.txt listing on the right so you can start fresh"},
      {"Combo1", "Pick a starting map."},
      {"List2", "These are the available maps"},
      {"List1",
       "These are the maps in the C:\\Sierra\\Half-Life\\TFC\\Mapcycle.txt file -- You can add to it or take a map "
       "from it."},
  };
  for (const auto& [name, tooltip] : pictures) EXPECT_EQ(f.Find<QWidget>(name)->toolTip(), tooltip) << name;
}

TEST(MainFormFields, aClickOnlyClearsOrTicksAndOnlyAFileGreys) {
  FormOnDisk f;
  f.form->Load();
  f.Find<QTabWidget>("SSTab1")->setCurrentIndex(1);
  auto* box = f.Find<QCheckBox>("sv_aim");
  struct Step {
    int before;
    int after;
  };
  for (Step s : {Step{0, 1}, Step{1, 0}, Step{2, 1}}) {
    f.form->SetCheck("sv_aim", s.before);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(f.form->GetCheck("sv_aim"), s.after) << "from " << s.before;
  }
  f.form->SetCheck("sv_aim", 2);
  f.form->SetCheck("sv_aim", 7);
  EXPECT_EQ(f.form->GetCheck("sv_aim"), 2) << "a number outside 0 to 2 leaves the box";
  EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
}

TEST(MainFormFields, typingStopsAtTheLimitButAFileValueStaysWhole) {
  FormOnDisk f;
  f.form->Load();
  f.Find<QTabWidget>("SSTab1")->setCurrentIndex(1);
  auto* gravity = f.Find<QLineEdit>("sv_gravity");
  gravity->clear();
  QTest::keyClicks(gravity, "12345");
  EXPECT_EQ(gravity->text(), "123");

  f.form->SetText("sv_gravity", "1000");
  EXPECT_EQ(f.form->GetText("sv_gravity"), "1000");
  // Shortening it brings the limit back, so it cannot grow past three again.
  gravity->setFocus();
  gravity->end(false);
  QTest::keyClick(gravity, Qt::Key_Backspace);
  QTest::keyClicks(gravity, "99");
  EXPECT_EQ(gravity->text(), "100");

  const std::string huge(100000, 'x');
  f.form->SetText("hostname", huge);
  EXPECT_EQ(f.form->GetText("hostname"), huge) << "longer than a line edit holds";
}

TEST(MainFormFields, textsTravelAsSingleByteCodePage) {
  FormOnDisk f;
  const std::string bytes = "Caf\xE9 \x80 \xA0 \x81";
  f.form->SetText("hostname", bytes);
  EXPECT_EQ(f.Find<QLineEdit>("hostname")->text(), QString::fromUtf8("Caf\u00e9 \u20ac \u00a0 \u0081"));
  EXPECT_EQ(f.form->GetText("hostname"), bytes);
  EXPECT_EQ(f.form->GetText("no_such_field"), "");
  EXPECT_EQ(f.form->GetCheck("hostname"), 0);
}

}  // namespace
}  // namespace quorvane::ui
