// A batch run ended from outside: by a signal it handles, by SIGKILL, or by a folder made
// read-only under it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "tests/support/run_tamariko.h"
#include "tests/support/small_disk.h"

namespace tamariko {
namespace {

// The staging files of runs in a folder: their temporaries and lock files.
QStringList Staging(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral(".tamariko-*")}, QDir::Files | QDir::Hidden);
}

// A long run (a thousand sets) going on in the background, staging its files in `folder`.
class RunningBatch {
 public:
  RunningBatch(const QString& folder, const QStringList& arguments, const QString& shell = {},
               int count = 1000)
      : folder_(folder), before_(tamariko::Staging(folder)) {
    QStringList all =
        QStringList{"--batch", "--seed", "31", "--count", QString::number(count)} + arguments;
    if (shell.isEmpty()) {
      process.start(QStringLiteral(TAMARIKO_EXE), all);
    } else {
      // The shell sets a disposition that the program inherits through exec.
      process.start(QStringLiteral("/bin/sh"),
                    QStringList{"-c", shell + QStringLiteral("; exec \"$0\" \"$@\""),
                                QStringLiteral(TAMARIKO_EXE)} +
                        all);
    }
  }
  ~RunningBatch() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(5000);
    }
  }

  // Waits, within bounds, until the run has its lock and a temporary in the folder.
  bool Staging() {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
      QStringList mine = tamariko::Staging(folder_);
      for (const QString& name : before_) mine.removeAll(name);
      if (mine.size() >= 2) return true;
      if (clock.elapsed() > 30000 || process.state() == QProcess::NotRunning) return false;
      QThread::msleep(20);
    }
  }
  void Send(int number) { ASSERT_EQ(kill(static_cast<pid_t>(process.processId()), number), 0); }
  // The exit status, or -1 when it did not end in time or a signal killed it.
  int Status(int timeoutMs = 20000) {
    if (!process.waitForFinished(timeoutMs)) return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  QString Err() { return QString::fromLocal8Bit(process.readAllStandardError()); }

  QProcess process;

 private:
  QString folder_;
  QStringList before_;
};

// Each ends the run at once, removes every temporary and lock, and puts nothing in place;
// a signal ignored at start stays ignored.
TEST(BatchSignals, EndTheRunWithNothingInPlaceAndNothingLeft) {
  const std::pair<int, const char*> ends[] = {
      {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGINT, "SIGINT"}};
  for (const auto& [number, name] : ends) {
    SCOPED_TRACE(name);
    QTemporaryDir dir;
    RunningBatch run(dir.path(), {"--png", dir.path(), "--pdf", dir.filePath("sets.pdf"), "--json",
                                  dir.filePath("sets.jsonl")});
    ASSERT_TRUE(run.Staging()) << run.Err().toStdString();
    run.Send(number);
    EXPECT_EQ(run.Status(), 128 + number);
    EXPECT_TRUE(run.Err().contains(QStringLiteral("stopped by %1").arg(QLatin1String(name))));
    EXPECT_EQ(test::AllEntries(dir.path()), QStringList());
  }

  QTemporaryDir dir;
  RunningBatch run(dir.path(), {"--png", dir.path()}, QStringLiteral("trap '' TERM"));
  ASSERT_TRUE(run.Staging()) << run.Err().toStdString();
  run.Send(SIGTERM);
  EXPECT_EQ(run.Status(500), -1) << "ended by an ignored signal";
  run.Send(SIGINT);
  EXPECT_EQ(run.Status(), 128 + SIGINT);
  EXPECT_EQ(test::AllEntries(dir.path()), QStringList());
}

// A reader that goes away (`| head`) fails the run like any write: nothing left behind.
TEST(BatchSignals, AReaderThatGoesAwayFailsTheRunWithNothingLeft) {
  QTemporaryDir dir;
  QProcess shell;
  shell.start(QStringLiteral("/bin/sh"),
              {"-c", "(\"$0\" \"$@\"; echo \"status $?\" >&2) | head -c 1 >/dev/null",
               QStringLiteral(TAMARIKO_EXE), "--batch", "--seed", "31", "--count", "1000", "--json",
               "-", "--png", dir.path()});
  ASSERT_TRUE(shell.waitForFinished(60000));
  const QString err = QString::fromLocal8Bit(shell.readAllStandardError());
  EXPECT_TRUE(err.contains(QStringLiteral("the reader has gone away"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("status 1"))) << err.toStdString();
  EXPECT_EQ(test::AllEntries(dir.path()), QStringList());
}

// Waits until a reader that takes nothing holds a full pipe: what it has stops growing.
bool PipeFull(int reader) {
  int last = -1;
  for (int i = 0; i < 600; ++i) {
    int now = 0;
    if (ioctl(reader, FIONREAD, &now) != 0) return false;
    if (now > 0 && now == last) return true;
    last = now;
    QThread::msleep(100);
  }
  return false;
}

// A writer held by a reader that takes nothing (`| less` left alone) is no hold on the
// run: a signal ends it within a second, with its status and message, also once the files
// are in place, which the message then names.
TEST(BatchSignals, ASignalEndsARunWhoseReaderTakesNothing) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath("fifo");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const int reader = open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_GE(fcntl(reader, F_SETPIPE_SZ, 4096), 0);  // filled by any output
  {
    RunningBatch run(dir.path(), {"--json", "-"}, QStringLiteral("exec >'%1'").arg(fifo));
    ASSERT_TRUE(PipeFull(reader));
    run.Send(SIGINT);
    // Within a second as a rule; the bound leaves room for a loaded machine.
    EXPECT_EQ(run.Status(5000), 128 + SIGINT);
    const QString err = run.Err();
    EXPECT_TRUE(err.contains(QStringLiteral("stopped by SIGINT"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("nothing put in place"))) << err.toStdString();
  }
  char drain[65536];
  while (read(reader, drain, sizeof drain) > 0) {
  }
  RunningBatch run(dir.path(), {"--json", dir.filePath("sets.json"), "--pdf", fifo}, {}, 2);
  ASSERT_TRUE(PipeFull(reader));
  run.Send(SIGTERM);
  EXPECT_EQ(run.Status(5000), 128 + SIGTERM);
  const QString err = run.Err();
  EXPECT_TRUE(err.contains(QStringLiteral("stopped by SIGTERM"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("put in place: '%1'").arg(dir.filePath("sets.json"))))
      << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("cut short: '%1'").arg(fifo))) << err.toStdString();
  close(reader);
  EXPECT_EQ(test::AllEntries(dir.path()), QStringList({"fifo", "sets.json"}));
}

