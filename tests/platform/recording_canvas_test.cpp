#include "tests/support/recording_canvas.h"

#include <gtest/gtest.h>

namespace tamariko {
namespace {

using Kind = RecordingCanvas::Kind;

TEST(RecordingCanvas, KeepsEachOperationWithTheStateInForce) {
  RecordingCanvas canvas;
  canvas.SetPenWidth(4);
  canvas.SetPenColor(0xff112233);
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.MoveTo(10, 20);
  canvas.LineTo(30, 20);
  canvas.LineTo(30, 50);
  canvas.SetFontName(QStringLiteral("ORVFont"));
  canvas.SetFontSize(13);
  canvas.SetFontBold(true);
  canvas.SetFontCharset(128);
  canvas.TextOut(5, 6, QStringLiteral("第"));
  canvas.SetPenWidth(1);
  canvas.SetBrushStyle(BrushStyle::Solid);
  canvas.SetBrushColor(0xffff0000);
  canvas.Rectangle(1, 2, 3, 4);
  canvas.FillRect(QRect(0, 0, 865, 1300));

  ASSERT_EQ(canvas.ops.size(), 6u);
  const auto lines = canvas.OfKind(Kind::LineTo);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(std::tie(lines[0].x1, lines[0].y1, lines[0].x2, lines[0].y2),
            std::make_tuple(10, 20, 30, 20));
  EXPECT_EQ(std::tie(lines[1].x1, lines[1].y1, lines[1].x2, lines[1].y2),
            std::make_tuple(30, 20, 30, 50));
  EXPECT_EQ(lines[1].penWidth, 4);
  EXPECT_EQ(lines[1].penColor, 0xff112233u);
  EXPECT_EQ(lines[1].brushStyle, BrushStyle::Clear);

  const RecordingCanvas::Op* text = canvas.FindText(QStringLiteral("第"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::tie(text->x1, text->y1), std::make_tuple(5, 6));
  EXPECT_EQ(text->fontName, QStringLiteral("ORVFont"));
  EXPECT_EQ(text->fontSize, 13);
  EXPECT_TRUE(text->bold);
  EXPECT_FALSE(text->italic);
  EXPECT_EQ(text->charset, 128);
  EXPECT_EQ(canvas.FindText(QStringLiteral("回")), nullptr);

  const auto rects = canvas.OfKind(Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].penWidth, 1);
  EXPECT_EQ(rects[0].brushStyle, BrushStyle::Solid);
  EXPECT_EQ(rects[0].brushColor, 0xffff0000u);
  const auto fills = canvas.OfKind(Kind::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(std::tie(fills[0].x1, fills[0].y1, fills[0].x2, fills[0].y2),
            std::make_tuple(0, 0, 865, 1300));
}

TEST(RecordingCanvas, TextWidthFollowsTheFixedRule) {
  struct Case {
    const char* text;
    int points;
    int width;
  };
  for (const Case& c :
       {Case{"0", 13, 8}, Case{"1,234", 13, 40}, Case{"-56", 13, 24}, Case{"印", 13, 17},
        Case{"ｱ", 13, 8}, Case{"第1回", 10, 32}, Case{"", 13, 0}, Case{"12", 36, 48}}) {
    SCOPED_TRACE(c.text);
    RecordingCanvas canvas;
    canvas.SetFontSize(c.points);
    EXPECT_EQ(canvas.TextWidth(QString::fromUtf8(c.text)), c.width);
    EXPECT_EQ(RecordingCanvas::WidthOf(QString::fromUtf8(c.text), c.points), c.width);
  }
}

TEST(RecordingCanvas, ClipRectIsThePreviewUnlessSet) {
  RecordingCanvas canvas;
  EXPECT_EQ(canvas.ClipRect(), QRect(0, 0, 865, 1300));
  canvas.SetClipRect(QRect(0, 0, 3035, 4299));
  EXPECT_EQ(canvas.ClipRect(), QRect(0, 0, 3035, 4299));
  EXPECT_EQ(RecordingCanvas(QRect(0, 0, 10, 10)).ClipRect(), QRect(0, 0, 10, 10));
}

}  // namespace
}  // namespace tamariko
