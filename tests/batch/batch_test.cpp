#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "app/papers.h"
#include "core/contest_header.h"
#include "core/page_mapping.h"
#include "kake/kake.h"
#include "platform/spooler_paper.h"
#include "tests/support/abacus_rules.h"
#include "tests/support/answer_pages.h"
#include "tests/support/mental_rules.h"
#include "tests/support/multiplication_rules.h"
#include "tests/support/own_cupsd.h"
#include "tests/support/pdf_support.h"
#include "tests/support/run_tamariko.h"
#include "tests/support/scoped_env.h"
#include "tests/support/silent_listener.h"
#include "tests/support/small_disk.h"
#include "tests/support/stalling_proxy.h"

namespace tamariko {
namespace {

using test::Outcome;
using test::Tamariko;

QJsonObject Json(const QByteArray& bytes) { return QJsonDocument::fromJson(bytes).object(); }

template <std::size_t N>
std::array<std::int32_t, N> Ints(const QJsonValue& value) {
  std::array<std::int32_t, N> out{};
  const QJsonArray array = value.toArray();
  EXPECT_EQ(array.size(), static_cast<qsizetype>(N));
  for (std::size_t i = 0; i < N && i < static_cast<std::size_t>(array.size()); ++i) {
    out[i] = static_cast<std::int32_t>(array[static_cast<qsizetype>(i)].toInteger());
  }
  return out;
}

TEST(Batch, SameSeedGivesTheSameBytesAndTheSetsFollowTheRules) {
  const Outcome a = Tamariko({"--batch", "--seed", "4294967295", "--json", "-"});
  const Outcome b = Tamariko({"--batch", "--seed", "4294967295", "--json", "-"});
  const Outcome c = Tamariko({"--batch", "--seed", "0", "--json", "-"});
  ASSERT_EQ(a.exitCode, 0) << a.err.toStdString();
  EXPECT_EQ(a.out, b.out);
  EXPECT_NE(a.out, c.out);
  EXPECT_TRUE(a.err.contains(QStringLiteral("seed: 4294967295")));

  const QJsonObject json = Json(a.out);
  EXPECT_EQ(json.keys(), QStringList({"mental", "multiplication", "seed"}));
  EXPECT_EQ(json[QStringLiteral("seed")].toInteger(), 4294967295LL);
  const QJsonObject mental = json[QStringLiteral("mental")].toObject();
  const auto failures = testing::MentalSetViolations(Ints<236>(mental[QStringLiteral("numbers")]),
                                                     Ints<30>(mental[QStringLiteral("answers")]));
  EXPECT_TRUE(failures.empty()) << failures.front();

  const QJsonObject multiplication = json[QStringLiteral("multiplication")].toObject();
  Tkake set;
  for (int i = 0; i < 60; ++i) {
    set.SetMultiplicand(i, multiplication[QStringLiteral("multiplicands")][i].toInteger());
    set.SetMultiplier(i, multiplication[QStringLiteral("multipliers")][i].toInteger());
    set.SetAnswer(i, multiplication[QStringLiteral("answers")][i].toInteger());
  }
  const auto faults = testing::MultiplicationSetViolations(set);
  EXPECT_TRUE(faults.empty()) << faults.front();
}

// Either side makes the whole abacus set, in the JSON as rows and signed sums.
TEST(Batch, TheAbacusSetFollowsItsRules) {
  for (const char* side : {"omote", "ura"}) {
    const Outcome run = Tamariko({"--batch", "--seed", "31337", "--sheets", side, "--json", "-"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject abacus = Json(run.out)[QStringLiteral("abacus")].toObject();
    std::array<std::int64_t, 300> numbers{};
    std::array<std::int64_t, 30> answers{};
    for (int i = 0; i < 300; ++i) numbers[i] = abacus[QStringLiteral("numbers")][i].toInteger();
    for (int i = 0; i < 30; ++i) answers[i] = abacus[QStringLiteral("answers")][i].toInteger();
    const auto faults = testing::AbacusSetViolations(numbers, answers);
    EXPECT_TRUE(faults.empty()) << side << ": " << faults.front();
    EXPECT_LT(answers[29], 0);
  }
}

TEST(Batch, ClockSeedIsReportedAndMakesTheSetAgain) {
  const Outcome first = Tamariko({"--batch", "--json", "-"});
  ASSERT_EQ(first.exitCode, 0);
  const qsizetype at = first.err.indexOf(QStringLiteral("seed: "));
  ASSERT_GE(at, 0);
  const QString seed = first.err.mid(at + 6).section(u'\n', 0, 0).trimmed();
  const Outcome again = Tamariko({"--batch", "--seed", seed, "--json", "-"});
  EXPECT_EQ(first.out, again.out);
}

TEST(Batch, ASeedTakesAnyNumberOfLeadingZeros) {
  const Outcome zeros = Tamariko({"--batch", "--seed", "00000000001", "--json", "-"});
  ASSERT_EQ(zeros.exitCode, 0) << zeros.err.toStdString();
  EXPECT_EQ(zeros.out, Tamariko({"--batch", "--seed", "1", "--json", "-"}).out);
}

TEST(Batch, UnchosenSheetKeepsItsArraysAtZero) {
  const Outcome run = Tamariko({"--batch", "--seed", "5", "--sheets", "kake", "--json", "-"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QJsonObject mental = Json(run.out)[QStringLiteral("mental")].toObject();
  for (const auto& v : mental[QStringLiteral("numbers")].toArray()) ASSERT_EQ(v.toInteger(), 0);
  // The multiplication set is the same as when both are made, minus the mental draws: it
  // is made from where the generator stands, so it differs from the full run's.
  const Outcome both = Tamariko({"--batch", "--seed", "5", "--json", "-"});
  EXPECT_NE(Json(run.out)[QStringLiteral("multiplication")],
            Json(both.out)[QStringLiteral("multiplication")]);
}

TEST(Batch, BadInputExitsTwoNamesTheOptionAndWritesNothing) {
  QTemporaryDir dir;
  const QString out = dir.path();
  const QString file = QDir(out).filePath(QStringLiteral("set.json"));
  struct Case {
    QStringList arguments;
    const char* named;  // what the message must name
  };
  const Case cases[] = {
      {{"--seed", "abc", "--json", file}, "--seed"},
      {{"--seed", "-1", "--json", file}, "--seed"},
      {{"--seed", "4294967296", "--json", file}, "--seed"},
      {{"--seed", "1.5", "--json", file}, "--seed"},
      {{"--seed", "", "--json", file}, "--seed"},
      {{"--sheets", "mitori,warizan", "--json", file}, "--sheets"},
      {{"--sheets", "", "--json", file}, "--sheets"},
      {{"--colour", "red", "--json", file}, "「--colour」という指定はありません"},
      {{"-platform", "offscreen", "--json", file}, "-platform"},  // Qt's, for the window only
      {{"--json", file, "--seed"}, "--seed: 値がありません"},
      {{"--json", file, "extra"}, "extra"},
      {{"--json", file, "--png", QDir(out).filePath("missing")}, "--png"},
      {{"--json", file, "--png", file + ".txt"}, "--png"},
      {{"--json", QDir(out).filePath("missing/set.json")}, "--json"},
      {{"--json", out}, "--json"},
      {{"--json", QDir(out).filePath(QString(300, u'x'))}, "--json"},  // too long a name
      {{"--seed", "1", "--json", "--sheets=kake"}, "'--sheets=kake' looks like an option"},
      {{"--json", file, "--pdf", "/proc/set.pdf"}, "--pdf"},
      {{"--json", file, "--seed", "1", "--seed", "2"}, "--seed"},
      {{"--json", file, "--count", "0"}, "--count"},
      {{"--json", file, "--count", "1001"}, "--count"},
      {{"--json", file, "--count", "3 "}, "--count"},
      {{"--json", file, "--count", "1", "--count", "2"}, "--count"},
      {{"--json", file, "--paper", "A5"},
       "--paper: 「A5」という用紙はありません。使える用紙: B4, A4, A3, B5, Letter, Legal"},
      {{"--json", file, "--paper", "b4", "--paper", "a4"}, "--paper"},
      {{"--json", file, "--round", "100"},
       "--round: 「100」は回数になりません。第○回の回数は、数字2桁まで"},
      {{"--json", file, "--round", "第3回"}, "--round"},
      {{"--json", file, "--heading1", QString(40, u'問')}, "--heading1: 見出しが長すぎます"},
      {{"--json", file, "--heading2", QString(20, u'問')}, "幅 130 mm、22 ポイント太字"},
      {{"--json", file, "--organizer", QString(60, u'教')}, "--organizer: 教室名が長すぎます"},
      {{"--json", file, "--organizer", QStringLiteral("そろばん\x01塾")}, "制御文字 U+0001"},
      {{"--json", file, "--organizer", QStringLiteral("北\x1b[2J")}, "制御文字 U+001B"},
      {{"--json", file, "--heading1", QStringLiteral("上\n下")}, "--heading1: 制御文字 U+000A"},
      {{"--json", file, "--heading2", QStringLiteral("左\t右")}, "--heading2: 制御文字 U+0009"},
      {{"--json", file, "--organizer", QStringLiteral("a") + QString(40, QChar(0x0301))},
       "--organizer: 「a"},  // its marks would run up the page
      {{"--json", file, "--organizer", QStringLiteral("塾\U0001F600")},
       "(U+1F600) は用紙の書体にない文字"},
      {{"--seed", "1", "--sheets", "kake"}, "出力先がありません。--json FILE"},
  };
  QFile(file + ".txt").open(QIODevice::WriteOnly);  // a file where a folder is wanted
  for (const auto& c : cases) {
    const Outcome run = Tamariko(QStringList{"--batch"} + c.arguments);
    const std::string what = c.arguments.join(' ').toStdString();
    EXPECT_EQ(run.exitCode, 2) << what;
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.named)))
        << what << ": " << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << what;
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("set.json.txt")}))
        << what;
  }
}

