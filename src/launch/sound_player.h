#pragma once
#include <string>

namespace quorvane::launch {

// Plays one wave file and returns when it has ended; a missing file plays
// nothing and returns at once. The path is the program's own text
// ("c:\windows\media\uhoh.wav"); the real player maps it to the system.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void PlaySoundCue(const std::string& path) = 0;
};

}  // namespace quorvane::launch
