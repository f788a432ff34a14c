#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>
#include <vector>

namespace tamariko {

// A system error number in plain words, Japanese with English in parentheses.
QString PlainReason(int error);
// "「path」を書けませんでした: reason (cannot write 'path': reason)".
QString CannotWriteMessage(const QString& path, int error);

// A file that is written completely under a hidden temporary name in the folder of its
// final name, checked, and only then put in place. The temporary never outlives the
// object unless it was put in place. Writes go through a buffer of its own; the first
// failure is kept and reported by Finish.
class StagedFile : public QIODevice {
 public:
  // Creates the temporary, open for writing. Throws Error when it cannot.
  explicit StagedFile(const QString& finalPath);
  ~StagedFile() override;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // A finished staged file holding these bytes. Throws Error.
  static std::unique_ptr<StagedFile> Written(const QString& finalPath, const QByteArray& bytes);

  const QString& FinalPath() const { return finalPath_; }
  const QString& TemporaryPath() const { return tempPath_; }
  bool Finished() const { return finished_; }

  // Throws Error with the plain reason when a write has failed so far.
  void ThrowIfFailed();
  // Writes out what is buffered, syncs, checks the size on disk against the bytes written
  // and closes. Throws Error with the plain reason on any failure.
  void Finish();
  // Renames the finished file over its final name. Throws Error.
  void PutInPlace();
  // Puts the finished file in place under `path`, never replacing a file there; false
  // when one already exists. Throws Error on other failures.
  bool PutInPlaceAsNew(const QString& path);

  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char* data, qint64 size) override;

 private:
  bool WriteOut(const char* data, qint64 size);
  [[noreturn]] void Fail(int error);

  QString finalPath_;
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
// fails leaves the previous files as they were.
class StagedOutputs {
 public:
  // Takes a finished file.
  void Add(std::unique_ptr<StagedFile> file);
  bool Empty() const { return files_.empty(); }

  // Locks each output folder (flock, in the order of their canonical paths, so that two
  // runs cannot interleave), renames every file into place, then unlocks. Throws Error.
  void Commit();

 private:
  std::vector<std::unique_ptr<StagedFile>> files_;
};

}  // namespace tamariko
