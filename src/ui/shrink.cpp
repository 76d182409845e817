#include "ui/shrink.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "app/shrink_window.h"

namespace quorvane::ui {

bool ShrinkWindow(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  // The steps are the outer frame's, title bar and borders included; move()
  // places that frame, while resize() sizes only the inside, so the
  // decorations come off every step's size.
  const QRect frame = window.frameGeometry();
  const int decorationWidth = frame.width() - window.width();
  const int decorationHeight = frame.height() - window.height();
  const app::TwipRect start{app::PixelsToTwips(frame.x(), dpi), app::PixelsToTwips(frame.y(), dpi),
                            app::PixelsToTwips(frame.width(), dpi), app::PixelsToTwips(frame.height(), dpi)};
  const int screenWidth = app::PixelsToTwips(area.width(), dpi);
  const int screenHeight = app::PixelsToTwips(area.height(), dpi);
  const QPointer<QWidget> alive(&window);
  // Lets the window go smaller than its layout would like. Not (0, 0): a
  // zero minimum counts as none, and the layout puts its own back.
  window.setMinimumSize(1, 1);
  for (const app::TwipRect& step : app::ShrinkSteps(start, screenWidth, screenHeight)) {
    window.resize(std::max(0, app::TwipsToPixels(step.width, dpi) - decorationWidth),
                  std::max(0, app::TwipsToPixels(step.height, dpi) - decorationHeight));
    window.move(app::TwipsToPixels(step.left, dpi), app::TwipsToPixels(step.top, dpi));
    // Clicks and keys wait until the window is gone: none may start a
    // second close of it meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!alive) return false;
  }
  window.hide();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return !alive.isNull();
}

}  // namespace quorvane::ui