// Full-width digits are the round's half-width ones, as in the window; the window's
// remembered texts are never read (a settings file saying otherwise changes nothing).
TEST(Batch, FullWidthRoundDrawsAsHalfWidthAndTheWindowSettingsAreNotRead) {
  QTemporaryDir dir;
  const QString config = QDir(dir.path()).filePath(QStringLiteral("config"));
  QDir().mkpath(config + "/tamariko");
  QFile settings(config + "/tamariko/tamariko.conf");
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
  settings.write("[window]\nround=7\nheading1=x\nheading2=y\n");
  settings.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
  QStringList pngs;
  for (const QString& round : {QStringLiteral("１２"), QStringLiteral("12")}) {
    const QString out = QDir(dir.path()).filePath(round);
    QDir().mkpath(out);
    const Outcome run = Tamariko(
        {"--batch", "--seed", "31", "--sheets", "mitori", "--round", round, "--png", out}, {}, env);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    pngs << QDir(out).filePath(QStringLiteral("mitori.png"));
  }
  EXPECT_EQ(QImage(pngs[0]), QImage(pngs[1]));
}

// The school named prints at the foot of every sheet; an empty one prints none, and nothing
// else on the page changes.
TEST(Batch, TheOrganizerPrintsAtTheFootOfEverySheetOrNotAtAll) {
  QTemporaryDir dir;
  const PageMapping m = PreviewMapping({300, 300}, {0, 0});
  QList<QImage> pages[2];
  const QString organizers[2] = {QString(), QStringLiteral("そろばん塾本町")};
  for (int i = 0; i < 2; ++i) {
    const QString out = QDir(dir.path()).filePath(QString::number(i));
    QDir().mkpath(out);
    const Outcome run = Tamariko(
        {"--batch", "--seed", "12", "--sheets", "all", "--organizer", organizers[i], "--png", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const QString& name : QDir(out).entryList(QDir::Files, QDir::Name)) {
      pages[i] << QImage(QDir(out).filePath(name)).convertToFormat(QImage::Format_Grayscale8);
    }
  }
  const int sheets = static_cast<int>(ProblemSheets().size()) + test::AnswerPageCount();
  ASSERT_EQ(pages[0].size(), sheets);
  ASSERT_EQ(pages[1].size(), sheets);
  // Dark pixels of the organizer's line from x1 to x2 (its ink may reach a pixel above its top).
  const int top = m.Y(347) - 2, bottom = m.Y(351);
  auto ink = [&](const QImage& page, int x1, int x2) {
    int dark = 0;
    for (int y = top; y <= bottom; ++y) {
      for (int x = x1; x < x2; ++x) dark += qGray(page.pixel(x, y)) < 128;
    }
    return dark;
  };
  const int end = m.X(kContestPlaces.organizer.endX);
  for (int p = 0; p < sheets; ++p) {
    // Its room is free on every sheet; nothing else on the page changes.
    EXPECT_EQ(ink(pages[0][p], m.X(kContestPlaces.organizer.x), end), 0) << p;
    EXPECT_GT(ink(pages[1][p], m.X(kContestPlaces.organizer.x), end), 100) << p;
    const QRect above(0, 0, pages[0][p].width(), top);
    EXPECT_EQ(pages[0][p].copy(above), pages[1][p].copy(above)) << p;
  }
  // The room ends where the mental sheet's label begins.
  const QStringList names =
      QDir(QDir(dir.path()).filePath(QStringLiteral("0"))).entryList(QDir::Files, QDir::Name);
  EXPECT_GT(ink(pages[0][names.indexOf(QStringLiteral("mitori.png"))], end, end + 6), 0);
}

// A teacher's session is Japanese: fontconfig then names the label face "IPA Pゴシック".
TEST(Batch, DrawsInAJapaneseSession) {
  QTemporaryDir dir;
  QProcessEnvironment japanese = QProcessEnvironment::systemEnvironment();
  japanese.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.UTF-8"));
  japanese.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
  const Outcome run = Tamariko({"--batch", "--seed", "1", "--png", dir.path()}, {}, japanese);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("mitori.png")));
}

