#include "platform/sound.h"

#include <QDeadlineTimer>
#include <QThread>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/audio_module.h"
#include "platform/path_resolver.h"
#include "platform/program_module.h"

namespace quorvane::platform {

namespace {

// Slack on top of the sound's own length before we stop waiting for an
// output device that never reports the end.
constexpr int kEndSlackMs = 1500;

// The audio module, loaded by whichever thread asks first; a thread that asks
// meanwhile waits for that load. Null when it cannot be loaded (said once).
const AudioModule* Audio() {
  static const AudioModule* const module = [] {
    const ModuleEntry entry = LoadModuleEntry(kAudioModuleFile, kAudioModuleEntry);
    if (!entry) {
      std::fprintf(stderr, "quorvane: no sound: %s\n", entry.problem.c_str());
      return static_cast<const AudioModule*>(nullptr);
    }
    return reinterpret_cast<const AudioModule* (*)()>(entry.address)();
  }();
  return module;
}

}  // namespace

void RunHoldingEvents(std::function<void()> work, int timeoutMs) {
  QThread* worker = QThread::create(std::move(work));
  // Work that outlasts the wait ends on its own, and the event loop frees it then.
  QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
  // Deleting it also drops the queued notice of its end.
  if (worker->wait(QDeadlineTimer(timeoutMs))) delete worker;
}

void NativeSoundPlayer::Prepare() {
  // The program may end while the load runs; the thread holds nothing that needs ending.
  std::thread([] { Audio(); }).detach();
}

void NativeSoundPlayer::PlaySoundCue(const std::string& path) {
  const std::filesystem::path file = ResolvePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return;

  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const int duration = WaveDurationMs(bytes);
  if (duration < 0) return;
  const AudioModule* audio = Audio();
  // Nothing could be heard, so there is nothing to wait for.
  if (!audio || !audio->hasOutput()) return;

  const std::string name = file.string();
  const int guardMs = duration + kEndSlackMs;
  // Played on a thread of its own while this one waits without running
  // events: the program's timers and the user's clicks wait for the end of
  // the sound, and none of its handlers can run inside the one that plays it.
  RunHoldingEvents([audio, name, guardMs] { audio->playToEnd(name.c_str(), guardMs); }, guardMs);
}

}  // namespace quorvane::platform
