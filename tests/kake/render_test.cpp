#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "core/page_mapping.h"
#include "core/random.h"
#include "kake/kake.h"
#include "platform/carried_font.h"
#include "platform/cups_spooler.h"
#include "platform/font_resources.h"
#include "platform/qpainter_canvas.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"
#include "tests/support/render_fixtures.h"

namespace tamariko {
namespace {

using test::Dark;
using test::InkIn;
using test::KeepForLooking;

// How many dark pixels a horizontal rule at pixel row y has in column x.
int RuleThickness(const QImage& image, int x, int y) {
  int dark = 0;
  for (int dy = -6; dy <= 6; ++dy) dark += Dark(image, x, y + dy);
  return dark;
}

// Top of the line of problems 1, 10, 11, 30, 31, 50, 51 and 60 (first, last, after the
// marker rows), with the line's x.
struct LinePlace {
  int problem;
  long double x, y;
};
constexpr LinePlace kLinePlaces[] = {{1, 26, 66},   {10, 26, 147},  {11, 26, 165},  {30, 26, 336},
                                     {31, 144, 66}, {50, 144, 237}, {51, 144, 255}, {60, 144, 336}};

// Ink where a problem line starts: the first 12 mm of its text band.
int LineInk(const QImage& image, const PageMapping& m, const LinePlace& p) {
  return InkIn(image, m.X(p.x), m.Y(p.y), m.X(p.x + 12), m.Y(p.y + 5));
}

// The sheet drawn for real: the built-in PDF printer gives the scale (300 dpi, no offsets).
class MultiplicationRender : public test::RenderedSheet {
 protected:
  // The printed page at 300 dpi, or a null image when it cannot be rasterised.
  QImage PrintedPage() {
    set.PrintSheet(QxPrinter());
    if (spooler->PdfFilesWritten().size() != 1) return {};
    const QString pdf = spooler->PdfFilesWritten().front();
    EXPECT_TRUE(pdf.endsWith(QStringLiteral("かけ算.pdf")));
    const test::PdfFacts facts = test::ReadPdf(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_NEAR(facts.heightPt, test::kB4HeightPt, 1.0);
    return test::RasterisePdf(pdf, QDir(output.path()).filePath("page"), 300);
  }

  Tkake set;
};

TEST_F(MultiplicationRender, PreviewShowsFrameRulesAndProblemLinesWhereTheMappingPutsThem) {
  QImage image = MakePreviewImage();
  image.fill(Qt::black);  // an earlier drawing that must be erased
  SetRandomSeed(2026);
  {
    QPainterCanvas canvas(&image);
    set.MakeSheet(canvas, Preview());
  }
  KeepForLooking(image, "kake-preview.png");
  const PageMapping m = PreviewMapping({300, 300}, {0, 0});
  EXPECT_TRUE(Dark(image, m.X(14), m.Y(200)));       // frame
  EXPECT_TRUE(Dark(image, m.X(131), m.Y(200)));      // column divider
  EXPECT_TRUE(Dark(image, m.X(252) - 1, m.Y(200)));  // the outline ends a pixel short
  EXPECT_FALSE(Dark(image, m.X(14) - 3, m.Y(200)));
  // The grade rules: heavy on the left at y 163, on the right at y 244.
  EXPECT_GE(RuleThickness(image, m.X(100), m.Y(163)), 2);
  EXPECT_EQ(RuleThickness(image, m.X(200), m.Y(163)), 1);
  EXPECT_EQ(RuleThickness(image, m.X(100), m.Y(244)), 1);
  EXPECT_GE(RuleThickness(image, m.X(200), m.Y(244)), 2);
  // The number columns are open at the top of the marker rows.
  EXPECT_TRUE(Dark(image, m.X(22), m.Y(150)));
  EXPECT_FALSE(Dark(image, m.X(22), m.Y(156)));
  EXPECT_TRUE(Dark(image, m.X(139), m.Y(240)));
  EXPECT_FALSE(Dark(image, m.X(139), m.Y(245.5)));
  for (const LinePlace& p : kLinePlaces) EXPECT_GT(LineInk(image, m, p), 10) << p.problem;
  EXPECT_GT(InkIn(image, m.X(44), m.Y(30), m.X(100), m.Y(38)), 20);  // large heading
  EXPECT_EQ(InkIn(image, 800, 1100, 865, 1300), 0);                  // beyond the page
}

TEST_F(MultiplicationRender, PrintedPageCarriesFrameRulesAndProblemLinesAtThePrintMapping) {
  SetRandomSeed(2026);
  set.Generate();
  const QImage page = PrintedPage();
  if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
  KeepForLooking(page, "kake-print.png");
  const PageMapping m = PrintMapping({300, 300}, {0, 0});
  // The heavy frame edge is 4 pixels wide from its mapped pixel on.
  EXPECT_TRUE(Dark(page, m.X(14) + 1, m.Y(200)));
  EXPECT_TRUE(Dark(page, m.X(252) - 2, m.Y(300)));
  EXPECT_FALSE(Dark(page, m.X(14) - 6, m.Y(200)));
  EXPECT_GE(RuleThickness(page, m.X(100), m.Y(163)), 3);
  EXPECT_LE(RuleThickness(page, m.X(200), m.Y(163)), 2);
  EXPECT_LE(RuleThickness(page, m.X(100), m.Y(244)), 2);
  EXPECT_GE(RuleThickness(page, m.X(200), m.Y(244)), 3);
  for (const LinePlace& p : kLinePlaces) EXPECT_GT(LineInk(page, m, p), 100) << p.problem;
  EXPECT_GT(InkIn(page, m.X(14), m.Y(347), m.X(60), m.Y(352)), 50);  // organizer label
}

TEST_F(MultiplicationRender, PrintedPageBeforeAnyRunHasNoProblemLines) {
  const QImage page = PrintedPage();
  if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
  KeepForLooking(page, "kake-print-form.png");
  const PageMapping m = PrintMapping({300, 300}, {0, 0});
  EXPECT_TRUE(Dark(page, m.X(14) + 1, m.Y(200)));
  for (const LinePlace& p : kLinePlaces) EXPECT_EQ(LineInk(page, m, p), 0) << p.problem;
}

}  // namespace
}  // namespace tamariko