TEST(Batch, FailureWhileWritingExitsOne) {
  for (const QStringList& arguments :
       {QStringList{"--seed", "1", "--json", "-"}, QStringList{"--help"}, {"--version"}}) {
    const Outcome run = Tamariko(QStringList{"--batch"} + arguments, QStringLiteral("/dev/full"));
    EXPECT_EQ(run.exitCode, 1) << arguments.join(' ').toStdString() << ": "
                               << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("standard output"))) << run.err.toStdString();
  }
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool PdfChecks(const QString& path) {
  QProcess qpdf;
  qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
  return qpdf.waitForFinished(30000) && qpdf.exitStatus() == QProcess::NormalExit &&
         qpdf.exitCode() == 0;
}

// The disk fills up while the previews, the JSON or the PDF are written: the run says so
// and every file of the previous run stays as it was, with nothing left beside it.
TEST(Batch, FullDiskExitsOneAndKeepsEveryOldFile) {
  QStringList names =
      QStringList{"kake.png", "mitori.png", "set.json", "set.pdf"} + test::AnswerPngs();
  names.sort();
  auto arguments = [](const QString& folder) {
    return QStringList{"--batch",
                       "--seed",
                       "3",
                       "--png",
                       folder,
                       "--json",
                       QDir(folder).filePath("set.json"),
                       "--pdf",
                       QDir(folder).filePath("set.pdf")};
  };
  QTemporaryDir roomy;
  const Outcome full = Tamariko(arguments(roomy.path()));
  ASSERT_EQ(full.exitCode, 0) << full.err.toStdString();
  ASSERT_EQ(QDir(roomy.path()).entryList(QDir::Files), names);
  EXPECT_TRUE(PdfChecks(QDir(roomy.path()).filePath("set.pdf")));
  qint64 needed = 0;
  for (const QString& name : names) {
    needed += test::PagesFor(QFileInfo(QDir(roomy.path()).filePath(name)).size());
  }

  // The previews come first, then the JSON, the PDF last.
  for (const qint64 free :
       {qint64{0}, needed / 3, needed * 2 / 3, needed - test::SmallDisk::kPage}) {
    SCOPED_TRACE(free);
    test::SmallDisk disk(static_cast<int>(needed / 1024) + 256);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Reason();
    const QString folder = disk.FilePath(QStringLiteral("o"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& name : names) {
      QFile old(QDir(folder).filePath(name));
      ASSERT_TRUE(old.open(QIODevice::WriteOnly));
      old.write("old " + name.toUtf8());
    }
    ASSERT_TRUE(disk.LeaveFree(free));
    const Outcome run = Tamariko(arguments(folder));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("を書けませんでした: ディスクの空きが足りません (cannot write '%1/")
            .arg(folder)))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("no space left on device")))
        << run.err.toStdString();
    EXPECT_EQ(test::AllEntries(folder), names);
    for (const QString& name : names) {
      EXPECT_EQ(Bytes(QDir(folder).filePath(name)), "old " + name.toUtf8()) << name.toStdString();
    }
  }
}

