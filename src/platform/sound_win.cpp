#include "platform/sound.h"

#include "platform/win32_api.h"
// After windows.h, which it needs.
#include <mmsystem.h>

namespace quorvane::platform {

// Synchronous, and without SND_NODEFAULT: a file that cannot be played gives
// the system's default sound, as users of the program know it.
void NativeSoundPlayer::PlaySoundCue(const std::string& path) { sndPlaySoundA(path.c_str(), 0); }

// winmm is linked with the program; there is nothing to load first.
void NativeSoundPlayer::Prepare() {}

}  // namespace quorvane::platform
