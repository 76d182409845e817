#pragma once
// The closing animation of a window, as sizes in twips (1/1440 inch).
#include <vector>

namespace quorvane::app {

struct TwipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TwipRect&) const = default;
};

inline constexpr int kShrinkStep = 100;
inline constexpr int kShrinkMinHeight = 450;  // a shorter window keeps its height and top
inline constexpr int kShrinkStopWidth = 1900;

// Every geometry the window takes, one per step, centred on the screen; the
// width test comes after the step, so any window takes at least one.
std::vector<TwipRect> ShrinkSteps(TwipRect window, int screenWidth, int screenHeight);

// Twips from pixels and back at the screen's logical DPI.
int PixelsToTwips(int pixels, double dpi);
int TwipsToPixels(int twips, double dpi);

}  // namespace quorvane::app
