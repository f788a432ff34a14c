#include "platform/qpainter_canvas.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>
#include <cstdlib>
#include <iterator>
#include <set>
#include <vector>

#include "core/error.h"
#include "platform/carried_font.h"
#include "platform/font_resources.h"
#include "tests/platform/test_dirs.h"
#include "tests/support/pdf_support.h"

namespace tamariko {
namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kBlack = 0xff000000;

bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// Bounding box of the dark pixels.
QRect Ink(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Dark(image, x, y)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

int CountColour(const QImage& image, const QRect& area, QRgb colour) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
  }
  return n;
}

// Writes the image for a look by eye when TAMARIKO_RENDER_DIR names a folder.
void Keep(const QImage& image, const char* name) {
  if (const char* dir = std::getenv("TAMARIKO_RENDER_DIR")) {
    image.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
  }
}

class QPainterCanvasTest : public test::FontsInstalled {
 protected:
  QImage image_ = MakePreviewImage();
};

// 75 dpi: a quarter of the printer's 300, the density the preview mapping lays pages out at.
TEST(PreviewImage, IsWhite865By1300At75Dpi) {
  const QImage image = MakePreviewImage();
  EXPECT_EQ(image.size(), QSize(865, 1300));
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.logicalDpiX(), 75);
  EXPECT_EQ(image.logicalDpiY(), 75);
  EXPECT_EQ(CountColour(image, image.rect(), kWhite), 865 * 1300);
}

TEST_F(QPainterCanvasTest, PensAreExactlyTheirWidthInPixels) {
  for (const int width : {1, 2, 4}) {
    SCOPED_TRACE(width);
    QImage image = MakePreviewImage();
    {
      QPainterCanvas canvas(&image);
      canvas.SetPenWidth(width);
      canvas.MoveTo(100, 200);
      canvas.LineTo(300, 200);
      canvas.MoveTo(500, 100);
      canvas.LineTo(500, 400);
    }
    int rows = 0, columns = 0;
    for (int y = 190; y < 210; ++y) rows += Dark(image, 200, y);
    for (int x = 490; x < 510; ++x) columns += Dark(image, x, 250);
    EXPECT_EQ(rows, width);
    EXPECT_EQ(columns, width);
    EXPECT_TRUE(Dark(image, 200, 200)) << "the line covers its own coordinate";
    EXPECT_TRUE(Dark(image, 500, 250));
    EXPECT_EQ(image.pixel(200, 200), kBlack) << "no antialiasing on rules";
  }
}

TEST_F(QPainterCanvasTest, PenColourIsUsed) {
  {
    QPainterCanvas canvas(&image_);
    canvas.SetPenColor(0xffff0000);
    canvas.MoveTo(10, 10);
    canvas.LineTo(50, 10);
  }
  EXPECT_EQ(image_.pixel(30, 10), 0xffff0000);
}

TEST_F(QPainterCanvasTest, FillRectCoversExactlyTheRectangleInBrushColour) {
  {
    QPainterCanvas canvas(&image_);
    canvas.SetBrushColor(0xff00ff00);
    canvas.SetBrushStyle(BrushStyle::Clear);  // the fill ignores the style
    canvas.FillRect(QRect(10, 20, 30, 40));
  }
  EXPECT_EQ(CountColour(image_, image_.rect(), 0xff00ff00), 30 * 40);
  EXPECT_EQ(image_.pixel(10, 20), 0xff00ff00u);
  EXPECT_EQ(image_.pixel(39, 59), 0xff00ff00u);
}

TEST_F(QPainterCanvasTest, ClearFillOfTheWholeClipErasesEverything) {
  {
    QPainterCanvas canvas(&image_);
    canvas.MoveTo(0, 0);
    canvas.LineTo(800, 800);
    EXPECT_EQ(canvas.ClipRect(), QRect(0, 0, 865, 1300));
    canvas.SetBrushColor(kWhite);
    canvas.FillRect(canvas.ClipRect());
  }
  EXPECT_EQ(CountColour(image_, image_.rect(), kWhite), 865 * 1300);
}

