// The wait of a sound cue: the program's own events hold still until it ends.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <future>
#include <memory>
#include <thread>

#include "platform/sound.h"

namespace quorvane::platform {
namespace {

// One application object for the whole test program, whichever test needs it first.
void EnsureApp() {
  static int argc = 1;
  static char name[] = "platform_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

TEST(RunHoldingEventsTest, aTimerDueDuringTheWork_firesOnlyAfterIt) {
  EnsureApp();
  int fired = 0;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
  timer.start(0);
  // Stands for a sound that plays for a while; the timer is due all that time.
  RunHoldingEvents([] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }, 60000);
  EXPECT_EQ(fired, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(fired, 1) << "the timer was due all along";
}

TEST(RunHoldingEventsTest, workOutlastingTheTimeout_isLeftToEndOnItsOwn) {
  EnsureApp();
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto ended = std::make_shared<std::promise<void>>();
  std::future<void> end = ended->get_future();
  RunHoldingEvents(
      [released, ended] {
        released.wait();
        ended->set_value();
      },
      10);
  EXPECT_EQ(end.wait_for(std::chrono::seconds(0)), std::future_status::timeout) << "returned before the work ended";
  release.set_value();
  EXPECT_EQ(end.wait_for(std::chrono::seconds(30)), std::future_status::ready);
}

}  // namespace
}  // namespace quorvane::platform
