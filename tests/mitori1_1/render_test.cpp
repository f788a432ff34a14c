#include <gtest/gtest.h>

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "core/page_mapping.h"
#include "core/random.h"
#include "mitori1_1/mitori1_1.h"
#include "mitori1_1/mitori_sheet.h"
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

// The sheets drawn for real: the built-in PDF printer gives the scale (300 dpi, no offsets).
class MentalRender : public test::RenderedSheet {
 protected:
  TMitori1_1 set;
};

TEST_F(MentalRender, PreviewShowsFrameLinesAndFiguresWhereTheMappingPutsThem) {
  QImage image = MakePreviewImage();
  // Something from an earlier run that must be erased.
  image.fill(Qt::black);
  SetRandomSeed(2026);
  {
    QPainterCanvas canvas(&image);
    set.MakeSheet(canvas, Preview());
  }
  KeepForLooking(image, "mitori-preview.png");
  const PageMapping m = PreviewMapping({300, 300}, {0, 0});
  // The heavy left edge of the top frame, 2 pixels wide, and the heavy column at x 117.
  EXPECT_TRUE(Dark(image, m.X(14), m.Y(120)));
  EXPECT_TRUE(Dark(image, m.X(117), m.Y(120)));
  EXPECT_FALSE(Dark(image, m.X(14) - 3, m.Y(120)));
  EXPECT_FALSE(Dark(image, m.X(14) + 5, m.Y(150)));  // inside the empty total row
  // Figures of problem 1 right of x 36, heading left of the underline.
  EXPECT_GT(InkIn(image, m.X(36), m.Y(107), m.X(41), m.Y(113)), 5);
  EXPECT_GT(InkIn(image, m.X(44), m.Y(60), m.X(100), m.Y(68)), 20);
  // Beyond the page nothing is drawn.
  EXPECT_EQ(InkIn(image, 800, 1100, 865, 1300), 0);
}

TEST_F(MentalRender, PrintedPageCarriesFrameAndFiguresAtThePrintMapping) {
  SetRandomSeed(2026);
  set.Generate();
  set.PrintSheet(QxPrinter());
  ASSERT_EQ(spooler->PdfFilesWritten().size(), 1);
  const QString pdf = spooler->PdfFilesWritten().front();
  EXPECT_TRUE(pdf.endsWith(QStringLiteral("みとり暗算１.pdf")));
  const test::PdfFacts facts = test::ReadPdf(pdf);
  EXPECT_EQ(facts.pages, 1);
  EXPECT_NEAR(facts.widthPt, test::kB4WidthPt, 1.0);
  const QImage page = test::RasterisePdf(pdf, QDir(output.path()).filePath("page"), 300);
  if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
  KeepForLooking(page, "mitori-print.png");
  EXPECT_NEAR(page.width(), 3035, 4);  // B4 at 300 dpi, give or take the rounding of points
  const PageMapping m = PrintMapping({300, 300}, {0, 0});
  // The heavy frame edge is 4 pixels wide around its mapped pixel.
  EXPECT_TRUE(Dark(page, m.X(14) + 1, m.Y(120)));
  EXPECT_TRUE(Dark(page, m.X(117) + 1, m.Y(120)));
  EXPECT_TRUE(Dark(page, m.X(252) - 2, m.Y(300)));
  EXPECT_FALSE(Dark(page, m.X(14) - 6, m.Y(120)));
  EXPECT_FALSE(Dark(page, m.X(14) + 20, m.Y(150)));
  EXPECT_GT(InkIn(page, m.X(36), m.Y(107), m.X(41), m.Y(113)), 20);
  EXPECT_GT(InkIn(page, m.X(14), m.Y(347), m.X(60), m.Y(352)), 50);  // organizer label
}

// The column rule right of each problem of 18 to 30, and the edge its figures end at.
struct Column {
  int problem;
  long double edgeMm, ruleMm;
};

std::vector<Column> GroupedColumns() {
  const long double edges[31] = {0,   36,  55, 77,  96,  115, 134, 154, 173, 192, 211,
                                 230, 249, 43, 66,  89,  112, 136, 158, 181, 204, 227,
                                 249, 49,  78, 106, 136, 165, 194, 223, 249};
  std::vector<Column> columns;
  for (int p = 18; p <= 30; ++p) {
    const long double pitch = p <= 22 ? 23 : 29;
    long double rule = 22;
    while (rule <= edges[p]) rule += pitch;
    columns.push_back({p, edges[p], std::min<long double>(rule, 252)});
  }
  return columns;
}

// Every figure of a problem is set to the one that reached furthest right over some
// hundred seeds: most commas, then the last digit whose ink ends furthest right.
void UseWidestFigures(TMitori1_1& set) {
  QFont face(kCarriedFace);
  face.setPixelSize(54);  // 13 points at 300 dpi
  const QFontMetrics metrics(face);
  std::map<int, std::pair<int, std::int32_t>> widest;  // problem: overhang, figure
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    SetRandomSeed(seed);
    set.Generate();
    for (int p = 18; p <= 30; ++p) {
      for (int r = 0; r < TMitori1_1::RowCount(p); ++r) {
        const std::int32_t value = set.GetNumber(TMitori1_1::FirstIndex(p) + r);
        const int overhang = metrics.boundingRect(TKeisan::FormatGrouped(value)).right() -
                             metrics.horizontalAdvance(QString::number(value));
        if (!widest.count(p) || overhang > widest[p].first) widest[p] = {overhang, value};
      }
    }
  }
  for (const auto& [p, figure] : widest) {
    for (int r = 0; r < TMitori1_1::RowCount(p); ++r) {
      set.SetNumber(TMitori1_1::FirstIndex(p) + r, figure.second);
    }
  }
}

// Between the figures' ink and the rule right of them stays at least one white column.
void ExpectFiguresClearTheRules(const QImage& image, const PageMapping& m, const char* where) {
  for (const Column& c : GroupedColumns()) {
    const int top = m.Y(c.problem <= 22 ? 168 : 263);
    const int bottom = m.Y(c.problem <= 22 ? 238 : 333);
    const int x = test::BesideRule(image, m.X(c.ruleMm) + 3, -1, top, bottom);
    EXPECT_FALSE(test::InkInColumn(image, x, top, bottom))
        << where << ": problem " << c.problem << " touches its rule";
    EXPECT_GT(InkIn(image, m.X(c.edgeMm) - 20, top, x, bottom), 0)
        << where << ": no figures in problem " << c.problem;
  }
}

TEST_F(MentalRender, TheWidestGroupedFiguresClearTheirColumnRules) {
  UseWidestFigures(set);
  QImage preview = MakePreviewImage();
  {
    QPainterCanvas canvas(&preview);
    DrawMentalPreview(set, canvas, Preview());
  }
  KeepForLooking(preview, "mitori-widest-preview.png");
  ExpectFiguresClearTheRules(preview, Preview(), "preview");

  set.PrintSheet(QxPrinter());
  ASSERT_EQ(spooler->PdfFilesWritten().size(), 1);
  const QImage page = test::RasterisePdf(spooler->PdfFilesWritten().front(),
                                         QDir(output.path()).filePath("page"), 300);
  ASSERT_FALSE(page.isNull());
  KeepForLooking(page, "mitori-widest-print.png");
  ExpectFiguresClearTheRules(page, PrintMapping({300, 300}, {0, 0}), "paper");
}

}  // namespace
}  // namespace tamariko
