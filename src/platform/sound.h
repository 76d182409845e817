#pragma once
// Sound cues through the system's audio output.
#include <string>

#include "launch/sound_player.h"

namespace quorvane::platform {

// Plays a wave file to its end before returning. Window events other than
// user input keep running meanwhile, so the window repaints but takes no
// clicks or keys. A file that is missing or cannot be played returns at once.
class NativeSoundPlayer : public launch::SoundPlayer {
 public:
  void PlaySoundCue(const std::string& path) override;
};

// Length of a PCM wave file in milliseconds, from its header; -1 when the
// bytes are not such a file.
int WaveDurationMs(const std::string& bytes);

}  // namespace quorvane::platform
