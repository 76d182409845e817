#include "platform/sound.h"

#include <gtest/gtest.h>

#include "platform/scratch_dir.h"

namespace quorvane::platform {
namespace {

// Each file's name starts with the duration its header gives, -1 for none.
TEST(WaveDurationTest, readsTheLengthFromTheHeader) {
  int files = 0;
  for (const auto& wave : std::filesystem::directory_iterator(QUORVANE_TEST_DATA "/sound")) {
    ++files;
    EXPECT_EQ(WaveDurationMs(testing::Slurp(wave.path())), std::stoi(wave.path().filename().string())) << wave.path();
  }
  EXPECT_EQ(files, 7);
}

// Neither call may reach the audio system: with no application object there
// is none, and a call that tried would not come back.
TEST(NativeSoundPlayerTest, missingOrJunkFile_returnsAtOnce) {
  NativeSoundPlayer().PlaySoundCue("c:\\windows\\media\\no_such_cue_here.wav");
  NativeSoundPlayer().PlaySoundCue(QUORVANE_TEST_DATA "/sound/-1-not-a-wave.wav");
}

}  // namespace
}  // namespace quorvane::platform
