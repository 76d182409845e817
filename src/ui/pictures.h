#pragma once
#include <QPixmap>
#include <QSize>
#include <QString>

namespace quorvane::ui {

// One of the program's SVG pictures drawn at `size` (its own size when empty),
// once per run. Drawn with the SVG renderer itself: going through the image
// plugins would load every one of them at start-up to find the SVG one.
QPixmap SvgPicture(const QString& resourcePath, QSize size = {});

}  // namespace quorvane::ui
