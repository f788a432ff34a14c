#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <algorithm>

#include "core/page_mapping.h"
#include "platform/qpainter_canvas.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"
#include "tests/support/render_fixtures.h"
#include "wari/wari.h"
#include "wari/wari_sheet.h"

namespace tamariko {
namespace {

using test::Dark;
using test::KeepForLooking;

// The room left for the written answer must stay at least this wide.
constexpr double kAnswerRoomMm = 35;

// Right of the line's last ink ("=") to the frame at 252 mm, in millimetres, in the band of
// problem p (51 .. 60) of the right column.
double AnswerRoomMm(const QImage& image, const PageMapping& m, int p) {
  const long double top = 66 + 9 * (p - 30);
  const int frame = m.X(252);
  int lastInk = -1;
  // The band between the row rules; the frame's heavy edge stays outside.
  for (int y = m.Y(top + 0.5L); y < m.Y(top + 6.5L); ++y) {
    for (int x = m.X(144); x < frame - 8; ++x) {
      if (Dark(image, x, y)) lastInk = std::max(lastInk, x);
    }
  }
  EXPECT_GT(lastInk, m.X(180)) << "no line at problem " << p;
  return (frame - lastInk - 1) / static_cast<double>(m.ScaleX);
}

// The widest lines the set can make: an eleven-digit dividend by a five-digit divisor, on
// every row.
class DivisionRender : public test::RenderedSheet {
 protected:
  void SetUp() override {
    RenderedSheet::SetUp();
    for (int i = 0; i < Twari::kProblemCount; ++i) {
      set.SetDividend(i, 97550091771);
      set.SetDivisor(i, 98769);
      set.SetAnswer(i, 987659);
    }
  }

  Twari set;
};

TEST_F(DivisionRender, WidestLinesLeaveRoomForTheAnswerOnThePreview) {
  QImage image = MakePreviewImage();
  {
    QPainterCanvas canvas(&image);
    DrawDivisionPreview(set, canvas, Preview());
  }
  KeepForLooking(image, "wari-preview-widest.png");
  const PageMapping m = PreviewMapping({300, 300}, {0, 0});
  for (int p = 51; p <= 60; ++p) EXPECT_GE(AnswerRoomMm(image, m, p), kAnswerRoomMm) << p;
}

TEST_F(DivisionRender, WidestLinesLeaveRoomOnThePrintedPageWhichReadsTheDivisionSign) {
  set.PrintSheet(QxPrinter());
  ASSERT_EQ(spooler->PdfFilesWritten().size(), 1u);
  const QString pdf = spooler->PdfFilesWritten().front();
  EXPECT_TRUE(pdf.endsWith(QStringLiteral("わり算.pdf")));

  const QStringList texts = test::PdfPageTexts(pdf);
  if (texts.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) could not read the page";
  ASSERT_EQ(texts.size(), 1);
  EXPECT_EQ(texts[0].count(QStringLiteral("÷")), 60);
  EXPECT_EQ(texts[0].count(QStringLiteral("97,550,091,771")), 60);

  const QImage page = test::RasterisePdf(pdf, QDir(output.path()).filePath("page"), 300);
  ASSERT_FALSE(page.isNull());
  KeepForLooking(page, "wari-print-widest.png");
  const PageMapping m = PrintMapping({300, 300}, {0, 0});
  for (int p = 51; p <= 60; ++p) EXPECT_GE(AnswerRoomMm(page, m, p), kAnswerRoomMm) << p;
}

}  // namespace
}  // namespace tamariko
