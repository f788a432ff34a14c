#include "platform/staged_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "core/error.h"
#include "platform/end_signals.h"
#include "platform/staging_lock.h"
#include "platform/temp_folder.h"

namespace tamariko {
namespace {

// Stands for "the file on disk is not as long as what was written", which has no errno.
constexpr int kSizeMismatch = -1;
constexpr qsizetype kBufferSize = 64 * 1024;

struct Reason {
  QString japanese;
  QString english;
};

Reason ReasonOf(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return {QStringLiteral("ディスクの空きが足りません"),
              QStringLiteral("no space left on device")};
    case EACCES:
    case EPERM:
      return {QStringLiteral("書き込む権限がありません"), QStringLiteral("permission denied")};
    case EROFS:
      return {QStringLiteral("読み取り専用のディスクです"),
              QStringLiteral("read-only file system")};
    case EIO:
      return {QStringLiteral("ディスクの読み書きに失敗しました"),
              QStringLiteral("input/output error")};
    case EFBIG:
      return {QStringLiteral("ファイルが大きすぎます"), QStringLiteral("file too large")};
    case ENOENT:
      return {QStringLiteral("フォルダがありません"), QStringLiteral("no such folder")};
    case EPIPE:
      return {QStringLiteral("読み手がいなくなりました"),
              QStringLiteral("the reader has gone away")};
    case kSizeMismatch:
      return {QStringLiteral("ディスク上の大きさが書いた量と合いません"),
              QStringLiteral("the file on disk is shorter than what was written")};
    default:
      return {QStringLiteral("システムのエラー %1").arg(error),
              QString::fromLocal8Bit(std::strerror(error))};
  }
}

// Holds a folder open and locked until destroyed.
class FolderLock {
 public:
  explicit FolderLock(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    fd_ = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int result = fd_ < 0 ? -1 : 0;
    while (result == 0 && (result = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) result = 0;
    if (result != 0) {
      const int error = errno;
      Close();
      throw Error(CannotWriteMessage(folder, error).toStdString());
    }
  }
  ~FolderLock() { Close(); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // The renames survive a power cut only once the folder itself is on disk.
  void Sync() const { ::fsync(fd_); }

 private:
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_ = -1;
};

std::mutex leftMutex;
QStringList left;

void NoteTemporaryLeft(const QString& path, int error) {
  const std::lock_guard<std::mutex> hold(leftMutex);
  left << QStringLiteral("「%1」: %2").arg(path, PlainReason(error));
}

}  // namespace

QString FileBehindLinks(const QString& path) {
  QString current = path;
  // As many links as the system itself follows.
  for (int hop = 0; hop < 40; ++hop) {
    const QByteArray name = QFile::encodeName(current);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) return current;  // a new file
    // Anything but a regular file is no file to write through a link.
    if (!S_ISLNK(info.st_mode)) return S_ISREG(info.st_mode) ? current : path;
    QByteArray target(4096, '\0');
    const ssize_t n =
        ::readlink(name.constData(), target.data(), static_cast<size_t>(target.size()));
    if (n <= 0 || n >= target.size()) return path;
    target.truncate(n);
    const QString next = QFile::decodeName(target);
    current = QDir::isAbsolutePath(next) ? next : QFileInfo(current).dir().filePath(next);
  }
  return path;
}

QStringList TakeTemporariesLeft() {
  const std::lock_guard<std::mutex> hold(leftMutex);
  return std::exchange(left, {});
}

QString PlainReason(int error) {
  const Reason reason = ReasonOf(error);
  return reason.japanese + QStringLiteral(" (") + reason.english + QStringLiteral(")");
}

QString CannotWriteMessage(const QString& path, int error) {
  const Reason reason = ReasonOf(error);
  return QStringLiteral("「%1」を書けませんでした: %2 (cannot write '%1': %3)")
      .arg(path, reason.japanese, reason.english);
}

StagedFile::StagedFile(const QString& finalPath, Links links)
    : finalPath_(finalPath),
      targetPath_(links == Links::Keep ? FileBehindLinks(finalPath) : finalPath) {
  Create(QFileInfo(targetPath_).absolutePath());
}

StagedFile::StagedFile(const QString& name, int streamFd) : finalPath_(name), streamFd_(streamFd) {
  Create(TempPath());
}

void StagedFile::Create(const QString& folder) {
  lock_ = StagingLock::In(folder);
  for (int attempt = 0; lock_ && attempt < 100 && fd_ < 0; ++attempt) {
    tempPath_ = lock_->NewTemporaryPath();
    tempName_ = QFile::encodeName(tempPath_);
    // 0666 so that the umask decides, as for any new file; read back for a stream.
    fd_ = ::open(tempName_.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error = errno;
    tempName_.clear();
    throw Error(CannotWriteMessage(finalPath_, error).toStdString());
  }
  QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

StagedFile::~StagedFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!placed_) RemoveTemporary();
}

void StagedFile::RemoveTemporary() {
  if (tempName_.isEmpty()) return;
  if (::unlink(tempName_.constData()) != 0 && errno != ENOENT) NoteTemporaryLeft(tempPath_, errno);
  tempName_.clear();
}

std::unique_ptr<StagedFile> StagedFile::Written(const QString& finalPath, const QByteArray& bytes,
                                                Links links) {
  auto file = std::make_unique<StagedFile>(finalPath, links);
  file->write(bytes);
  file->Finish();
  return file;
}

std::unique_ptr<StagedFile> StagedFile::ForStream(const QString& name, int fd) {
  return std::unique_ptr<StagedFile>(new StagedFile(name, fd));
}

qint64 StagedFile::readData(char* /*data*/, qint64 /*maxSize*/) { return -1; }

qint64 StagedFile::writeData(const char* data, qint64 size) {
  if (error_ != 0 || fd_ < 0) return -1;
  if (buffer_.size() + size > kBufferSize) {
    if (!WriteOut(buffer_.constData(), buffer_.size())) return -1;
    buffer_.clear();
  }
  if (size >= kBufferSize) return WriteOut(data, size) ? size : -1;
  buffer_.append(data, static_cast<qsizetype>(size));
  return size;
}

bool StagedFile::WriteOut(const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, static_cast<size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that takes nothing without an error is a full disk in practice.
      if (error_ == 0) error_ = n < 0 ? errno : ENOSPC;
      return false;
    }
    data += n;
    size -= n;
    written_ += n;
  }
  return true;
}

