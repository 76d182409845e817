#include "platform/sound.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <iterator>

#include "platform/path_resolver.h"

namespace quorvane::platform {

namespace {

// Slack on top of the sound's own length before we stop waiting for an
// output device that never reports the end.
constexpr int kEndSlackMs = 1500;

// Plays the file to its end, or until the guard time, on the calling thread's own event loop.
void PlayToEnd(const QString& file, int guardMs) {
  QSoundEffect effect;
  QEventLoop loop;
  bool started = false;
  QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
    if (effect.status() == QSoundEffect::Ready && !started) {
      started = true;
      effect.play();
    } else if (effect.status() == QSoundEffect::Error) {
      loop.quit();
    }
  });
  QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
    if (started && !effect.isPlaying()) loop.quit();
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);

  effect.setSource(QUrl::fromLocalFile(file));
  if (effect.status() == QSoundEffect::Error) return;
  if (effect.status() == QSoundEffect::Ready && !started) {
    started = true;
    effect.play();
  }
  guard.start(guardMs);
  loop.exec();
  effect.stop();
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

void NativeSoundPlayer::PlaySoundCue(const std::string& path) {
  const std::filesystem::path file = ResolvePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return;

  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const int duration = WaveDurationMs(bytes);
  if (duration < 0) return;
  // Nothing could be heard, so there is nothing to wait for.
  if (QMediaDevices::defaultAudioOutput().isNull()) return;

  const QString name = QString::fromStdString(file.string());
  const int guardMs = duration + kEndSlackMs;
  // Played on a thread of its own while this one waits without running
  // events: the program's timers and the user's clicks wait for the end of
  // the sound, and none of its handlers can run inside the one that plays it.
  RunHoldingEvents([name, guardMs] { PlayToEnd(name, guardMs); }, guardMs);
}

}  // namespace quorvane::platform
