#include <QElapsedTimer>
#include <memory>

#include "app_fixture.h"
#include "platform/cups_spooler.h"
#include "printing/printer_setup_form.h"
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

// The set-up dialog's notes, read from the real dialog, which is then cancelled.
QString SetUpDialogNotes() {
  QString notes;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<TPrinterSetupForm*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    poll.stop();
    notes = dialog->NoticeText->isVisible() ? dialog->NoticeText->text() : QStringLiteral("-");
    dialog->reject();
  });
  poll.start(10);
  Form1->Image9->Click();
  return notes;
}

// The whole window over a print server of the test's own, with generous bounds; the check
// that no libcups call runs on the GUI thread is on in every test. The sanitizers slow the
// server's start too much for the bounds: normal build only.
class OwnServerTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    if (HasFatalFailure()) return;
#ifdef TAMARIKO_SANITIZED_BUILD
    GTEST_SKIP() << "timed end-to-end case, run in the normal build";
#endif
    const QString reason = cupsd.Start();
    if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    server = std::make_unique<ScopedEnv>("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
  }

  OwnCupsd cupsd;
  std::unique_ptr<ScopedEnv> server;
};

TEST_F(OwnServerTest, WithAStoppedPrintServerTheWindowOpensOnThePdfPrinterWithoutABox) {
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
  form->Image4->Click();
  EXPECT_TRUE(Operations().contains(QStringLiteral("Make mitori"))) << "a command answers";
  // Reads go on every 200 ms and fail; nobody is interrupted by a box.
  WaitFor([] { return false; }, 2000);
  EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text.toStdString();
  EXPECT_TRUE(SetUpDialogNotes().contains(QStringLiteral("状態: 印刷サーバーが応答しません")));

  cupsd.Resume();
  EXPECT_TRUE(WaitFor(
      [] { return QxPrinter().Framework().Printers().contains(QLatin1String(OwnCupsd::kQueue)); },
      15000))
      << "the queues appear once the server answers";
  EXPECT_EQ(PrinterInForce(), QLatin1String(kPdfPrinterName)) << "the printer in force stays";
  EXPECT_EQ(SetUpDialogNotes(), QStringLiteral("-")) << "nothing to note once it answers";
}

// The real sheets on a queue of a real server: a paused queue's notice is in the run's
// report; a server that falls silent is waited for once a run, not once a sheet.
TEST_F(OwnServerTest, APausedQueueIsInTheReportAndASilentServerIsWaitedForOnceARun) {
  constexpr int kBoundMs = 2000;
  const ScopedEnv bound("TAMARIKO_CUPS_TIMEOUT_MS", QByteArray::number(kBoundMs));
  auto cups = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(cups->Refresh(15000)) << cups->ServerFailure().toStdString();
  UsePrinters(cups);
  QxPrinter().Framework().SelectPrinter(QLatin1String(OwnCupsd::kQueue));
  CreateForms();
  auto print = [this] {
    boxes.shown.clear();
    boxes.answers = {IDYES};
    QTimer::singleShot(0, Form4, [] { Form4->Button1->click(); });
    Form1->Image8->Click();
    return boxes.shown.empty() ? QString() : boxes.shown.back().text;
  };

  ASSERT_TRUE(cupsd.Pause(QLatin1String(OwnCupsd::kQueue)));
  EXPECT_TRUE(
      print().contains(QStringLiteral("own-queue は一時停止中です。印刷は再開まで待ちます")));

  cupsd.Stop();
  QElapsedTimer clock;
  clock.start();
  const QString report = print();
  EXPECT_LT(clock.elapsed(), kBoundMs + 2000) << "one bound for the run's three sheets";
  EXPECT_EQ(report.count(QStringLiteral("送れませんでした。印刷サーバーが応答しません")), 3)
      << report.toStdString();
}

}  // namespace
}  // namespace tamariko::testing
