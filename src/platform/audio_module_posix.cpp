// The audio module's body: everything that needs Qt Multimedia.
#include <QAudioDevice>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include "platform/audio_module.h"

namespace quorvane::platform {
namespace {

bool HasOutput() { return !QMediaDevices::defaultAudioOutput().isNull(); }

void PlayToEnd(const char* file, int guardMs) {
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

  effect.setSource(QUrl::fromLocalFile(QString::fromUtf8(file)));
  if (effect.status() == QSoundEffect::Error) return;
  if (effect.status() == QSoundEffect::Ready && !started) {
    started = true;
    effect.play();
  }
  guard.start(guardMs);
  loop.exec();
  effect.stop();
}

constexpr AudioModule kModule{HasOutput, PlayToEnd};

}  // namespace
}  // namespace quorvane::platform

extern "C" __attribute__((visibility("default"))) const quorvane::platform::AudioModule* quorvane_audio_module() {
  return &quorvane::platform::kModule;
}
