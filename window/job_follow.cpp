#include "window/job_follow.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <ctime>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/cups_spooler.h"
#include "platform/off_thread.h"
#include "printing/qxprinters.h"

namespace tamariko {
namespace {

constexpr int kDefaultIntervalMs = 3000;
// The server's clock and ours may differ a little: a job given up on is looked for among
// those made from this long before the run.
constexpr long long kClockSlackSeconds = 5;
// How long news waits for that of the run's other jobs before its box goes all the same.
constexpr qint64 kBoxWaitMs = 10000;

CupsSpooler* PrintServer() {
  try {
    return dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler());
  } catch (const std::exception&) {
    return nullptr;
  }
}

QString Shown(const QString& queue) {
  CupsSpooler* cups = PrintServer();
  return cups ? ShownPrinterName(*cups, queue) : queue;
}

const QString kStopped = QStringLiteral("プリンターが止まっているため、印刷を待っています");
const QString kRetrying =
    QStringLiteral("プリンターに送れなかったため、印刷を待っています（後でもう一度送ります）");
const QString kAborted = QStringLiteral("印刷サーバーが中止しました。印刷されません");
const QString kCancelled = QStringLiteral("取り消されました。印刷されません");
const QString kUnknown = QStringLiteral("印刷されたかどうか分かりません");
const QString kHandedOn = QStringLiteral("プリンターに送りました");
const QString kLeftCancelled =
    QStringLiteral("印刷サーバーが応答したので、取り消しました。印刷されません");

// The status line's shorter words for the same.
QString StatusWords(const QString& said) {
  if (said == kStopped) return QStringLiteral("プリンターが止まっていて待っています");
  if (said == kRetrying) return QStringLiteral("プリンターに送れず待っています");
  if (said == kAborted) return QStringLiteral("印刷サーバーが中止しました");
  if (said == kCancelled) return QStringLiteral("取り消されました");
  if (said == kLeftCancelled) return QStringLiteral("取り消しました");
  return said;
}

}  // namespace

QString SheetList(const QStringList& sheets) {
  constexpr qsizetype kNamed = 3;
  if (sheets.size() <= kNamed) return sheets.join(QStringLiteral("、"));
  return QStringLiteral("%1ほか%2枚")
      .arg(sheets.mid(0, kNamed - 1).join(QStringLiteral("、")))
      .arg(sheets.size() - (kNamed - 1));
}

// One question to the server at a time; its answer waits here for the GUI thread. The
// thread may outlive the follower, so it holds only this.
struct TJobFollow::Asking {
  std::mutex mutex;
  bool running = false;
  QObject* receiver = nullptr;  // cleared when the follower goes
  std::atomic<bool> cancel{false};
};

TJobFollow::TJobFollow(std::function<void()> told)
    : told_(std::move(told)),
      asking_(std::make_shared<Asking>()),
      receiver_(std::make_unique<QObject>()),
      timer_(std::make_unique<QTimer>()) {
  asking_->receiver = receiver_.get();
  bool ok = false;
  const int ms = qEnvironmentVariableIntValue("TAMARIKO_JOB_CHECK_MS", &ok);
  timer_->setInterval(ok && ms > 0 ? ms : kDefaultIntervalMs);
  QObject::connect(timer_.get(), &QTimer::timeout, [this] { Check(); });
}

TJobFollow::~TJobFollow() {
  const std::lock_guard lock(asking_->mutex);
  asking_->receiver = nullptr;
  asking_->cancel = true;
}

void TJobFollow::BeginRun() {
  runStart_ = static_cast<long long>(std::time(nullptr)) - kClockSlackSeconds;
  ++run_;
  handedOn_.clear();
  saidOfRun_.clear();
  status_.clear();
}

void TJobFollow::Sent(const QStringList& sheets) {
  CupsSpooler* cups = PrintServer();
  if (cups == nullptr || ended_) return;
  for (const CupsSentJob& sent : cups->TakeSentJobs()) {
    if (sent.id == 0) continue;
    // A queue paused when it took the job was told in the run's report already.
    jobs_.push_back({sent.queue, sent.id, sheets, sent.queueStopped, run_});
  }
  StartTimer();
}

bool TJobFollow::GaveUp(const QStringList& sheets, const std::exception& e) {
  const auto* silent = dynamic_cast<const EPrintServerSilent*>(&e);
  if (silent == nullptr || !silent->jobMayExist) return false;
  CupsSpooler* cups = PrintServer();
  left_.push_back(
      {nextKey_++,
       {silent->queue, silent->title, silent->jobId, runStart_, cups ? cups->LastJobId() : 0},
       sheets});
  if (!ended_) StartTimer();
  return true;
}

