#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "core/page_mapping.h"
#include "mitori/mitori.h"
#include "mitori/mitori_sheet.h"
#include "platform/qpainter_canvas.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"
#include "tests/support/render_fixtures.h"

namespace tamariko {
namespace {

using test::Dark;
using test::InkIn;
using test::KeepForLooking;
using Side = TMitori::Side;

// Every column of a side between its two rules, in millimetres, and the band of its rows.
struct Column {
  int problem;
  long double left, right, top, bottom;
};

std::vector<Column> ColumnsOf(Side side) {
  std::vector<Column> columns;
  const int first = side == Side::Front ? 1 : 16;
  for (int k = 0; k < 15; ++k) {
    const bool upper = k < 8;
    const long double pitch = upper ? 29 : 33;
    const int inBlock = upper ? k : k - 8;
    const long double left = 22 + pitch * inBlock;
    const long double right = (upper ? inBlock == 7 : inBlock == 6) ? 252 : left + pitch;
    columns.push_back({first + k, left, right, upper ? 105.0L : 205.0L, upper ? 175.0L : 275.0L});
  }
  return columns;
}

// Between the figures' ink and each rule of their column stays at least one white column.
void ExpectFiguresClearTheRules(const QImage& image, const PageMapping& m, Side side,
                                const char* where) {
  for (const Column& c : ColumnsOf(side)) {
    const int top = m.Y(c.top), bottom = m.Y(c.bottom);
    const int right = test::BesideRule(image, m.X(c.right) + 3, -1, top, bottom);
    const int left = test::BesideRule(image, m.X(c.left) - 3, 1, top, bottom);
    EXPECT_FALSE(test::InkInColumn(image, right, top, bottom))
        << where << ": problem " << c.problem << " touches its right rule";
    EXPECT_FALSE(test::InkInColumn(image, left, top, bottom))
        << where << ": problem " << c.problem << " touches its left rule";
    EXPECT_GT(InkIn(image, left, top, right, bottom), 0)
        << where << ": no figures in problem " << c.problem;
  }
}

class AbacusRender : public test::RenderedSheet {};

TEST_F(AbacusRender, TheWidestRowsClearTheirColumnRules) {
  // Eight-digit subtracted rows, two commas each, every last digit once per problem.
  TMitori set;
  for (int i = 0; i < TMitori::kNumberCount; ++i) set.SetNumber(i, -(87654320 + i % 10));
  for (Side side : {Side::Front, Side::Back}) {
    const char* name = side == Side::Front ? "front" : "back";
    QImage preview = MakePreviewImage();
    {
      QPainterCanvas canvas(&preview);
      DrawAbacusPreview(set, side, canvas, Preview());
    }
    KeepForLooking(preview,
                   side == Side::Front ? "abacus-front-preview.png" : "abacus-back-preview.png");
    ExpectFiguresClearTheRules(preview, Preview(), side, name);

    set.PrintSheet(side, QxPrinter());
    const QString pdf = spooler->PdfFilesWritten().back();
    EXPECT_TRUE(pdf.endsWith(side == Side::Front ? QStringLiteral("みとり算（表）.pdf")
                                                 : QStringLiteral("みとり算（裏）.pdf")));
    const QImage page = test::RasterisePdf(pdf, QDir(output.path()).filePath(name), 300);
    ASSERT_FALSE(page.isNull());
    KeepForLooking(page, side == Side::Front ? "abacus-front-print.png" : "abacus-back-print.png");
    ExpectFiguresClearTheRules(page, PrintMapping({300, 300}, {0, 0}), side, name);
  }
}

}  // namespace
}  // namespace tamariko
