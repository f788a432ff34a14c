#pragma once

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <string>

namespace tamariko::test {

// A tmpfs of its own, mounted for as long as the object lives: a disk that fills up on
// demand. Mounting needs root; Reason() says why when it could not be had.
class SmallDisk {
 public:
  static constexpr qint64 kPage = 4096;  // tmpfs hands out space in pages

  explicit SmallDisk(int kib) {
    if (!mountPoint_.isValid()) {
      reason_ = "no temporary folder for the mount point";
      return;
    }
    const QByteArray options = "size=" + QByteArray::number(kib) + "k";
    if (::mount("tmpfs", QFile::encodeName(mountPoint_.path()).constData(), "tmpfs", 0,
                options.constData()) != 0) {
      reason_ = std::string("cannot mount a tmpfs (needs root): ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(QFile::encodeName(mountPoint_.path()).constData(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Reason() const { return reason_; }
  QString Path() const { return mountPoint_.path(); }
  QString FilePath(const QString& name) const { return QDir(Path()).filePath(name); }

  qint64 Free() const {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(Path()).constData(), &info) != 0) return -1;
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
  }

  // Fills the disk with a file in its root until about `bytes` stay free.
  bool LeaveFree(qint64 bytes) {
    const qint64 take = Free() - bytes;
    if (take < 0) return false;
    QFile filler(FilePath(QStringLiteral("filler")));
    return filler.open(QIODevice::WriteOnly) &&
           filler.write(QByteArray(static_cast<qsizetype>(take), '\0')) == take && filler.flush();
  }

 private:
  QTemporaryDir mountPoint_;
  bool mounted_ = false;
  std::string reason_;
};

// The room a file of `size` bytes takes on the disk.
inline qint64 PagesFor(qint64 size) {
  return (size + SmallDisk::kPage - 1) / SmallDisk::kPage * SmallDisk::kPage;
}

// Every name in a folder, the hidden ones too.
inline QStringList AllEntries(const QString& folder) {
  return QDir(folder).entryList(
      QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace tamariko::test