bool TJobFollow::Following() const { return !jobs_.empty() || !left_.empty(); }

bool TJobFollow::BoxReady() const {
  if (pending_.empty()) return false;
  const bool runUndecided = std::any_of(
      jobs_.begin(), jobs_.end(), [this](const Job& j) { return j.run == run_ && !j.stoppedTold; });
  return !runUndecided || QDateTime::currentMSecsSinceEpoch() - pendingSince_ >= kBoxWaitMs;
}

QString TJobFollow::TakeBox() {
  if (!BoxReady()) return {};
  const std::vector<News> lines = std::exchange(pending_, {});
  QStringList text{QStringLiteral("印刷サーバーからのお知らせです。")};
  QString printer;
  for (const News& l : lines) {
    if (l.queue != printer) {
      printer = l.queue;
      text << QString() << QStringLiteral("プリンター「%1」").arg(Shown(printer));
    }
    text << QStringLiteral("　・%1: %2").arg(l.sheets.join(QStringLiteral("、")), l.said);
    if (!l.message.isEmpty()) {
      text << QStringLiteral("　　（印刷サーバーの言葉: %1）").arg(l.message);
    }
  }
  auto any = [&](const QString& said) {
    return std::any_of(lines.begin(), lines.end(), [&](const News& l) { return l.said == said; });
  };
  if (any(kAborted) || any(kCancelled) || any(kLeftCancelled)) {
    text << QString()
         << QStringLiteral(
                "印刷されない用紙は、原因を取り除いてから、もう一度「印刷」で"
                "印刷してください。");
  }
  if (any(kUnknown)) {
    text << QString()
         << QStringLiteral(
                "印刷されたかどうか分からない用紙は、プリンターを確かめてから"
                "印刷し直してください。");
  }
  return text.join(u'\n');
}

void TJobFollow::StartTimer() {
  if (!timer_->isActive() && Following()) timer_->start();
}

void TJobFollow::Check() {
  if (ended_) {
    timer_->stop();
    return;
  }
  // A box that waits for the window to be free is offered again at every tick.
  if (!Following()) {
    if (pending_.empty()) {
      timer_->stop();
    } else if (BoxReady()) {
      told_();
    }
    return;
  }
  {
    const std::lock_guard lock(asking_->mutex);
    if (asking_->running) return;
    asking_->running = true;
  }
  std::vector<int> ids;
  for (const Job& job : jobs_) ids.push_back(job.id);
  std::vector<CupsJobLeft> left;
  std::vector<int> keys;
  for (const Left& l : left_) {
    left.push_back(l.job);
    keys.push_back(l.key);
  }
  std::thread([asking = asking_, self = this, ids, left, keys, timeoutMs = CupsTimeoutMs()] {
    CupsJobsReading reading = FollowCupsJobs(ids, left, timeoutMs, &asking->cancel);
    const std::lock_guard lock(asking->mutex);
    asking->running = false;
    // Qt drops the call when the receiver is gone with the follower.
    if (asking->receiver != nullptr) {
      QMetaObject::invokeMethod(
          asking->receiver,
          [self, reading = std::move(reading), ids, keys] { self->Apply(reading, ids, keys); },
          Qt::QueuedConnection);
    }
  }).detach();
}

