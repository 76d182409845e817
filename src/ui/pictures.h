#pragma once
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
QPixmap SvgPicture(const QString& resourcePath, QSize size = {}, qreal ratio = 1);

}  // namespace quorvane::ui
