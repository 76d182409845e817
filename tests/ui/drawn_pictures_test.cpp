// The ready-drawn opening picture is the SVG as this system's renderer and
// fonts draw it (Linux only: the Windows tests run with Wine's fonts).
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "ui/pictures.h"
#include "ui/window_fixtures.h"

// The resource's initializer is declared where it is called: outside any namespace.
static void InitSequenceResources() { Q_INIT_RESOURCE(sequence); }

namespace quorvane::ui {
namespace {

// Pixels that differ by more than a shade in any channel.
double DifferingShare(const QImage& a, const QImage& b) {
  long long differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x) {
      const bool close = std::abs(qRed(pa[x]) - qRed(pb[x])) <= 32 && std::abs(qGreen(pa[x]) - qGreen(pb[x])) <= 32 &&
                         std::abs(qBlue(pa[x]) - qBlue(pb[x])) <= 32 && std::abs(qAlpha(pa[x]) - qAlpha(pb[x])) <= 32;
      differing += close ? 0 : 1;
    }
  }
  return static_cast<double>(differing) / (static_cast<double>(a.width()) * a.height());
}

class DrawnPictureTest : public ::testing::TestWithParam<int> {};

TEST_P(DrawnPictureTest, isTheSvgAsDrawnNow_elseRunScriptsDrawPictures) {
  fixtures::App();
  InitSequenceResources();
  const QString svg = QStringLiteral(":/sequence/intro.svg");
  QFile file(DrawnPicturePath(svg, GetParam()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  const QImage drawn = UnpackDrawnPicture(file.readAll());
  const QImage now = DrawSvg(svg, {}, GetParam());
  ASSERT_EQ(drawn.size(), now.size());
  EXPECT_LT(DifferingShare(drawn, now), 0.002);
}

INSTANTIATE_TEST_SUITE_P(Ratios, DrawnPictureTest, ::testing::Values(1, 2),
                         [](const auto& info) { return "at" + std::to_string(info.param * 100) + "percent"; });

TEST(DrawnPictureBytesTest, cutOrForeignBytes_areNoPicture) {
  const QByteArray packed = PackDrawnPicture(QImage(4, 3, QImage::Format_ARGB32_Premultiplied));
  EXPECT_EQ(UnpackDrawnPicture(packed).size(), QSize(4, 3));
  EXPECT_TRUE(UnpackDrawnPicture(packed.chopped(5)).isNull());
  EXPECT_TRUE(UnpackDrawnPicture(QByteArray("\xff\xff\x00\x00\xff\xff\x00\x00junk", 12)).isNull());
}

}  // namespace
}  // namespace quorvane::ui
