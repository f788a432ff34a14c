#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cstdlib>
#include <memory>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "platform/spooler_paper.h"
#include "printing/qxprinters.h"
#include "tests/support/pdf_support.h"

namespace tamariko {
namespace {

// These cases talk to the CUPS server that scripts/cups-test-server.sh starts.
class CupsServer : public ::testing::Test {
 protected:
  void SetUp() override {
    queue = QString::fromLocal8Bit(qgetenv("TAMARIKO_CUPS_QUEUE"));
    marginQueue = QString::fromLocal8Bit(qgetenv("TAMARIKO_CUPS_MARGIN_QUEUE"));
    out = QString::fromLocal8Bit(qgetenv("TAMARIKO_CUPS_OUT"));
    if (queue.isEmpty() || out.isEmpty()) {
      const QByteArray reason = qgetenv("TAMARIKO_CUPS_SKIP_REASON");
      GTEST_SKIP() << "no CUPS test server: "
                   << (reason.isEmpty() ? QByteArray("run through scripts/test.sh, which starts "
                                                     "one (scripts/cups-test-server.sh)")
                                        : reason)
                          .constData();
    }
    spooler = std::make_shared<CupsSpooler>();
    ASSERT_TRUE(spooler->Refresh(30000)) << spooler->ServerFailure().toStdString();
    framework = std::make_shared<FrameworkPrinter>(spooler);
    qx = std::make_unique<TQxPrinter>(spooler, framework);
  }

  void Select(const QString& name) {
    const int index = static_cast<int>(framework->Printers().indexOf(name));
    ASSERT_GE(index, 0) << name.toStdString() << " is not listed";
    framework->SetPrinterIndex(index);
  }

  DevMode Current() {
    QString device, driver, port;
    DevModeHandle handle;
    framework->GetPrinter(device, driver, port, handle);
    return *handle->AsDevMode();
  }

  // cups-pdf names its files "<title>-job_<id>.pdf"; waits (bounded) for the job's file.
  QString WaitForJobFile(int before) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
      const QStringList files =
          QDir(out).entryList({QStringLiteral("*job_*.pdf")}, QDir::Files, QDir::Time);
      if (files.size() > before) {
        const QString path = QDir(out).filePath(files.first());
        // The backend writes the file in place; wait until pdfinfo can read it.
        if (test::ReadPdf(path).pages > 0) return path;
      }
      QThread::msleep(100);
    }
    return QString();
  }

  QString queue, marginQueue, out;
  std::shared_ptr<CupsSpooler> spooler;
  std::shared_ptr<FrameworkPrinter> framework;
  std::unique_ptr<TQxPrinter> qx;
};

TEST_F(CupsServer, QueuesAreListedBesideThePdfPrinter) {
  QStringList names;
  for (int i = 0; i < qx->PrintersInfo().Count(); ++i) names << qx->PrintersInfo().Names(i);
  EXPECT_TRUE(names.contains(queue));
  EXPECT_TRUE(names.contains(QLatin1String(kPdfPrinterName)));
  EXPECT_TRUE(qx->GetPorts().contains(QStringLiteral("cups-pdf:/tamariko-test")));
}

TEST_F(CupsServer, StartUpPaperLeavesTheQueueOnB4AndAJobArrivesAsOneB4Page) {
  Select(queue);
  qx->SetPaperSizeNumber(DMPAPER_B4);
  qx->ApplySettings();
  EXPECT_EQ(Current().dmPaperSize, DMPAPER_B4);
  EXPECT_EQ(qx->GetPixelsPerInch(), std::make_pair(300, 300));
  EXPECT_EQ(qx->GetPageOffset(), std::make_pair(0, 0));

  const int before = static_cast<int>(QDir(out).entryList({"*job_*.pdf"}, QDir::Files).size());
  qx->BeginDoc(QStringLiteral("みとり暗算１"));
  TCanvas& c = qx->Canvas();
  c.SetPenWidth(4);
  c.SetBrushStyle(BrushStyle::Clear);
  c.Rectangle(300, 300, 2700, 3900);
  c.SetFontName(QStringLiteral("ＭＳ Ｐゴシック"));
  c.SetFontSize(16);
  c.TextOut(400, 400, QStringLiteral("第1回 みとり暗算 12,345"));
  qx->EndDoc();

  const QString file = WaitForJobFile(before);
  ASSERT_FALSE(file.isEmpty()) << "no PDF from cups-pdf in " << out.toStdString();
  const test::PdfFacts facts = test::ReadPdf(file);
  EXPECT_EQ(facts.pages, 1);
  // The driver file rounds B4 to whole points (727 x 1029).
  EXPECT_NEAR(facts.widthPt, test::kB4WidthPt, 4.0);
  EXPECT_NEAR(facts.heightPt, test::kB4HeightPt, 4.0);
}

TEST_F(CupsServer, HardwareMarginsBecomePageOffsetsInPixels) {
  if (marginQueue.isEmpty()) GTEST_SKIP() << "the test server has no queue with margins";
  Select(marginQueue);
  qx->SetPaperSizeNumber(DMPAPER_B4);
  qx->ApplySettings();
  // 12 pt and 24 pt at 300 dpi.
  EXPECT_EQ(qx->GetPageOffset(), std::make_pair(50, 100));
}

TEST_F(CupsServer, RemovingAQueueFiresOnChange) {
  const QString extra = QStringLiteral("tamariko-gone");
  ASSERT_EQ(QProcess::execute(QStringLiteral("lpadmin"),
                              {"-p", extra, "-E", "-v", "cups-pdf:/tamariko-test", "-P",
                               "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"}),
            0);
  ASSERT_TRUE(spooler->Refresh(30000));
  int fired = 0;
  // Rebuild the snapshot with the extra queue in it.
  qx = std::make_unique<TQxPrinter>(spooler, framework);
  qx->OnChange = [&](TQxPrinter&) { ++fired; };
  ASSERT_TRUE(spooler->Refresh(30000));
  EXPECT_EQ(fired, 0);

  ASSERT_EQ(QProcess::execute(QStringLiteral("lpadmin"), {"-x", extra}), 0);
  ASSERT_TRUE(spooler->Refresh(30000));
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(framework->Printers().contains(extra));
}

}  // namespace
}  // namespace tamariko
