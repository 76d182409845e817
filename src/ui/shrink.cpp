#include "ui/shrink.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/shrink_window.h"

namespace quorvane::ui {

void ShrinkWindow(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const QRect frame = window.frameGeometry();
  const app::TwipRect start{app::PixelsToTwips(frame.x(), dpi), app::PixelsToTwips(frame.y(), dpi),
                            app::PixelsToTwips(frame.width(), dpi), app::PixelsToTwips(frame.height(), dpi)};
  const int screenWidth = app::PixelsToTwips(area.width(), dpi);
  const int screenHeight = app::PixelsToTwips(area.height(), dpi);
  // Lets the window go smaller than its layout would like.
  window.setMinimumSize(0, 0);
  for (const app::TwipRect& step : app::ShrinkSteps(start, screenWidth, screenHeight)) {
    window.setGeometry(app::TwipsToPixels(step.left, dpi), app::TwipsToPixels(step.top, dpi),
                       app::TwipsToPixels(step.width, dpi), app::TwipsToPixels(step.height, dpi));
    QCoreApplication::processEvents();
  }
  window.hide();
  QCoreApplication::processEvents();
}

}  // namespace quorvane::ui
