#include "platform/sound.h"

#include <QEventLoop>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "platform/path_resolver.h"

namespace quorvane::platform {

namespace {

// Slack on top of the sound's own length before we stop waiting for an
// output device that never reports the end.
constexpr int kEndSlackMs = 1500;

}  // namespace

void NativeSoundPlayer::PlaySoundCue(const std::string& path) {
  const std::filesystem::path file = ResolvePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return;

  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const int duration = WaveDurationMs(bytes);
  if (duration < 0) return;

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

  effect.setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
  if (effect.status() == QSoundEffect::Error) return;
  if (effect.status() == QSoundEffect::Ready && !started) {
    started = true;
    effect.play();
  }
  guard.start(duration + kEndSlackMs);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  effect.stop();
}

}  // namespace quorvane::platform
