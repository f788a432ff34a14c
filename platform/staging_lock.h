#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace tamariko {

// What a killed run leaves (its temporaries) is found by the next one without asking
// whether a process lives, which is wrong across machines sharing a folder and across PID
// namespaces: every temporary of a process carries the process's token in its name, and a
// lock file named after the token lies in the same folder, held (flock) while the process
// has temporaries there. A lock file that nobody holds belongs to a run that ended without
// clearing up; its temporaries and the lock file go.
class StagingLock {
 public:
  // The lock of this process in `folder`, taken (and the folder cleared of dead runs'
  // temporaries) on first use and kept while any holder lives. Null with errno set when
  // the lock file cannot be made.
  static std::shared_ptr<StagingLock> In(const QString& folder);
  ~StagingLock();
  StagingLock(const StagingLock&) = delete;
  StagingLock& operator=(const StagingLock&) = delete;

  // A fresh temporary's name in the folder: ".tamariko-TOKEN-RANDOM.tmp".
  QString NewTemporaryPath() const;

 private:
  StagingLock(QString folder, QByteArray lockPath, int fd, int folderFd);
  // Removes the temporaries of runs whose lock nobody holds, with their lock files.
  static void ClearDeadRuns(const QString& folder);

  QString folder_;
  QByteArray lockPath_;
  int fd_;
  int folderFd_;  // held (O_PATH): the lock file goes from there even if the folder moves
};

}  // namespace tamariko
