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

// Whether these bytes of a name read as text and give the same bytes back (Qt's file names
// are UTF-8): a name that does not would be written under another.
bool IsFaithfulName(const QByteArray& bytes);
// Bytes as a message shows them: valid UTF-8 as it is, every other byte and every control
// character as \xNN ("\xff\xfe.json").
QString EscapedBytes(const QByteArray& bytes);

// The file that `path` names through symbolic links when that is a regular file or none
// yet (as a shell's redirection writes it); `path` itself otherwise, and also when a link
// on the way leads to a name that is not faithful (IsFaithfulName), whose bytes are then
// given in `unfaithful`.
QString FileBehindLinks(const QString& path, QByteArray* unfaithful = nullptr);

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
  // The name of a fresh temporary in the folder of this one.
  QByteArray NewTemporaryName() const;
  bool WriteOut(const char* data, qint64 size);
  void CopyToStream();
  void RemoveTemporary();
  [[noreturn]] void Fail(int error);

  QString finalPath_;
  QString targetPath_;  // what is renamed over: the final path, or the file its link names
  int streamFd_ = -1;
  std::shared_ptr<StagingLock> lock_;
  int folderFd_ = -1;  // the folder the temporary was made in, held (O_PATH)
  QString tempPath_;
  QByteArray tempName_;  // the temporary's name in that folder; empty once gone
  int fd_ = -1;
  int error_ = 0;  // the first failure
  qint64 written_ = 0;
  QByteArray buffer_;
  bool finished_ = false;
  bool placed_ = false;
};

// All file outputs of one run: put in place together, at the end, all or none, so that a
// run that fails leaves the previous files as they were; the streams get theirs after the
// files.
class StagedOutputs {
 public:
  // Takes a finished file.
  void Add(std::unique_ptr<StagedFile> file);
  bool Empty() const { return files_.empty(); }

  // Locks each output folder (flock, in the order of the folders' device and inode, so
  // that two runs cannot interleave) and checks, before the first rename, that each
  // folder is still the one its file was staged in and takes files, and that every file
  // to be replaced can be kept until the end: swapped with the new one (RENAME_EXCHANGE)
  // or else hard-linked; a folder whose file system can do neither is refused when more
  // than one file is put in place. Then renames every file into place; on a failure puts
  // back every file already renamed, and says exactly which files are new and which old
  // when that fails too. The end signals are held meanwhile; one that came before stops
  // it with nothing in place (EndSignalReceived). Then copies the streams, saying in what
  // it throws which files were put in place and which streams were written or cut.
  // Throws Error.
  void Commit();

  // What the commit has done so far, for a message: the files put in place ("nothing put
  // in place" when none), the streams `written` in full and those `cut` short.
  QString Done(const QStringList& written = {}, const QStringList& cut = {}) const;

 private:
  void PutFilesInPlace();
  void CopyStreams();

  std::vector<std::unique_ptr<StagedFile>> files_;
  QStringList placed_;  // the files put in place, as the run named them
};

}  // namespace tamariko
