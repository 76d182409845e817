#include "ui/pictures.h"

#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

namespace quorvane::ui {

QString PicturePath(const QString& name) { return QStringLiteral(":/ui/images/") + name; }

QPixmap SvgPicture(const QString& resourcePath, QSize size, qreal ratio) {
  const QString key = QStringLiteral("%1@%2x%3@%4").arg(resourcePath).arg(size.width()).arg(size.height()).arg(ratio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;
  QSvgRenderer renderer(resourcePath);
  if (!renderer.isValid()) return pixmap;
  if (size.isEmpty()) size = renderer.defaultSize();
  QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter);
  painter.end();
  pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(ratio);
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

}  // namespace quorvane::ui
