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
#include <tuple>
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
    case EISDIR:
      return {QStringLiteral("同じ名前のフォルダがあります"),
              QStringLiteral("a folder has that name")};
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

// An output folder of a commit, held open by its path; locked once all are open.
class FolderLock {
 public:
  explicit FolderLock(const QString& folder) : path_(folder) {
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0 || ::fstat(fd_, &info_) != 0) {
      const int error = errno;
      Close();
      throw Error(CannotWriteMessage(folder, error).toStdString());
    }
  }
  ~FolderLock() { Close(); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  void Lock() {
    int result;
    while ((result = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) throw Error(CannotWriteMessage(path_, errno).toStdString());
  }
  int Fd() const { return fd_; }
  const QString& Path() const { return path_; }
  bool Is(int fd) const {
    struct stat other {};
    return ::fstat(fd, &other) == 0 && other.st_dev == info_.st_dev && other.st_ino == info_.st_ino;
  }
  bool operator<(const FolderLock& o) const {
    return std::tie(info_.st_dev, info_.st_ino) < std::tie(o.info_.st_dev, o.info_.st_ino);
  }
  // The renames survive a power cut only once the folder itself is on disk.
  void Sync() const { ::fsync(fd_); }

 private:
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  QString path_;
  struct stat info_ {};
  int fd_ = -1;
};

std::mutex leftMutex;
QStringList left;

void NoteTemporaryLeft(const QString& path, int error) {
  const std::lock_guard<std::mutex> hold(leftMutex);
  left << QStringLiteral("「%1」: %2").arg(path, PlainReason(error));
}

}  // namespace

bool IsFaithfulName(const QByteArray& bytes) {
  return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QString EscapedBytes(const QByteArray& bytes) {
  QString shown;
  qsizetype at = 0;
  while (at < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    // The length of the UTF-8 sequence that starts here, 0 when none does.
    const qsizetype length = byte < 0x80             ? 1
                             : (byte & 0xe0) == 0xc0 ? 2
                             : (byte & 0xf0) == 0xe0 ? 3
                             : (byte & 0xf8) == 0xf0 ? 4
                                                     : 0;
    const QByteArray piece = bytes.mid(at, length);
    if (length > 0 && piece.size() == length && byte >= 0x20 && byte != 0x7f &&
        IsFaithfulName(piece)) {
      shown += QString::fromUtf8(piece);
      at += length;
    } else {
      shown += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
      ++at;
    }
  }
  return shown;
}

QString FileBehindLinks(const QString& path, QByteArray* unfaithful) {
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
    if (!IsFaithfulName(target)) {
      if (unfaithful) *unfaithful = target;
      return path;
    }
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
  // The temporary stays in this folder whatever becomes of its name.
  folderFd_ = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folderFd_ >= 0) lock_ = StagingLock::In(folder);
  for (int attempt = 0; lock_ && attempt < 100 && fd_ < 0; ++attempt) {
    tempPath_ = lock_->NewTemporaryPath();
    tempName_ = QFile::encodeName(QFileInfo(tempPath_).fileName());
    // 0666 so that the umask decides, as for any new file; read back for a stream.
    fd_ = ::openat(folderFd_, tempName_.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error = errno;
    tempName_.clear();
    throw Error(CannotWriteMessage(finalPath_, error).toStdString());
  }
  QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

QByteArray StagedFile::NewTemporaryName() const {
  return QFile::encodeName(QFileInfo(lock_->NewTemporaryPath()).fileName());
}

StagedFile::~StagedFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!placed_) RemoveTemporary();
  if (folderFd_ >= 0) ::close(folderFd_);
}

void StagedFile::RemoveTemporary() {
  if (tempName_.isEmpty()) return;
  if (::unlinkat(folderFd_, tempName_.constData(), 0) != 0 && errno != ENOENT) {
    NoteTemporaryLeft(tempPath_, errno);
  }
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
    if (::renameat(folderFd_, tempName_.constData(), AT_FDCWD, target.constData()) != 0) {
      Fail(errno);
    }
    tempName_.clear();
  }
  placed_ = true;
  lock_.reset();  // no temporary of ours is left for it to cover
}

