#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <utility>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"
#include "tests/support/small_disk.h"

namespace tamariko {
namespace {

// The built-in PDF printer needs no print server: it exists on every machine.
struct PdfRig {
  PdfRig()
      : spooler(std::make_shared<CupsSpooler>()),
        framework(std::make_shared<FrameworkPrinter>(spooler)),
        qx(spooler, framework) {
    spooler->SetPdfOutputFolder(folder.path());
    const int index = static_cast<int>(framework->Printers().indexOf(kPdfPrinterName));
    framework->SetPrinterIndex(index);
  }

  void PrintFrame(const QString& title) {
    qx.BeginDoc(title);
    TCanvas& c = qx.Canvas();
    c.SetPenWidth(4);
    c.SetBrushStyle(BrushStyle::Clear);
    // One inch in from the paper's corner, one inch wide.
    c.Rectangle(300, 300, 600, 600);
    c.SetFontName(QStringLiteral("ＭＳ Ｐゴシック"));
    c.SetFontSize(20);
    c.TextOut(300, 700, QStringLiteral("みとり暗算 123"));
    qx.EndDoc();
  }

  QTemporaryDir folder;
  std::shared_ptr<CupsSpooler> spooler;
  std::shared_ptr<FrameworkPrinter> framework;
  TQxPrinter qx;
};

TEST(PdfPrinter, IsListedAndDrivenAt300DpiWithoutOffsets) {
  PdfRig rig;
  ASSERT_TRUE(rig.folder.isValid());
  bool listed = false;
  for (int i = 0; i < rig.qx.PrintersInfo().Count(); ++i) {
    listed = listed || rig.qx.PrintersInfo().Names(i) == kPdfPrinterName;
  }
  EXPECT_TRUE(listed);
  EXPECT_EQ(rig.qx.GetPixelsPerInch(), std::make_pair(300, 300));
  EXPECT_EQ(rig.qx.GetPageOffset(), std::make_pair(0, 0));
}

TEST(PdfPrinter, StartUpPaperGivesB4PagesNamedAfterTheTitleNeverOverwritten) {
  PdfRig rig;
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  rig.qx.ApplySettings();
  rig.PrintFrame(QStringLiteral("みとり暗算１"));
  rig.PrintFrame(QStringLiteral("みとり暗算１"));
  rig.PrintFrame(QStringLiteral("a/b"));

  const QDir dir(rig.folder.path());
  const QStringList expected = {QStringLiteral("みとり暗算１.pdf"),
                                QStringLiteral("みとり暗算１ (2).pdf"), QStringLiteral("a_b.pdf")};
  ASSERT_EQ(rig.spooler->PdfFilesWritten().size(), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(expected[i].toStdString());
    EXPECT_EQ(rig.spooler->PdfFilesWritten()[i], dir.filePath(expected[i]));
    const test::PdfFacts facts = test::ReadPdf(dir.filePath(expected[i]));
    EXPECT_EQ(facts.pages, 1);
    EXPECT_NEAR(facts.widthPt, test::kB4WidthPt, 1.0);
    EXPECT_NEAR(facts.heightPt, test::kB4HeightPt, 1.0);
  }
}

// Fit draws the whole B4 page onto other paper; on B4 it is the page as drawn, and actual
// size leaves any paper as drawn from its corner.
TEST(PdfPrinter, FitScalesOnlyOffB4AndActualSizeKeepsThePageAsDrawn) {
  PdfRig rig;
  auto frameOn = [&](int paper, bool fit, const char* name) {
    rig.qx.UseSheetPaper(paper);
    rig.qx.SetFitToPaper(fit);
    rig.PrintFrame(QString::fromLatin1(name));
    return test::RasterisePdf(rig.spooler->PdfFilesWritten().back(),
                              rig.folder.filePath(QLatin1String(name)), 100);
  };
  const QImage b4Fit = frameOn(DMPAPER_B4, true, "b4fit");
  if (b4Fit.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
  EXPECT_EQ(b4Fit, frameOn(DMPAPER_B4, false, "b4actual"));
  // The device origin is the paper's corner: at 100 dpi the frame stands from pixel 100 to
  // 199 on both axes (the right and bottom edges lie inside the given corner).
  auto dark = [](const QImage& page, int x, int y) { return qGray(page.pixel(x, y)) < 128; };
  for (const auto& [x, y] : {std::pair{100, 150}, {150, 100}, {199, 150}, {150, 199}}) {
    EXPECT_TRUE(dark(b4Fit, x, y)) << x << "," << y;
  }
  for (const auto& [x, y] : {std::pair{205, 150}, {150, 150}, {94, 150}, {150, 94}}) {
    EXPECT_FALSE(dark(b4Fit, x, y)) << x << "," << y;
  }

  const QImage a4Actual = frameOn(DMPAPER_A4, false, "a4actual");
  EXPECT_EQ(a4Actual.width(), 827);
  EXPECT_TRUE(dark(a4Actual, 100, 150));  // the frame's left edge, as on B4
  const QImage a4Fit = frameOn(DMPAPER_A4, true, "a4fit");
  // 297/364 of the frame's 100 to 199 (82 to 162), give or take a pixel of centring.
  auto darkAcross = [&](int x1, int x2, int y) {
    bool any = false;
    for (int x = x1; x <= x2; ++x) any = any || dark(a4Fit, x, y);
    return any;
  };
  EXPECT_TRUE(darkAcross(80, 84, 120));
  EXPECT_FALSE(darkAcross(95, 105, 120));
  EXPECT_TRUE(darkAcross(160, 164, 120));
  EXPECT_FALSE(darkAcross(195, 205, 120));
}

TEST(PdfPrinter, CollectedJobsBecomePagesOfOneFileWrittenAtTheEnd) {
  PdfRig rig;
  rig.qx.SetPaperSizeNumber(DMPAPER_B4);
  rig.qx.ApplySettings();
  const QString file = QDir(rig.folder.path()).filePath(QStringLiteral("set.pdf"));
  rig.spooler->CollectPdfJobs(file);
  rig.PrintFrame(QStringLiteral("みとり暗算１"));
  rig.PrintFrame(QStringLiteral("かけ算"));
  EXPECT_FALSE(QFileInfo::exists(file));
  rig.PrintFrame(QStringLiteral("解答表"));
  EXPECT_EQ(rig.spooler->FinishPdfCollection(), 3);
  EXPECT_FALSE(rig.spooler->CollectingPdf());
  const test::PdfFacts facts = test::ReadPdf(file);
  EXPECT_EQ(facts.pages, 3);
  EXPECT_NEAR(facts.widthPt, test::kB4WidthPt, 1.0);
  EXPECT_NEAR(facts.heightPt, test::kB4HeightPt, 1.0);
  EXPECT_EQ(QDir(rig.folder.path()).entryList(QDir::Files), QStringList({"set.pdf"}));
}

TEST(PdfPrinter, EveryCollectedPageStartsWithTheBrushOfAJobOfItsOwn) {
  PdfRig rig;
  const QString file = QDir(rig.folder.path()).filePath(QStringLiteral("set.pdf"));
  rig.spooler->CollectPdfJobs(file);
  rig.PrintFrame(QStringLiteral("clear brush"));
  // A rectangle drawn with the brush a new page has covers what lies beneath it.
  rig.qx.BeginDoc(QStringLiteral("default brush"));
  rig.qx.Canvas().SetPenWidth(40);
  rig.qx.Canvas().MoveTo(300, 450);
  rig.qx.Canvas().LineTo(600, 450);
  rig.qx.Canvas().SetPenWidth(1);
  rig.qx.Canvas().Rectangle(300, 300, 600, 600);
  rig.qx.EndDoc();
  ASSERT_EQ(rig.spooler->FinishPdfCollection(), 2);
  const QImage page = test::RasterisePdf(file, rig.folder.filePath(QStringLiteral("p")), 100, 2);
  ASSERT_FALSE(page.isNull());
  // 100 dpi: the line's middle at (150, 150) lies inside the filled rectangle.
  EXPECT_GT(qGray(page.pixel(150, 150)), 200);
}

TEST(PdfPrinter, CollectionWithoutPagesLeavesNoFile) {
  PdfRig rig;
  const QString file = QDir(rig.folder.path()).filePath(QStringLiteral("empty.pdf"));
  rig.spooler->CollectPdfJobs(file);
  EXPECT_THROW(rig.spooler->FinishPdfCollection(), Error);
  EXPECT_TRUE(QDir(rig.folder.path()).entryList(QDir::Files).isEmpty());
}

TEST(PdfPrinter, UnwritableTargetsAreClearErrors) {
  PdfRig rig;
  EXPECT_THROW(rig.spooler->CollectPdfJobs(QStringLiteral("/nonexistent-folder/x.pdf")), Error);
  QFile blocker(QDir(rig.folder.path()).filePath(QStringLiteral("not-a-folder")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  rig.spooler->SetPdfOutputFolder(blocker.fileName() + QStringLiteral("/sub"));
  rig.qx.BeginDoc(QStringLiteral("x"));
  EXPECT_THROW(rig.qx.EndDoc(), Error);
  EXPECT_FALSE(rig.framework->Printing());
}

// The printer never replaces a file; on a full disk it writes none, says why, and the
// one of the same name stays as it was.
TEST(PdfPrinter, FullDiskThrowsThePlainReasonAndWritesNothing) {
  qint64 size = 0;
  {
    PdfRig roomy;
    roomy.PrintFrame(QStringLiteral("frame"));
    size = QFileInfo(roomy.spooler->PdfFilesWritten().at(0)).size();
  }
  for (const qint64 free : {qint64{0}, test::PagesFor(size) - test::SmallDisk::kPage}) {
    SCOPED_TRACE(free);
    test::SmallDisk disk(256);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
    const QString folder = disk.FilePath(QStringLiteral("pdf"));
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile old(QDir(folder).filePath(QStringLiteral("frame.pdf")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ASSERT_TRUE(disk.LeaveFree(free));
    PdfRig rig;
    rig.spooler->SetPdfOutputFolder(folder);
    try {
      rig.PrintFrame(QStringLiteral("frame"));
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_TRUE(
          QString::fromUtf8(e.what()).contains(QStringLiteral("ディスクの空きが足りません")))
          << e.what();
    }
    EXPECT_TRUE(rig.spooler->PdfFilesWritten().isEmpty());
    EXPECT_EQ(test::AllEntries(folder), QStringList({"frame.pdf"}));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
  }
}

}  // namespace
}  // namespace tamariko
