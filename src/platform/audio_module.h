#pragma once
// What the audio module (kAudioModuleFile) offers the sound player: Qt
// Multimedia and the sound system it pulls in live there, loaded after the
// first window shows.

namespace quorvane::platform {

struct AudioModule {
  // Whether the system has an audio output to play on.
  bool (*hasOutput)();
  // Plays the wave file (UTF-8 path) to its end, or until `guardMs` has passed,
  // on the calling thread's own event loop.
  void (*playToEnd)(const char* file, int guardMs);
};

inline constexpr const char* kAudioModuleEntry = "quorvane_audio_module";

}  // namespace quorvane::platform
