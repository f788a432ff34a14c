#include "platform/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QStringList>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/error.h"

namespace tamariko {
namespace {

constexpr mode_t kPrivate = 0700;

// A directory entry (not a symlink) owned by this user with exactly mode 0700.
bool IsPrivateFolder(const QByteArray& path) {
  struct stat st;
  return lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & 07777) == kPrivate;
}

// Creates the folder (and missing parents) if needed. A folder of our own with a wider mode
// is narrowed; one that belongs to someone else, or is a symlink, is refused.
bool MakePrivateFolder(const QByteArray& path) {
  for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
    mkdir(path.left(slash).constData(), kPrivate);
  }
  if (mkdir(path.constData(), kPrivate) != 0 && errno != EEXIST) return false;
  struct stat st;
  if (lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
    return false;
  }
  if ((st.st_mode & 07777) != kPrivate && chmod(path.constData(), kPrivate) != 0) return false;
  return IsPrivateFolder(path);
}

QByteArray AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  QByteArray path(value);
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  return path;
}

}  // namespace

QString TempPath() {
  const QByteArray runtime = AbsoluteEnv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && IsPrivateFolder(runtime)) {
    return QString::fromLocal8Bit(runtime) + QLatin1Char('/');
  }

  QList<QByteArray> candidates;
  if (const QByteArray cache = AbsoluteEnv("XDG_CACHE_HOME"); !cache.isEmpty()) {
    candidates << cache + "/tamariko";
  }
  if (const QByteArray home = AbsoluteEnv("HOME"); !home.isEmpty() && home != "/") {
    candidates << home + "/.cache/tamariko";
  }
  QByteArray tmp = AbsoluteEnv("TMPDIR");
  if (tmp.isEmpty()) tmp = "/tmp";
  candidates << tmp + "/tamariko-" + QByteArray::number(static_cast<qulonglong>(geteuid()));

  QStringList tried;
  for (const QByteArray& folder : candidates) {
    if (MakePrivateFolder(folder)) return QString::fromLocal8Bit(folder) + QLatin1Char('/');
    tried << QString::fromLocal8Bit(folder);
  }
  throw Error(
      QStringLiteral("一時フォルダーを用意できません。自分だけが書き込めるフォルダーが必要です"
                     "（試したフォルダー: %1）")
          .arg(tried.join(QStringLiteral(", ")))
          .toStdString());
}

}  // namespace tamariko
