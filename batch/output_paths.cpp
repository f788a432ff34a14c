#include "batch/output_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <optional>
#include <tuple>

#include "platform/staged_file.h"

namespace tamariko {
namespace {

bool IsStandardOutput(const QString& path) { return path == QStringLiteral("-"); }

// What a path will be written as: an existing file by its inode (links followed, so a
// link, a hard link and ".." all lead to it), a new one by its folder's inode and its name.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  QByteArray name;
  bool operator<(const Identity& o) const {
    return std::tie(device, inode, name) < std::tie(o.device, o.inode, o.name);
  }
};

std::optional<Identity> IdentityOf(const QString& path) {
  struct stat info {};
  if (IsStandardOutput(path)) {
    if (::fstat(STDOUT_FILENO, &info) != 0) return std::nullopt;
    return Identity{info.st_dev, info.st_ino, {}};
  }
  if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
    return Identity{info.st_dev, info.st_ino, {}};
  }
  const QFileInfo file(FileBehindLinks(path));
  if (::stat(QFile::encodeName(file.absolutePath()).constData(), &info) != 0) return std::nullopt;
  return Identity{info.st_dev, info.st_ino, QFile::encodeName(file.fileName())};
}

// A link to a file is written through, so the file behind it must be the one the system
// opens: not so for a link into /proc to a file that was deleted.
void CheckLinkTarget(const char* option, const QString& path) {
  struct stat opened {};
  struct stat named {};
  if (::stat(QFile::encodeName(path).constData(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
    return;
  }
  const bool same = ::stat(QFile::encodeName(FileBehindLinks(path)).constData(), &named) == 0 &&
                    named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
  if (!same) {
    throw BatchOptionError(
        OptionName(option), QStringLiteral("リンク「%1」の先のファイルがわかりません").arg(path),
        QStringLiteral("cannot tell which file the link '%1' leads to").arg(path));
  }
}

// Whether `path` (also through a link) is a FIFO or a character device, which a run writes
// into and never replaces. Throws BatchUsageError for `option` when it is something else
// that is neither a file nor a folder (a block device, a socket).
bool IsStreamOutput(const QString& option, const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return false;
  if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) return true;
  if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) return false;
  throw BatchOptionError(
      option, QStringLiteral("「%1」はファイルでも FIFO でも文字デバイスでもありません").arg(path),
      QStringLiteral("'%1' is not a regular file, a FIFO or a character device").arg(path));
}

}  // namespace

OutputPaths::OutputPaths(const BatchOptions& options, const QStringList& previews) {
  std::map<Identity, QString> taken;  // what names each file, as a message shows it
  auto take = [&](const char* option, const QString& path, const QString& shown) {
    const auto identity = IdentityOf(path);
    if (!identity) return;
    const auto [at, added] = taken.emplace(*identity, shown);
    if (added) return;
    throw BatchOptionError(OptionName(option),
                           QStringLiteral("「%1」は %2 と同じファイルです").arg(path, at->second),
                           QStringLiteral("'%1' is the same file as %2").arg(path, at->second));
  };
  for (const QString& preview : previews) {
    take("png", preview, QStringLiteral("--png (%1)").arg(preview));
  }
  if (!options.json.isEmpty()) take("json", options.json, QStringLiteral("--json"));
  if (!options.pdf.isEmpty()) take("pdf", options.pdf, QStringLiteral("--pdf"));

  // The JSON on standard output goes out line by line as the sets are made.
  if (!options.json.isEmpty() && !IsStandardOutput(options.json)) OpenStream("json", options.json);
  if (!options.pdf.isEmpty()) OpenStream("pdf", options.pdf);
}

OutputPaths::~OutputPaths() {
  for (const auto& [path, fd] : streams_) {
    if (fd != STDOUT_FILENO) ::close(fd);
  }
}

void OutputPaths::OpenStream(const char* option, const QString& path) {
  if (IsStandardOutput(path)) {
    streams_[path] = STDOUT_FILENO;
    return;
  }
  CheckLinkTarget(option, path);
  if (!IsStreamOutput(OptionName(option), path)) return;
  // Without O_NONBLOCK a FIFO nobody reads would hold the run here for good.
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENXIO) {
      throw BatchOptionError(OptionName(option),
                             QStringLiteral("FIFO「%1」を読むプログラムがありません").arg(path),
                             QStringLiteral("no program reads the FIFO '%1'").arg(path));
    }
    throw BatchOptionError(OptionName(option), QStringLiteral("「%1」を開けません").arg(path),
                           QStringLiteral("cannot open '%1': %2").arg(path, PlainReason(error)));
  }
  // From here on writes wait for the reader, as into any pipe.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  streams_[path] = fd;
}

std::unique_ptr<StagedFile> OutputPaths::Stage(const QString& path) const {
  const auto stream = streams_.find(path);
  if (stream == streams_.end()) return std::make_unique<StagedFile>(path);
  return StagedFile::ForStream(path, stream->second);
}

}  // namespace tamariko
