#include <gtest/gtest.h>

#include <cstdlib>

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include "platform/carried_font.h"
#include "platform/font_resources.h"
#include "platform/qpainter_canvas.h"
#include "tests/platform/test_dirs.h"

namespace tamariko {
namespace {

// Characters the sheets and windows draw, beyond ASCII.
const QString kSheetText = QStringLiteral(
    "ORVぽろね教室参加番号小学校一年生以下の部中学校高校生一般(Ⅰ・Ⅱ)採点欄正答数計制限時間"
    "分解答表第回みとり暗算問題かけわり算（表）（裏）ここからまでNo.1～25 10点×5÷");

class FontsTest : public test::FontsInstalled {};

TEST_F(FontsTest, CarriedFaceResolvesAndCoversTheSheetTexts) {
  QFont font(kCarriedFace);
  font.setPixelSize(17);
  EXPECT_EQ(QFontInfo(font).family(), kCarriedFace);
  const QRawFont raw = QRawFont::fromFont(font);
  ASSERT_TRUE(raw.isValid());
  for (const QChar c : kSheetText) {
    EXPECT_TRUE(raw.supportsCharacter(c)) << QString(c).toStdString();
  }
}

// Digits and the minus share one width, so columns of figures line up; the comma and full
// stop are narrow (at most 0.28 em), so grouped figures keep clear of the column rules.
TEST_F(FontsTest, CarriedFaceDigitsShareOneWidthAndPunctuationIsNarrow) {
  QImage image = MakePreviewImage();
  QFont font(kCarriedFace);
  font.setPixelSize(100);
  const QFontMetrics metrics(font, &image);
  const int width = metrics.horizontalAdvance(QLatin1Char('0'));
  EXPECT_GT(width, 40);
  for (const QChar c : QStringLiteral("0123456789-")) {
    EXPECT_EQ(metrics.horizontalAdvance(c), width) << QString(c).toStdString();
  }
  for (const QChar c : QStringLiteral(",.")) {
    EXPECT_LE(metrics.horizontalAdvance(c), 28) << QString(c).toStdString();
    // The ink stands in the middle of the advance.
    const QRect ink = metrics.boundingRect(c);
    EXPECT_LE(std::abs(ink.left() - (metrics.horizontalAdvance(c) - ink.right() - 1)), 2)
        << QString(c).toStdString();
  }
  EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("1,111")),
            metrics.horizontalAdvance(QStringLiteral("8,888")));
}

TEST_F(FontsTest, LabelFaceResolvesToIpaPGothic) {
  QFont font(kLabelFace);
  font.setPixelSize(16);
  EXPECT_EQ(QFontInfo(font).family(), kLabelSubstitute);
  font.setBold(true);
  EXPECT_EQ(QFontInfo(font).family(), kLabelSubstitute);

  QImage image = MakePreviewImage();
  QPainter painter(&image);
  painter.setFont(font);
  EXPECT_EQ(painter.fontInfo().family(), kLabelSubstitute) << "also when painting an image";

  const QRawFont raw = QRawFont::fromFont(font);
  for (const QChar c : kSheetText) {
    EXPECT_TRUE(raw.supportsCharacter(c)) << QString(c).toStdString();
  }
}

}  // namespace
}  // namespace tamariko
