#include "platform/sound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace quorvane::platform {
namespace {

void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xff);
}
void Put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xff);
  s += static_cast<char>(v >> 8);
}

// A PCM wave of `dataBytes` bytes at `byteRate` bytes a second, with an
// optional chunk before the format.
std::string Wave(std::uint32_t byteRate, std::uint32_t dataBytes, bool listChunk = false, bool truncated = false) {
  std::string s = "RIFF";
  Put32(s, 0);
  s += "WAVE";
  if (listChunk) {
    s += "LIST";
    Put32(s, 5);
    s += "INFO!";
    s += '\0';  // odd chunks are padded
  }
  s += "fmt ";
  Put32(s, 16);
  Put16(s, 1);
  Put16(s, 1);
  Put32(s, byteRate);
  Put32(s, byteRate);
  Put16(s, 1);
  Put16(s, 8);
  s += "data";
  Put32(s, dataBytes);
  s.append(truncated ? dataBytes / 2 : dataBytes, '\x80');
  return s;
}

struct DurationCase {
  const char* name;
  std::string bytes;
  int ms;
};

class WaveDurationTest : public ::testing::TestWithParam<DurationCase> {};

TEST_P(WaveDurationTest, readsTheLengthFromTheHeader) { EXPECT_EQ(WaveDurationMs(GetParam().bytes), GetParam().ms); }

INSTANTIATE_TEST_SUITE_P(
    Files, WaveDurationTest,
    ::testing::Values(DurationCase{"oneSecond", Wave(8000, 8000), 1000},
                      DurationCase{"quarter", Wave(22050, 5512), 249},
                      DurationCase{"listChunkFirst", Wave(8000, 4000, true), 500},
                      DurationCase{"cutShort", Wave(8000, 8000, false, true), 500},
                      DurationCase{"empty", std::string(), -1},
                      DurationCase{"notRiff", std::string("MZ\x90\0\3\0\0\0\4\0\0\0\xff\xff", 15), -1},
                      DurationCase{"noFormat", std::string("RIFF\0\0\0\0WAVEdata\4\0\0\0abcd", 24), -1},
                      DurationCase{"zeroRate", Wave(0, 100), -1},
                      DurationCase{"headerOnly", std::string("RIFF\0\0\0\0WAVE", 12), -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NativeSoundPlayerTest, missingOrJunkFile_returnsAtOnceWithoutSound) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "quorvane-sound-test";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "junk.wav", std::ios::binary) << "not a wave file at all";
  NativeSoundPlayer player;
  // Neither call reaches the audio system: with no application object there
  // is none, and a call that tried would not come back.
  player.PlaySoundCue((dir / "absent.wav").string());
  player.PlaySoundCue((dir / "junk.wav").string());
  player.PlaySoundCue((dir).string());  // a directory is not a sound
  player.PlaySoundCue("c:\\windows\\media\\no_such_cue_here.wav");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quorvane::platform
