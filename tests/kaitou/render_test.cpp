#include <gtest/gtest.h>

#include <QDir>
#include <QFontMetricsF>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "core/page_mapping.h"
#include "core/random.h"
#include "kaitou/kaitou.h"
#include "kake/kake_kind.h"
#include "mitori/abacus_kind.h"
#include "mitori1_1/mental_kind.h"
#include "platform/carried_font.h"
#include "platform/cups_spooler.h"
#include "platform/font_resources.h"
#include "platform/qpainter_canvas.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/render_fixtures.h"
#include "wari/wari_kind.h"

namespace tamariko {
namespace {

using test::Dark;
using test::InkIn;
using test::KeepForLooking;

// The rightmost dark column in the box, or -1.
int RightmostInk(const QImage& image, int x1, int y1, int x2, int y2) {
  for (int x = x2 - 1; x >= x1; --x) {
    for (int y = y1; y < y2; ++y) {
      if (Dark(image, x, y)) return x;
    }
  }
  return -1;
}

// The table drawn for real: the built-in PDF printer gives the scale (300 dpi, no offsets).
class AnswerRender : public test::RenderedSheet {
 protected:
  // The runs of the contest's kinds as the table lays them out.
  static std::vector<AnswerRun> ContestRuns() {
    const TPaper paper{QStringLiteral("contest"),
                       QStringLiteral("大会問題"),
                       {{[] { return std::make_unique<TMentalKind>(); }},
                        {[] { return std::make_unique<TKakeKind>(); }},
                        {[] { return std::make_unique<TWariKind>(); }},
                        {[] { return std::make_unique<TAbacusKind>(); }}},
                       {Tkaitou::Entry({QStringLiteral("kaitou"), QStringLiteral("解答表"), {}})},
                       {}};
    return LayOutPaper(paper).answerSheets.at(0).runs;
  }

  Tkaitou table{ContestRuns()};
};

TEST_F(AnswerRender, PreviewShowsTheEmptyTableWhereTheMappingPutsIt) {
  table.Put(0, 0, TAnswer::Whole(1234567890));
  QImage image = MakePreviewImage();
  image.fill(Qt::black);  // an earlier drawing that must be erased
  {
    QPainterCanvas canvas(&image);
    table.DrawSheet(canvas, Preview());
  }
  KeepForLooking(image, "kaitou-preview.png");
  const PageMapping m = PreviewMapping({300, 300}, {0, 0});
  // The heavy frame edge, 2 pixels centred on its mapped pixel, and the rule at x 90.
  EXPECT_TRUE(Dark(image, m.X(14) - 1, m.Y(200)));
  EXPECT_TRUE(Dark(image, m.X(14), m.Y(200)));
  EXPECT_FALSE(Dark(image, m.X(14) - 3, m.Y(200)));
  EXPECT_FALSE(Dark(image, m.X(14) + 2, m.Y(200)));
  EXPECT_TRUE(Dark(image, m.X(90), m.Y(200)));
  EXPECT_TRUE(Dark(image, m.X(50), m.Y(106)));  // a group rule
  // Title and the first row number are there; the answer cells stay empty.
  EXPECT_GT(InkIn(image, m.X(90), m.Y(22), m.X(140), m.Y(30)), 20);
  EXPECT_GT(InkIn(image, m.X(16), m.Y(59), m.X(21), m.Y(63)), 3);
  EXPECT_EQ(InkIn(image, m.X(22) + 2, m.Y(59), m.X(90) - 1, m.Y(81)), 0);
  EXPECT_EQ(InkIn(image, 800, 1100, 865, 1300), 0);
}

TEST_F(AnswerRender, PrintedPageCarriesTheTableAndRightAlignedAnswers) {
  table.Put(0, 0, TAnswer::Whole(1234567890));
  table.Put(0, 1, TAnswer::Whole(7));
  table.Put(2, 0, TAnswer::Whole(45678));
  table.PrintSheet(QxPrinter());
  ASSERT_EQ(spooler->PdfFilesWritten().size(), 1);
  const QString pdf = spooler->PdfFilesWritten().front();
  EXPECT_TRUE(pdf.endsWith(QStringLiteral("解答表.pdf")));
  const test::PdfFacts facts = test::ReadPdf(pdf);
  EXPECT_EQ(facts.pages, 1);
  EXPECT_NEAR(facts.widthPt, test::kB4WidthPt, 1.0);
  EXPECT_NEAR(facts.heightPt, test::kB4HeightPt, 1.0);
  const QImage page = test::RasterisePdf(pdf, QDir(output.path()).filePath("page"), 300);
  if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
  KeepForLooking(page, "kaitou-print.png");
  const PageMapping m = PrintMapping({300, 300}, {0, 0});
  // The heavy frame, 4 pixels centred on its mapped pixel, and the column rules.
  for (int dx = -2; dx <= 1; ++dx) EXPECT_TRUE(Dark(page, m.X(14) + dx, m.Y(200))) << dx;
  EXPECT_FALSE(Dark(page, m.X(14) - 4, m.Y(200)));
  EXPECT_FALSE(Dark(page, m.X(14) + 3, m.Y(200)));
  EXPECT_TRUE(Dark(page, m.X(252) - 2, m.Y(300)));
  EXPECT_TRUE(Dark(page, m.X(90), m.Y(200)));

  // Rows 1 and 2 of column 1: the long and the short answer end at the same edge, by 87 mm.
  const int edge = m.X(87);
  const int longEnd = RightmostInk(page, m.X(22) + 3, m.Y(59) + 2, m.X(90) - 3, m.Y(63));
  const int shortEnd = RightmostInk(page, m.X(22) + 3, m.Y(63.8L) + 2, m.X(90) - 3, m.Y(67.8L));
  EXPECT_LE(longEnd, edge);
  EXPECT_GE(longEnd, edge - 8);
  EXPECT_NEAR(shortEnd, longEnd, 1);
  EXPECT_GT(InkIn(page, m.X(60), m.Y(59), edge, m.Y(63)),
            InkIn(page, m.X(80), m.Y(63.8L), edge, m.Y(67.8L)));
  // The division column and the abacus addition rows were given nothing: between the group
  // rules their cells are empty.
  EXPECT_EQ(InkIn(page, m.X(96) + 3, m.Y(59), m.X(161) - 3, m.Y(81)), 0);
  EXPECT_EQ(InkIn(page, m.X(175), m.Y(203), m.X(252) - 3, m.Y(225)), 0);
  EXPECT_GT(InkIn(page, m.X(14), m.Y(347), m.X(60), m.Y(352)), 50);  // organizer label
}

// A printed page at 300 dpi whose operations are recorded, its texts measured in the real
// fonts, so that right-aligned answers stand where they stand on paper.
class MeasuredPage : public RecordingCanvas {
 public:
  MeasuredPage() : RecordingCanvas(QRect(0, 0, 3035, 4299)), real_(&device_) {}
  void SetFontName(const QString& name) override {
    RecordingCanvas::SetFontName(name);
    real_.SetFontName(name);
  }
  void SetFontSize(int points) override {
    RecordingCanvas::SetFontSize(points);
    real_.SetFontSize(points);
  }
  void SetFontBold(bool bold) override {
    RecordingCanvas::SetFontBold(bold);
    real_.SetFontBold(bold);
  }
  int TextWidth(const QString& text) override { return real_.TextWidth(text); }
  TextInk InkOf(const QString& text) override { return real_.InkOf(text); }