TEST(Batch, HelpAndVersionAnswerAndWriteNothingElse) {
  const Outcome help = Tamariko({"--batch", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option :
       {"--seed", "--round", "--heading1", "--heading2", "--organizer", "--sheets", "--json",
        "--png", "--pdf", "--printer", "--paper", "--help", "--version"}) {
    EXPECT_TRUE(help.out.contains(option)) << option;
  }
  EXPECT_TRUE(QString::fromUtf8(help.out).contains(QStringLiteral("乱数の種")));
  EXPECT_TRUE(help.out.contains("--paper A4"));
  EXPECT_TRUE(QString::fromUtf8(help.out).contains(PaperNamesList())) << "the papers of the table";
  const Outcome version = Tamariko({"--batch", "--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.startsWith("tamariko "));
}

TEST(Batch, PreviewAndPdfCarryTheSheetWhereTheMappingPutsIt) {
  QTemporaryDir dir;
  const QString pdf = QDir(dir.path()).filePath(QStringLiteral("set.pdf"));
  const Outcome run = Tamariko({"--batch", "--seed", "9", "--round", "3", "--png", dir.path(),
                                "--pdf", pdf, "--json", QDir(dir.path()).filePath("set.json")});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  QStringList files =
      QStringList{"kake.png", "mitori.png", "set.json", "set.pdf"} + test::AnswerPngs();
  files.sort();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), files);
  for (const char* name : {"kaitou.png", "kake.png"}) {
    EXPECT_EQ(QImage(QDir(dir.path()).filePath(QLatin1String(name))).size(), QSize(865, 1300));
  }

  const QImage preview(QDir(dir.path()).filePath(QStringLiteral("mitori.png")));
  ASSERT_EQ(preview.size(), QSize(865, 1300));
  const PageMapping p = PreviewMapping({300, 300}, {0, 0});
  EXPECT_LT(qGray(preview.pixel(p.X(14), p.Y(200))), 128);

  const test::PdfFacts facts = test::ReadPdf(pdf);
  // Mental addition, multiplication, the answer table.
  EXPECT_EQ(facts.pages, 2 + test::AnswerPageCount());
  EXPECT_NEAR(facts.widthPt, test::kB4WidthPt, 1.0);
  EXPECT_NEAR(facts.heightPt, test::kB4HeightPt, 1.0);
  const QImage page = test::RasterisePdf(pdf, QDir(dir.path()).filePath(QStringLiteral("p")), 300);
  if (page.isNull()) GTEST_SKIP() << "pdftoppm (poppler-utils) could not rasterise the page";
  const PageMapping m = PrintMapping({300, 300}, {0, 0});
  auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
  EXPECT_TRUE(dark(m.X(14) + 1, m.Y(200)));
  EXPECT_TRUE(dark(m.X(252) - 2, m.Y(300)));
  int ink = 0;  // the figures of problem 30's rows
  for (int y = m.Y(263); y < m.Y(333); ++y) {
    for (int x = m.X(225) + 10; x < m.X(252) - 5; ++x) ink += dark(x, y);
  }
  EXPECT_GT(ink, 500);
}

// Every sheet of the list can be asked for by its key alone, and gets its file and page.
TEST(Batch, EverySheetOfTheListIsMadeAloneByItsKey) {
  const QString help = QString::fromUtf8(Tamariko({"--batch", "--help"}).out);
  for (const SheetInfo& sheet : ProblemSheets()) {
    SCOPED_TRACE(sheet.key.toStdString());
    EXPECT_TRUE(help.contains(sheet.key + QStringLiteral(".png")));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("set.pdf"));
    const Outcome run = Tamariko(
        {"--batch", "--seed", "9", "--sheets", sheet.key, "--png", dir.path(), "--pdf", pdf});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList expected = QStringList{sheet.key + ".png", "set.pdf"} + test::AnswerPngs();
    expected.sort();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), expected);
    EXPECT_EQ(test::ReadPdf(pdf).pages, 1 + test::AnswerPageCount())
        << "the sheet and the answer table";
  }
}

