#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <map>

#include "app/papers.h"
#include "tests/support/answer_pages.h"
#include "tests/support/pdf_support.h"
#include "tests/support/run_tamariko.h"
#include "tests/support/small_disk.h"

namespace tamariko {
namespace {

using test::Outcome;
using test::Tamariko;

QList<QByteArray> Lines(const QByteArray& text) {
  QList<QByteArray> lines = text.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// Set n of a run is the set its seed gives alone, also where the seeds wrap past 2^32 - 1.
TEST(BatchCount, EachSetIsTheSetItsSeedGivesAlone) {
  const Outcome run = Tamariko(
      {"--batch", "--seed", "4294967280", "--count", "32", "--sheets", "kake", "--json", "-"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QList<QByteArray> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 32);
  for (int n = 1; n <= 32; ++n) {
    const QString seed = QString::number(static_cast<std::uint32_t>(4294967280u + (n - 1)));
    const Outcome alone = Tamariko({"--batch", "--seed", seed, "--sheets", "kake", "--json", "-"});
    EXPECT_EQ(lines[n - 1] + '\n', alone.out) << "set " << n << ", seed " << seed.toStdString();
  }
}

TEST(BatchCount, FilesCarryTheSetNumberAndThePdfHoldsEverySetInTurn) {
  QTemporaryDir dir;
  const Outcome run = Tamariko({"--batch", "--seed", "9", "--count", "2", "--sheets", "all",
                                "--mark", "--png", dir.path(), "--pdf", dir.filePath("sets.pdf")});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_FALSE(run.err.contains(QStringLiteral("2/2"))) << "no progress off a terminal";
  const std::vector<SheetInfo> sheets = SheetsWithAnswerTable(DefaultPaper());
  const int perSet = static_cast<int>(sheets.size());
  QStringList files = {"sets.pdf"};
  for (const SheetInfo& sheet : sheets) {
    for (const char* n : {"-0001.png", "-0002.png"}) files << sheet.key + QLatin1String(n);
  }
  files.sort();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), files);
  // Each set's sheets in tab order, then its answer table, every page with its set's seed.
  const QStringList pages = test::PdfPageTexts(dir.filePath("sets.pdf"));
  ASSERT_EQ(pages.size(), 2 * perSet);
  const std::map<QString, const char*> titles = {
      {"omote", "（表）"},    {"ura", "（裏）"},      {"mitori", "みとり暗算問題"},
      {"kake", "かけ算問題"}, {"wari", "わり算問題"}, {"kaitou", "解"}};
  for (int page = 0; page < 2 * perSet; ++page) {
    const auto title = titles.find(sheets[static_cast<std::size_t>(page % perSet)].key);
    if (title != titles.end()) {
      EXPECT_TRUE(pages[page].contains(QString::fromUtf8(title->second))) << "page " << page + 1;
    }
    EXPECT_TRUE(
        pages[page].contains(page < perSet ? QStringLiteral("No.9") : QStringLiteral("No.10")))
        << "page " << page + 1;
  }
}

// What reaches the printer is the sets of the run's seeds, not of the set numbers.
TEST(BatchCount, PrintedPagesAreTheSetsThePdfCarries) {
  QTemporaryDir dir;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), dir.path());  // the PDF printer writes into Documents
  const QStringList run = {"--batch", "--seed", "77", "--count", "3", "--mark", "--sheets", "kake"};
  ASSERT_EQ(Tamariko(run + QStringList{"--pdf", dir.filePath("sets.pdf")}, {}, env).exitCode, 0);
  const Outcome printed = Tamariko(run + QStringList{"--printer", "PDF"}, {}, env);
  ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();

  QStringList expected = test::PdfPageTexts(dir.filePath("sets.pdf"));
  ASSERT_EQ(expected.size(), 3 * (1 + test::AnswerPageCount()));
  EXPECT_TRUE(expected[0].contains(QStringLiteral("No.77")));
  QStringList got;
  const QDir documents(dir.filePath(QStringLiteral("Documents")));
  for (const QString& file : documents.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
    got += test::PdfPageTexts(documents.filePath(file));
  }
  expected.sort();
  got.sort();
  EXPECT_EQ(got, expected);
}

// The disk fills up at some set: the run says which, and no file of it stays.
TEST(BatchCount, AFailureStopsTheRunAtItsSetAndPutsNothingInPlace) {
  test::SmallDisk disk(1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
  ASSERT_TRUE(disk.LeaveFree(400 * 1024));
  const Outcome run = Tamariko({"--batch", "--seed", "1", "--count", "40", "--png", disk.Path(),
                                "--json", disk.FilePath("sets.jsonl")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("stopped at set"))) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(QStringLiteral("no space left"))) << run.err.toStdString();
  EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"filler"}));
}

// The last row with ink, or -1 on a blank image.
int LastInkRow(const QImage& gray) {
  for (int y = gray.height() - 1; y >= 0; --y) {
    const uchar* row = gray.constScanLine(y);
    if (std::any_of(row, row + gray.width(), [](uchar v) { return v < 128; })) return y;
  }
  return -1;
}

// The first row where the two images differ; the height when none does.
int FirstChangedRow(const QImage& a, const QImage& b) {
  for (int y = 0; y < a.height(); ++y) {
    if (std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<size_t>(a.width())) != 0) {
      return y;
    }
  }
  return a.height();
}

// The label stands below everything the forms draw, on the previews and on paper, and
// changes nothing else.
TEST(BatchMark, TheSeedStandsBelowEverythingOnEveryPage) {
  QTemporaryDir plain, marked;
  for (auto [dir, mark] : {std::pair{&plain, false}, {&marked, true}}) {
    QStringList arguments = {
        "--batch", "--seed", "3141592653", "--png", dir->path(), "--pdf", dir->filePath("set.pdf")};
    if (mark) arguments << "--mark";
    const Outcome run = Tamariko(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  }
  QStringList pages = {"mitori.png", "kake.png", "kaitou.png"};
  for (int page = 1; page <= 3; ++page) {
    for (auto* dir : {&plain, &marked}) {
      const QString stem = dir->filePath(QStringLiteral("page%1").arg(page));
      ASSERT_FALSE(test::RasterisePdf(dir->filePath("set.pdf"), stem, 150, page).isNull());
    }
    pages << QStringLiteral("page%1.png").arg(page);
  }
  for (const QString& name : pages) {
    const QImage without = QImage(plain.filePath(name)).convertToFormat(QImage::Format_Grayscale8);
    const QImage with = QImage(marked.filePath(name)).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(without.size(), with.size()) << name.toStdString();
    const int formEnds = LastInkRow(without);
    const int changedFrom = FirstChangedRow(without, with);
    EXPECT_LT(changedFrom, with.height()) << name.toStdString() << ": no label";
    EXPECT_GT(changedFrom, formEnds + 1) << name.toStdString() << ": the label touches the form";
  }
}

}  // namespace
}  // namespace tamariko
