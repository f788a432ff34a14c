// The window's start through the real executable: its arguments and its end by a signal.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "tests/support/run_tamariko.h"

namespace tamariko {
namespace {

using test::Outcome;
using test::Tamariko;

// No display of any kind: whatever is answered here is answered before Qt starts.
QProcessEnvironment WithoutDisplay() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    env.remove(QLatin1String(name));
  }
  return env;
}

TEST(Program, WrongArgumentsAreRefusedBeforeAnyWindow) {
  QTemporaryDir dir;
  const QString file = QDir(dir.path()).filePath(QStringLiteral("set.json"));
  struct Case {
    QStringList arguments;
    QString named;  // what the message must say
  };
  const Case cases[] = {
      {{"-batch", "--seed", "1", "--json", file}, "「-batch」という指定はありません"},
      {{"--Batch", "--seed", "1", "--json", file}, "unknown option '--Batch'"},
      {{"--batch=1", "--json", file}, "--batch=1"},
      {{"--seed", "1", "--json", file}, "「--json」は --batch と一緒にだけ使えます"},
      {{"--seed", "abc"}, "0〜4294967295"},
      {{"--seed=4294967296"}, "0〜4294967295"},
      {{"-platform", "offscreen", "--json=" + file}, "'--json=" + file + "'"},
      {{"--bogus"}, "--bogus"},
      {{"set.json"}, "unexpected argument 'set.json'"},
      {{""}, "unexpected argument ''"},
      {{"-platform=offscreen"}, "-platform=offscreen"},  // Qt reads no value that way
      {{"--help=1"}, "--help=1"},
      {{"-style", "fusion", "-qwindowtitle"}, "'-qwindowtitle' needs a value"},
  };
  for (const auto& c : cases) {
    const Outcome run = Tamariko(c.arguments, {}, WithoutDisplay(), 20000);
    const std::string what = c.arguments.join(' ').toStdString();
    EXPECT_EQ(run.exitCode, 2) << what << ": " << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.named)) << what << ": " << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << what;
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << what;
  }
}

TEST(Program, HelpAndVersionNeedNoDisplayAndFailOnAFullOutput) {
  const Outcome help =
      Tamariko({"-platform", "xcb", "--style=Fusion", "-reverse", "--help"}, {}, WithoutDisplay());
  EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
  for (const char* text : {"--batch --help", "-platform", "-qwindowtitle", "--version"}) {
    EXPECT_TRUE(help.out.contains(text)) << text;
  }
  EXPECT_TRUE(QString::fromUtf8(help.out).contains(QStringLiteral("ウィンドウ")));

  const Outcome version = Tamariko({"--version"}, {}, WithoutDisplay());
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.startsWith("tamariko ")) << version.out.toStdString();

  for (const char* option : {"--help", "--version"}) {
    const Outcome full = Tamariko({option}, QStringLiteral("/dev/full"), WithoutDisplay());
    EXPECT_EQ(full.exitCode, 1) << option;
    EXPECT_TRUE(full.err.contains(QStringLiteral("standard output"))) << full.err.toStdString();
  }
}

// The window started on the offscreen platform, with its temporary folder in a private
// runtime folder (QTemporaryDir makes it 0700) so the carried font's file is known;
// `withoutFonts`: fontconfig finds no font at all.
class RunningWindow {
 public:
  explicit RunningWindow(bool withoutFonts = false) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path());  // its settings too
    if (withoutFonts) {
      const QString config = QDir(runtime.path()).filePath(QStringLiteral("fonts.conf"));
      QFile file(config);
      EXPECT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
      env.insert(QStringLiteral("FONTCONFIG_FILE"), config);
    }
    process.setProcessEnvironment(env);
    // Qt's own options are the window's to take.
    process.start(QStringLiteral(TAMARIKO_EXE),
                  {"-qwindowtitle", "タマリコ", "--style=Fusion", "-reverse"});
  }
  ~RunningWindow() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(5000);
    }
  }
  QString FontPath() const { return QDir(runtime.path()).filePath(QStringLiteral("ORVFont.TTF")); }

  // Waits, within bounds, for the start-up to have written the font.
  bool FontWritten(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(FontPath())) {
      if (clock.elapsed() > timeoutMs || process.state() == QProcess::NotRunning) return false;
      QThread::msleep(50);
    }
    return true;
  }

  QTemporaryDir runtime;
  QProcess process;
};

TEST(Program, TermAndHangUpEndTheWindowThroughItsShutDown) {
  for (const int number : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(number);
    RunningWindow window;
    ASSERT_TRUE(window.FontWritten(60000)) << window.process.readAllStandardError().toStdString();
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(kill(static_cast<pid_t>(window.process.processId()), number), 0);
    ASSERT_TRUE(window.process.waitForFinished(20000)) << "still running after the signal";
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(window.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(window.process.exitCode(), 128 + number);
    EXPECT_FALSE(QFileInfo::exists(window.FontPath())) << "the font file was left behind";
  }
}

TEST(Program, WithoutFontsTheWindowSaysSoOnStandardErrorInWordsATerminalShows) {
  RunningWindow running(true);
  QProcess& window = running.process;
  window.setReadChannel(QProcess::StandardError);
  QByteArray err;
  QElapsedTimer clock;
  clock.start();
  while (!err.contains("fonts-ipafont-gothic)") && clock.elapsed() < 30000 &&
         window.state() != QProcess::NotRunning) {
    window.waitForReadyRead(200);
    err += window.readAllStandardError();
  }
  EXPECT_TRUE(err.contains("tamariko: ")) << err.toStdString();
  EXPECT_TRUE(
      err.contains("the font IPAPGothic is not installed: install the package "
                   "fonts-ipafont-gothic"))
      << err.toStdString();
}

}  // namespace
}  // namespace tamariko