// A folder replaced under a run (moved away and made again) is found before the first
// rename: no file is put in place, not even those of the other folders.
TEST(BatchSignals, AFolderReplacedUnderARunPutsNoFileInPlace) {
  QTemporaryDir previews, top;
  const QString b = top.filePath("b");
  ASSERT_TRUE(QDir().mkdir(b));
  RunningBatch run(b, {"--png", previews.path(), "--json", b + "/y.json", "--pdf", b + "/x.pdf"},
                   {}, 20);
  ASSERT_TRUE(run.Staging()) << run.Err().toStdString();
  ASSERT_TRUE(QDir().rename(b, top.filePath("b-moved")));
  ASSERT_TRUE(QDir().mkdir(b));
  EXPECT_EQ(run.Status(), 1);
  const QString err = run.Err();
  EXPECT_TRUE(err.contains(QStringLiteral("was replaced during the run"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("nothing was replaced"))) << err.toStdString();
  EXPECT_EQ(test::AllEntries(previews.path()), QStringList());
  EXPECT_EQ(test::AllEntries(b), QStringList());
}

// A run killed outright leaves its temporaries; the next run writing into any of those
// folders removes them, and never those of a run that still lives.
TEST(BatchSignals, AKilledRunsTemporariesGoWithTheNextRunThere) {
  QTemporaryDir previews, files;
  {
    RunningBatch killed(previews.path(),
                        {"--png", previews.path(), "--pdf", files.filePath("sets.pdf")});
    ASSERT_TRUE(killed.Staging()) << killed.Err().toStdString();
    killed.Send(SIGKILL);
    EXPECT_EQ(killed.Status(), -1);
  }
  EXPECT_GE(Staging(previews.path()).size(), 2);
  EXPECT_EQ(Staging(files.path()).size(), 2);  // the PDF's temporary and the lock

  RunningBatch living(previews.path(), {"--png", previews.path()});
  ASSERT_TRUE(living.Staging()) << living.Err().toStdString();
  const test::Outcome next =
      test::Tamariko({"--batch", "--seed", "4", "--json", previews.filePath("set.json"), "--pdf",
                      files.filePath("set.pdf")});
  ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
  EXPECT_EQ(test::AllEntries(files.path()), QStringList({"set.pdf"}));
  // Only the living run's files stay: its lock and temporaries, all of one token.
  const QStringList left = Staging(previews.path());
  ASSERT_FALSE(left.isEmpty());
  for (const QString& name : left) EXPECT_EQ(name.left(26), left.front().left(26));
  living.Send(SIGTERM);
  EXPECT_EQ(living.Status(), 128 + SIGTERM);
  EXPECT_EQ(test::AllEntries(previews.path()), QStringList({"set.json"}));
}

// The folder turns read-only under a run: it fails, says which temporary stays, and the
// next run that writes there once it can removes it.
TEST(BatchSignals, AFolderMadeReadOnlyFailsTheRunAndNamesTheTemporaryLeft) {
  test::SmallDisk disk(64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
  const QByteArray mountPoint = QFile::encodeName(disk.Path());
  auto remount = [&](unsigned long flags) {
    // Refused while a file there is open for writing, which a run has only briefly.
    for (int i = 0; i < 200; ++i) {
      if (::mount(nullptr, mountPoint.constData(), nullptr, MS_REMOUNT | flags, nullptr) == 0) {
        return true;
      }
      QThread::msleep(5);
    }
    return false;
  };
  RunningBatch run(disk.Path(), {"--png", disk.Path()});
  ASSERT_TRUE(run.Staging()) << run.Err().toStdString();
  ASSERT_TRUE(remount(MS_RDONLY)) << std::strerror(errno);
  EXPECT_EQ(run.Status(), 1);
  const QString err = run.Err();
  EXPECT_TRUE(err.contains(QStringLiteral("could not remove a temporary file")))
      << err.toStdString();
  EXPECT_TRUE(err.contains(disk.FilePath(QStringLiteral(".tamariko-")))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("read-only file system"))) << err.toStdString();

  ASSERT_TRUE(remount(0));
  const test::Outcome next =
      test::Tamariko({"--batch", "--seed", "4", "--json", disk.FilePath("set.json")});
  ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
  EXPECT_EQ(test::AllEntries(disk.Path()), QStringList({"set.json"}));
}

}  // namespace
}  // namespace tamariko