TEST_F(QPainterCanvasTest, RectangleOutlineEndsBeforeTheSecondCorner) {
  {
    QPainterCanvas canvas(&image_);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Rectangle(50, 50, 60, 70);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.SetBrushColor(0xff0000ff);
    canvas.Rectangle(100, 50, 110, 70);
  }
  EXPECT_EQ(Ink(image_.copy(0, 0, 90, 100)), QRect(QPoint(50, 50), QPoint(59, 69)));
  EXPECT_EQ(image_.pixel(55, 60), kWhite) << "clear brush leaves the inside alone";
  EXPECT_EQ(image_.pixel(105, 60), 0xff0000ffu) << "solid brush fills the inside";
  EXPECT_EQ(image_.pixel(100, 50), kBlack);
  EXPECT_EQ(image_.pixel(109, 69), kBlack);
  EXPECT_EQ(image_.pixel(110, 69), kWhite);
}

TEST_F(QPainterCanvasTest, TextCellTopLeftIsAtThePoint) {
  int width = 0;
  {
    QPainterCanvas canvas(&image_);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetFontName(kCarriedFace);
    canvas.SetFontSize(30);
    canvas.TextOut(200, 300, QStringLiteral("8"));
    width = canvas.TextWidth(QStringLiteral("8"));
  }
  const QRect ink = Ink(image_);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.left(), 200);
  EXPECT_GE(ink.top(), 300);
  EXPECT_LE(ink.right(), 200 + width);
  EXPECT_LT(ink.top(), 300 + 15) << "the glyph hangs from the point, not stands on it";
  EXPECT_LE(ink.bottom(), 300 + 32);  // 30 pt: a 125 pixel em on paper, 31.25 at 75 dpi
}

TEST_F(QPainterCanvasTest, SolidBrushGivesTextAnOpaqueBackground) {
  constexpr QRgb kYellow = 0xffffff00;
  QRect cell;
  for (const BrushStyle style : {BrushStyle::Solid, BrushStyle::Clear}) {
    QImage image = MakePreviewImage();
    {
      QPainterCanvas canvas(&image);
      canvas.SetFontName(kCarriedFace);
      canvas.SetFontSize(13);
      canvas.SetBrushColor(kYellow);
      canvas.SetBrushStyle(style);
      canvas.TextOut(40, 50, QStringLiteral("123"));
      cell = QRect(40, 50, canvas.TextWidth(QStringLiteral("123")), 14);
    }
    const int yellow = CountColour(image, image.rect(), kYellow);
    if (style == BrushStyle::Solid) {
      EXPECT_GT(yellow, cell.width() * cell.height() / 2);
      EXPECT_EQ(image.pixel(cell.topLeft()), kYellow);
      EXPECT_EQ(image.pixel(cell.right() + 2, cell.top()), kWhite);
    } else {
      EXPECT_EQ(yellow, 0);
    }
    EXPECT_TRUE(Ink(image).intersects(cell)) << "the text itself is drawn";
  }
}

TEST_F(QPainterCanvasTest, PointsFollowTheDeviceDensity) {
  QImage printerLike(2000, 200, QImage::Format_RGB32);
  printerLike.setDotsPerMeterX(11811);  // 300 dpi
  printerLike.setDotsPerMeterY(11811);
  QPainterCanvas preview(&image_);
  QPainterCanvas paper(&printerLike);
  for (QPainterCanvas* canvas : {&preview, &paper}) {
    canvas->SetFontName(kCarriedFace);
    canvas->SetFontSize(13);
  }
  const QString figures = QStringLiteral("1234567890");
  // 13 pt: 54 pixels at 300 dpi, a quarter of them (13.5) at the preview's 75; the digits
  // are half an em wide.
  EXPECT_NEAR(preview.TextWidth(figures), 10 * 13.5 / 2, 10);
  EXPECT_NEAR(paper.TextWidth(figures), 10 * 54 / 2, 10);
}

