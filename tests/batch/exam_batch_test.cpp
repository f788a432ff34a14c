// --exam through the real executable: the keys, refused input, the JSON of a paper read
// back against the grade's rules, the PNG names and the PDF pages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "tests/support/exam_rules.h"
#include "tests/support/pdf_support.h"
#include "tests/support/run_tamariko.h"

namespace tamariko::testing {
namespace {

using test::Tamariko;

const QStringList kKeys = {"shuzan-10", "shuzan-9", "shuzan-8", "shuzan-7",
                           "shuzan-6",  "shuzan-5", "shuzan-4"};
const QStringList kAnzanKeys = {"anzan-10", "anzan-9",  "anzan-8",  "anzan-7",  "anzan-6",
                                "anzan-5",  "anzan-4",  "anzan-p3", "anzan-3",  "anzan-p2",
                                "anzan-2",  "anzan-p1", "anzan-1",  "anzan-dan"};
// The other ladder's keys, 珠算 15級 to 4級 and 暗算 10級 to 段位.
QStringList ZenshuKeys() {
  QStringList keys;
  for (int g = 15; g >= 4; --g) keys << QStringLiteral("zenshu-%1").arg(g);
  for (int g = 10; g >= 1; --g) keys << QStringLiteral("zenshu-anzan-%1").arg(g);
  return keys << QStringLiteral("zenshu-anzan-dan");
}
// Every key --exam takes, in ladder order.
const QStringList kAllKeys = QStringList{"shuzan-10-9"} + kKeys +
                             QStringList{"shuzan-p3", "shuzan-3", "shuzan-p2", "shuzan-2",
                                         "shuzan-p1", "shuzan-1", "shuzan-dan"} +
                             kAnzanKeys + ZenshuKeys();

// The JSON lines of `count` papers of `key` from `seed`; none when the run fails.
QList<QByteArray> JsonLines(const QString& key, int seed, int count) {
  const auto run = Tamariko({"--batch", "--exam", key, "--seed", QString::number(seed), "--count",
                             QString::number(count), "--json", "-"});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  return run.exitCode == 0 ? run.out.trimmed().split('\n') : QList<QByteArray>();
}

std::vector<std::int64_t> Numbers(const QJsonValue& list) {
  std::vector<std::int64_t> numbers;
  for (const QJsonValue& v : list.toArray()) numbers.push_back(v.toInteger());
  return numbers;
}

ExamNumbers PaperOf(const QJsonObject& set) {
  ExamNumbers paper;
  const QJsonObject abacus = set["abacus"].toObject();
  for (const QJsonValue& rows : abacus["problems"].toArray()) {
    paper.abacusRows.push_back(Numbers(rows));
  }
  paper.abacusAnswers = Numbers(abacus["answers"]);
  const auto pairs = [](const QJsonObject& o, const char* first, const char* second) {
    std::vector<ExamNumbers::Pair> list;
    const auto a = Numbers(o[first]), b = Numbers(o[second]), c = Numbers(o["answers"]);
    for (std::size_t i = 0; i < c.size(); ++i) list.push_back({a.at(i), b.at(i), c[i]});
    return list;
  };
  paper.multiplication = pairs(set["multiplication"].toObject(), "multiplicands", "multipliers");
  paper.division = pairs(set["division"].toObject(), "dividends", "divisors");
  return paper;
}

TEST(ExamBatch, TheKeysAreListedAndAnythingElseIsRefusedWithThem) {
  const auto list = Tamariko({"--batch", "--exam", "list"});
  ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
  const QStringList lines = QString::fromUtf8(list.out).split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), kAllKeys.size());
  for (qsizetype i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].section(u' ', 0, 0), kAllKeys[i]);
    EXPECT_TRUE(lines[i].contains(u'級') || lines[i].contains(QStringLiteral("段位")))
        << lines[i].toStdString();
    EXPECT_EQ(lines[i].contains(QStringLiteral("暗算")), kAllKeys[i].contains("anzan"));
  }
  for (const QStringList& bad :
       {QStringList{"--exam", "shuzan-11"}, QStringList{"--exam", "anzan-0"},
        QStringList{"--exam", "shuzan-8", "--sheets", "kake"},
        QStringList{"--exam", "shuzan-8", "--sheets", "ura"},
        QStringList{"--exam", "anzan-10", "--sheets", "ura"}}) {
    const auto run = Tamariko(QStringList{"--batch", "--json", "-"} + bad);
    EXPECT_EQ(run.exitCode, 2) << bad.join(u' ').toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(kAllKeys.join(QStringLiteral(", ")))) << run.err.toStdString();
  }
}

