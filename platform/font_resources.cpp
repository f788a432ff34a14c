#include "platform/font_resources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>

#include "core/error.h"

namespace tamariko {
namespace {

QHash<QString, int>& Registered() {
  static QHash<QString, int> ids;
  return ids;
}

// The whole content of a regular file, opened without following a symlink and without
// blocking on a planted pipe; a null array when that fails.
QByteArray ReadRegularFile(const QString& path) {
  const int fd =
      open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  QByteArray data;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    data.resize(st.st_size);
    qsizetype done = 0;
    while (done < data.size()) {
      const ssize_t n = read(fd, data.data() + done, data.size() - done);
      if (n <= 0) break;
      done += n;
    }
    data.truncate(done);
  }
  close(fd);
  return data;
}

}  // namespace

int AddFontResource(const QString& path) {
  const QByteArray data = ReadRegularFile(path);
  return data.isEmpty() ? 0 : AddFontResource(path, data);
}

int AddFontResource(const QString& path, const QByteArray& data) {
  RemoveFontResource(path);
  const int id = QFontDatabase::addApplicationFontFromData(data);
  if (id < 0) return 0;
  Registered().insert(path, id);
  return static_cast<int>(QFontDatabase::applicationFontFamilies(id).size());
}

bool RemoveFontResource(const QString& path) {
  const auto it = Registered().constFind(path);
  if (it == Registered().constEnd()) return false;
  const int id = it.value();
  Registered().erase(it);
  return QFontDatabase::removeApplicationFont(id);
}

void BroadcastFontChange() {}

void InstallFaceSubstitutions() {
  // Fontconfig names families in the session's language ("IPA Pゴシック" under ja_JP); the
  // English name is only an alias, which the database resolves once it has read them all.
  QFontDatabase::families();
  if (!QFontDatabase::hasFamily(kLabelSubstitute)) {
    // Said in English too: without fonts a terminal may be the only place it can be read.
    throw Error(QStringLiteral("フォント %1 (IPA P ゴシック) がインストールされていません。"
                               "パッケージ fonts-ipafont-gothic を入れてください "
                               "(the font %1 is not installed: install the package "
                               "fonts-ipafont-gothic)")
                    .arg(kLabelSubstitute)
                    .toStdString());
  }
  QFont::insertSubstitution(kLabelFace, kLabelSubstitute);
}

}  // namespace tamariko
