// Draws the opening picture at 100 % and 200 % into the ready-drawn files the
// program loads instead of drawing it at start-up.
// Usage: quorvane_draw_pictures DIRECTORY (run by scripts/draw_pictures.sh)
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "ui/pictures.h"

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QGuiApplication app(argc, argv);
  Q_INIT_RESOURCE(sequence);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvane_draw_pictures DIRECTORY\n");
    return 2;
  }
  const QString svg = QStringLiteral(":/sequence/intro.svg");
  for (const int ratio : {1, 2}) {
    const QString name = quorvane::ui::DrawnPicturePath(svg, ratio).section('/', -1);
    QFile file(QString::fromLocal8Bit(argv[1]) + '/' + name);
    const QByteArray bytes = quorvane::ui::PackDrawnPicture(quorvane::ui::DrawSvg(svg, {}, ratio));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
      std::fprintf(stderr, "%s could not be written: %s\n", qPrintable(file.fileName()),
                   qPrintable(file.errorString()));
      return 1;
    }
    std::printf("%s: %lld bytes\n", qPrintable(file.fileName()), static_cast<long long>(bytes.size()));
  }
  return 0;
}