TEST_F(QPainterCanvasTest, BoldWidensTheStrokes) {
  int ink[2] = {};
  for (const bool bold : {false, true}) {
    QImage image = MakePreviewImage();
    {
      QPainterCanvas canvas(&image);
      canvas.SetBrushStyle(BrushStyle::Clear);
      canvas.SetFontSize(20);
      canvas.SetFontBold(bold);
      canvas.TextOut(10, 10, QStringLiteral("採点欄"));
    }
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 200; ++x) ink[bold] += Dark(image, x, y);
    }
  }
  EXPECT_GT(ink[1], ink[0] * 11 / 10);
}

// Missing glyphs come out as identical boxes; real glyphs differ from each other.
TEST_F(QPainterCanvasTest, JapaneseTextRendersRealGlyphs) {
  const QString text = QStringLiteral("小学校一年生以下の部ケリモ印刷設定採点欄");
  for (const QString& face : {kLabelFace, kCarriedFace}) {
    SCOPED_TRACE(face.toStdString());
    std::set<QByteArray> shapes;
    for (const QChar c : text) {
      QImage image(40, 40, QImage::Format_RGB32);
      image.setDotsPerMeterX(3780);
      image.setDotsPerMeterY(3780);
      image.fill(Qt::white);
      {
        QPainterCanvas canvas(&image);
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.SetFontName(face);
        canvas.SetFontSize(18);
        canvas.TextOut(4, 4, QString(c));
      }
      EXPECT_GT(CountColour(image, image.rect(), kBlack), 10) << QString(c).toStdString();
      shapes.insert(
          QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(shapes.size(), static_cast<size_t>(text.size()));
  }
}

TEST_F(QPainterCanvasTest, EndStopsPaintingAndLaterCallsAreHarmless) {
  QPainterCanvas canvas(&image_);
  EXPECT_TRUE(canvas.IsActive());
  EXPECT_TRUE(canvas.End());
  EXPECT_FALSE(canvas.IsActive());
  canvas.MoveTo(0, 0);
  canvas.LineTo(100, 100);
  canvas.TextOut(10, 10, QStringLiteral("1"));
  EXPECT_GT(canvas.TextWidth(QStringLiteral("1")), 0);
  EXPECT_EQ(CountColour(image_, image_.rect(), kWhite), 865 * 1300);
}

TEST(QPainterCanvas, NoDeviceIsAnError) { EXPECT_THROW(QPainterCanvas canvas(nullptr), Error); }

// A sample of what the sheets draw, kept as a PNG for a look by eye.
TEST_F(QPainterCanvasTest, SampleSheetCorner) {
  {
    QPainterCanvas canvas(&image_);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPenWidth(2);
    canvas.Rectangle(20, 20, 400, 200);
    canvas.SetPenWidth(1);
    canvas.MoveTo(20, 60);
    canvas.LineTo(400, 60);
    canvas.SetFontSize(16);
    canvas.SetFontBold(true);
    canvas.TextOut(30, 28, QStringLiteral("み と り 暗 算 問 題"));
    canvas.SetFontBold(false);
    canvas.SetFontSize(10);
    canvas.TextOut(30, 70, QStringLiteral("小学校一年生以下の部 (制限時間3分)"));
    canvas.SetFontName(kCarriedFace);
    canvas.SetFontSize(13);
    const QStringList rows = {QStringLiteral("1,234"), QStringLiteral("-56"), QStringLiteral("789"),
                              QStringLiteral("ORVぽろね教室")};
    for (int i = 0; i < rows.size(); ++i) {
      canvas.TextOut(380 - canvas.TextWidth(rows[i]), 100 + 22 * i, rows[i]);
    }
  }
  Keep(image_, "sample_sheet_corner.png");
  EXPECT_GT(CountColour(image_, QRect(20, 20, 380, 180), kBlack), 1000);
}

// The same canvas on a 300 dpi PDF page, as a print job is drawn: both faces must be the
// ones embedded, not a fallback.
TEST_F(QPainterCanvasTest, PdfPageEmbedsBothFaces) {
  const QString pdf = dir_->File(QStringLiteral("page.pdf"));
  {
    QPdfWriter writer(pdf);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::JisB4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainterCanvas canvas(&writer);
    EXPECT_NEAR(canvas.ClipRect().width(), 3035, 5);  // 257 mm at 300 dpi, paper in whole points
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPenWidth(4);
    canvas.Rectangle(100, 100, 1000, 600);
    canvas.SetFontSize(16);
    canvas.TextOut(150, 150, QStringLiteral("解答表"));
    canvas.SetFontName(kCarriedFace);
    canvas.TextOut(150, 300, QStringLiteral("1,234"));
    EXPECT_TRUE(canvas.End());
  }
  ASSERT_GT(QFileInfo(pdf).size(), 1000);
  QProcess fonts;
  fonts.start(QStringLiteral("pdffonts"), {pdf});
  if (!fonts.waitForFinished(20000) || fonts.exitStatus() != QProcess::NormalExit) {
    GTEST_SKIP() << "pdffonts (poppler-utils) is not available to list the embedded fonts";
  }
  const QString listed = QString::fromUtf8(fonts.readAllStandardOutput());
  EXPECT_TRUE(listed.contains(QStringLiteral("ORVFont"))) << listed.toStdString();
  EXPECT_TRUE(listed.contains(QStringLiteral("IPAPGothic"))) << listed.toStdString();
}

// A label on the preview is as wide as on paper, the page scaled to the same width: the
// printed page at 300 dpi read back at the preview's 75, ink edge for ink edge, and the
// width the sheets lay out with (TextWidth) the printed one's quarter. Before, the preview
// sized its fonts at 96 dpi on a page laid out at 75 and drew every text about a quarter
// wider than printed.
TEST_F(QPainterCanvasTest, PreviewTextIsAsWideAsPrinted) {
  const struct {
    const char* face;
    int points;
    bool bold;
    QString text;
  } labels[] = {
      {nullptr, 9, false, QStringLiteral("小学校5年生以上はここまで (No.6～30)")},
      {nullptr, 10, false, QStringLiteral("No.")},
      {nullptr, 22, true, QStringLiteral("タマリコ練習問題")},
      {"carried", 13, false, QStringLiteral("-684,723")},
  };
  const auto draw = [&](QPainterCanvas& canvas, int scale, std::vector<int>& widths) {
    for (int i = 0; i < static_cast<int>(std::size(labels)); ++i) {
      const auto& label = labels[i];
      canvas.SetFontName(label.face ? kCarriedFace : kLabelFace);
      canvas.SetFontSize(label.points);
      canvas.SetFontBold(label.bold);
      canvas.TextOut(40 * scale, (40 + 60 * i) * scale, label.text);
      widths.push_back(canvas.TextWidth(label.text));
    }
  };
  std::vector<int> previewWidths, printedWidths;
  {
    QPainterCanvas canvas(&image_);
    canvas.SetBrushStyle(BrushStyle::Clear);
    draw(canvas, 1, previewWidths);
  }
  const QString pdf = dir_->File(QStringLiteral("labels.pdf"));
  {
    QPdfWriter writer(pdf);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::JisB4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainterCanvas canvas(&writer);
    canvas.SetBrushStyle(BrushStyle::Clear);
    draw(canvas, 4, printedWidths);
  }
  Keep(image_, "labels_preview.png");
  for (int i = 0; i < static_cast<int>(std::size(labels)); ++i) {
    SCOPED_TRACE(labels[i].text.toStdString());
    EXPECT_NEAR(previewWidths[i], printedWidths[i] / 4.0, 1);
  }
  const QImage page = test::RasterisePdf(pdf, dir_->File(QStringLiteral("labels")), 75);
  if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
  Keep(page, "labels_printed.png");
  for (int i = 0; i < static_cast<int>(std::size(labels)); ++i) {
    SCOPED_TRACE(labels[i].text.toStdString());
    const QRect band(0, 40 + 60 * i - 5, 700, 50);
    const QRect preview = Ink(image_.copy(band));
    const QRect printed = Ink(page.copy(band));
    ASSERT_FALSE(printed.isEmpty());
    EXPECT_NEAR(preview.left(), printed.left(), 1);
    EXPECT_NEAR(preview.right(), printed.right(), 1);
  }
}

}  // namespace
}  // namespace tamariko
