#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "core/page_mapping.h"
#include "core/random.h"
#include "mitori1_1/mitori1_1.h"
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
  void SetUp() override {
    RenderedSheet::SetUp();
    set.SetOrganizerLabel(QStringLiteral("ORVぽろね教室"));
  }

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

}  // namespace
}  // namespace tamariko
