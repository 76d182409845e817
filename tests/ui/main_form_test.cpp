// The main window on a real temporary installation: every button's caption and tooltip, and the tabs'
// layout at its natural size.
#include <QLabel>
#include <QPushButton>

#include "config/resets.h"
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

TEST(MainForm, loadOpensOnTheMapTab_andEveryTabShowsItsOwnControlsWithWholeCaptionsAndNoOverlaps) {
  FormOnDisk f;
  f.form->Load();
  EXPECT_EQ(f.Find<QTabWidget>("SSTab1")->currentIndex(), 2);
  config::FieldValues typical;  // shown as after a start on a typical installation
  config::ResetAutoexecFields(typical);
  config::ResetServerFields(typical);
  f.form->ShowValues(typical);
  f.form->Maps().AddStartingMaps(
      {"2fort", "avanti", "badlands", "casbah", "crossover2", "cz2", "dustbowl", "epicenter"});
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