void StagedFile::CopyToStream() {
  const int in = ::openat(folderFd_, tempName_.constData(), O_RDONLY | O_CLOEXEC);
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
      error = WriteUnlessEnded(streamFd_, chunk.constData(), static_cast<std::size_t>(n));
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
  if (::renameat2(folderFd_, tempName_.constData(), AT_FDCWD, target.constData(),
                  RENAME_NOREPLACE) != 0) {
    if (errno == EEXIST) return false;
    // Some file systems cannot rename without replacing; a hard link never replaces.
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
      finalPath_ = path;
      Fail(errno);
    }
    if (::linkat(folderFd_, tempName_.constData(), AT_FDCWD, target.constData(), 0) != 0) {
      if (errno == EEXIST) return false;
      finalPath_ = path;
      Fail(errno);
    }
    ::unlinkat(folderFd_, tempName_.constData(), 0);
  }
  tempName_.clear();
  finalPath_ = path;
  placed_ = true;
  lock_.reset();
  return true;
}

namespace {

// At most a few names, then how many more: "「a」「b」「c」ほか 7 個".
QString Names(const QStringList& names, bool all = false) {
  QStringList shown;
  const qsizetype limit = all ? names.size() : 3;
  for (qsizetype i = 0; i < names.size() && i < limit; ++i) {
    shown << QStringLiteral("「%1」").arg(names[i]);
  }
  QString text = shown.join(QString());
  if (names.size() > limit) text += QStringLiteral(" ほか %1 個").arg(names.size() - limit);
  return text;
}
QString EnglishNames(const QStringList& names, bool all = false) {
  QStringList shown;
  const qsizetype limit = all ? names.size() : 3;
  for (qsizetype i = 0; i < names.size() && i < limit; ++i) {
    shown << QStringLiteral("'%1'").arg(names[i]);
  }
  QString text = shown.join(QStringLiteral(", "));
  if (names.size() > limit) text += QStringLiteral(" and %1 more").arg(names.size() - limit);
  return text;
}

// A second name made beside a staged file's temporary, as a path.
QString KeptPath(const StagedFile& file, const QByteArray& name) {
  return QDir(QFileInfo(file.TemporaryPath()).absolutePath()).filePath(QFile::decodeName(name));
}

bool Unsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

// What a commit does to one file, to be undone on a failure.
struct Placing {
  StagedFile* file;
  FolderLock* folder;
  QByteArray name;  // the final name in its folder
  enum { Waiting, Added, Exchanged, Linked } done = Waiting;
  QByteArray kept;  // Linked: the old file's second name
};

}  // namespace

void StagedOutputs::Add(std::unique_ptr<StagedFile> file) { files_.push_back(std::move(file)); }

QString StagedOutputs::Done(const QStringList& written, const QStringList& cut) const {
  QStringList japanese, english;
  if (placed_.isEmpty()) {
    japanese << QStringLiteral("何も置き換えていません");
    english << QStringLiteral("nothing put in place");
  } else {
    japanese << QStringLiteral("%1を置きました").arg(Names(placed_));
    english << QStringLiteral("put in place: %1").arg(EnglishNames(placed_));
  }
  if (!written.isEmpty()) {
    japanese << QStringLiteral("%1には書き終えました").arg(Names(written));
    english << QStringLiteral("written in full: %1").arg(EnglishNames(written));
  }
  if (!cut.isEmpty()) {
    japanese << QStringLiteral("%1への書き込みは途中で切れました").arg(Names(cut));
    english << QStringLiteral("cut short: %1").arg(EnglishNames(cut));
  }
  return japanese.join(QStringLiteral("。")) + QStringLiteral(" (") +
         english.join(QStringLiteral("; ")) + QStringLiteral(")");
}

void StagedOutputs::Commit() {
  for (const auto& file : files_) {
    if (!file->Finished()) file->Finish();
  }
  {
    const EndSignalsHeld held;
    StopIfEndSignalReceived();
    PutFilesInPlace();
  }
  CopyStreams();
  files_.clear();
}

