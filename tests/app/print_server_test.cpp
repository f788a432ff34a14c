#include <QElapsedTimer>
#include <memory>

#include "app_fixture.h"
#include "platform/cups_spooler.h"
#include "printing/printer_setup_form.h"
#include "printing/qxprint_dialogs.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/pdf_support.h"
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
  EXPECT_EQ(report.count(QStringLiteral("送れませんでした。印刷サーバーが応答しません")),
            3 + PagesTickedWithOthers())
      << report.toStdString();
}

// 両面 on a queue that has it: each version's problem pages are one job, then each
// version's answers; every job has an even page count, so the next starts on a sheet of its
// own, and copies are collated, so each copy's pages share their sheets.
TEST_F(OwnServerTest, TwoSidedSendsEachVersionsPagesAsOneJobOnSheetsOfItsOwn) {
  if (!QFileInfo::exists(QStringLiteral("/usr/share/cups/drv/sample.drv"))) {
    GTEST_SKIP() << "the print server's sample drivers are missing";
  }
  ASSERT_TRUE(cupsd.AddDriverQueue(QStringLiteral("duplex"),
                                   QStringLiteral("drv:///sample.drv/laserjet.ppd"),
                                   QStringLiteral("/dev/null")));
  // The duplexer is an installable option of this driver.
  ASSERT_TRUE(cupsd.Admin({"-p", "duplex", "-o", "Option1=True"}));
  auto cups = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(cups->Refresh(15000)) << cups->ServerFailure().toStdString();
  EXPECT_EQ(cups->DeviceCapabilities("duplex", {}, DC_DUPLEX, nullptr, nullptr), 1);
  EXPECT_EQ(cups->DeviceCapabilities(OwnCupsd::kQueue, {}, DC_DUPLEX, nullptr, nullptr), 0);
  UsePrinters(cups);
  PrinterChoice choice = PrinterChoiceInForce();
  choice.printer = QStringLiteral("duplex");
  choice.paper = DMPAPER_A4;
  choice.twoSided = {QStringLiteral("duplex")};
  PutPrinterChoiceInForce(choice);
  CreateForms();
  Form1->Image4->Click();
  Form4->SetVersions(2);
  Form4->SpinEdit1->setValue(2);
  boxes.answers = {IDYES};
  QTimer::singleShot(0, Form4, [] { Form4->Button1->click(); });
  Form1->Image8->Click();
  ASSERT_FALSE(boxes.shown.empty());
  const QString report = boxes.shown.back().text;
  EXPECT_EQ(report.count(QStringLiteral(": 送りました")), 2 * (3 + PagesTickedWithOthers()))
      << report.toStdString();

  const auto jobs = cupsd.Jobs({"job-name", "sides", "multiple-document-handling"});
  std::vector<QString> names;
  for (const auto& job : jobs) {
    names.push_back(job.at(QStringLiteral("job-name")));
    EXPECT_EQ(job.at(QStringLiteral("sides")), QStringLiteral("two-sided-long-edge"));
    EXPECT_EQ(job.at(QStringLiteral("multiple-document-handling")),
              QStringLiteral("separate-documents-collated-copies"));
  }
  EXPECT_EQ(names, (std::vector<QString>{"大会問題（Ａ版）", "大会問題（Ｂ版）",
                                         "大会問題 解答（Ａ版）", "大会問題 解答（Ｂ版）"}));
  const QStringList documents = cupsd.JobDocuments();
  ASSERT_EQ(documents.size(), 4);
  // Two problem pages a version; one answer page and its blank back.
  for (const QString& document : documents) EXPECT_EQ(test::ReadPdf(document).pages, 2);
}

}  // namespace
}  // namespace tamariko::testing
