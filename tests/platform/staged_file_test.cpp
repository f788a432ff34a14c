#include "platform/staged_file.h"

#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <future>

#include "core/error.h"
#include "tests/support/small_disk.h"

namespace tamariko {
namespace {

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// A write larger than the file's own buffer, in pieces as a PDF writer makes them, on a
// disk with room for none, some or nearly all of it.
TEST(StagedFile, FullDiskThrowsThePlainReasonAndKeepsTheOldFile) {
  const QByteArray content(200 * 1024 + 123, 'x');
  for (const qint64 free : {qint64{0}, qint64{8192}, qint64{64 * 1024},
                            test::PagesFor(content.size()) - test::SmallDisk::kPage}) {
    SCOPED_TRACE(free);
    test::SmallDisk disk(1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
    const QString folder = disk.FilePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("set.pdf"));
    Write(path, "old");
    ASSERT_TRUE(disk.LeaveFree(free));
    try {
      StagedFile file(path);
      for (qsizetype at = 0; at < content.size(); at += 1000) file.write(content.mid(at, 1000));
      file.Finish();
      file.PutInPlace();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), CannotWriteMessage(path, ENOSPC).toUtf8().constData());
      EXPECT_TRUE(QString::fromUtf8(e.what()).contains(
          QStringLiteral("ディスクの空きが足りません (cannot write")));
    }
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(test::AllEntries(folder), QStringList({"set.pdf"}));
  }
}

TEST(StagedFile, ReplacesOnlyWhenPutInPlaceAndNeverReplacesAsNew) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath(QStringLiteral("set.json"));
  Write(path, "old");
  {
    const auto dropped = StagedFile::Written(path, "dropped");
    EXPECT_EQ(test::AllEntries(dir.path()).size(), 3);  // with the temporary and the run's lock
  }
  EXPECT_EQ(test::AllEntries(dir.path()), QStringList({"set.json"}));
  EXPECT_EQ(Read(path), "old");

  const auto other = StagedFile::Written(path, "other");
  EXPECT_FALSE(other->PutInPlaceAsNew(path));
  EXPECT_EQ(Read(path), "old");
  const QString second = QDir(dir.path()).filePath(QStringLiteral("set (2).json"));
  EXPECT_TRUE(other->PutInPlaceAsNew(second));
  EXPECT_EQ(Read(second), "other");

  StagedFile::Written(path, "new")->PutInPlace();
  EXPECT_EQ(Read(path), "new");
  EXPECT_EQ(test::AllEntries(dir.path()), QStringList({"set (2).json", "set.json"}));
}

// Two runs writing the same files each hold the folder while they rename, so one run's
// files end up together.
TEST(StagedOutputs, CommitWaitsForTheFolderLock) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath(QStringLiteral("kake.png"));
  const int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  ASSERT_EQ(::flock(folder, LOCK_EX), 0);
  StagedOutputs outputs;
  outputs.Add(StagedFile::Written(path, "new"));
  auto commit = std::async(std::launch::async, [&] { outputs.Commit(); });
  EXPECT_EQ(commit.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  EXPECT_FALSE(QFile::exists(path));
  ::close(folder);
  commit.get();
  EXPECT_EQ(Read(path), "new");
}

// A commit puts every file in place or none: a folder replaced after its file was staged
// is found before the first rename; files replaced are kept until all are in place, then go.
TEST(StagedOutputs, CommitIsAllOrNothing) {
  QTemporaryDir dir;
  const QString a = dir.filePath(QStringLiteral("a"));
  const QString b = dir.filePath(QStringLiteral("b"));
  ASSERT_TRUE(QDir().mkdir(a));
  ASSERT_TRUE(QDir().mkdir(b));
  Write(a + "/x", "old x");
  Write(b + "/y", "old y");
  {
    StagedOutputs outputs;
    outputs.Add(StagedFile::Written(a + "/x", "new x"));
    outputs.Add(StagedFile::Written(b + "/y", "new y"));
    ASSERT_TRUE(QDir().rename(b, dir.filePath(QStringLiteral("b-moved"))));
    ASSERT_TRUE(QDir().mkdir(b));
    try {
      outputs.Commit();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      const QString message = QString::fromUtf8(e.what());
      EXPECT_TRUE(message.contains(QStringLiteral("was replaced during the run"))) << e.what();
      EXPECT_TRUE(message.contains(QStringLiteral("nothing was replaced"))) << e.what();
    }
  }
  EXPECT_EQ(Read(a + "/x"), "old x");
  EXPECT_EQ(test::AllEntries(a), QStringList({"x"}));
  EXPECT_EQ(test::AllEntries(b), QStringList());
  EXPECT_EQ(test::AllEntries(dir.filePath(QStringLiteral("b-moved"))), QStringList({"y"}));
  for (const bool fifo : {false, true}) {
    // Nor a folder or a FIFO made where a file goes: neither is ever replaced.
    StagedOutputs outputs;
    outputs.Add(StagedFile::Written(a + "/x", "new x"));
    outputs.Add(StagedFile::Written(b + "/w", "new w"));
    if (fifo) {
      ASSERT_EQ(::mkfifo(QFile::encodeName(b + "/w").constData(), 0600), 0);
    } else {
      ASSERT_TRUE(QDir().mkdir(b + "/w"));
    }
    EXPECT_THROW(outputs.Commit(), Error);
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(b + "/w").constData(), &info), 0);
    EXPECT_TRUE(fifo ? S_ISFIFO(info.st_mode) : S_ISDIR(info.st_mode));
    ASSERT_TRUE(QFile::remove(b + "/w") || QDir().rmdir(b + "/w"));
  }
  EXPECT_EQ(Read(a + "/x"), "old x");

  Write(b + "/y", "old y");
  StagedOutputs outputs;
  outputs.Add(StagedFile::Written(a + "/x", "new x"));
  outputs.Add(StagedFile::Written(b + "/y", "new y"));
  outputs.Add(StagedFile::Written(b + "/z", "new z"));
  outputs.Commit();
  EXPECT_EQ(Read(a + "/x"), "new x");
  EXPECT_EQ(Read(b + "/y"), "new y");
  EXPECT_EQ(test::AllEntries(a), QStringList({"x"}));
  EXPECT_EQ(test::AllEntries(b), QStringList({"y", "z"}));
}

// Sets or clears the immutable flag, which root alone may; false where it cannot.
bool SetImmutable(const QString& path, bool immutable) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  int flags = 0;
  bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return done;
}

// A rename that fails after others were made (a file that may not be replaced) puts
// those back: every file is as it was.
TEST(StagedOutputs, AFailedRenamePutsBackTheFilesAlreadyInPlace) {
  QTemporaryDir dir;
  const QString first = dir.filePath(QStringLiteral("a.json"));
  const QString fixed = dir.filePath(QStringLiteral("b.pdf"));
  Write(first, "old a");
  Write(fixed, "old b");
  StagedOutputs outputs;
  outputs.Add(StagedFile::Written(first, "new a"));
  outputs.Add(StagedFile::Written(dir.filePath(QStringLiteral("c.png")), "new c"));
  outputs.Add(StagedFile::Written(fixed, "new b"));
  if (!SetImmutable(fixed, true)) GTEST_SKIP() << "cannot make a file immutable here";
  try {
    outputs.Commit();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("nothing was replaced")))
        << e.what();
  }
  ASSERT_TRUE(SetImmutable(fixed, false));
  EXPECT_EQ(Read(first), "old a");
  EXPECT_EQ(Read(fixed), "old b");
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("c.png"))));
}

}  // namespace
}  // namespace tamariko
