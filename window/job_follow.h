#pragma once

// What became of the print jobs a run of the window sent: the print server is asked every
// few seconds, off the GUI thread, while some of them are unfinished, and only then. A job
// the server took and then failed, or that waits on a queue the server stopped, is told on
// the status line and in one box naming its sheets; a job given up on while the server was
// silent is cancelled once it answers again, so that a sheet reported as not printed does
// not print after all.

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/cups_queues.h"

class QObject;
class QTimer;

namespace tamariko {

class TJobFollow {
 public:
  // `told` runs on the GUI thread when the status text changed or a box waits. The server
  // is asked every 3 s (TAMARIKO_JOB_CHECK_MS, for tests).
  explicit TJobFollow(std::function<void()> told);
  ~TJobFollow();
  TJobFollow(const TJobFollow&) = delete;
  TJobFollow& operator=(const TJobFollow&) = delete;

  // A print run begins: jobs given up on are looked for among those made from now on.
  void BeginRun();
  // The sheets that went in the jobs the queues took since the last call (none for the
  // PDF printer, or a spooler other than the print server's).
  void Sent(const QStringList& sheets);
  // A send that failed with `e`. True when the server was silent after it was asked to make
  // the job: the job may exist, and is cancelled as soon as the server answers again.
  bool GaveUp(const QStringList& sheets, const std::exception& e);

  // Whether some job is unfinished or unsettled.
  bool Following() const;
  // What the status line says of the jobs; empty when nothing.
  QString StatusText() const { return status_; }
  // The box that waits to be shown, once; empty when none.
  QString TakeBox();

  // The program is ending during a print: the jobs given up on whose number is known are
  // cancelled, each within the bound; returns a line for each the server did not confirm,
  // naming its queue and job, so that the teacher can remove it.
  QStringList CancelOnClose();
  // Following ends (the window closes): returns a line for each job given up on and not
  // settled.
  QStringList End();

 private:
  struct Job {
    QString queue;
    int id = 0;
    QStringList sheets;
    bool stoppedTold = false;
    int run = 0;
  };
  struct Left {
    int key = 0;
    CupsJobLeft job;
    QStringList sheets;
  };
  struct News {
    QString queue;
    QStringList sheets;
    QString said;  // what became of them
    QString message;
  };
  struct Asking;
  void Check();
  void Apply(const CupsJobsReading& reading, const std::vector<int>& ids,
             const std::vector<int>& leftKeys);
  void Tell(std::vector<News> news);
  void StartTimer();
  // The box goes once every job of the run has ended or been told, or when its news has
  // waited long enough for the rest.
  bool BoxReady() const;

  std::function<void()> told_;
  std::vector<Job> jobs_;
  std::vector<Left> left_;
  int nextKey_ = 1;
  long long runStart_ = 0;
  QStringList handedOn_;                      // the sheets of this run's jobs the server handed on
  std::map<QString, QStringList> saidOfRun_;  // the sheets of this run, by what became of them
  QString status_;
  std::vector<News> pending_;  // for the next box
  qint64 pendingSince_ = 0;    // ms since the epoch
  int run_ = 0;
  bool ended_ = false;
  std::shared_ptr<Asking> asking_;
  std::unique_ptr<QObject> receiver_;
  std::unique_ptr<QTimer> timer_;
};

// Names sheets for a line: 「A、B、C」, or 「A、Bほか3枚」 for many.
QString SheetList(const QStringList& sheets);

}  // namespace tamariko
