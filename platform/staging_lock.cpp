#include "platform/staging_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <map>
#include <mutex>

namespace tamariko {
namespace {

QString Hex64(quint64 value) { return QStringLiteral("%1").arg(value, 16, 16, QChar(u'0')); }

// One token for the life of the process.
const QString& Token() {
  static const QString token = Hex64(QRandomGenerator::system()->generate64());
  return token;
}

QString LockName(const QString& token) { return QStringLiteral(".tamariko-%1.lock").arg(token); }

bool SameFile(int fd, const QByteArray& path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::mutex registryMutex;
std::map<QString, std::weak_ptr<StagingLock>>& Registry() {
  static std::map<QString, std::weak_ptr<StagingLock>> locks;
  return locks;
}

QString Key(const QString& folder) {
  const QFileInfo info(folder);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

StagingLock::StagingLock(QString folder, QByteArray lockPath, int fd, int folderFd)
    : folder_(std::move(folder)), lockPath_(std::move(lockPath)), fd_(fd), folderFd_(folderFd) {}

StagingLock::~StagingLock() {
  // Unlinked before it is let go: a run that takes it afterwards finds it gone.
  if (folderFd_ >= 0) {
    ::unlinkat(folderFd_, QFile::encodeName(LockName(Token())).constData(), 0);
    ::close(folderFd_);
  } else {
    ::unlink(lockPath_.constData());
  }
  ::close(fd_);
  const std::lock_guard<std::mutex> hold(registryMutex);
  const auto it = Registry().find(Key(folder_));
  if (it != Registry().end() && it->second.expired()) Registry().erase(it);
}

std::shared_ptr<StagingLock> StagingLock::In(const QString& folder) {
  const std::lock_guard<std::mutex> hold(registryMutex);
  const QString key = Key(folder);
  if (auto held = Registry()[key].lock()) return held;
  const QByteArray path = QFile::encodeName(QDir(folder).filePath(LockName(Token())));
  // A run clearing up may remove the file between its creation and the lock: try again.
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) return nullptr;
    int result;
    while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return nullptr;
    }
    if (!SameFile(fd, path)) {
      ::close(fd);
      continue;
    }
    ClearDeadRuns(folder);
    const int folderFd =
        ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::shared_ptr<StagingLock> lock(new StagingLock(folder, path, fd, folderFd));
    Registry()[key] = lock;
    return lock;
  }
  errno = EAGAIN;
  return nullptr;
}

QString StagingLock::NewTemporaryPath() const {
  return QDir(folder_).filePath(QStringLiteral(".tamariko-%1-%2.tmp")
                                    .arg(Token(), Hex64(QRandomGenerator::system()->generate64())));
}

void StagingLock::ClearDeadRuns(const QString& folder) {
  static const QRegularExpression lockName(QStringLiteral("^\\.tamariko-([0-9a-f]{16})\\.lock$"));
  const QDir dir(folder);
  const QStringList names =
      dir.entryList({QStringLiteral(".tamariko-*")}, QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    const QRegularExpressionMatch match = lockName.match(name);
    if (!match.hasMatch() || match.captured(1) == Token()) continue;
    const QByteArray path = QFile::encodeName(dir.filePath(name));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    // Held: its run lives. Not the file of that name any more: its run let it go meanwhile.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, path)) {
      const QString prefix = QStringLiteral(".tamariko-%1-").arg(match.captured(1));
      for (const QString& temporary : names) {
        if (temporary.startsWith(prefix) && temporary.endsWith(QStringLiteral(".tmp"))) {
          ::unlink(QFile::encodeName(dir.filePath(temporary)).constData());
        }
      }
      ::unlink(path.constData());
    }
    ::close(fd);
  }
}

}  // namespace tamariko
