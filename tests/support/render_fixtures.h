#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "core/print_target.h"
#include "platform/carried_font.h"
#include "platform/cups_spooler.h"
#include "platform/font_resources.h"
#include "printing/qxprinters.h"
#include "tests/support/sheet_fixtures.h"

namespace tamariko::test {

// A sheet drawn for real: the fonts installed and the built-in PDF printer in force on B4
// (300 dpi, no offsets), writing into a folder of the test's own.
class RenderedSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFaceSubstitutions();
    InstallCarriedFont(FontPath());
    spooler->SetPdfOutputFolder(output.path());
    QxPrinter().Framework().SelectPrinter(QString::fromLatin1(kPdfPrinterName));
    QxPrinter().SetPaperSizeNumber(DMPAPER_B4);
    QxPrinter().ApplySettings();
  }
  void TearDown() override { RemoveCarriedFont(FontPath()); }

  QString FontPath() const {
    return QDir(fontFolder.path()).filePath(QStringLiteral("ORVFont.TTF"));
  }

  // The preview's scale, asked of the printer as the window asks it.
  static PageMapping Preview() { return PreviewMappingOf(QxPrinter()); }

  QTemporaryDir fontFolder, output;
  std::shared_ptr<CupsSpooler> spooler = std::make_shared<CupsSpooler>();
  ScopedQxPrinter printer{spooler};
};

inline bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// Dark pixels in the box, so that a figure or text is known to be there.
inline int InkIn(const QImage& image, int x1, int y1, int x2, int y2) {
  int ink = 0;
  for (int y = y1; y < y2; ++y) {
    for (int x = x1; x < x2; ++x) ink += Dark(image, x, y);
  }
  return ink;
}

// Whether pixel column x holds ink between rows top and bottom.
inline bool InkInColumn(const QImage& image, int x, int top, int bottom) {
  for (int y = top; y < bottom; ++y) {
    if (Dark(image, x, y)) return true;
  }
  return false;
}

// The first pixel column beside a ruled line, walking from `from` by `step` (-1 or 1) onto
// the rule and past it. A rule is dark the whole height from top to bottom; figures never are.
inline int BesideRule(const QImage& image, int from, int step, int top, int bottom) {
  auto rule = [&](int x) {
    for (int y = top; y < bottom; ++y) {
      if (!Dark(image, x, y)) return false;
    }
    return true;
  };
  int x = from;
  while (x > 0 && x < image.width() - 1 && !rule(x)) x += step;
  while (x > 0 && x < image.width() - 1 && rule(x)) x += step;
  return x;
}

// Keeps the picture in TAMARIKO_RENDER_DIR, when set, for a person to look at.
inline void KeepForLooking(const QImage& image, const char* name) {
  const QString dir = qEnvironmentVariable("TAMARIKO_RENDER_DIR");
  if (!dir.isEmpty()) image.save(QDir(dir).filePath(QString::fromLatin1(name)));
}

}  // namespace tamariko::test
