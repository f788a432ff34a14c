#include <QElapsedTimer>
#include <QStatusBar>
#include <algorithm>
#include <memory>
#include <string_view>

#include "app_fixture.h"
#include "platform/cups_spooler.h"
#include "printing/printer_setup_form.h"
#include "printing/qxprint_dialogs.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/pdf_support.h"
#include "tests/support/scoped_env.h"
#include "tests/support/stalling_proxy.h"

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
  Form1->PrinterSetupButton->Click();
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
  form->MakeButton->Click();
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

// Prints the window's ticked sheets; returns the run's report.
QString Print(ScriptedMessageBoxes& boxes) {
  boxes.shown.clear();
  boxes.answers = {IDYES};
  QTimer::singleShot(0, Form4, [] { Form4->OkButton->click(); });
  Form1->PrintButton->Click();
  for (const ShownMessage& m : boxes.shown) {
    if (m.caption == QStringLiteral("印刷の結果")) return m.text;
  }
  return {};
}

// The box of news from the print server, once it has come.
QString ServerNews(ScriptedMessageBoxes& boxes, int ms) {
  QString text;
  WaitFor(
      [&] {
        for (const ShownMessage& m : boxes.shown) {
          if (m.caption == QStringLiteral("印刷サーバーからのお知らせ")) text = m.text;
        }
        return !text.isEmpty();
      },
      ms);
  return text;
}

// The real sheets on a queue of a real server: a paused queue's notice is in the run's
// report; a server that falls silent is waited for once a run, not once a sheet. The job
// the server was asked to make is "unknown", not "not sent": once the server answers again
// it is cancelled (or found printed, or still unknown), so that no sheet prints twice.
TEST_F(OwnServerTest, APausedQueueIsInTheReportAndAJobGivenUpOnIsSettledWhenTheServerWakes) {
  constexpr int kBoundMs = 2000;
  const ScopedEnv bound("TAMARIKO_CUPS_TIMEOUT_MS", QByteArray::number(kBoundMs));
  const ScopedEnv checks("TAMARIKO_JOB_CHECK_MS", "200");
  auto cups = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(cups->Refresh(15000)) << cups->ServerFailure().toStdString();
  UsePrinters(cups);
  QxPrinter().Framework().SelectPrinter(QLatin1String(OwnCupsd::kQueue));
  CreateForms();

  ASSERT_TRUE(cupsd.Pause(QLatin1String(OwnCupsd::kQueue)));
  EXPECT_TRUE(
      Print(boxes).contains(QStringLiteral("own-queue は一時停止中です。印刷は再開まで待ちます")));
  ASSERT_TRUE(cupsd.Admin({"-p", OwnCupsd::kQueue, "-E"}));
  const std::size_t before = cupsd.Jobs({"job-name"}).size();

  cupsd.Stop();
  QElapsedTimer clock;
  clock.start();
  const QString report = Print(boxes);
  EXPECT_LT(clock.elapsed(), kBoundMs + 2000) << "one bound for the run's three sheets";
  EXPECT_TRUE(report.contains(QStringLiteral("みとり暗算１: 印刷されたかどうか分かりません。")))
      << report.toStdString();
  EXPECT_EQ(report.count(QStringLiteral("送れませんでした。印刷サーバーが応答しません")),
            2 + PagesTickedWithOthers())
      << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("それまでは印刷し直さないでください")));

  cupsd.Resume();
  const QString news = ServerNews(boxes, 15000);
  ASSERT_FALSE(news.isEmpty()) << "said once the server answers";
  const bool cancelled = news.contains(
      QStringLiteral("みとり暗算１: 印刷サーバーが応答したので、取り消しました。印刷されません"));
  const bool handedOn = news.contains(QStringLiteral("みとり暗算１: プリンターに送りました"));
  EXPECT_TRUE(cancelled || handedOn ||
              news.contains(QStringLiteral("みとり暗算１: 印刷されたかどうか分かりません")))
      << news.toStdString();
  int completed = 0, made = 0;
  const auto jobs = cupsd.Jobs({"job-name", "job-state"});
  for (std::size_t i = before; i < jobs.size(); ++i) {
    if (jobs[i].at(QStringLiteral("job-name")) != QStringLiteral("みとり暗算１")) continue;
    ++made;
    if (jobs[i].at(QStringLiteral("job-state")) == QStringLiteral("completed")) ++completed;
  }
  EXPECT_LE(made, 1) << "the later sheets were never sent";
  EXPECT_EQ(completed, handedOn ? 1 : 0) << news.toStdString();
  if (cancelled) {
    EXPECT_EQ(made, 1);
  }
}

