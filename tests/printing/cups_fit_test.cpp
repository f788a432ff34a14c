#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "printing/qxprinters.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/pdf_support.h"
#include "tests/support/scoped_env.h"

namespace tamariko {
namespace {

// A PDF queue whose A4 paper has uneven hardware margins: 36 pt left, 18 right, 72 top,
// 24 bottom.
QString WriteMarginDriver(const QTemporaryDir& dir) {
  QFile base(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"));
  const QString path = dir.filePath(QStringLiteral("margins.ppd"));
  QFile out(path);
  if (!base.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return QString();
  QByteArray ppd = base.readAll();
  ppd.replace("*ImageableArea A4/A4: \"0 0 595 842\"", "*ImageableArea A4/A4: \"36 24 577 770\"");
  out.write(ppd);
  return path;
}

TEST(CupsFit, TheWholeB4PageLandsInsideTheQueuesPrintableAreaOnA4) {
  testing::OwnCupsd cupsd;
  const QString reason = cupsd.Start();
  if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
  QTemporaryDir dir;
  const QString ppd = WriteMarginDriver(dir);
  ASSERT_FALSE(ppd.isEmpty());
  ASSERT_TRUE(cupsd.AddQueue(QStringLiteral("margins"), ppd));
  const testing::ScopedEnv server("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
  auto spooler = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(spooler->Refresh(15000)) << spooler->ServerFailure().toStdString();
  ScopedQxPrinter scoped(spooler);
  TQxPrinter& qx = QxPrinter();
  qx.Framework().SelectPrinter(QStringLiteral("margins"));
  qx.ResetPrinter();
  ASSERT_EQ(qx.UseSheetPaper(DMPAPER_A4), DMPAPER_A4);

  // The sheets draw on a whole B4 page: its corner is the paper's.
  EXPECT_EQ(qx.GetPageOffset(), std::make_pair(0, 0));
  qx.BeginDoc(QStringLiteral("余白"));
  TCanvas& page = qx.Canvas();
  page.SetPenWidth(4);
  page.SetBrushStyle(BrushStyle::Clear);
  page.Rectangle(0, 0, 3035, 4299);  // the B4 page's edge at 300 dpi
  qx.EndDoc();

  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 15000 && cupsd.JobDocuments().isEmpty()) QThread::msleep(100);
  ASSERT_EQ(cupsd.JobDocuments().size(), 1);
  const QImage sent =
      test::RasterisePdf(cupsd.JobDocuments().front(), dir.filePath(QStringLiteral("sent")), 100);
  ASSERT_FALSE(sent.isNull());
  ASSERT_NEAR(sent.width(), 827, 1);  // A4 at 100 dpi, upright
  // The printable area at 100 dpi: x 50 to 801, y 100 to 1136. The page's height decides,
  // so its edge runs along the top and bottom margins and is centred across.
  const QRect ink = test::InkBox(sent);
  EXPECT_NEAR(ink.top(), 100, 2);
  EXPECT_NEAR(ink.bottom(), 1136, 2);
  EXPECT_GE(ink.left(), 50);
  EXPECT_LE(ink.right(), 801);
  EXPECT_NEAR(ink.left() - 50, 801 - ink.right(), 2);
}

}  // namespace
}  // namespace tamariko
