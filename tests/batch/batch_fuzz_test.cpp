// Random batch command lines from a fixed seed, through the real executable: every run
// ends with 0, 1 or 2, a usage error touches nothing, and the sanitizers stay silent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <random>

#include "tests/support/run_tamariko.h"

namespace tamariko {
namespace {

constexpr std::uint32_t kSeed = 20261207;
constexpr int kRuns = 300;
constexpr int kDrawingEvery = 8;     // one list in so many may draw (slow)
constexpr qint64 kBudgetMs = 45000;  // stays bounded in the sanitizer build too
constexpr int kAtLeast = 60;         // fewer runs than this within the budget fail

class ArgumentDraws {
 public:
  ArgumentDraws(std::uint32_t seed, const QString& root) : rng_(seed), root_(root) {}

  QStringList Next(bool mayDraw) {
    QStringList arguments;
    if (Below(3) == 0) {
      AddValidOptions(arguments, mayDraw);
      if (Below(2) == 0) AddOption(arguments, mayDraw);  // one fault, or another good one
    } else {
      const int count = Below(7);
      for (int i = 0; i < count; ++i) AddOption(arguments, mayDraw);
    }
    // --batch somewhere, sometimes twice; a list without it would open the window.
    arguments.insert(Below(arguments.size() + 1), QStringLiteral("--batch"));
    if (Below(20) == 0) arguments.insert(Below(arguments.size() + 1), QStringLiteral("--batch"));
    return arguments;
  }