// Jobs the server took and then failed: a queue that aborts them, and one that the server
// stops (its jobs wait). The status line and one box name the sheets and the server's
// words; a job the server handed on is "sent to the printer", never "printed". With no
// job of ours unfinished the window asks the server nothing.
TEST_F(OwnServerTest, JobsTheServerAbortsOrHoldsOnAStoppedQueueAreToldOnce) {
  const ScopedEnv checks("TAMARIKO_JOB_CHECK_MS", "200");
  ASSERT_TRUE(cupsd.AddFailingQueue(QStringLiteral("aborts"), QStringLiteral("abort-job")));
  ASSERT_TRUE(cupsd.AddFailingQueue(QStringLiteral("stops"), QStringLiteral("stop-printer")));
  ASSERT_TRUE(cupsd.AddFailingQueue(QStringLiteral("default")));
  auto cups = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(cups->Refresh(15000)) << cups->ServerFailure().toStdString();
  UsePrinters(cups);
  CreateForms();
  Form1->MakeButton->Click();
  Form4->SetVersions(2);
  const QString failure = QLatin1String(OwnCupsd::kFailure);

  QxPrinter().Framework().SelectPrinter(QStringLiteral("aborts"));
  EXPECT_EQ(Print(boxes).count(QStringLiteral(": 送りました")), 2 * (3 + PagesTickedWithOthers()));
  QString news = ServerNews(boxes, 15000);
  EXPECT_TRUE(news.contains(QStringLiteral("プリンター「aborts」"))) << news.toStdString();
  for (const char* sheet : {"みとり暗算１（Ａ版）", "かけ算（Ｂ版）", "解答表（Ｂ版）"}) {
    EXPECT_TRUE(news.contains(QString::fromUtf8(sheet))) << sheet;
  }
  EXPECT_TRUE(news.contains(QStringLiteral("印刷サーバーが中止しました。印刷されません")));
  EXPECT_TRUE(news.contains(failure)) << news.toStdString();
  EXPECT_EQ(std::count_if(boxes.shown.begin(), boxes.shown.end(),
                          [](const ShownMessage& m) {
                            return m.caption == QStringLiteral("印刷サーバーからのお知らせ");
                          }),
            1);
  EXPECT_TRUE(Form1->StatusLine->currentMessage().startsWith(
      QStringLiteral("印刷サーバーが中止しました: ")));
  // Every job has ended: nothing more is asked.
  WaitFor([] { return false; }, 600);
  const int asked = cupsd.Requests(QStringLiteral("Get-Job-Attributes"));
  WaitFor([] { return false; }, 1000);
  EXPECT_EQ(cupsd.Requests(QStringLiteral("Get-Job-Attributes")), asked);

  // The server's default policy stops the queue, or holds the job to try it again later.
  Form4->SetVersions(1);
  for (const char* queue : {"stops", "default"}) {
    SCOPED_TRACE(queue);
    QxPrinter().Framework().SelectPrinter(QString::fromUtf8(queue));
    // The jobs taken once the queue had stopped are told in the report already.
    Print(boxes);
    news = ServerNews(boxes, 15000);
    EXPECT_TRUE(news.contains(QStringLiteral("みとり暗算１")));
    EXPECT_TRUE(news.contains(QStringLiteral("ため、印刷を待っています"))) << news.toStdString();
    if (queue == std::string_view("stops")) {
      EXPECT_TRUE(news.contains(QStringLiteral(": プリンターが止まっているため")));
    }
    EXPECT_TRUE(news.contains(failure)) << news.toStdString();
  }

  QxPrinter().Framework().SelectPrinter(QLatin1String(OwnCupsd::kQueue));
  Print(boxes);
  EXPECT_TRUE(WaitFor(
      [] {
        // The answer table's pages after the first make it 「…ほか2枚」.
        return Form1->StatusLine->currentMessage().startsWith(
            PagesTickedWithOthers()
                ? QStringLiteral("プリンターに送りました: みとり暗算１、かけ算ほか")
                : QStringLiteral("プリンターに送りました: みとり暗算１、かけ算、解答表"));
      },
      15000))
      << Form1->StatusLine->currentMessage().toStdString();
}

// Closing the window while a job's document is stuck on its way: the job the server made
// is cancelled before the program ends, and said so on standard error.
TEST_F(OwnServerTest, ClosingDuringAStuckPrintCancelsTheJobTheServerMade) {
  const ScopedEnv bound("TAMARIKO_CUPS_TIMEOUT_MS", "5000");
  auto cups = std::make_shared<CupsSpooler>();
  ASSERT_TRUE(cups->Refresh(15000)) << cups->ServerFailure().toStdString();
  UsePrinters(cups);
  QxPrinter().Framework().SelectPrinter(QLatin1String(OwnCupsd::kQueue));
  CreateForms();
  Form1->show();
  // The first job is made; its document stops on the way.
  testing::StallingProxy proxy(cupsd.Socket(), 3000, [] {});
  ASSERT_TRUE(proxy.Listening());
  auto via = std::make_unique<ScopedEnv>("CUPS_SERVER", proxy.Socket().toLocal8Bit());
  QTimer stuck;
  QObject::connect(&stuck, &QTimer::timeout, [&] {
    if (!proxy.Stalled()) return;
    stuck.stop();
    via.reset();  // the server itself answers the cancel
    Form1->close();
  });
  stuck.start(20);
  boxes.answers = {IDYES, IDYES};
  QTimer::singleShot(0, [] {
    QTimer::singleShot(0, Form4, [] { Form4->OkButton->click(); });
    Form1->PrintButton->Click();
  });
  QTimer hang;  // should the close be lost, end rather than hang
  QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  hang.start(30000);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(QApplication::exec(), 0);
  const QString err = QString::fromStdString(::testing::internal::GetCapturedStderr());
  EXPECT_TRUE(proxy.Stalled());
  EXPECT_TRUE(err.contains(QStringLiteral("「みとり暗算１」のジョブ 1 を取り消しました")))
      << err.toStdString();
  QStringList unsent = {QStringLiteral("かけ算")};
  for (const AnswerSheet& page : LayoutOf(DefaultPaper()).answerSheets) {
    unsent << page.sheet.jobTitle;
  }
  EXPECT_TRUE(err.contains(QStringLiteral("(closed while printing; not sent): ") +
                           unsent.join(QStringLiteral(", ")) + u'\n'))
      << "the sheet under way is not called unsent before its job is settled";
  const auto jobs = cupsd.Jobs({"job-state"});
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].at(QStringLiteral("job-state")), QStringLiteral("canceled"));
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
  Form1->MakeButton->Click();
  Form4->SetVersions(2);
  Form4->CopiesBox->setValue(2);
  boxes.answers = {IDYES};
  QTimer::singleShot(0, Form4, [] { Form4->OkButton->click(); });
  Form1->PrintButton->Click();
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
