// The window's layout at its natural size: every caption whole, nothing on
// top of anything else. With QUORVANE_SCREENSHOT_DIR set, each tab is also
// saved as a picture there (run under a real X server for the README's).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "config/resets.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

using test::FormOnDisk;

// The controls a user reads or clicks: labels, fields, lists and buttons.
std::vector<QWidget*> Controls(QWidget* page) {
  std::vector<QWidget*> out;
  for (QWidget* w : page->findChildren<QWidget*>()) {
    if (!w->isVisible() || w->objectName().startsWith("Image") || w->objectName() == "txtitem") continue;
    const bool control = qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                         qobject_cast<QComboBox*>(w) || qobject_cast<QListWidget*>(w) ||
                         qobject_cast<QPlainTextEdit*>(w);
    // Parts of a control (a list's scroll bar, a combo's inner edit) are its own business.
    bool inner = false;
    for (QWidget* p = w->parentWidget(); p != page && p != nullptr; p = p->parentWidget())
      if (qobject_cast<QAbstractScrollArea*>(p) || qobject_cast<QComboBox*>(p) || p->objectName() == "picTrash")
        inner = true;
    if (control && !inner) out.push_back(w);
  }
  return out;
}

QRect OnWindow(QWidget* w, QWidget* window) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); }

TEST(MainFormLayout, everyTabShowsWholeCaptionsAndNoControlOverlapsAnother) {
  FormOnDisk f;
  f.form->Load();
  // Shown as after a start on a typical installation.
  config::ResetAutoexecFields(*f.form);
  config::ResetServerFields(*f.form);
  config::FixUpServerFields(*f.form);
  const std::vector<std::string> maps = {"2fort", "avanti", "badlands", "casbah", "crossover2", "cz2", "dustbowl",
                                         "epicenter", "flagrun", "hunted", "push", "ravelin", "rock2", "warpath", "well"};
  f.form->AddStartingMaps(maps);
  f.form->AddAvailableMaps(maps);
  f.form->SetMapCycle({"2fort", "well", "casbah", "rock2", "avanti", "dustbowl"});
  f.form->SetMotd("Welcome to Friday Night TFC!\r\n\r\nNo spawn camping. Be nice to new players.");
  f.form->SetGameDir("C:\\Sierra\\Half-Life");
  auto* tabs = f.Find<QTabWidget>("SSTab1");
  const QString shots = qEnvironmentVariable("QUORVANE_SCREENSHOT_DIR");
  const char* const shotNames[] = {"tab-autoexec.png", "tab-server.png", "tab-maps.png"};
  for (int tab = 0; tab < 3; ++tab) {
    SCOPED_TRACE("tab " + std::to_string(tab));
    tabs->setCurrentIndex(tab);
    QApplication::processEvents();
    std::vector<QWidget*> controls = Controls(tabs->widget(tab));
    if (tab == 2) controls.push_back(f.Find<QWidget>("Picture6"));
    ASSERT_GT(controls.size(), 10u);
    const QRect window = f.form->rect();
    for (QWidget* w : controls) {
      const QRect r = OnWindow(w, f.form.get());
      EXPECT_TRUE(window.contains(r)) << w->objectName().toStdString();
      if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
      }
      if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
      }
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
      for (std::size_t j = i + 1; j < controls.size(); ++j)
        EXPECT_FALSE(OnWindow(controls[i], f.form.get()).intersects(OnWindow(controls[j], f.form.get())))
            << controls[i]->objectName().toStdString() << " and " << controls[j]->objectName().toStdString();
    if (!shots.isEmpty()) {
      QDir().mkpath(shots);
      EXPECT_TRUE(f.form->grab().save(QDir(shots).filePath(QLatin1String(shotNames[tab]))));
    }
  }
}

}  // namespace
}  // namespace quorvane::ui
