#pragma once
// The wave files the start and closing windows play, and the played-once rule.
#include "launch/sound_player.h"

namespace quorvane::app {

inline constexpr const char* kAsscan2Wav = "c:\\windows\\media\\asscan2.wav";
inline constexpr const char* kSgun1Wav = "c:\\windows\\media\\sgun1.wav";
inline constexpr const char* kSaveme2Wav = "c:\\windows\\media\\saveme2.wav";
inline constexpr const char* kVoxLoginWav = "c:\\windows\\media\\vox_login.wav";

// A timer keeps ticking after its sound; each flag lets its sound play once per window load.
class OnceCue {
 public:
  explicit OnceCue(const char* path) : m_path(path) {}
  void Play(launch::SoundPlayer& player) {
    if (m_played) return;
    // Set first: a sound that blocks while events run must not start again.
    m_played = true;
    player.PlaySoundCue(m_path);
  }

 private:
  const char* m_path;
  bool m_played = false;
};

}  // namespace quorvane::app
