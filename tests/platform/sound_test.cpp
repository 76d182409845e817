#include "platform/sound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace quorvane::platform {
namespace {

std::string Le32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// An 8-bit mono PCM wave header at `byteRate` announcing `dataBytes`, with
// `before` between the RIFF header and the format chunk.
std::string Wave(std::uint32_t byteRate, std::uint32_t dataBytes, const std::string& before = "") {
  return "RIFF" + Le32(0) + "WAVE" + before + "fmt " + Le32(16) + std::string("\1\0\1\0", 4) + Le32(byteRate) +
         Le32(byteRate) + std::string("\1\0\x08\0", 4) + "data" + Le32(dataBytes) + std::string(dataBytes, 'x');
}

TEST(WaveDurationTest, readsTheLengthFromTheHeader) {
  const std::pair<std::string, int> cases[] = {
      {Wave(8000, 8000), 1000},  {Wave(22050, 5512), 249}, {Wave(8000, 4000, "LIST" + Le32(5) + "INFO!" + '\0'), 500},
      {Wave(8000, 8000).substr(0, 4044), 500}, {Wave(0, 100), -1},        {std::string(), -1},      {"MZ\x90 not a wave", -1}};
  for (const auto& [bytes, ms] : cases) EXPECT_EQ(WaveDurationMs(bytes), ms) << ::testing::PrintToString(bytes);
}

TEST(NativeSoundPlayerTest, missingOrJunkFile_returnsAtOnce) {
  const std::filesystem::path junk = std::filesystem::temp_directory_path() / "quorvane-junk-cue.wav";
  std::ofstream(junk) << "not a wave file at all";
  // Neither call may reach the audio system: with no application object there
  // is none, and a call that tried would not come back.
  NativeSoundPlayer().PlaySoundCue("c:\\windows\\media\\no_such_cue_here.wav");
  NativeSoundPlayer().PlaySoundCue(junk.string());
  std::filesystem::remove(junk);
}

}  // namespace
}  // namespace quorvane::platform
