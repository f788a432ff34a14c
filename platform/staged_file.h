#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace tamariko {

class StagingLock;

// A system error number in plain words, Japanese with English in parentheses.
QString PlainReason(int error);
// "「path」を書けませんでした: reason (cannot write 'path': reason)".
QString CannotWriteMessage(const QString& path, int error);

// The file that `path` names through symbolic links when that is a regular file or none
// yet (as a shell's redirection writes it); `path` itself otherwise.
QString FileBehindLinks(const QString& path);

// The temporaries that could not be removed since the last call, each with the reason
// ("「path」: reason"): a folder made read-only under a run. The next run that writes
// there removes them (StagingLock).
QStringList TakeTemporariesLeft();

// A file that is written completely under a hidden temporary name in the folder of its
// final name, checked, and only then put in place. The temporary never outlives the
// object unless it was put in place (or cannot be removed: see TakeTemporariesLeft), nor
// the process that made it by more than the next run in its folder (see StagingLock).
// Writes go through a buffer of its own; the first failure is kept and reported by Finish.
class StagedFile : public QIODevice {
  friend class StagedOutputs;

 public:
  // Whether a final name that is a symbolic link to a regular file (or to none yet) keeps
  // the link, the file behind it getting the content (staged beside it), or is replaced.
  enum class Links { Keep, Replace };

  // Creates the temporary, open for writing. Throws Error when it cannot.
  explicit StagedFile(const QString& finalPath, Links links = Links::Keep);
  ~StagedFile() override;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // A finished staged file holding these bytes. Throws Error.
  static std::unique_ptr<StagedFile> Written(const QString& finalPath, const QByteArray& bytes,
                                             Links links = Links::Keep);
  // A file bound for a stream that cannot be renamed over (standard output, a FIFO, a
  // character device): staged in the user's temporary folder and copied into `fd`, which
  // stays the caller's, when put in place. `name` names it in messages. Throws Error.
  static std::unique_ptr<StagedFile> ForStream(const QString& name, int fd);

  const QString& FinalPath() const { return finalPath_; }
  const QString& TemporaryPath() const { return tempPath_; }
  bool Finished() const { return finished_; }
  bool IsStream() const { return streamFd_ >= 0; }

  // Throws Error with the plain reason when a write has failed so far.
  void ThrowIfFailed();
  // Writes out what is buffered, syncs, checks the size on disk against the bytes written
  // and closes. Throws Error with the plain reason on any failure.
  void Finish();
  // Renames the finished file over its final name, or copies it into its stream (stopping
  // with EndSignalReceived when an end signal comes meanwhile). Throws Error.
  void PutInPlace();
  // Puts the finished file in place under `path`, never replacing a file there; false
  // when one already exists. Throws Error on other failures.
  bool PutInPlaceAsNew(const QString& path);

  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 size) override;

 private:
  StagedFile(const QString& name, int streamFd);
  void Create(const QString& folder);
  bool WriteOut(const char* data, qint64 size);
  void CopyToStream();
  void RemoveTemporary();
  [[noreturn]] void Fail(int error);

  QString finalPath_;
  QString targetPath_;  // what is renamed over: the final path, or the file its link names
  int streamFd_ = -1;
  std::shared_ptr<StagingLock> lock_;
  QString tempPath_;
  QByteArray tempName_;  // tempPath_ in the local encoding
  int fd_ = -1;
  int error_ = 0;  // the first failure
  qint64 written_ = 0;
  QByteArray buffer_;
  bool finished_ = false;
  bool placed_ = false;
};

// All file outputs of one run: put in place together, at the end, so that a run that
// fails leaves the previous files as they were; the streams get theirs after the files.
class StagedOutputs {
 public:
  // Takes a finished file.
  void Add(std::unique_ptr<StagedFile> file);
  bool Empty() const { return files_.empty(); }

  // Locks each output folder (flock, in the order of their canonical paths, so that two
  // runs cannot interleave), renames every file into place, then unlocks; the end signals
  // are held meanwhile and one that came before stops it with nothing in place
  // (EndSignalReceived). Then copies the streams. Throws Error.
  void Commit();

 private:
  std::vector<std::unique_ptr<StagedFile>> files_;
};

}  // namespace tamariko
