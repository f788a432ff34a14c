#include "platform/staged_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/error.h"

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

}  // namespace

QString PlainReason(int error) {
  const Reason reason = ReasonOf(error);
  return reason.japanese + QStringLiteral(" (") + reason.english + QStringLiteral(")");
}

QString CannotWriteMessage(const QString& path, int error) {
  const Reason reason = ReasonOf(error);
  return QStringLiteral("「%1」を書けませんでした: %2 (cannot write '%1': %3)")
      .arg(path, reason.japanese, reason.english);
}

StagedFile::StagedFile(const QString& finalPath) : finalPath_(finalPath) {
  const QDir folder = QFileInfo(finalPath).absoluteDir();
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    const QString name = QStringLiteral(".tamariko-%1.tmp")
                             .arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'));
    tempPath_ = folder.filePath(name);
    tempName_ = QFile::encodeName(tempPath_);
    // 0666 so that the umask decides, as for any new file.
    fd_ = ::open(tempName_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
  if (!placed_ && !tempName_.isEmpty()) ::unlink(tempName_.constData());
}

std::unique_ptr<StagedFile> StagedFile::Written(const QString& finalPath, const QByteArray& bytes) {
  auto file = std::make_unique<StagedFile>(finalPath);
  file->write(bytes);
  file->Finish();
  return file;
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
  if (!tempName_.isEmpty()) ::unlink(tempName_.constData());
  tempName_.clear();
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
  const QByteArray target = QFile::encodeName(finalPath_);
  if (::rename(tempName_.constData(), target.constData()) != 0) Fail(errno);
  placed_ = true;
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
  return true;
}

void StagedOutputs::Add(std::unique_ptr<StagedFile> file) { files_.push_back(std::move(file)); }

void StagedOutputs::Commit() {
  QStringList folders;
  for (const auto& file : files_) {
    if (!file->Finished()) file->Finish();
    const QFileInfo folder(QFileInfo(file->FinalPath()).absolutePath());
    const QString canonical = folder.canonicalFilePath();
    folders << (canonical.isEmpty() ? folder.absoluteFilePath() : canonical);
  }
  folders.sort();
  folders.removeDuplicates();
  std::vector<std::unique_ptr<FolderLock>> locks;
  for (const QString& folder : folders) locks.push_back(std::make_unique<FolderLock>(folder));
  for (const auto& file : files_) file->PutInPlace();
  for (const auto& lock : locks) lock->Sync();
  files_.clear();
}

}  // namespace tamariko