// "all" carries the division's JSON, consistent with itself; the division set alone is the
// first the run draws. (Files and page order of "all": BatchCount.)
TEST(Batch, AllCarriesTheDivisionSetAndItIsDrawnFirstWhenAlone) {
  const Outcome run = Tamariko({"--batch", "--seed", "20240601", "--sheets", "all", "--json", "-"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QJsonObject division = Json(run.out)[QStringLiteral("division")].toObject();
  const auto dividends = division[QStringLiteral("dividends")].toArray();
  const auto divisors = division[QStringLiteral("divisors")].toArray();
  const auto quotients = division[QStringLiteral("answers")].toArray();
  ASSERT_EQ(dividends.size(), 60);
  ASSERT_EQ(divisors.size(), 60);
  ASSERT_EQ(quotients.size(), 60);
  for (int i = 0; i < 60; ++i) {
    EXPECT_EQ(dividends[i].toInteger(), quotients[i].toInteger() * divisors[i].toInteger()) << i;
  }

  // The pinned division set of this seed (see the division tests), made alone.
  const Outcome alone =
      Tamariko({"--batch", "--seed", "20240601", "--sheets", "wari", "--json", "-"});
  const QJsonObject first = Json(alone.out)[QStringLiteral("division")].toObject();
  EXPECT_EQ(first[QStringLiteral("dividends")].toArray()[0].toInteger(), 98);
  EXPECT_EQ(first[QStringLiteral("dividends")].toArray()[59].toInteger(), 24346704480);
  EXPECT_EQ(first[QStringLiteral("answers")].toArray()[59].toInteger(), 419655);
}

// On A4 (the PDF printer, no margins) every sheet's whole B4 page is on the paper, as wide
// as 210/257 of it on B4.
TEST(Batch, PaperA4FitsEverySheetOnThePage) {
  QTemporaryDir dir;
  const QString b4 = dir.filePath(QStringLiteral("b4.pdf"));
  const QString a4 = dir.filePath(QStringLiteral("a4.pdf"));
  const Outcome onB4 = Tamariko({"--batch", "--seed", "11", "--sheets", "all", "--pdf", b4});
  ASSERT_EQ(onB4.exitCode, 0) << onB4.err.toStdString();
  const Outcome onA4 =
      Tamariko({"--batch", "--seed", "11", "--sheets", "all", "--paper", "a4", "--pdf", a4});
  ASSERT_EQ(onA4.exitCode, 0) << onA4.err.toStdString();
  const test::PdfFacts facts = test::ReadPdf(a4);
  const int pages = static_cast<int>(ProblemSheets().size()) + test::AnswerPageCount();
  EXPECT_EQ(facts.pages, pages);
  EXPECT_NEAR(facts.widthPt, 210 / 25.4 * 72, 1.0);
  EXPECT_NEAR(facts.heightPt, 297 / 25.4 * 72, 1.0);
  for (int page = 1; page <= pages; ++page) {
    SCOPED_TRACE(page);
    const QImage was = test::RasterisePdf(b4, dir.filePath(QStringLiteral("b4")), 100, page);
    const QImage now = test::RasterisePdf(a4, dir.filePath(QStringLiteral("a4")), 100, page);
    if (was.isNull() || now.isNull()) GTEST_SKIP() << "pdftoppm could not rasterise the pages";
    const QRect wasInk = test::InkBox(was), nowInk = test::InkBox(now);
    EXPECT_TRUE(now.rect().adjusted(1, 1, -1, -1).contains(nowInk)) << "clear of every edge";
    const double ratio = static_cast<double>(nowInk.width()) / wasInk.width();
    EXPECT_NEAR(ratio, 210.0 / 257, 0.02 * 210 / 257);
  }
}

TEST(Batch, PrinterOptionSendsTheJobsToThatQueue) {
  const QString queue = qEnvironmentVariable("TAMARIKO_CUPS_QUEUE");
  const QString out = qEnvironmentVariable("TAMARIKO_CUPS_OUT");
  if (queue.isEmpty() || out.isEmpty()) {
    GTEST_SKIP() << "no CUPS test server (scripts/test.sh starts one): "
                 << qEnvironmentVariable("TAMARIKO_CUPS_SKIP_REASON").toStdString();
  }
  const QStringList pattern = {QStringLiteral("*job_*.pdf")};
  const auto before = QDir(out).entryList(pattern, QDir::Files).size();
  const Outcome run = Tamariko({"--batch", "--seed", "3", "--printer", queue});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  // The queue's backend writes the file a moment later; wait for it, within bounds.
  QString arrived;
  for (int i = 0; i < 300 && arrived.isEmpty(); ++i) {
    const QStringList files = QDir(out).entryList(pattern, QDir::Files, QDir::Time);
    if (files.size() > before && test::ReadPdf(QDir(out).filePath(files.first())).pages > 0) {
      arrived = QDir(out).filePath(files.first());
    }
    if (arrived.isEmpty()) QThread::msleep(100);
  }
  ASSERT_FALSE(arrived.isEmpty()) << "no job arrived in " << out.toStdString();
  const test::PdfFacts facts = test::ReadPdf(arrived);
  EXPECT_EQ(facts.pages, 1);
  EXPECT_NEAR(facts.widthPt, test::kB4WidthPt, 4.0);  // the queue's driver rounds B4
}

TEST(BatchPrintServer, FilesNeverWaitOnAPrintServerThatDoesNotAnswer) {
  testing::SilentListener listener;
  ASSERT_TRUE(listener.Listening());
  const testing::ScopedEnv server("CUPS_SERVER", listener.Server().toLatin1());
  QTemporaryDir dir;
  // The PDF printer writes into the documents folder: keep it inside the test's folder.
  const testing::ScopedEnv home("HOME", dir.path().toLocal8Bit());
  QElapsedTimer clock;
  clock.start();
  const Outcome run = Tamariko({"--batch", "--seed", "5", "--pdf", dir.filePath("set.pdf"), "--png",
                                dir.path(), "--printer", "PDF"});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_LT(clock.elapsed(), 20000);
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("set.pdf")));
}

