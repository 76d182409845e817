#pragma once
// Work that can wait until the program's first window is on the screen: it
// then runs without holding that window back.
#include <functional>

namespace quorvane::ui {

// Calls `work` once, from the event loop, after the first window of the
// application has been exposed and drawn. Needs an application object.
void AfterFirstWindowShows(std::function<void()> work);

}  // namespace quorvane::ui
