// The windows without a mouse, without the pictures and without a light desktop: the names a
// screen reader says, the map cycle from the keyboard, sharp pictures at the screen's pixel
// ratio, and labels that stay readable over the light pictures under a dark palette.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "ui/accessibility.h"
#include "ui/locate_window.h"
#include "ui/pictures.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

QString Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out.join(',');
}

// WCAG relative luminance and contrast ratio.
double Luminance(const QColor& c) {
  auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(Accessibility, controlsAreNamedAfterTheirLabelCaptionOrPictureTooltip) {
  FormOnDisk t;
  LocateWindow locate(LocateWindow::Kind::FirstRun, {});
  const std::tuple<QWidget*, const char*, QString> rows[] = {
      {t.form.get(), "cl_nodelta", "cl_nodelta:"},  // Autoexec Config: a check box after its label
      {t.form.get(), "Command14", "Set all Fields to Default"},
      {t.form.get(), "sv_gravity", "sv_gravity:"},  // Server Config
      {t.form.get(), "Combo1", "Starting Map:"},    // Game Map/Dedicated Server/Quit
      {t.form.get(), "List1", "MapCycle.txt"},
      {t.form.get(), "Text9", "Message of the Day"},
      {t.form.get(), "Picture6", "Remove the highlighted map from the Mapcycle.txt list"},
      {t.form.get(), "picTrash", "Clears the MapCycle.txt listing on the right so you can start fresh"},
      {&locate, "Command1", "Save & Close"},
      {&locate, "GamePath", "Location of hlds.exe file (dedicated server file)"},
  };
  for (const auto& [window, name, said] : rows) {
    SCOPED_TRACE(name);
    const QWidget* control = window->findChild<QWidget*>(name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->accessibleName(), said);
  }
}

TEST(Accessibility, mapCycleIsEditedWithEnterInsertAndCtrlArrows) {
  // What, the list that takes the key, the key, the cycle's selected row before, the cycle and its selection after.
  const std::tuple<const char*, const char*, QKeyCombination, int, QString, int> rows[] = {
      {"Enter adds the available map", "List2", Qt::Key_Return, 0, "a,b,c,well", 0},
      {"Insert adds the available map", "List2", Qt::Key_Insert, 0, "a,b,c,well", 0},
      {"Ctrl+Up moves the entry up", "List1", Qt::CTRL | Qt::Key_Up, 1, "b,a,c", 0},
      {"Ctrl+Down moves the entry down", "List1", Qt::CTRL | Qt::Key_Down, 1, "a,c,b", 2},
      {"Ctrl+Up at the top does nothing", "List1", Qt::CTRL | Qt::Key_Up, 0, "a,b,c", 0},
      {"Ctrl+Down at the bottom does nothing", "List1", Qt::CTRL | Qt::Key_Down, 2, "a,b,c", 2},
  };
  for (const auto& [what, list, key, before, after, selected] : rows) {
    SCOPED_TRACE(what);
    FormOnDisk t;
    t.form->Load();
    t.form->AddAvailableMaps({"2fort", "well"});
    t.form->SetMapCycle({"a", "b", "c"});
    auto* cycle = t.Find<QListWidget>("List1");
    t.Find<QListWidget>("List2")->setCurrentRow(1);
    cycle->setCurrentRow(before);
    QTest::keyClick(t.Find(list), key.key(), key.keyboardModifiers());
    EXPECT_EQ(Entries(cycle), after);
    EXPECT_EQ(cycle->currentRow(), selected);
  }
}

TEST(Accessibility, tabReachesThePicturesBesideTheirListsAndSpacePressesThem) {
  FormOnDisk t(2);
  t.form->AddAvailableMaps({"2fort"});
  t.form->SetMapCycle({"a", "b"});
  t.Find<QListWidget>("List2")->setCurrentRow(0);
  t.Find<QListWidget>("List1")->setCurrentRow(0);
  t.Find("List2")->setFocus();
  QStringList reached;  // each control Tab reaches, and for a picture the cycle after Space on it
  for (int i = 0; i < 7; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    if (focus->objectName().startsWith("pic", Qt::CaseInsensitive)) QTest::keyClick(focus, Qt::Key_Space);
    reached << focus->objectName() + ":" + Entries(t.Find<QListWidget>("List1"));
  }
  EXPECT_EQ(reached.join(' ').toStdString(),
            "Picture4:a,b,2fort Picture6:b,2fort List1:b,2fort Picture2:b,2fort "
            "Picture3:2fort,b picTrash: Command9:");
}

// ctest runs this once more with QT_SCALE_FACTOR=2.
TEST(Accessibility, picturesHaveAsManyPixelsAsTheScreenShows) {
  FormOnDisk t(2);
  const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
  const qreal ratio = scale.isEmpty() ? 1 : scale.toDouble();
  ASSERT_EQ(t.form->devicePixelRatioF(), ratio);
  const QLabel* background = t.Find<QLabel>("Image3");
  EXPECT_EQ(background->pixmap().size(), background->size() * ratio);
  EXPECT_EQ(background->pixmap().devicePixelRatio(), ratio);
  EXPECT_EQ(t.Find<QLabel>("picTrash")->pixmap().devicePixelRatio(), ratio);
  const QPixmap arrow = t.Find<QToolButton>("Picture4")->icon().pixmap(QSize(16, 16), ratio);
  EXPECT_EQ(arrow.size(), QSize(16, 16) * ratio);
}

TEST(Accessibility, labelsOverThePicturesStayReadableUnderADarkPaletteAndUnchangedUnderALightOne) {
  FormOnDisk t;
  QPalette dark = t.form->palette();
  dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
  dark.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
  const auto* tabs = t.Find<QTabWidget>("SSTab1");
  const char* pictures[] = {"bg_autoexec.svg", "bg_server.svg", "bg_maps.svg"};
  std::vector<std::tuple<const QLabel*, QColor, QColor>> shown;  // each label, the colour behind it, its text's today
  for (int tab = 0; tab < tabs->count(); ++tab) {
    const QColor behind =
        AverageColour(SvgPicture(QStringLiteral(":/ui/images/") + pictures[tab], {640, 480}).toImage());
    for (const QLabel* label : tabs->widget(tab)->findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) shown.emplace_back(label, behind, label->palette().color(QPalette::WindowText));
    }
  }
  ASSERT_EQ(shown.size(), 83u);
  ASSERT_LT(Contrast(dark.color(QPalette::WindowText), std::get<1>(shown.front())), 4.5) << "the palette is no test";
  t.form->setPalette(dark);
  for (const auto& [label, behind, today] : shown)
    EXPECT_GE(Contrast(label->palette().color(QPalette::WindowText), behind), 4.5) << qPrintable(label->objectName());
  t.form->setPalette(QPalette());
  for (const auto& [label, behind, today] : shown)
    EXPECT_EQ(label->palette().color(QPalette::WindowText), today) << qPrintable(label->objectName());
}

}  // namespace
}  // namespace quorvane::ui
