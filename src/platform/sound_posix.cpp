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

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

// Slack on top of the sound's own length before we stop waiting for an
// output device that never reports the end.
constexpr int kEndSlackMs = 1500;

}  // namespace

int WaveDurationMs(const std::string& bytes) {
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return -1;
  std::uint32_t byteRate = 0;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t size = Le32(bytes, at + 4);
    const std::size_t body = at + 8;
    if (bytes.compare(at, 4, "fmt ") == 0) {
      if (size < 16 || body + 16 > bytes.size()) return -1;
      byteRate = Le32(bytes, body + 8);
    } else if (bytes.compare(at, 4, "data") == 0) {
      if (byteRate == 0) return -1;
      const std::uint64_t available = bytes.size() - body;
      const std::uint64_t length = size < available ? size : available;
      return static_cast<int>(length * 1000 / byteRate);
    }
    at = body + size + (size & 1u);
  }
  return -1;
}

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
