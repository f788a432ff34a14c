#include <QElapsedTimer>

#include "app_fixture.h"
#include "platform/cups_spooler.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/scoped_env.h"

namespace tamariko::testing {
namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

QString PrinterInForce() {
  FrameworkPrinter& framework = QxPrinter().Framework();
  return framework.Printers().value(framework.PrinterIndex());
}

// The whole window over a real print server that stops answering, with generous bounds;
// the check that no libcups call runs on the GUI thread is on in every test. The
// sanitizers slow the server's start too much for the bounds: normal build only.
TEST_F(AppTest, WithAStoppedPrintServerTheWindowOpensOnThePdfPrinterAndSaysSoOnce) {
#ifdef TAMARIKO_SANITIZED_BUILD
  GTEST_SKIP() << "timed end-to-end case, run in the normal build";
#endif
  OwnCupsd cupsd;
  const QString reason = cupsd.Start();
  if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
  const ScopedEnv server("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
  const ScopedEnv bound("TAMARIKO_CUPS_TIMEOUT_MS", "1000");
  UsePrinters(std::make_shared<CupsSpooler>());
  cupsd.Stop();

  QElapsedTimer clock;
  clock.start();
  BeginWatchingPrinters(200);
  CreateWindows();
  EXPECT_LT(clock.elapsed(), 3000) << "the start-up does not wait for the server";
  EXPECT_TRUE(form->SetsCreated());
  EXPECT_EQ(PrinterInForce(), QLatin1String(kPdfPrinterName));
  ASSERT_TRUE(WaitFor([&] { return !boxes.shown.empty(); }, 5000));
  EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("応答しません")));

  form->Image4->Click();
  EXPECT_TRUE(Operations().contains(QStringLiteral("Make mitori"))) << "a command answers";
  // Reads go on every 200 ms and fail; the teacher is told once.
  WaitFor([] { return false; }, 1500);
  EXPECT_EQ(boxes.shown.size(), 1u);

  cupsd.Resume();
  EXPECT_TRUE(WaitFor(
      [] { return QxPrinter().Framework().Printers().contains(QLatin1String(OwnCupsd::kQueue)); },
      15000))
      << "the queues appear once the server answers";
  EXPECT_EQ(PrinterInForce(), QLatin1String(kPdfPrinterName)) << "the printer in force stays";
}

}  // namespace
}  // namespace tamariko::testing