// Every key over many seeds: the grade's rules hold, subjects the paper lacks are absent,
// and a shared paper gives the same problems.
TEST(ExamBatch, EachKeysJsonKeepsItsGradesRulesOverManySeeds) {
  std::map<QString, QList<QJsonObject>> sets;
  for (const QString& key : kKeys) {
    const QList<QByteArray> lines = JsonLines(key, 777, 40);
    ASSERT_EQ(lines.size(), 40);
    for (qsizetype n = 0; n < lines.size(); ++n) {
      const QJsonObject set = QJsonDocument::fromJson(lines[n]).object();
      EXPECT_EQ(lines[n].left(lines[n].indexOf("\"abacus\"")),
                QByteArray("{\"seed\": ") + QByteArray::number(777 + n) + ", \"exam\": \"" +
                    key.toLatin1() + "\", ");
      EXPECT_EQ(set.contains("division"),
                key != QStringLiteral("shuzan-10") && key != QStringLiteral("shuzan-9"));
      for (const std::string& fault : ShuzanExamViolations(key.toStdString(), PaperOf(set))) {
        ADD_FAILURE() << key.toStdString() << " seed " << 777 + n << ": " << fault;
      }
      sets[key] << set;
    }
  }
  for (int n = 0; n < 40; ++n) {
    QJsonObject ten = sets["shuzan-10"][n], nine = sets["shuzan-9"][n];
    ten.remove("exam");
    nine.remove("exam");
    EXPECT_EQ(ten, nine) << "seed " << 777 + n;
  }
}

// 暗算: its subjects under their own names, the rules over many seeds, one paper for 10級〜7級.
TEST(ExamBatch, EachAnzanKeysJsonKeepsItsGradesRules) {
  std::map<QString, QList<QJsonObject>> sets;
  for (const QString& key : kAnzanKeys) {
    const QList<QByteArray> lines = JsonLines(key, 31, 15);
    ASSERT_EQ(lines.size(), 15);
    for (qsizetype n = 0; n < lines.size(); ++n) {
      const QJsonObject set = QJsonDocument::fromJson(lines[n]).object();
      // 10級〜7級: みとり暗算 alone.
      EXPECT_EQ(set.keys(), kAnzanKeys.indexOf(key) < 4
                                ? QStringList({"exam", "mental", "sections", "seed"})
                                : QStringList({"exam", "mental", "mental_division",
                                               "mental_multiplication", "sections", "seed"}));
      QJsonObject named;
      named["abacus"] = set["mental"];
      named["multiplication"] = set["mental_multiplication"];
      named["division"] = set["mental_division"];
      for (const std::string& fault : AnzanExamViolations(key.toStdString(), PaperOf(named))) {
        ADD_FAILURE() << key.toStdString() << " seed " << 31 + n << ": " << fault;
      }
      QJsonObject problems = set;
      problems.remove("exam");
      problems.remove("sections");
      sets[key] << problems;
    }
  }
  EXPECT_EQ(sets["anzan-10"], sets["anzan-7"]);
  EXPECT_EQ(sets["anzan-9"], sets["anzan-8"]);
  EXPECT_EQ(sets["anzan-10"], sets["anzan-9"]);
}