void StagedOutputs::PutFilesInPlace() {
  std::vector<std::unique_ptr<FolderLock>> folders;
  std::vector<Placing> placings;
  for (const auto& file : files_) {
    if (file->IsStream()) continue;
    const QFileInfo target(file->targetPath_);
    auto folder = std::make_unique<FolderLock>(target.absolutePath());
    FolderLock* same = nullptr;
    for (const auto& held : folders) {
      if (!(*held < *folder) && !(*folder < *held)) same = held.get();
    }
    if (!same) {
      folders.push_back(std::move(folder));
      same = folders.back().get();
    }
    placings.push_back(
        {file.get(), same, QFile::encodeName(target.fileName()), Placing::Waiting, {}});
  }
  if (placings.empty()) return;
  // One order for every run, so that two runs never wait on each other.
  std::vector<FolderLock*> order;
  for (const auto& folder : folders) order.push_back(folder.get());
  std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return *a < *b; });
  for (FolderLock* folder : order) folder->Lock();

  const QString nothing = QStringLiteral("。何も置き換えていません (nothing was replaced)");
  auto refuse = [&](const QString& message) { throw Error((message + nothing).toStdString()); };
  // Before the first rename: each file is where it was staged, in the folder its name
  // names now, and every folder takes files and keeps what is replaced until the end.
  const bool keepOld = placings.size() > 1;
  for (const Placing& p : placings) {
    struct stat info {};
    if (!p.folder->Is(p.file->folderFd_)) {
      refuse(QStringLiteral("フォルダ「%1」は実行中に置き換えられました。「%2」を書けません "
                            "(the folder '%1' was replaced during the run: cannot write '%2')")
                 .arg(p.folder->Path(), p.file->finalPath_));
    }
    if (::fstatat(p.file->folderFd_, p.file->tempName_.constData(), &info, AT_SYMLINK_NOFOLLOW) !=
        0) {
      refuse(CannotWriteMessage(p.file->finalPath_, errno));
    }
    // A swap would put a folder made meanwhile under the temporary's name; a device, FIFO or
    // socket made there is written into, never replaced by a file.
    if (::fstatat(p.folder->Fd(), p.name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(info.st_mode)) {
      refuse(CannotWriteMessage(p.file->finalPath_, EISDIR));
    }
    if (::fstatat(p.folder->Fd(), p.name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
      refuse(QStringLiteral("「%1」はふつうのファイルではないので置き換えません (not a regular "
                            "file: it is not replaced)")
                 .arg(p.file->finalPath_));
    }
  }
  for (const auto& folder : folders) {
    const Placing& any = *std::find_if(placings.begin(), placings.end(),
                                       [&](const Placing& p) { return p.folder == folder.get(); });
    const int fd = folder->Fd();
    const QByteArray probe = any.file->NewTemporaryName();
    const int made = ::openat(fd, probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made < 0) refuse(CannotWriteMessage(any.file->finalPath_, errno));
    ::close(made);
    bool replaces = false;
    for (const Placing& p : placings) {
      struct stat info {};
      replaces = replaces || (p.folder == folder.get() &&
                              ::fstatat(fd, p.name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0);
    }
    int error = 0;
    if (keepOld && replaces) {
      // A swap first; where there is none, a hard link.
      const QByteArray other = any.file->NewTemporaryName();
      const int second =
          ::openat(fd, other.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (second < 0) {
        error = errno;
      } else {
        ::close(second);
        if (::renameat2(fd, probe.constData(), fd, other.constData(), RENAME_EXCHANGE) != 0) {
          error = errno;
          const QByteArray third = any.file->NewTemporaryName();
          if (::linkat(fd, probe.constData(), fd, third.constData(), 0) == 0) {
            error = 0;
            ::unlinkat(fd, third.constData(), 0);
          }
        }
        ::unlinkat(fd, other.constData(), 0);
      }
    }
    ::unlinkat(fd, probe.constData(), 0);
    if (error != 0) {
      refuse(QStringLiteral("フォルダ「%1」では置き換えるファイルを最後まで残せないため、まとめて"
                            "置き換えられません (the file system of '%1' can neither swap nor "
                            "hard-link files, so the files it replaces cannot be kept until all "
                            "are in place: %2)")
                 .arg(folder->Path(), PlainReason(error)));
    }
  }

  // The renames. On a failure, each one made is undone, last first.
  for (std::size_t i = 0; i < placings.size(); ++i) {
    Placing& p = placings[i];
    StagedFile& file = *p.file;
    const int from = file.folderFd_;
    const int to = p.folder->Fd();
    const char* temp = file.tempName_.constData();
    const char* name = p.name.constData();
    int error = 0;
    struct stat info {};
    if (!keepOld) {
      if (::renameat(from, temp, to, name) == 0)
        p.done = Placing::Added;
      else
        error = errno;
    } else if (::fstatat(to, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (::renameat2(from, temp, to, name, RENAME_NOREPLACE) == 0 ||
          (Unsupported(errno) && ::renameat(from, temp, to, name) == 0)) {
        p.done = Placing::Added;
      } else {
        error = errno;
      }
    } else if (S_ISDIR(info.st_mode)) {
      error = EISDIR;
    } else if (::renameat2(from, temp, to, name, RENAME_EXCHANGE) == 0) {
      p.done = Placing::Exchanged;  // the temporary's name now holds the old file
    } else if (Unsupported(errno)) {
      p.kept = file.NewTemporaryName();
      if (::linkat(to, name, from, p.kept.constData(), 0) == 0 &&
          ::renameat(from, temp, to, name) == 0) {
        p.done = Placing::Linked;
      } else {
        error = errno;
        ::unlinkat(from, p.kept.constData(), 0);
      }
    } else {
      error = errno;
    }
    if (error == 0) continue;

    QStringList fresh, old, keptAs;
    for (std::size_t j = i; j-- > 0;) {
      Placing& q = placings[j];
      const int qFrom = q.file->folderFd_;
      const int qTo = q.folder->Fd();
      const char* qTemp = q.file->tempName_.constData();
      const char* qName = q.name.constData();
      bool undone = false;
      if (q.done == Placing::Added) {
        undone = ::renameat(qTo, qName, qFrom, qTemp) == 0;
      } else if (q.done == Placing::Exchanged) {
        undone = ::renameat2(qTo, qName, qFrom, qTemp, RENAME_EXCHANGE) == 0;
        if (!undone) {
          q.file->placed_ = true;  // the temporary holds the old file: kept for the user
          keptAs << q.file->TemporaryPath();
        }
      } else if (q.done == Placing::Linked) {
        undone = ::renameat(qFrom, q.kept.constData(), qTo, qName) == 0;
        if (!undone) {
          keptAs << KeptPath(*q.file, q.kept);
        }
      }
      (undone ? old : fresh) << q.file->finalPath_;
    }
    for (std::size_t j = i; j < placings.size(); ++j) old << placings[j].file->finalPath_;
    QString message = CannotWriteMessage(file.finalPath_, error);
    if (fresh.isEmpty()) {
      message += nothing;
    } else {
      message +=
          QStringLiteral(
              "。元に戻せませんでした。新しいファイル: %1。元のままのファイル: %2。"
              "置き換えた元のファイルは %3 に残しました "
              "(could not undo: new files: %4; old files: %5; the replaced "
              "files are kept as %6)")
              .arg(Names(fresh, true), Names(old, true), Names(keptAs, true),
                   EnglishNames(fresh, true), EnglishNames(old, true), EnglishNames(keptAs, true));
    }
    throw Error(message.toStdString());
  }

  // All in place: the replaced files go.
  for (Placing& p : placings) {
    StagedFile& file = *p.file;
    if (p.done == Placing::Exchanged) {
      file.RemoveTemporary();
    } else {
      if (p.done == Placing::Linked && ::unlinkat(file.folderFd_, p.kept.constData(), 0) != 0) {
        NoteTemporaryLeft(KeptPath(file, p.kept), errno);
      }
      file.tempName_.clear();
    }
    file.placed_ = true;
    file.lock_.reset();
    placed_ << file.finalPath_;
  }
  for (const auto& folder : folders) folder->Sync();
}

void StagedOutputs::CopyStreams() {
  QStringList written;
  for (const auto& file : files_) {
    if (!file->IsStream()) continue;
    try {
      file->PutInPlace();
    } catch (EndSignalReceived& e) {
      e.done = Done(written, {file->finalPath_});
      throw;
    } catch (const std::exception& e) {
      throw Error(
          (QString::fromUtf8(e.what()) + QStringLiteral("。") + Done(written, {})).toStdString());
    }
    written << file->finalPath_;
  }
}

}  // namespace tamariko
