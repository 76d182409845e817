#include "ui/pictures.h"

#include <QFile>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstring>

namespace quorvane::ui {

QString PicturePath(const QString& name) { return QStringLiteral(":/ui/images/") + name; }

QImage DrawSvg(const QString& resourcePath, QSize size, qreal ratio) {
  QSvgRenderer renderer(resourcePath);
  if (!renderer.isValid()) return {};
  if (size.isEmpty()) size = renderer.defaultSize();
  QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter);
  painter.end();
  return image;
}

QString DrawnPicturePath(const QString& resourcePath, qreal ratio) {
  if (!resourcePath.endsWith(QStringLiteral("/intro.svg")) || (ratio != 1 && ratio != 2)) return {};
  return resourcePath.chopped(4) + QStringLiteral("@%1x.qz").arg(static_cast<int>(ratio));
}

QByteArray PackDrawnPicture(const QImage& image) {
  const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QByteArray raw(static_cast<qsizetype>(pixels.width()) * pixels.height() * 4, Qt::Uninitialized);
  for (int y = 0; y < pixels.height(); ++y)
    std::memcpy(raw.data() + static_cast<qsizetype>(y) * pixels.width() * 4, pixels.constScanLine(y),
                static_cast<size_t>(pixels.width()) * 4);
  QByteArray bytes(8, '\0');
  qToLittleEndian<quint32>(static_cast<quint32>(pixels.width()), bytes.data());
  qToLittleEndian<quint32>(static_cast<quint32>(pixels.height()), bytes.data() + 4);
  return bytes + qCompress(raw, 9);
}

QImage UnpackDrawnPicture(const QByteArray& bytes) {
  if (bytes.size() < 8) return {};
  const quint32 width = qFromLittleEndian<quint32>(bytes.constData());
  const quint32 height = qFromLittleEndian<quint32>(bytes.constData() + 4);
  if (width == 0 || height == 0 || width > 8192 || height > 8192) return {};
  const QByteArray raw = qUncompress(bytes.mid(8));
  if (raw.size() != static_cast<qsizetype>(width) * height * 4) return {};
  QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(image.scanLine(y), raw.constData() + static_cast<qsizetype>(y) * width * 4,
                static_cast<size_t>(width) * 4);
  return image;
}

namespace {

QImage ReadyDrawn(const QString& resourcePath, QSize size, qreal ratio) {
  const QString drawn = DrawnPicturePath(resourcePath, ratio);
  if (!size.isEmpty() || drawn.isEmpty()) return {};
  QFile file(drawn);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return UnpackDrawnPicture(file.readAll());
}

}  // namespace

QPixmap SvgPicture(const QString& resourcePath, QSize size, qreal ratio) {
  const QString key = QStringLiteral("%1@%2x%3@%4").arg(resourcePath).arg(size.width()).arg(size.height()).arg(ratio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;
  QImage image = ReadyDrawn(resourcePath, size, ratio);
  if (image.isNull()) image = DrawSvg(resourcePath, size, ratio);
  if (image.isNull()) return pixmap;
  pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(ratio);
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

}  // namespace quorvane::ui
