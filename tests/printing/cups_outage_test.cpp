#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <future>
#include <memory>

#include "core/canvas.h"
#include "platform/cups_spooler.h"
#include "printing/qxprinters.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/scoped_env.h"
#include "tests/support/silent_listener.h"

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
    spooler->OnServerLost = [this](const QString&) { ++lost; };
    ASSERT_TRUE(spooler->Refresh(15000)) << spooler->ServerFailure().toStdString();
    ASSERT_TRUE(Lists(*spooler, QLatin1String(OwnCupsd::kQueue)));
  }

  // A one-page job on the test's queue; returns the error it ended with, if any.
  QString PrintOnePage() {
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

  OwnCupsd cupsd;
  std::unique_ptr<ScopedEnv> server;
  const ScopedEnv bound{"TAMARIKO_CUPS_TIMEOUT_MS", "1000"};
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

}  // namespace
}  // namespace tamariko
