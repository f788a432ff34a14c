#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <future>
#include <memory>
#include <optional>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "printing/qxprinters.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/scoped_env.h"
#include "tests/support/silent_listener.h"
#include "tests/support/stalling_proxy.h"

namespace tamariko {
namespace {

using testing::OwnCupsd;
using testing::ScopedEnv;

bool Lists(const CupsSpooler& spooler, const QString& name) {
  for (const CupsQueue& queue : spooler.Queues()) {
    if (queue.name == name) return true;
  }
  return false;
}

TEST(SilentPrintServer, AReadFromAListenerThatNeverAnswersGivesUpInTime) {
  testing::SilentListener listener;
  ASSERT_TRUE(listener.Listening());
  const ScopedEnv server("CUPS_SERVER", listener.Server().toLatin1());
  QElapsedTimer clock;
  clock.start();
  // Off the GUI thread, as the program reads.
  const CupsReading reading =
      std::async(std::launch::async, [] { return ReadCupsQueues(1000); }).get();
  EXPECT_FALSE(reading.answered);
  EXPECT_FALSE(reading.failure.isEmpty());
  EXPECT_LT(clock.elapsed(), 5000);
}

class PrintServerOutage : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString reason = cupsd.Start();
    if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    server = std::make_unique<ScopedEnv>("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
    route = cupsd.Socket();
    spooler->OnServerLost = [this](const QString&) { ++lost; };
    ASSERT_TRUE(spooler->Refresh(15000)) << spooler->ServerFailure().toStdString();
    ASSERT_TRUE(Lists(*spooler, QLatin1String(OwnCupsd::kQueue)));
  }

  // A one-page job on the test's queue; returns the error it ended with, if any.
  QString PrintOnePage() {
    const ScopedEnv via("CUPS_SERVER", route.toLocal8Bit());
    TQxPrinter qx(spooler, std::make_shared<FrameworkPrinter>(spooler));
    qx.Framework().SelectPrinter(QLatin1String(OwnCupsd::kQueue));
    qx.SetPaperSizeNumber(DMPAPER_B4);
    qx.ApplySettings();
    try {
      qx.BeginDoc(QStringLiteral("t"));
      qx.Canvas().Rectangle(300, 300, 600, 600);
      qx.EndDoc();
    } catch (const std::exception& e) {
      return QString::fromUtf8(e.what());
    }
    return QString();
  }

  // A document far bigger than what the connection holds on its way: sending it waits on
  // the server. Returns the error it ended with, if any.
  QString SendBigDocument() {
    const ScopedEnv via("CUPS_SERVER", route.toLocal8Bit());
    return std::async(std::launch::async,
                      [] {
                        try {
                          SendPdfToCups(QLatin1String(OwnCupsd::kQueue), QStringLiteral("t"), {},
                                        QByteArray(8 << 20, '%'), kBoundMs, nullptr);
                        } catch (const std::exception& e) {
                          return QString::fromUtf8(e.what());
                        }
                        return QString();
                      })
        .get();
  }

