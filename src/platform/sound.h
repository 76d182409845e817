#pragma once
// Sound cues through the system's audio output.
#include <functional>
#include <string>

#include "launch/sound_player.h"

namespace quorvane::platform {

// Plays a wave file to its end before returning. No event of the program
// runs meanwhile: its timers, clicks and keys wait for the end of the sound.
// A file that is missing or cannot be played, or a system without an audio
// output, returns at once.
class NativeSoundPlayer : public launch::SoundPlayer {
 public:
  void PlaySoundCue(const std::string& path) override;
  // Readies the audio system on a thread of its own, so that the first cue
  // finds it loaded; called once the first window shows. A cue that comes
  // first loads it itself. Windows has its sound call at hand already.
  void Prepare();
};

// Runs `work` on a thread of its own and blocks the calling thread, running
// none of its events, until the work ends or `timeoutMs` has passed (the
// work then finishes unwatched). Needs an application object. The POSIX
// player's wait; the Windows one blocks in the system's own call.
void RunHoldingEvents(std::function<void()> work, int timeoutMs);

// Length of a PCM wave file in milliseconds, from its header; -1 when the
// bytes are not such a file.
int WaveDurationMs(const std::string& bytes);

}  // namespace quorvane::platform
