// The start and closing sequence ended from the main window's frame, with its timers driven by the test.
// The whole run through its buttons is in effects_order_test.cpp; the first run's locate window closed,
// in install_sequence_test.cpp.
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

TEST_F(StartSequenceTest, mainWindowFrameClose_runsTheClosingSequence) {
  StartPastIntro();
  Close(sequence->Main());
  Close(sequence->ByeWindow());  // closing the farewell early still ends the program
  ExpectEnded();
}

}  // namespace
}  // namespace quorvane::ui