  static constexpr int kBoundMs = 1000;
  OwnCupsd cupsd;
  std::unique_ptr<ScopedEnv> server;
  QString route;  // the server's socket, or a relay in front of it
  const ScopedEnv bound{"TAMARIKO_CUPS_TIMEOUT_MS", QByteArray::number(kBoundMs)};
  std::shared_ptr<CupsSpooler> spooler = std::make_shared<CupsSpooler>();
  int lost = 0;
};

TEST_F(PrintServerOutage, AStoppedServerIsSaidOnceKeepsItsQueuesAndComesBackWhenItAnswers) {
  // The cache knows what the set-up dialog will show, without asking again.
  const CupsQueue& queue = spooler->Queues().front();
  EXPECT_TRUE(queue.PaperOfSize(25700, 36400) != nullptr) << "B4 from the queue's driver";
  EXPECT_FALSE(queue.makeAndModel.isEmpty());

  cupsd.Stop();
  QElapsedTimer clock;
  clock.start();
  spooler->BeginRead();
  EXPECT_LT(clock.elapsed(), 200) << "the caller never waits on the server";
  EXPECT_FALSE(spooler->Refresh(10000));
  EXPECT_LT(clock.elapsed(), 8000);
  EXPECT_EQ(spooler->State(), CupsSpooler::ServerState::NotAnswering);
  EXPECT_TRUE(Lists(*spooler, QLatin1String(OwnCupsd::kQueue))) << "not silently dropped";
  EXPECT_FALSE(spooler->Refresh(10000));
  EXPECT_EQ(lost, 1) << "said once per outage";

  cupsd.Resume();
  EXPECT_TRUE(spooler->Refresh(15000));
  cupsd.Stop();
  EXPECT_FALSE(spooler->Refresh(10000));
  EXPECT_EQ(lost, 2) << "a new outage is said again";
}

TEST_F(PrintServerOutage, AJobToAServerThatStoppedAnsweringEndsInTimeWhileTheWindowsRepaint) {
  cupsd.Stop();
  int ticks = 0;
  QTimer paint;
  QObject::connect(&paint, &QTimer::timeout, [&] { ++ticks; });
  paint.start(50);
  QElapsedTimer clock;
  clock.start();
  const QString failure = PrintOnePage();
  EXPECT_TRUE(failure.contains(QStringLiteral("does not answer"))) << failure.toStdString();
  EXPECT_LT(clock.elapsed(), 10000);
  EXPECT_GT(ticks, 5) << "events were handled while the job waited";
}

TEST_F(PrintServerOutage, AKilledServerEndsJobsAndReadsWithAPlainReason) {
  cupsd.Kill();
  EXPECT_FALSE(spooler->Refresh(10000));
  const QString failure = PrintOnePage();
  EXPECT_TRUE(failure.contains(QStringLiteral("(the print server"))) << failure.toStdString();
  EXPECT_FALSE(failure.contains(QStringLiteral("Assertion")));
}

// However far a job has got when the server stops, the run ends within the bound and a
// little more (20 s and 2 s in use), and never as a success.
TEST_F(PrintServerOutage, AServerThatStopsInTheMiddleOfAJobIsGivenUpWithinTheBound) {
  struct Case {
    const char* name;
    long long stopAfterBytes;
    bool big;
  };
  for (const Case& c : {Case{"inside the page's document", 2000, false},
                        Case{"while a long document is sent", 300000, true}}) {
    SCOPED_TRACE(c.name);
    cupsd.Resume();
    testing::StallingProxy proxy(cupsd.Socket(), c.stopAfterBytes, [this] { cupsd.Stop(); });
    ASSERT_TRUE(proxy.Listening());
    route = proxy.Socket();
    QElapsedTimer clock;
    clock.start();
    const QString failure = c.big ? SendBigDocument() : PrintOnePage();
    EXPECT_TRUE(proxy.Stalled());
    EXPECT_TRUE(failure.contains(QStringLiteral("does not answer"))) << failure.toStdString();
    EXPECT_LT(clock.elapsed(), kBoundMs + 2000);
  }
}

// A server that goes away in the middle of a job is said with what its connection met
// then, not with whatever a later call left behind.
TEST_F(PrintServerOutage, AServerThatGoesAwayMidJobIsSaidWithTheConnectionsOwnReason) {
  const QStringList reasons = {qt_error_string(EPIPE), qt_error_string(ECONNRESET)};
  for (const long long at : {700LL, 2000LL}) {  // in the job's creation; in its document
    SCOPED_TRACE(at);
    testing::StallingProxy proxy(
        cupsd.Socket(), at, [] {}, true);
    ASSERT_TRUE(proxy.Listening());
    route = proxy.Socket();
    const QString failure = PrintOnePage();
    EXPECT_TRUE(failure.contains(QStringLiteral("went away: ") + reasons[0]) ||
                failure.contains(QStringLiteral("went away: ") + reasons[1]))
        << failure.toStdString();
  }
}

// A job given up on in the middle of its document, which the server made all the same:
// found by its number, or by its title among ours when the number never came, it is
// cancelled and will not print. A job the server completed was handed on; one it has no
// trace of cannot be told.
TEST_F(PrintServerOutage, AJobGivenUpOnIsCancelledOnceTheServerAnswersOrToldAsItStands) {
  const QString queue = QLatin1String(OwnCupsd::kQueue);
  auto follow = [](std::vector<int> ids, std::vector<CupsJobLeft> left) {
    return std::async(std::launch::async, [&] { return FollowCupsJobs(ids, left, 5000); }).get();
  };
  auto state = [this](int id) {
    for (const auto& job : cupsd.Jobs({"job-state"})) {
      if (job.at(QStringLiteral("job-id")).toInt() == id)
        return job.at(QStringLiteral("job-state"));
    }
    return QString();
  };
  for (const bool byTitle : {false, true}) {
    SCOPED_TRACE(byTitle ? "by its title" : "by its number");
    const QString title = byTitle ? QStringLiteral("by-title") : QStringLiteral("by-number");
    testing::StallingProxy proxy(cupsd.Socket(), 3000, [] {});
    ASSERT_TRUE(proxy.Listening());
    const ScopedEnv via("CUPS_SERVER", proxy.Socket().toLocal8Bit());
    CupsJobTrack track;
    std::optional<EPrintServerSilent> silent;
    std::async(std::launch::async, [&] {
      try {
        SendPdfToCups(queue, title, {}, QByteArray(1 << 20, '%'), kBoundMs, nullptr, {}, &track);
      } catch (const EPrintServerSilent& e) {
        silent = e;
      }
    }).get();
    ASSERT_TRUE(silent.has_value());
    EXPECT_TRUE(silent->jobMayExist);
    ASSERT_NE(silent->jobId, 0) << "the server had said the job's number";
    EXPECT_EQ(track.id, silent->jobId);
    const ScopedEnv direct("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
    const CupsJobsReading reading = follow(
        {}, {{queue, title, byTitle ? 0 : silent->jobId, 0, byTitle ? silent->jobId - 1 : 0}});
    ASSERT_TRUE(reading.answered) << reading.failure.toStdString();
    EXPECT_EQ(reading.left, std::vector<CupsLeftOutcome>{CupsLeftOutcome::WillNotPrint});
    EXPECT_EQ(state(silent->jobId), QStringLiteral("canceled"));
  }

  ASSERT_EQ(PrintOnePage(), QString());
  const int done = spooler->TakeSentJobs().back().id;
  QElapsedTimer clock;
  clock.start();
  while (state(done) != QStringLiteral("completed") && clock.elapsed() < 10000) QThread::msleep(50);
  const CupsJobsReading reading =
      follow({done, 99999}, {{queue, QStringLiteral("t"), 0, 0, 0},
                             {queue, QStringLiteral("never sent"), 0, 0, 0},
                             {queue, QStringLiteral("t"), 0, 0, done}});
  ASSERT_TRUE(reading.answered) << reading.failure.toStdString();
  EXPECT_EQ(reading.left,
            (std::vector<CupsLeftOutcome>{CupsLeftOutcome::HandedOn, CupsLeftOutcome::Unknown,
                                          CupsLeftOutcome::Unknown}))
      << "a job numbered before the one given up on is not it";
  EXPECT_EQ(reading.jobs.at(done).stage, CupsJobState::Stage::Completed);
  EXPECT_EQ(reading.jobs.at(99999).stage, CupsJobState::Stage::Unknown);
}

TEST_F(PrintServerOutage, APausedQueueTakesTheJobsAndSaysOnceThatTheyWait) {
  ASSERT_TRUE(cupsd.Pause(QLatin1String(OwnCupsd::kQueue)));
  EXPECT_EQ(PrintOnePage(), QString());
  EXPECT_EQ(PrintOnePage(), QString());
  EXPECT_EQ(spooler->TakeNotices(),
            QStringList{QStringLiteral("own-queue は一時停止中です。印刷は再開まで待ちます")});
  EXPECT_TRUE(spooler->TakeNotices().isEmpty());
}

// The idle window's read asks only for the state; a queue's papers, trays and description
// are read again only when its set-up changed or it is new.
TEST_F(PrintServerOutage, AReadAsksAgainOnlyForQueuesThatAreNewOrChanged) {
  QTemporaryDir home;
  const ScopedEnv noLpoptions("HOME", home.path().toLocal8Bit());
  std::vector<CupsQueue> known;
  auto read = [&](const std::vector<CupsQueue>* before) {
    return std::async(std::launch::async, [&] { return ReadCupsQueues(5000, nullptr, before); })
        .get();
  };
  // A change in the very second of a read is read again: let the queue's second pass.
  QThread::msleep(1100);
  known = read(nullptr).queues;
  ASSERT_EQ(known.size(), 1u);
  known[0].papers = {{1000, 1000}};  // marks what this earlier read found

  ASSERT_TRUE(cupsd.Pause(QLatin1String(OwnCupsd::kQueue)));
  const QString second = QStringLiteral("second-queue");
  ASSERT_TRUE(cupsd.AddQueue(second, QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")));
  ASSERT_TRUE(cupsd.Admin({"-d", second}));
  CupsReading reading = read(&known);
  ASSERT_TRUE(reading.answered) << reading.failure.toStdString();
  ASSERT_EQ(reading.queues.size(), 2u);
  EXPECT_EQ(reading.queues[0].state, 5) << "the state is asked every time";
  EXPECT_EQ(reading.queues[0].papers, known[0].papers) << "an unchanged queue is not read again";
  EXPECT_TRUE(reading.queues[1].PaperOfSize(25700, 36400) != nullptr) << "a new queue is read";
  EXPECT_FALSE(reading.queues[0].isDefault);
  EXPECT_TRUE(reading.queues[1].isDefault);

  ASSERT_TRUE(cupsd.Admin({"-p", OwnCupsd::kQueue, "-D", "職員室"}));
  reading = read(&known);
  ASSERT_TRUE(reading.answered) << reading.failure.toStdString();
  EXPECT_EQ(reading.queues[0].info, QStringLiteral("職員室"));
  EXPECT_TRUE(reading.queues[0].PaperOfSize(25700, 36400) != nullptr) << "a changed queue is read";
}

}  // namespace
}  // namespace tamariko