  // Where a text's ink falls: its tight box in its face at the canvas's pixel size, placed as
  // the canvas places text (top at y, then the ascent).
  static QRect InkOf(const Op& text) {
    QFont font(text.fontName);
    font.setPixelSize(static_cast<int>(std::lround(text.fontSize * 300 / 72.0)));
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(text.text);
    return ink.translated(text.x1, text.y1 + QFontMetrics(font).ascent()).toAlignedRect();
  }

 private:
  static QImage Device() {
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(static_cast<int>(std::lround(300 / 0.0254)));
    device.setDotsPerMeterY(static_cast<int>(std::lround(300 / 0.0254)));
    return device;
  }
  QImage device_ = Device();
  QPainterCanvas real_;
};

class MeasuringPrinter : public TPrintTarget {
 public:
  PixelPair GetPixelsPerInch() override { return {300, 300}; }
  PixelPair GetPageOffset() override { return {0, 0}; }
  void BeginDoc(const QString&) override { page = std::make_unique<MeasuredPage>(); }
  TCanvas& Canvas() override { return *page; }
  void EndDoc() override {}
  std::unique_ptr<MeasuredPage> page;
};

// Every answer of every kind, over many sets, keeps its ink off every rule of the printed
// table, a pixel clear at least: the commas of each fifth row above the rule under it, the
// widest answers inside their columns, the last band inside the frame.
TEST_F(AnswerRender, PrintedAnswersOfEveryKindKeepTheirInkOffEveryRule) {
  TMentalKind mental;
  TKakeKind multiplication;
  TWariKind division;
  TAbacusKind abacus;
  for (std::uint32_t seed = 900; seed < 960; ++seed) {
    SetRandomSeed(seed);
    int index = 0;  // as the contest paper lists them
    for (TProblemKind* kind :
         std::initializer_list<TProblemKind*>{&mental, &multiplication, &division, &abacus}) {
      kind->Make({});
      table.TakeAnswers(index++, *kind);
    }
    MeasuringPrinter printer;
    table.PrintSheet(printer);
    int answers = 0;
    for (const RecordingCanvas::Op& op : printer.page->OfKind(RecordingCanvas::Kind::TextOut)) {
      if (op.fontName != kCarriedFace) continue;
      ++answers;
      const QRect ink = MeasuredPage::InkOf(op);
      ASSERT_FALSE(ink.isEmpty()) << op.text.toStdString();
      EXPECT_FALSE(printer.page->RuleTouches(ink.adjusted(-1, -1, 1, 1)))
          << "seed " << seed << ": " << op.text.toStdString() << " at " << op.x1 << ", " << op.y1;
    }
    EXPECT_EQ(answers, 180);
  }
}

}  // namespace
}  // namespace tamariko
