#include "app/shrink_window.h"

#include <cmath>

namespace quorvane::app {

std::vector<TwipRect> ShrinkSteps(TwipRect window, int screenWidth, int screenHeight) {
  std::vector<TwipRect> steps;
  do {
    if (window.height >= kShrinkMinHeight) {
      window.height -= kShrinkStep;
      window.top = (screenHeight - window.height) / 2;
    }
    window.width -= kShrinkStep;
    window.left = (screenWidth - window.width) / 2;
    steps.push_back(window);
  } while (window.width >= kShrinkStopWidth);
  return steps;
}

int PixelsToTwips(int pixels, double dpi) {
  if (dpi <= 0) dpi = 96;
  return static_cast<int>(std::lround(pixels * 1440.0 / dpi));
}

int TwipsToPixels(int twips, double dpi) {
  if (dpi <= 0) dpi = 96;
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

}  // namespace quorvane::app