TEST(ExamBatch, PagesGoToFilesNamedByKeyAndIntoOnePdf) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString pdf = folder.filePath("paper.pdf");
  const auto run = Tamariko({"--batch", "--exam", "shuzan-5", "--seed", "9", "--png", folder.path(),
                             "--pdf", pdf, "--paper", "A4"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(QDir(folder.path()).entryList({"*.png"}, QDir::Files, QDir::Name),
            QStringList({"shuzan-5-kaitou.png", "shuzan-5-omote.png", "shuzan-5-ura.png"}));
  EXPECT_EQ(test::ReadPdf(pdf).pages, 3);

  const auto answers = Tamariko({"--batch", "--exam", "shuzan-5", "--sheets", "kaitou", "--png",
                                 folder.path(), "--count", "2"});
  ASSERT_EQ(answers.exitCode, 0) << answers.err.toStdString();
  EXPECT_TRUE(QFile::exists(folder.filePath("shuzan-5-kaitou-0002.png")));
  EXPECT_FALSE(QFile::exists(folder.filePath("shuzan-5-omote-0001.png")));

  QTemporaryDir dan;
  const auto mental = Tamariko({"--batch", "--exam", "anzan-dan", "--png", dan.path()});
  ASSERT_EQ(mental.exitCode, 0) << mental.err.toStdString();
  EXPECT_EQ(QDir(dan.path()).entryList({"*.png"}, QDir::Files, QDir::Name),
            QStringList({"anzan-dan-kaitou.png", "anzan-dan-kake.png", "anzan-dan-mitori1.png",
                         "anzan-dan-mitori2.png", "anzan-dan-wari.png"}));
}

// A grade added as a file in the teacher's folder: found, listed, made by its key and by its
// path, and sound by the rules of the grade it copies; a faulty file is told and skipped.
TEST(ExamBatch, AnOwnPaperIsFoundListedAndMadeByTheRules) {
  QTemporaryDir home;
  const QString folder = home.filePath("data/tamariko/papers");
  ASSERT_TRUE(QDir().mkpath(folder));
  QFile eight(QStringLiteral(TAMARIKO_PAPERS_DIR "/shuzan-8.json"));
  ASSERT_TRUE(eight.open(QIODevice::ReadOnly));
  QJsonObject own = QJsonDocument::fromJson(eight.readAll()).object();
  own["name"] = QStringLiteral("8級（自習）");
  own.remove("ladder");
  const QString path = folder + "/jishu-8.json";
  const auto write = [](const QString& file, const QByteArray& bytes) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  write(path, QJsonDocument(own).toJson());
  write(folder + "/broken.json", "{\"tamariko_paper\": 1,");
  write(folder + "/shuzan-8.json", QJsonDocument(own).toJson());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_DATA_HOME", home.filePath("data"));

  const auto list = Tamariko({"--batch", "--exam", "list"}, {}, env);
  ASSERT_EQ(list.exitCode, 0);
  EXPECT_EQ(QString::fromUtf8(list.out).trimmed().section(u'\n', -1).simplified(),
            QStringLiteral("jishu-8 自作 8級（自習）"));
  EXPECT_TRUE(list.err.contains(QStringLiteral("broken.json: 1行").toUtf8()))
      << list.err.toStdString();
  EXPECT_TRUE(list.err.contains(QStringLiteral("「shuzan-8」は付属の用紙の名前です").toUtf8()));

  const auto byKey = Tamariko(
      {"--batch", "--exam", "jishu-8", "--seed", "4242", "--count", "30", "--json", "-"}, {}, env);
  ASSERT_EQ(byKey.exitCode, 0) << byKey.err.toStdString();
  const QList<QByteArray> lines = byKey.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 30);
  for (const QByteArray& line : lines) {
    const QJsonObject set = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(set.keys(), QStringList({"exam", "sections", "seed"}));
    EXPECT_EQ(set["exam"].toString(), QStringLiteral("8級（自習）"));
    QJsonObject named;
    for (const QJsonValue& section : set["sections"].toArray()) {
      const QString subject = section["subject"].toString();
      named[subject == "mitori" ? "abacus"
            : subject == "kake" ? "multiplication"
                                : "division"] = section;
    }
    for (const std::string& fault : ShuzanExamViolations("shuzan-8", PaperOf(named)))
      ADD_FAILURE() << line.left(20).toStdString() << ": " << fault;
  }
  QTemporaryDir pages;
  const auto byPath =
      Tamariko({"--batch", "--exam", path, "--seed", "4242", "--json", "-", "--png", pages.path()});
  ASSERT_EQ(byPath.exitCode, 0) << byPath.err.toStdString();
  EXPECT_EQ(byPath.out.trimmed(), lines.front());
  EXPECT_EQ(QDir(pages.path()).entryList({"*.png"}, QDir::Files, QDir::Name),
            QStringList({"jishu-8-kaitou.png", "jishu-8-omote.png"}));

  // Its page keys for --sheets, and the options every paper takes.
  const QString pdf = pages.filePath("own.pdf");
  const auto picked =
      Tamariko({"--batch", "--exam", path, "--sheets", "omote", "--mark", "--paper", "A4",
                "--organizer", QStringLiteral("そろばん教室"), "--count", "2", "--pdf", pdf});
  ASSERT_EQ(picked.exitCode, 0) << picked.err.toStdString();
  EXPECT_EQ(test::ReadPdf(pdf).pages, 4);  // omote and kaitou, twice

  const auto missing = Tamariko({"--batch", "--exam", folder + "/none.json", "--json", "-"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_TRUE(missing.err.contains("none.json")) << missing.err.toStdString();
  EXPECT_TRUE(missing.out.isEmpty());
}

// A figure as the pages print it: commas in its whole part, no ¥.
QString Printed(const QJsonValue& v) {
  QString text = v.toDouble() == static_cast<double>(v.toInteger())
                     ? QString::number(v.toInteger())
                     : QString::number(v.toDouble(), 'f', QLocale::FloatingPointShortest);
  const qsizetype point = text.contains(u'.') ? text.indexOf(u'.') : text.size();
  for (qsizetype at = point - 3; at > (text.startsWith(u'-') ? 1 : 0); at -= 3)
    text.insert(at, u',');
  return text;
}

// The page's words and figures, ¥ and signs between them dropped.
QStringList Tokens(const QString& page) {
  return QString(page).remove(u'¥').split(QRegularExpression("[\\s=×÷]+"), Qt::SkipEmptyParts);
}

// Every figure of the set's `sections` on the first `problemPages` pages, every answer after
// them under its number (on through the paper, or from 1 a section); the answers found.
int ExpectEveryFigurePrinted(const QStringList& pages, int problemPages, const QJsonArray& sections,
                             bool numberedThrough) {
  QStringList problems, answers;
  for (int p = 0; p < pages.size(); ++p)
    (p < problemPages ? problems : answers) << Tokens(pages[p]);
  for (const QJsonValue& section : sections) {
    for (const QJsonValue& problem : section["problems"].toArray()) {
      for (const QJsonValue& row : problem.toArray())
        EXPECT_TRUE(problems.contains(Printed(row))) << Printed(row).toStdString();
    }
    // The figures the page shows: 実 × 法, and the dividend ÷ 法.
    for (const char* member : {"multiplicands", "multipliers", "dividends", "divisors"}) {
      for (const QJsonValue& v : section[member].toArray())
        EXPECT_TRUE(problems.contains(Printed(v))) << Printed(v).toStdString();
    }
  }
  int number = 1, found = 0;
  qsizetype from = 0;
  for (const QJsonValue& section : sections) {
    if (!numberedThrough) number = 1;
    for (const QJsonValue& answer : section["answers"].toArray()) {
      const qsizetype at = answers.indexOf(QStringLiteral("No.%1").arg(number++), from);
      EXPECT_GE(at, 0) << number - 1;
      if (at < 0) return found;
      EXPECT_TRUE(answers.mid(at, 8).contains(Printed(answer))) << Printed(answer).toStdString();
      from = at + 1;
      ++found;
    }
  }
  return found;
}

// The other ladder's page shapes (two 見取算 on one page; 乗算, 除算 and 見取算 over two pages;
// 暗算's three; the 段位's), every figure read back from the PDF.
TEST(ExamBatch, TheOtherLaddersPagesCarryEveryFigure) {
  const std::pair<const char*, int> papers[] = {
      {"zenshu-15", 30}, {"zenshu-6", 45}, {"zenshu-anzan-4", 75}, {"zenshu-anzan-dan", 120}};
  for (const auto& [key, answerCount] : papers) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath("paper.pdf"), png = dir.filePath("png");
    QDir().mkpath(png);
    const auto run = Tamariko(
        {"--batch", "--exam", key, "--seed", "23", "--json", "-", "--pdf", pdf, "--png", png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList pages = test::PdfPageTexts(pdf);
    if (pages.isEmpty()) GTEST_SKIP() << "pdftotext missing";
    const int problemPages =
        static_cast<int>(QDir(png).entryList({QStringLiteral("*-p*.png")}, QDir::Files).size());
    const QJsonArray sections = QJsonDocument::fromJson(run.out).object()["sections"].toArray();
    EXPECT_EQ(ExpectEveryFigurePrinted(pages, problemPages, sections, false), answerCount) << key;
    for (const QString& page : pages) {
      EXPECT_TRUE(page.contains(QStringLiteral("各種目")) &&
                  page.contains(QStringLiteral("制限時間")))
          << key;
    }
  }
}

// The shapes of any document, printed: a 見取算 of mixed lengths over two pages, a group of
// two short sections side by side under its heading, clocks and score boxes a section, and
// numbers running through the paper onto the answer page; every figure read back from the
// PDF on its page.
TEST(ExamBatch, AnyDocumentsPagesCarryEveryFigureWhereItBelongs) {
  QTemporaryDir dir;
  const QString path = dir.filePath("shape.json");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(R"({"tamariko_paper": 1, "title": "練習問題", "name": "形", "numbering": "paper",
    "pass": {"each": 40}, "sections": [
    {"subject": "mitori", "title": "見取算", "points": 10, "minutes": 7, "blocks": [
      {"count": 24, "rows": 10, "digits": [2, 7], "chars": 45, "subtracted": 6, "negative": 2},
      {"count": 6, "rows": 8, "digits": 5, "yen": true}]},
    {"subject": "kake-anzan", "title": "暗算（乗算）", "group": "暗算", "points": 10,
     "minutes": 3, "blocks": [{"count": 5, "digits": 3}]},
    {"subject": "wari-anzan", "title": "暗算（除算）", "group": "暗算", "points": 10,
     "blocks": [{"count": 5, "digits": 3, "left": [1, 1], "right": [2, 2]}]},
    {"subject": "kake", "title": "乗算", "points": 5, "minutes": 7, "blocks": [
      {"count": 10, "digits": 6, "left": [2, 4]},
      {"count": 10, "digits": 6, "left": [2, 4], "right": [2, 4], "numbers": "plain"}]}]})");
  file.close();
  const QString pdf = dir.filePath("shape.pdf");
  const auto run =
      Tamariko({"--batch", "--exam", path, "--seed", "11", "--json", "-", "--pdf", pdf});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QStringList pages = test::PdfPageTexts(pdf);
  if (pages.isEmpty()) GTEST_SKIP() << "pdftotext missing";
  // 見取算 on two pages, the group and 乗算 on the third, the answers.
  ASSERT_EQ(pages.size(), 4);
  EXPECT_TRUE(pages[0].contains(QStringLiteral("形（見取算１）")));
  EXPECT_TRUE(pages[1].contains(QStringLiteral("形（見取算２）")));
  EXPECT_TRUE(pages[2].contains(QStringLiteral("形（暗算・乗算）")));
  for (const QString& page : pages)
    EXPECT_TRUE(page.contains(QStringLiteral("各種目40点以上で合格"))) << page.toStdString();
  // Two sections (the group, 乗算) on one page: a clock and a score box each.
  EXPECT_EQ(pages[2].count(QStringLiteral("制限時間3分")), 1);
  EXPECT_EQ(pages[2].count(QStringLiteral("制限時間7分")), 1);
  EXPECT_EQ(pages[2].count(QStringLiteral("得点")), 2);

  const QJsonArray sections = QJsonDocument::fromJson(run.out).object()["sections"].toArray();
  ASSERT_EQ(sections.size(), 4);
  // The answers numbered on through the paper: 1–30, the group 31–40, 乗算 41–60.
  EXPECT_EQ(ExpectEveryFigurePrinted(pages, 3, sections, true), 60);
}

}  // namespace
}  // namespace tamariko::testing