void TJobFollow::Apply(const CupsJobsReading& reading, const std::vector<int>& ids,
                       const std::vector<int>& leftKeys) {
  if (ended_) return;
  std::vector<News> news;
  for (std::size_t i = 0; i < leftKeys.size() && i < reading.left.size(); ++i) {
    const CupsLeftOutcome outcome = reading.left[i];
    if (outcome == CupsLeftOutcome::NotAnswered) continue;
    const auto it = std::find_if(left_.begin(), left_.end(),
                                 [&](const Left& l) { return l.key == leftKeys[i]; });
    if (it == left_.end()) continue;
    const QString said = outcome == CupsLeftOutcome::WillNotPrint ? kLeftCancelled
                         : outcome == CupsLeftOutcome::HandedOn   ? kHandedOn
                                                                  : kUnknown;
    news.push_back({it->job.queue, it->sheets, said, {}});
    left_.erase(it);
  }
  if (reading.answered) {
    for (const int id : ids) {
      const auto state = reading.jobs.find(id);
      const auto job =
          std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.id == id; });
      if (state == reading.jobs.end() || job == jobs_.end()) continue;
      const CupsJobState& s = state->second;
      bool done = true;
      switch (s.stage) {
        case CupsJobState::Stage::Completed:
          handedOn_ << job->sheets;
          break;
        case CupsJobState::Stage::Aborted:
          news.push_back({job->queue, job->sheets, kAborted, s.message});
          break;
        case CupsJobState::Stage::Cancelled:
          news.push_back({job->queue, job->sheets, kCancelled, s.message});
          break;
        case CupsJobState::Stage::Unknown:
          news.push_back({job->queue, job->sheets, kUnknown, {}});
          break;
        case CupsJobState::Stage::Waiting:
        case CupsJobState::Stage::Printing:
          done = false;
          // A job that waits on a failing printer is told once, until it moves again.
          if ((s.queueStopped || s.retrying) && !job->stoppedTold) {
            news.push_back(
                {job->queue, job->sheets, s.queueStopped ? kStopped : kRetrying, s.message});
          }
          job->stoppedTold = s.queueStopped || s.retrying;
          break;
      }
      if (done) jobs_.erase(job);
    }
  }
  if (!Following() && pending_.empty()) timer_->stop();
  Tell(std::move(news));
}

void TJobFollow::Tell(std::vector<News> news) {
  const QString before = status_;
  if (!news.empty()) {
    // The line names every sheet of the run that fared so, not only the latest.
    for (const News& n : news) saidOfRun_[n.said] << n.sheets;
    status_ = QStringLiteral("%1: %2").arg(StatusWords(news.back().said),
                                           SheetList(saidOfRun_[news.back().said]));
    if (pending_.empty()) pendingSince_ = QDateTime::currentMSecsSinceEpoch();
  }
  // Alike news of one printer share a line.
  for (News& n : news) {
    const auto same = std::find_if(pending_.begin(), pending_.end(), [&](const News& l) {
      return l.queue == n.queue && l.said == n.said && l.message == n.message;
    });
    if (same != pending_.end()) {
      same->sheets << n.sheets;
    } else {
      pending_.push_back(std::move(n));
    }
  }
  const bool runDone =
      std::none_of(jobs_.begin(), jobs_.end(), [this](const Job& j) { return j.run == run_; });
  if (news.empty() && runDone && !handedOn_.isEmpty() && status_.isEmpty()) {
    status_ = QStringLiteral("%1: %2").arg(kHandedOn, SheetList(handedOn_));
  }
  if (status_ != before || BoxReady()) told_();
}

QStringList TJobFollow::CancelOnClose() {
  QStringList lines;
  const int bound = CupsTimeoutMs();
  for (const Left& l : left_) {
    if (l.job.id != 0) {
      auto cancelled = std::make_shared<std::atomic<bool>>(false);
      const int id = l.job.id;
      RunOffThread(
          [cancelled, id, bound](OffThreadLink& link) {
            *cancelled = CancelCupsJob(id, bound, &link.cancel);
          },
          bound + 2000);
      if (*cancelled) {
        lines << QStringLiteral("「%1」のジョブ %2 を取り消しました (cancelled job %2 on '%3')")
                     .arg(l.job.title)
                     .arg(id)
                     .arg(l.job.queue);
        continue;
      }
      lines << QStringLiteral(
                   "キュー「%1」のジョブ %2（%3）が印刷されるかもしれません。要らなければ取り消して"
                   "ください (queue '%1', job %2 may still print: cancel %1-%2)")
                   .arg(l.job.queue)
                   .arg(id)
                   .arg(l.job.title);
    } else {
      lines << QStringLiteral(
                   "キュー「%1」に「%2」のジョブが残っているかもしれません。要らなければ取り消して"
                   "ください (queue '%1' may hold a job '%2')")
                   .arg(l.job.queue, l.job.title);
    }
  }
  left_.clear();
  return lines;
}

QStringList TJobFollow::End() {
  ended_ = true;
  timer_->stop();
  {
    const std::lock_guard lock(asking_->mutex);
    asking_->cancel = true;
  }
  pending_.clear();
  QStringList lines;
  for (const Left& l : left_) {
    lines << QStringLiteral(
                 "キュー「%1」に「%2」のジョブが残っているかもしれません (queue '%1' may hold "
                 "a job '%2'%3)")
                 .arg(l.job.queue, l.job.title,
                      l.job.id != 0 ? QStringLiteral(", job %1").arg(l.job.id) : QString());
  }
  left_.clear();
  jobs_.clear();
  return lines;
}

}  // namespace tamariko