TEST(BatchPrintServer, AQueueOnAStoppedOrKilledServerFailsInTimeAndSaysWhy) {
  testing::OwnCupsd cupsd;
  const QString reason = cupsd.Start();
  if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
  const testing::ScopedEnv server("CUPS_SERVER", cupsd.Socket().toLocal8Bit());
  const testing::ScopedEnv bound("TAMARIKO_CUPS_TIMEOUT_MS", "1000");
  const QStringList toQueue = {"--batch", "--seed", "5", "--printer", testing::OwnCupsd::kQueue};

  // A queue the answering server does not have is bad input; one it has is printed on.
  EXPECT_EQ(Tamariko({"--batch", "--printer", "no-such-queue"}).exitCode, 2);
  const Outcome printed = Tamariko(toQueue);
  EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
  // What it knows: the server took the jobs, not that they printed.
  EXPECT_TRUE(
      printed.err.contains(QStringLiteral("件のジョブを受け付けました (the print server "
                                          "accepted")))
      << printed.err.toStdString();
  // A paused queue takes the jobs and holds them: said once, and still a success.
  const QString paused = QStringLiteral("own-queue は一時停止中です。印刷は再開まで待ちます");
  EXPECT_FALSE(printed.err.contains(paused));
  ASSERT_TRUE(cupsd.Pause(QLatin1String(testing::OwnCupsd::kQueue)));
  const Outcome held = Tamariko(toQueue);
  EXPECT_EQ(held.exitCode, 0) << held.err.toStdString();
  EXPECT_EQ(held.err.count(paused), 1) << held.err.toStdString();
  EXPECT_TRUE(
      held.err.contains(QStringLiteral("own-queue is paused; the jobs wait until it is "
                                       "resumed")))
      << held.err.toStdString();

  cupsd.Stop();
  QElapsedTimer clock;
  clock.start();
  const Outcome stopped = Tamariko(toQueue);
  EXPECT_EQ(stopped.exitCode, 1);
  EXPECT_TRUE(stopped.err.contains(QStringLiteral("does not answer"))) << stopped.err.toStdString();
  EXPECT_LT(clock.elapsed(), 15000);

  cupsd.Kill();
  const Outcome killed = Tamariko(toQueue);
  EXPECT_EQ(killed.exitCode, 1);
  EXPECT_TRUE(killed.err.contains(QStringLiteral("the print server"))) << killed.err.toStdString();
}

