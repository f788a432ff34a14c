#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "core/page_mapping.h"
#include "core/sheet_texts.h"
#include "platform/carried_font.h"
#include "platform/cups_spooler.h"
#include "platform/font_resources.h"
#include "platform/recording_canvas.h"
#include "platform/scripted_spooler.h"
#include "printing/qxprinters.h"

namespace tamariko::test {

// The round number and headings, changed by a test as a teacher changes the edit boxes.
class EditableTexts : public TSheetTexts {
 public:
  QString round = QStringLiteral("1");
  QString heading1 = QStringLiteral("タマリコ");
  QString heading2 = QStringLiteral("タマリコ練習問題");
  QString RoundText() const override { return round; }
  QString Heading1() const override { return heading1; }
  QString Heading2() const override { return heading2; }
};

// A sheet drawn on a recording canvas, with a 300 dpi printer without offsets in force;
// each print job's page is recorded as well.
class RecordedSheet : public ::testing::Test {
 protected:
  static std::shared_ptr<ScriptedSpooler> MakeSpooler() {
    ScriptedSpooler::Printer p;
    p.name = QStringLiteral("Sheet printer");
    p.dpiX = p.dpiY = 300;
    p.offsetX = p.offsetY = 0;
    return std::make_shared<ScriptedSpooler>(std::vector{p});
  }

  const PageMapping preview = PreviewMapping({300, 300}, {0, 0});
  const PageMapping print = PrintMapping({300, 300}, {0, 0});
  RecordingCanvas image;
  std::shared_ptr<ScriptedSpooler> spooler_ = MakeSpooler();
  ScopedQxPrinter printer_{spooler_};
};

// A sheet drawn for real: the fonts installed and the built-in PDF printer in force on B4
// (300 dpi, no offsets), writing into a folder of the test's own.
class RenderedSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFaceSubstitutions();
    InstallCarriedFont(FontPath());
    spooler->SetPdfOutputFolder(output.path());
    QxPrinter().Framework().SelectPrinter(QString::fromLatin1(kPdfPrinterName));
    QxPrinter().SetPaperSizeNumber(12);
    QxPrinter().ApplySettings();
  }
  void TearDown() override { RemoveCarriedFont(FontPath()); }

  QString FontPath() const {
    return QDir(fontFolder.path()).filePath(QStringLiteral("ORVFont.TTF"));
  }

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

// Keeps the picture in TAMARIKO_RENDER_DIR, when set, for a person to look at.
inline void KeepForLooking(const QImage& image, const char* name) {
  const QString dir = qEnvironmentVariable("TAMARIKO_RENDER_DIR");
  if (!dir.isEmpty()) image.save(QDir(dir).filePath(QString::fromLatin1(name)));
}

}  // namespace tamariko::test
