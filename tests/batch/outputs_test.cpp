// The output paths users give: the same file twice, standard output, devices and links.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>

#include "tests/support/answer_pages.h"
#include "tests/support/pdf_support.h"
#include "tests/support/run_tamariko.h"
#include "tests/support/small_disk.h"

namespace tamariko {
namespace {

using test::Outcome;
using test::Tamariko;

// One file named twice, however it is named, is bad input and nothing is written.
TEST(BatchOutputs, TheSameFileTwiceIsBadInput) {
  QTemporaryDir dir;
  const QString png = dir.filePath("png");
  ASSERT_TRUE(QDir().mkpath(png));
  ASSERT_TRUE(QDir().mkpath(dir.filePath("sub")));
  ASSERT_TRUE(QFile::link(dir.filePath("sets.json"), dir.filePath("link.json")));
  const QStringList before = test::AllEntries(dir.path());
  const QStringList cases[] = {
      {"--json", dir.filePath("same.out"), "--pdf", dir.filePath("same.out")},
      {"--json", dir.filePath("sets.json"), "--pdf", dir.filePath("sub/../sets.json")},
      {"--json", dir.filePath("link.json"), "--pdf", dir.filePath("sets.json")},
      {"--json", QDir(png).filePath("mitori.png"), "--png", png},
      {"--count", "3", "--pdf", QDir(png).filePath("kaitou-0002.png"), "--png", png},
      {"--json", "-", "--pdf", "-"},
  };
  for (const QStringList& arguments : cases) {
    const Outcome run = Tamariko(QStringList{"--batch", "--seed", "7"} + arguments);
    const std::string what = arguments.join(' ').toStdString();
    EXPECT_EQ(run.exitCode, 2) << what;
    EXPECT_TRUE(run.err.contains(QStringLiteral("is the same file as")))
        << what << ": " << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << what;
    EXPECT_EQ(test::AllEntries(dir.path()), before) << what;
    EXPECT_EQ(test::AllEntries(png), QStringList()) << what;
  }
  // Another set's number, or a sheet that is not made, is no clash.
  EXPECT_EQ(Tamariko({"--batch", "--seed", "7", "--count", "3", "--sheets", "kake", "--json",
                      QDir(png).filePath("mitori-0004.png"), "--png", png})
                .exitCode,
            0);
}

// A block device, if the system shows one.
QString SomeBlockDevice() {
  const QDir dev(QStringLiteral("/dev"));
  for (const QString& name : dev.entryList(QDir::System)) {
    struct stat info {};
    if (stat(QFile::encodeName(dev.filePath(name)).constData(), &info) == 0 &&
        S_ISBLK(info.st_mode)) {
      return dev.filePath(name);
    }
  }
  return {};
}

// "-" and a FIFO or a character device are written into after the files, never replaced;
// a FIFO nobody reads, a socket and a block device are bad input.
TEST(BatchOutputs, StreamsAndDevicesAreWrittenIntoAfterTheFiles) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("set.pdf");
  const QString fifo = dir.filePath("fifo");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