// A server that falls silent in the middle of a job's document may print it all the same
// when it wakes: the run never calls that sheet "not sent", and fails.
TEST(BatchPrintServer, AJobGivenUpOnMidDocumentIsNotCalledNotSent) {
  testing::OwnCupsd cupsd;
  const QString reason = cupsd.Start();
  if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
  const testing::ScopedEnv bound("TAMARIKO_CUPS_TIMEOUT_MS", "1000");
  // What a run says to the server before its first job: the reading of the queues.
  long long reading = 0;
  {
    testing::StallingProxy count(cupsd.Socket(), 1LL << 40, [] {});
    const testing::ScopedEnv server("CUPS_SERVER", count.Socket().toLocal8Bit());
    ASSERT_EQ(Tamariko({"--batch", "--printer", "no-such-queue"}).exitCode, 2);
    reading = count.Passed();
  }
  testing::StallingProxy proxy(cupsd.Socket(), reading + 3000, [] {});
  const testing::ScopedEnv server("CUPS_SERVER", proxy.Socket().toLocal8Bit());
  const Outcome run = Tamariko({"--batch", "--seed", "5", "--printer", testing::OwnCupsd::kQueue});
  EXPECT_TRUE(proxy.Stalled());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("は印刷されたかどうか分かりません")))
      << run.err.toStdString();
  EXPECT_FALSE(run.err.contains(QStringLiteral("受け付けました")));
}