void StagedFile::Fail(int error) {
  if (error_ == 0) error_ = error;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  RemoveTemporary();
  QIODevice::close();
  throw Error(CannotWriteMessage(finalPath_, error_).toStdString());
}

void StagedFile::ThrowIfFailed() {
  if (error_ != 0) Fail(error_);
}

void StagedFile::Finish() {
  if (finished_) return;
  if (fd_ < 0) Fail(error_ != 0 ? error_ : EBADF);
  if (error_ != 0 || !WriteOut(buffer_.constData(), buffer_.size())) Fail(error_);
  buffer_.clear();
  int result;
  while ((result = ::fsync(fd_)) != 0 && errno == EINTR) {
  }
  if (result != 0) Fail(errno);
  struct stat info {};
  if (::fstat(fd_, &info) != 0) Fail(errno);
  if (info.st_size != written_) Fail(kSizeMismatch);
  const int fd = std::exchange(fd_, -1);
  // After a failed close the descriptor is gone all the same; only the error counts.
  if (::close(fd) != 0 && errno != EINTR) Fail(errno);
  QIODevice::close();
  finished_ = true;
}

void StagedFile::PutInPlace() {
  if (!finished_) Finish();
  if (IsStream()) {
    CopyToStream();
    RemoveTemporary();
  } else {
    const QByteArray target = QFile::encodeName(targetPath_);
    if (::rename(tempName_.constData(), target.constData()) != 0) Fail(errno);
  }
  placed_ = true;
  lock_.reset();  // no temporary of ours is left for it to cover
}

void StagedFile::CopyToStream() {
  const int in = ::open(tempName_.constData(), O_RDONLY | O_CLOEXEC);
  if (in < 0) Fail(errno);
  QByteArray chunk(kBufferSize, Qt::Uninitialized);
  int error = 0;
  try {
    for (;;) {
      StopIfEndSignalReceived();
      const ssize_t n = ::read(in, chunk.data(), static_cast<size_t>(chunk.size()));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n < 0) error = errno;
        break;
      }
      for (ssize_t done = 0; done < n && error == 0;) {
        const ssize_t w =
            ::write(streamFd_, chunk.constData() + done, static_cast<size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) error = w < 0 ? errno : EIO;
        done += std::max<ssize_t>(w, 0);
      }
      if (error != 0) break;
    }
  } catch (...) {
    ::close(in);
    throw;
  }
  ::close(in);
  if (error != 0) Fail(error);
}

bool StagedFile::PutInPlaceAsNew(const QString& path) {
  if (!finished_) Finish();
  const QByteArray target = QFile::encodeName(path);
  if (::renameat2(AT_FDCWD, tempName_.constData(), AT_FDCWD, target.constData(),
                  RENAME_NOREPLACE) != 0) {
    if (errno == EEXIST) return false;
    // Some file systems cannot rename without replacing; a hard link never replaces.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
      finalPath_ = path;
      Fail(errno);
    }
    if (::link(tempName_.constData(), target.constData()) != 0) {
      if (errno == EEXIST) return false;
      finalPath_ = path;
      Fail(errno);
    }
    ::unlink(tempName_.constData());
  }
  finalPath_ = path;
  placed_ = true;
  lock_.reset();
  return true;
}

void StagedOutputs::Add(std::unique_ptr<StagedFile> file) { files_.push_back(std::move(file)); }

void StagedOutputs::Commit() {
  QStringList folders;
  for (const auto& file : files_) {
    if (!file->Finished()) file->Finish();
    if (file->IsStream()) continue;
    const QFileInfo folder(QFileInfo(file->targetPath_).absolutePath());
    const QString canonical = folder.canonicalFilePath();
    folders << (canonical.isEmpty() ? folder.absoluteFilePath() : canonical);
  }
  folders.sort();
  folders.removeDuplicates();
  {
    const EndSignalsHeld held;
    StopIfEndSignalReceived();
    std::vector<std::unique_ptr<FolderLock>> locks;
    for (const QString& folder : folders) locks.push_back(std::make_unique<FolderLock>(folder));
    for (const auto& file : files_) {
      if (!file->IsStream()) file->PutInPlace();
    }
    for (const auto& lock : locks) lock->Sync();
  }
  for (const auto& file : files_) {
    if (file->IsStream()) file->PutInPlace();
  }
  files_.clear();
}

}  // namespace tamariko
