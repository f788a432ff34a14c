#include "platform/png_writer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/qpainter_canvas.h"

namespace tamariko {
namespace {

// A page as the previews are: white with black and grey ink, antialiased text edges.
QImage GreyPage() {
  QImage page = MakePreviewImage();
  QPainter painter(&page);
  painter.setPen(QPen(Qt::black, 2));
  painter.drawRect(20, 20, 500, 300);
  painter.setFont(QFont(QStringLiteral("IPAGothic"), 24));
  painter.drawText(40, 120, QStringLiteral("みとり暗算 1,234"));
  painter.fillRect(600, 600, 40, 40, QColor(128, 128, 128));
  return page;
}

// The stored pixels are the image's, whether it is stored as grey or as colour, and the
// density goes with them.
TEST(PngWriter, DecodesToTheSamePixelsAsGreyOrAsColour) {
  QImage colour = GreyPage();
  colour.setPixel(3, 4, qRgb(200, 10, 10));  // one pixel that grey cannot hold
  for (const QImage& image : {GreyPage(), colour}) {
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(EncodePng(image), "PNG"));
    EXPECT_EQ(decoded.isGrayscale(), image.pixel(3, 4) != qRgb(200, 10, 10));
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(decoded.dotsPerMeterX(), image.dotsPerMeterX());
  }
}

}  // namespace
}  // namespace tamariko
