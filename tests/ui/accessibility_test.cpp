// The windows without a mouse, without the pictures and without a light desktop: the names a
// screen reader says, the map tab from the keyboard, sharp pictures at the screen's pixel
// ratio, and labels that stay readable over the light pictures under a dark palette.
#include <QLabel>
#include <QToolButton>
#include <cmath>
#include <tuple>

#include "ui/accessibility.h"
#include "ui/locate_window.h"
#include "ui/pictures.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

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
  LocateWindow locate(LocateWindow::Kind::FirstRun, {}, {});
  // What the name comes from, the window, the control, and the name a screen reader says.
  const std::tuple<const char*, QWidget*, const char*, QString> rows[] = {
      {"the label before a check box", t.form.get(), "cl_nodelta", "cl_nodelta:"},
      {"a caption", t.form.get(), "Command14", "Set all Fields to Default"},
      {"a caption with a doubled &", &locate, "Command1", "Save & Close"},
      {"a picture button's tooltip, up to its full stop", t.form.get(), "Picture6",
       "Remove the highlighted map from the Mapcycle.txt list"},
      {"a picture's tooltip", t.form.get(), "picTrash",
       "Clears the MapCycle.txt listing on the right so you can start fresh"},
  };
  for (const auto& [from, window, name, said] : rows) {
    SCOPED_TRACE(from);
    const QWidget* control = window->findChild<QWidget*>(name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->accessibleName(), said);
  }
}

// Enter and Insert add the available map, Ctrl+arrows move the cycle's entry, and Tab reaches the
// pictures beside the lists, which Space presses.
TEST(Accessibility, mapTabIsWorkedFromTheKeyboardAlone) {
  FormOnDisk t(2);
  t.form->Maps().AddAvailableMaps({"2fort", "well"});
  t.form->Maps().SetMapCycle({"a", "b"});
  t.Find<QListWidget>("List2")->setCurrentRow(1);
  t.Find<QListWidget>("List1")->setCurrentRow(0);
  t.Find("List2")->setFocus();
  const char* const keys[] = {"Return",  "Ins", "Tab",   "Space", "Tab",   "Space", "Tab",   "Ctrl+Down", "Ctrl+Down",
                              "Ctrl+Up", "Tab", "Space", "Tab",   "Space", "Tab",   "Space", "Tab"};
  QStringList reached;  // after each key: the control with the focus, and the cycle
  for (const char* key : keys) {
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(key));
    reached << QApplication::focusWidget()->objectName() + ":" + Entries(t.Find<QListWidget>("List1"));
  }
  EXPECT_EQ(reached.join(' ').toStdString(),
            "List2:a,b,well List2:a,b,well,well Picture4:a,b,well,well Picture4:a,b,well,well,well "
            "Picture6:a,b,well,well,well Picture6:b,well,well,well List1:b,well,well,well List1:well,b,well,well "
            "List1:well,well,b,well List1:well,b,well,well Picture2:well,b,well,well Picture2:b,well,well,well "
            "Picture3:b,well,well,well Picture3:well,b,well,well picTrash:well,b,well,well picTrash: Command9:");
}

// ctest runs this once more with QT_SCALE_FACTOR=2.
TEST(Accessibility, picturesHaveAsManyPixelsAsTheScreenShows) {
  FormOnDisk t(2);
  const qreal ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
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
  const QPalette dark(QColor(0x30, 0x30, 0x30));  // light text on a dark window
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
