// Work put off until the first window is on the screen.
#include "ui/first_window.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

TEST(AfterFirstWindowShowsTest, workWaitsForAWindowToShow_thenRunsOnce) {
  fixtures::App();
  int runs = 0;
  AfterFirstWindowShows([&runs] { ++runs; });
  QWidget hidden;
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 0) << "ran before any window showed";

  QWidget first;
  first.show();
  EXPECT_TRUE(QTest::qWaitFor([&runs] { return runs > 0; }, 10000));
  QWidget second;
  second.show();
  EXPECT_TRUE(QTest::qWaitFor([&second] { return second.windowHandle()->isExposed(); }, 10000));
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace quorvane::ui