// A queue without B4: a run given no paper says so and prints on A4, the page fitted; one
// that asks for B4 there is refused before anything is sent.
TEST(BatchPrintServer, AQueueWithoutB4PrintsOnA4FittedAndSaysSo) {
  testing::OwnCupsd cupsd;
  const QString reason = cupsd.Start();
  if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
  QTemporaryDir dir;
  QFile base(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"));
  QFile ppd(dir.filePath(QStringLiteral("a4only.ppd")));
  ASSERT_TRUE(base.open(QIODevice::ReadOnly) && ppd.open(QIODevice::WriteOnly));
  for (const QByteArray& line : base.readAll().split('\n')) {
    if (!line.contains("JISB4")) ppd.write(line + '\n');
  }
  ppd.close();
  ASSERT_TRUE(cupsd.AddQueue(QStringLiteral("a4only"), ppd.fileName()));
  const testing::ScopedEnv server("CUPS_SERVER", cupsd.Socket().toLocal8Bit());

  const Outcome refused = Tamariko({"--batch", "--printer", "a4only", "--paper", "b4"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(refused.err.contains(QStringLiteral("no B4 paper"))) << refused.err.toStdString();

  const Outcome run =
      Tamariko({"--batch", "--seed", "5", "--sheets", "kake", "--printer", "a4only"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(QStringLiteral("has no B4 paper: printing on A4")))
      << run.err.toStdString();
  QElapsedTimer clock;
  clock.start();
  const qsizetype jobs = 1 + test::AnswerPageCount();
  while (clock.elapsed() < 15000 && cupsd.JobDocuments().size() < jobs) QThread::msleep(100);
  ASSERT_EQ(cupsd.JobDocuments().size(), jobs) << "the multiplication sheet and the answer table";
  for (const QString& document : cupsd.JobDocuments()) {
    const test::PdfFacts facts = test::ReadPdf(document);
    EXPECT_NEAR(facts.widthPt, 210 / 25.4 * 72, 1.0);
    EXPECT_NEAR(facts.heightPt, 297 / 25.4 * 72, 1.0);
  }
}

}  // namespace
}  // namespace tamariko
