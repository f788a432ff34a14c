#include "platform/carried_font.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "core/error.h"
#include "platform/font_resources.h"
#include "platform/resource.h"
#include "platform/temp_folder.h"

namespace tamariko {
namespace {

// True when `path` is a regular file (not a symlink) whose content is exactly `bytes`.
bool HoldsExactly(const QByteArray& path, const QByteArray& bytes) {
  const int fd = open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool same = false;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == bytes.size()) {
    QByteArray content(bytes.size(), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < content.size()) {
      const ssize_t n = read(fd, content.data() + done, content.size() - done);
      if (n <= 0) break;
      done += n;
    }
    same = done == content.size() && content == bytes;
  }
  close(fd);
  return same;
}

[[noreturn]] void CannotWrite(const QByteArray& path, int err) {
  throw Error(QStringLiteral("フォントファイル %1 を書き込めません（%2）")
                  .arg(QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(err)))
                  .toStdString());
}

// Writes `bytes` to a new file beside `path`, created exclusively, then renames it over
// `path`. rename() replaces a symlink itself, never its target, and a reader sees either
// the old file or the complete new one.
void WriteReplacing(const QByteArray& path, const QByteArray& bytes) {
  QByteArray temp = path + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) CannotWrite(path, errno);
  qsizetype done = 0;
  int err = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.constData() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : EIO;
      break;
    }
    done += n;
  }
  if (close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && rename(temp.constData(), path.constData()) != 0) err = errno;
  if (err != 0) {
    unlink(temp.constData());
    CannotWrite(path, err);
  }
}

}  // namespace

QString CarriedFontPath() { return TempPath() + QStringLiteral("ORVFont.TTF"); }

void InstallCarriedFont(const QString& fontPath) {
  const QByteArray bytes = LoadResource(QStringLiteral("MYFONT"), QStringLiteral("MyFont"));
  const QByteArray path = QFile::encodeName(fontPath);
  if (!HoldsExactly(path, bytes)) WriteReplacing(path, bytes);
  if (AddFontResource(fontPath, bytes) == 0) {
    throw Error(QStringLiteral("フォント %1 を登録できません").arg(kCarriedFace).toStdString());
  }
}

void InstallCarriedFont() { InstallCarriedFont(CarriedFontPath()); }

void RemoveCarriedFont(const QString& fontPath) {
  RemoveFontResource(fontPath);
  BroadcastFontChange();
  unlink(QFile::encodeName(fontPath).constData());
}

void RemoveCarriedFont() {
  QString path;
  try {
    path = CarriedFontPath();
  } catch (const Error&) {
    return;  // no temporary folder: nothing was written either
  }
  RemoveCarriedFont(path);
}

}  // namespace tamariko
