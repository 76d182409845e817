#pragma once
#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace quorvane::ui {

// The resource path of one of the program's pictures, by its file name.
QString PicturePath(const QString& name);

// One of the program's SVG pictures drawn at `size` (its own size when empty),
// once per run. Drawn with the SVG renderer itself: going through the image
// plugins would load every one of them at start-up to find the SVG one.
// `ratio` is the screen's device pixel ratio: the picture keeps its size and
// gets as many pixels as the screen shows, so it stays sharp at 150 % or 200 %.
// A picture at its own size may come ready drawn (see DrawnPicturePath).
QPixmap SvgPicture(const QString& resourcePath, QSize size = {}, qreal ratio = 1);

// The picture drawn by the SVG renderer, whatever lies ready.
QImage DrawSvg(const QString& resourcePath, QSize size, qreal ratio);

// The opening picture shows before anything else, and drawing its lettering
// costs a start-up as much as the rest of its window: it also lies ready drawn
// at 100 % and 200 %, beside the SVG, as "intro@1x.qz" and "intro@2x.qz"
// (scripts/draw_pictures.sh makes them). Empty for other ratios.
QString DrawnPicturePath(const QString& resourcePath, qreal ratio);
// A drawn picture's bytes: width and height (4 bytes each, little-endian),
// then the premultiplied ARGB32 pixels, compressed with qCompress.
QByteArray PackDrawnPicture(const QImage& image);
// Null when the bytes are not such a picture.
QImage UnpackDrawnPicture(const QByteArray& bytes);

}  // namespace quorvane::ui