 private:
  int Below(qsizetype n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
  template <typename List>
  QString Pick(const List& list) {
    return list[Below(static_cast<qsizetype>(std::size(list)))];
  }

  QString Path() {
    const QString in = root_ + QLatin1Char('/');
    const QString paths[] = {
        in + "out/set.json",
        in + "out/a.pdf",
        in + "out",
        in + "out/",
        in + "missing/x.json",
        in + "missing",
        in + "file.txt",
        in + "file.txt/x.json",
        in + "ro",
        in + "ro/set.json",
        "/dev/null",
        "",
        "-",
        "/proc/x.pdf",
        in + "out/問題 ✓.json",
        in + "out/" + QString(300, u'a'),
        in + "out/new\nline.json",
        in + "out/../out/b.pdf",
        "relative.json",
        in + "link",
    };
    return Pick(paths);
  }

  QString Value(const QString& option) {
    static const QString seeds[] = {"0",   "1",   "4294967295", "4294967296",
                                    "-1",  "abc", "",           "１２",
                                    "1e3", " 1",  "0x10",       "99999999999999999999"};
    static const QString texts[] = {
        "",      "3",      "第3回", "🧮🧮", "\u202E", "e\u0301", QString(1000, u'x'),
        "%1 %2", "--seed", "a\nb",  "\t"};
    static const QString sheets[] = {"mitori", "kake",         "mitori,kake", "kake,mitori", "",
                                     ",",      "mitori,,kake", "MITORI",      "warizan"};
    if (Below(10) == 0) return Pick(texts);  // a value meant for another option
    if (option == "seed") return Pick(seeds);
    if (option == "sheets") return Pick(sheets);
    if (option == "round" || option == "heading1" || option == "heading2") return Pick(texts);
    if (option == "printer") return Below(2) ? QStringLiteral("PDF") : QString();
    return Path();
  }

  // Each option at most once with a value it takes, so that runs get to the writing.
  void AddValidOptions(QStringList& arguments, bool mayDraw) {
    const QString in = root_ + QLatin1Char('/');
    const std::pair<QString, QStringList> options[] = {
        {"--seed", {"0", "1", "4294967295", "77"}},
        {"--round", {"", "12", "３", "07"}},
        {"--heading1", {"", "e\u0301\u202E", "%1"}},
        {"--heading2", {"", "タマリコ", QString(8, u'W')}},
        {"--sheets", {"mitori", "kake", "mitori,kake", "kake,mitori"}},
        {"--json", {"-", in + "out/set.json", in + "out/問題 ✓.json", "rel.json"}},
        {"--png", {in + "out", in + "out/", in + "link"}},
        {"--pdf", {in + "out/a.pdf", in + "out/../out/b.pdf", "rel.pdf"}},
        {"--printer", {"PDF"}},
        {"--paper", {"A4", "b5", "LETTER"}},
    };
    for (const auto& [option, values] : options) {
      const bool draws = option == "--png" || option == "--pdf" || option == "--printer";
      if ((draws && !mayDraw) || Below(2) == 0) continue;
      arguments << option << Pick(values);
    }
  }

  void AddOption(QStringList& arguments, bool mayDraw) {
    static const QString valued[] = {"seed", "round", "heading1", "heading2", "sheets",
                                     "json", "json",  "png",      "pdf",      "printer"};
    static const QString misspelt[] = {"--Seed", "-seed",  "--seeds",  "--jso",     "---json",
                                       "--",     "-",      "--help",   "--version", "--batch=1",
                                       "-batch", "--png=", "-platform"};
    if (Below(8) == 0) {
      arguments << Pick(misspelt);
      return;
    }
    QString option = Pick(valued);
    const bool draws = option == "png" || option == "pdf" || option == "printer";
    if (draws && !mayDraw) option = QStringLiteral("json");
    const QString dashes = Below(6) == 0 ? QStringLiteral("-") : QStringLiteral("--");
    const QString value = Value(option);
    switch (Below(10)) {
      case 0:  // missing value
        arguments << dashes + option;
        break;
      case 1:  // joined with '='
        arguments << dashes + option + "=" + value;
        break;
      case 2:  // given twice
        arguments << dashes + option << value << dashes + option << Value(option);
        break;
      default:
        arguments << dashes + option << value;
    }
  }

  std::mt19937 rng_;
  QString root_;
};

// Every entry under `root`, files with their size and time, to see that nothing was touched.
QStringList Tree(const QString& root) {
  QStringList entries;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    const QFileInfo& info = it.fileInfo();
    // A folder's time moves with the probe that checks it takes files; its entries say enough.
    entries << (info.isDir() ? info.filePath()
                             : QStringLiteral("%1 %2 %3")
                                   .arg(info.filePath())
                                   .arg(info.size())
                                   .arg(info.lastModified().toMSecsSinceEpoch()));
  }
  entries.sort();
  return entries;
}

QString Quoted(const QStringList& arguments) {
  QStringList quoted;
  for (QString a : arguments) quoted << "'" + a.replace("'", "'\\''") + "'";
  return quoted.join(' ');
}

TEST(BatchFuzz, RandomCommandLinesEndCleanly) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString root = dir.path();
  QDir(root).mkpath(QStringLiteral("out"));
  QDir(root).mkpath(QStringLiteral("ro"));
  QDir(root).mkpath(QStringLiteral("home/Documents"));
  QDir(root).mkpath(QStringLiteral("run"));
  chmod(QFile::encodeName(root + "/run").constData(), 0700);
  QFile(root + "/file.txt").open(QIODevice::WriteOnly);
  QFile::link(root + "/out", root + "/link");
  chmod(QFile::encodeName(root + "/ro").constData(), 0500);
  auto writable = qScopeGuard([&] { chmod(QFile::encodeName(root + "/ro").constData(), 0700); });

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  // Whatever a printer writes stays in the temporary folder; no print server is asked.
  env.insert(QStringLiteral("HOME"), root + "/home");
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + "/home/.config");
  env.insert(QStringLiteral("XDG_DOCUMENTS_DIR"), root + "/home/Documents");
  env.insert(QStringLiteral("CUPS_SERVER"), root + "/no-print-server");
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + "/run");
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

  ArgumentDraws draws(kSeed, root);
  QElapsedTimer clock;
  clock.start();
  int runs = 0;
  std::map<int, int> statuses;
  for (; runs < kRuns && clock.elapsed() < kBudgetMs; ++runs) {
    const QStringList arguments = draws.Next(runs % kDrawingEvery == 0);
    const QStringList before = Tree(root);
    // Relative paths land in the temporary folder too.
    const test::Outcome run = test::Tamariko(arguments, {}, env, 30000, root);
    const std::string what = Quoted(arguments).toStdString();
    ++statuses[run.exitCode];
    ASSERT_TRUE(run.exitCode >= 0 && run.exitCode <= 2) << "run " << runs << ": " << what << "\n"
                                                        << run.err.toStdString();
    for (const char* report : {"runtime error", "AddressSanitizer", "ERROR:"}) {
      ASSERT_FALSE(run.err.contains(QLatin1String(report))) << what << "\n"
                                                            << run.err.toStdString();
    }
    if (run.exitCode == 2) {
      EXPECT_TRUE(run.out.isEmpty()) << what;
      ASSERT_EQ(Tree(root), before) << what << "\n" << run.err.toStdString();
    }
  }
  EXPECT_GE(runs, kAtLeast) << "too slow to say much";
  std::cout << "[ fuzz     ] " << runs << " runs in " << clock.elapsed()
            << " ms; exit 0: " << statuses[0] << ", 1: " << statuses[1] << ", 2: " << statuses[2]
            << "\n";
}

}  // namespace
}  // namespace tamariko
