#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace tamariko::test {

struct PdfFacts {
  int pages = -1;
  double widthPt = 0;
  double heightPt = 0;
};

// Page count and first page size as pdfinfo reports them; pages -1 when it cannot read it.
inline PdfFacts ReadPdf(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {path});
  PdfFacts facts;
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return facts;
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out);
  const auto size =
      QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
  if (pages.hasMatch()) facts.pages = pages.captured(1).toInt();
  if (size.hasMatch()) {
    facts.widthPt = size.captured(1).toDouble();
    facts.heightPt = size.captured(2).toDouble();
  }
  return facts;
}

// A page (the first unless told) turned into an image at `dpi` (pdftoppm, poppler-utils);
// null when it could not be made.
inline QImage RasterisePdf(const QString& pdf, const QString& stem, int dpi, int page = 1) {
  QProcess p;
  p.start(QStringLiteral("pdftoppm"),
          {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
           QStringLiteral("-singlefile"), QStringLiteral("-f"), QString::number(page), pdf, stem});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return QImage(stem + QStringLiteral(".png"));
}

// The text of each page of a PDF (pdftotext, poppler-utils); empty when it cannot be read.
inline QStringList PdfPageTexts(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
  if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
  return pages;
}

// The box of an image's dark pixels; empty when there are none.
inline QRect InkBox(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// B4 (JIS), 257 x 364 mm, in points.
inline constexpr double kB4WidthPt = 257 / 25.4 * 72;
inline constexpr double kB4HeightPt = 364 / 25.4 * 72;

}  // namespace tamariko::test