  const Outcome noReader = Tamariko({"--batch", "--seed", "8", "--pdf", fifo});
  EXPECT_EQ(noReader.exitCode, 2);
  EXPECT_TRUE(noReader.err.contains(QStringLiteral("no program reads the FIFO")))
      << noReader.err.toStdString();
  const QString socketPath = dir.filePath("socket");
  const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
               sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  for (const QString& neither : {socketPath, SomeBlockDevice()}) {
    if (neither.isEmpty()) continue;
    const Outcome run = Tamariko({"--batch", "--seed", "8", "--json", neither});
    EXPECT_EQ(run.exitCode, 2) << neither.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("is not a regular file, a FIFO or a character")))
        << run.err.toStdString();
  }
  close(listening);

  // Opened without waiting for a writer; one set's JSON fits in the pipe.
  const int reader = open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const Outcome run = Tamariko(
      {"--batch", "--seed", "8", "--mark", "--pdf", "-", "--json", fifo, "--png", dir.path()}, pdf);
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  QByteArray fromFifo(64 * 1024, '\0');
  const ssize_t n = read(reader, fromFifo.data(), static_cast<size_t>(fromFifo.size()));
  close(reader);
  fromFifo.truncate(n < 0 ? 0 : n);
  EXPECT_EQ(fromFifo, Tamariko({"--batch", "--seed", "8", "--json", "-"}).out);
  const QStringList texts = test::PdfPageTexts(pdf);
  ASSERT_EQ(texts.size(), 2 + test::AnswerPageCount());
  EXPECT_TRUE(texts[0].contains(QStringLiteral("No.8")));
  struct stat info {};
  ASSERT_EQ(stat(QFile::encodeName(fifo).constData(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  const Outcome devNull =
      Tamariko({"--batch", "--seed", "8", "--json", "/dev/null", "--pdf", dir.filePath("b.pdf")});
  EXPECT_EQ(devNull.exitCode, 0) << devNull.err.toStdString();
  ASSERT_EQ(stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  QStringList entries =
      QStringList{"b.pdf", "fifo", "kake.png", "mitori.png", "set.pdf", "socket"} +
      test::AnswerPngs();
  entries.sort();
  EXPECT_EQ(test::AllEntries(dir.path()), entries);
}

// A name whose bytes are not UTF-8 would be written under another: refused, named byte
// for byte, also as where a link leads; nothing is written.
TEST(BatchOutputs, ANameThatIsNotUtf8IsRefusedAndNamedByteForByte) {
  QTemporaryDir dir;
  auto run = [&](const char* script) {
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    shell.setProcessEnvironment(env);
    shell.start(QStringLiteral("/bin/sh"), {"-c", QString::fromLatin1(script), TAMARIKO_EXE});
    EXPECT_TRUE(shell.waitForFinished(60000));
    return QString::fromUtf8(shell.readAllStandardError());
  };
  const QString named = run(
      "\"$0\" --batch --seed 1 --json \"$(printf 'a\\377\\376.json')\"; echo \"status $?\" >&2");
  EXPECT_TRUE(named.contains(QStringLiteral("--json: 「a\\xff\\xfe.json」")))
      << named.toStdString();
  EXPECT_TRUE(named.contains(QStringLiteral("status 2"))) << named.toStdString();
  const QString linked =
      run("ln -s \"$(printf 'b\\377.json')\" link.json; \"$0\" --batch --seed 1 --json link.json; "
          "echo \"status $?\" >&2");
  EXPECT_TRUE(linked.contains(QStringLiteral("leads to 'b\\xff.json'"))) << linked.toStdString();
  EXPECT_TRUE(linked.contains(QStringLiteral("status 2"))) << linked.toStdString();
  // Text for the sheets is no name: said as text that cannot be printed.
  for (const char* script :
       {"\"$0\" --batch --json x.json --organizer \"$(printf 'a\\377')\"; echo \"status $?\" >&2",
        "\"$0\" --batch --json x.json --round=\"$(printf '\\377')\"; echo \"status $?\" >&2"}) {
    const QString text = run(script);
    EXPECT_TRUE(text.contains(QStringLiteral("UTF-8 の文字ではないため、用紙に印刷できません")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("--organizer")) || text.contains("--round"));
    EXPECT_TRUE(text.contains(QStringLiteral("status 2"))) << text.toStdString();
  }
  EXPECT_EQ(test::AllEntries(dir.path()), QStringList({"link.json"}));
}

// A stream that fails after the files are in place says so, and which files those are.
TEST(BatchOutputs, AStreamFailingAfterTheFilesNamesTheFilesPutInPlace) {
  QTemporaryDir dir;
  const Outcome run = Tamariko({"--batch", "--seed", "2", "--count", "2", "--json", "/dev/full",
                                "--pdf", dir.filePath("new.pdf")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("cannot write '/dev/full'")))
      << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(QStringLiteral("put in place: '%1'").arg(dir.filePath("new.pdf"))))
      << run.err.toStdString();
  EXPECT_EQ(test::ReadPdf(dir.filePath("new.pdf")).pages, 2 * (2 + test::AnswerPageCount()));
}

// A link to a regular file stays a link and its file gets the content, also a link to
// standard output redirected to a file (/dev/stdout is one).
TEST(BatchOutputs, ALinkToAFileStaysALink) {
  QTemporaryDir dir, elsewhere;
  const QString target = elsewhere.filePath("sets.json");
  const QString stdoutFile = dir.filePath("stdout.pdf");
  QFile(target).open(QIODevice::WriteOnly);
  ASSERT_TRUE(QFile::link(target, dir.filePath("link.json")));
  ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/fd/1"), dir.filePath("out")));
  const Outcome run = Tamariko(
      {"--batch", "--seed", "9", "--json", dir.filePath("link.json"), "--pdf", dir.filePath("out")},
      stdoutFile);
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(QFileInfo(dir.filePath("link.json")).isSymLink());
  EXPECT_TRUE(QFileInfo(dir.filePath("out")).isSymLink());
  EXPECT_TRUE(QFile(target).size() > 1000);
  EXPECT_EQ(test::ReadPdf(stdoutFile).pages, 2 + test::AnswerPageCount());
  EXPECT_EQ(test::AllEntries(elsewhere.path()), QStringList({"sets.json"}));
  EXPECT_EQ(test::AllEntries(dir.path()), QStringList({"link.json", "out", "stdout.pdf"}));
}

}  // namespace
}  // namespace tamariko
