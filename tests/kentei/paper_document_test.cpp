// Reading a paper document: every fault the format names is refused with a message that says
// where, and what reads is made.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <map>

#include "app/papers.h"
#include "core/error.h"
#include "core/random.h"
#include "kentei/exam_problems.h"
#include "kentei/paper_document.h"

namespace tamariko {
namespace {

// A small sound paper: みとり算 then かけ算 and わり算 on one page.
const char kSound[] = R"({
  "tamariko_paper": 1, "title": "練習問題", "name": "小2", "minutes": 5,
  "pass": {"total": 100},
  "sections": [
    {"subject": "mitori", "points": 10, "blocks": [
      {"count": 5, "rows": 5, "digits": 2, "subtracted": 2}]},
    {"subject": "kake", "points": 5, "blocks": [{"count": 10, "digits": 3, "left": [2, 2]}]},
    {"subject": "wari", "points": 5, "blocks": [{"count": 10, "digits": 3, "left": [1, 1]}]}]})";

using Edit = std::pair<QStringList, QJsonValue>;

// The sound paper with each edit's path (members by name, sections and blocks by index) set
// to its value, or removed where the value is undefined.
QByteArray With(std::initializer_list<Edit> edits) {
  QJsonObject root = QJsonDocument::fromJson(kSound).object();
  for (const Edit& edit : edits) {
    const QStringList& path = edit.first;
    const QJsonValue& value = edit.second;
    const std::function<QJsonValue(QJsonValue, int)> set = [&](QJsonValue node, int at) {
      if (at == path.size()) return value;
      bool index = false;
      const int i = path[at].toInt(&index);
      if (index) {
        QJsonArray a = node.toArray();
        a[i] = set(a[i], at + 1);
        return QJsonValue(a);
      }
      QJsonObject o = node.toObject();
      if (value.isUndefined() && at + 1 == path.size()) {
        o.remove(path[at]);
      } else {
        o[path[at]] = set(o[path[at]], at + 1);
      }
      return QJsonValue(o);
    };
    root = set(root, 0).toObject();
  }
  return QJsonDocument(root).toJson();
}
QByteArray With(const QStringList& path, const QJsonValue& value) { return With({{path, value}}); }

std::string Refusal(const QByteArray& bytes) {
  try {
    ExamGradeOf(ReadPaperDocument(bytes, QStringLiteral("小2.json")), QStringLiteral("k"));
  } catch (const Error& e) {
    return e.what();
  }
  return "read";
}

TEST(PaperDocument, EveryFaultIsRefusedSayingWhere) {
  ASSERT_EQ(Refusal(kSound), "read");
  const QJsonValue none(QJsonValue::Undefined);
  const auto section = [](int s, QStringList rest) {
    return QStringList{"sections", QString::number(s)} + rest;
  };
  const auto block = [&](int s, QStringList rest) {
    return section(s, QStringList{"blocks", "0"} + rest);
  };
  const struct {
    QByteArray bytes;
    const char* says;
  } cases[] = {
      {"{\n  \"title\": \"x\",\n  oops\n}", "小2.json: 3行"},
      {With({"tamariko_paper"}, 2), "形式の版 2 の用紙です"},
      {With({"tamariko_paper"}, none), "tamariko_paper"},
      {With({"colour"}, 1), "「colour」という項目はありません"},
      {With(section(1, {"colour"}), 1), "2番目の種目（かけ算）: 「colour」という項目はありません"},
      {With(block(0, {"subtracetd"}), 1), "1番目の種目（みとり算）の1つ目の段: 「subtracetd」"},
      {With(block(2, {"left"}), QJsonArray{4, 5}),
       "3番目の種目（わり算）の1つ目の段: 法と商のけた数の合計が digits と合いません"},
      {With(block(0, {"subtracted"}), 6),
       "subtracted（ひき算のある問題）6 が count 5 を超えています"},
      {With(block(0, {"negative"}), 1), "6口以上"},
      // 26 distinct rows of two digits outweigh the four largest subtracted.
      {With({{block(0, {"rows"}), 30}, {block(0, {"negative"}), 1}}),
       "30口では答えが負の問題（negative）は作れません"},
      {With(block(0, {"rows"}), 2), "3口以上"},
      {With(block(0, {"digits"}), QJsonArray{1, 3}), "chars がありません"},
      {With({{block(0, {"digits"}), QJsonArray{1, 3}}, {block(0, {"chars"}), 16}}),
       "chars（字数）16 は 5口 × 1〜3けたの 5 から 15 までにしてください"},
      {With({{block(0, {"yen"}), true}, {section(0, {"subject"}), "mitori-anzan"}}),
       "みとり暗算に円（yen）はありません"},
      {With({{block(1, {"numbers"}), "plain"}, {block(1, {"left"}), QJsonArray{1, 2}}}),
       "1けたの実や法は使えません"},
      {With({{block(1, {"numbers"}), "yen"}, {section(1, {"subject"}), "kake-anzan"}}),
       "暗算は整数"},
      {With(block(0, {"rows"}), 31), "rows は 2 から 30 までです"},
      {With(block(0, {"digits"}), 17), "digits は 1 から 16 までです"},
      {With(block(0, {"count"}), 2.5), "count は整数で書いてください"},
      {With({{block(0, {"count"}), 100},
             {block(0, {"digits"}), 1},
             {block(0, {"rows"}), 2},
             {block(0, {"subtracted"}), 0}}),
       "同じ問題を出さずに作れるのは 40 題までです"},
      {With({"minutes"}, none), "1番目の種目（みとり算）: 制限時間（minutes）がありません"},
      {With(section(0, {"minutes"}), 3), "種目ごとの minutes は書けません"},
      {With({"pass", "total"}, 151), "合格点 151 点が満点 150 点を超えています"},
      {With({"pass"}, QJsonObject{{"ladder", QJsonArray{}}}), "per"},
      {With({"sections"}, QJsonArray{}), "sections（種目の並び）がありません"},
      {With(section(0, {"subject"}), "soroban"), "subject「soroban」はありません"},
      {With(section(0, {"subject"}), "denpyo"), "伝票算の用紙はこの版ではまだ作れません"},
      {With({"page_keys"}, QJsonArray{"kaitou"}), "page_keys の「kaitou」は使えません"},
      {With({"page_keys"}, QJsonArray{"a", "b"}),
       "page_keys が 2 つありますが、問題のページは 1 枚です"},
      {With({{section(0, {"group"}), "組"}, {section(2, {"group"}), "組"}}),
       "組「組」の種目は続けて並べてください"},
      {With({"numbering"}, "book"), "numbering は \"section\" か \"paper\" です"},
      {QByteArray(kMostDocumentBytes + 1, ' '), "大きすぎます"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(Refusal(c.bytes).find(c.says), std::string::npos)
        << "expected: " << c.says << "\n     got: " << Refusal(c.bytes);
  }
  // Thirty sections at most.
  QJsonObject many = QJsonDocument::fromJson(kSound).object();
  QJsonArray sections;
  for (int i = 0; i < kMostSections + 1; ++i) sections << many["sections"].toArray()[1];
  many["sections"] = sections;
  EXPECT_NE(Refusal(QJsonDocument(many).toJson()).find("種目は 30 までです"), std::string::npos);
}

// Each section keeps its own kind of numbers, whatever the other sections' are.
TEST(PaperDocument, ASectionsNumbersFollowItsBlocksNotTheOtherSections) {
  const TExamGrade grade = ExamGradeOf(
      ReadPaperDocument(With({{{"sections", "2", "blocks", "0", "numbers"}, "yen"},
                              {{"sections", "2", "blocks", "0", "digits"}, 5},
                              {{"sections", "2", "blocks", "0", "left"}, QJsonArray{2, 3}}}),
                        QStringLiteral("x.json")),
      QStringLiteral("x"));
  for (std::uint32_t seed : {3u, 77u, 901u}) {
    SetRandomSeed(seed);
    const TExamProblems made = MakeExamProblems(grade);
    for (const TPairProblem& p : made.multiplication) EXPECT_FALSE(p.answer.Text().contains(u'¥'));
    for (const TPairProblem& p : made.division) EXPECT_TRUE(p.answer.Text().startsWith(u'¥'));
  }
}

// Every shipped document reads and makes its grade, under its key, in the offered order.
TEST(PaperDocument, TheShippedDocumentsAreTheGrades) {
  ASSERT_EQ(ExamGrades().size(), 52u);
  EXPECT_EQ(ExamGrades().front().key, QStringLiteral("shuzan-10-9"));
  EXPECT_EQ(ExamGrades()[28].key, QStringLiteral("anzan-dan"));
  EXPECT_EQ(ExamGrades().back().key, QStringLiteral("zenshu-anzan-dan"));
  // The chamber-of-commerce papers keep the page keys they had (omote, ura, ...).
  for (const TExamGrade& g : ExamGrades()) {
    EXPECT_TRUE(g.shipped);
    EXPECT_EQ(g.pageKeys.isEmpty(), g.key.startsWith(QStringLiteral("zenshu")))
        << g.key.toStdString();
  }
}

// A section as the other ladder's tables write it: 「乗算 5(2-3×2-3)」, 「見取算 [1,3]7口19字5引」.
QString Described(const TExamSection& s) {
  QStringList blocks;
  for (const TAdditionBlock& b : s.addition.blocks) {
    QString text = b.Mixed() ? QStringLiteral("[%1,%2]%3口%4字")
                                   .arg(b.digits)
                                   .arg(b.maxDigits)
                                   .arg(b.rows)
                                   .arg(b.chars)
                             : QStringLiteral("%1けた%2口").arg(b.digits).arg(b.rows);
    if (b.subtracted > 0) text += QStringLiteral("%1引").arg(b.subtracted);
    if (b.negatives > 0) text += QStringLiteral("%1負").arg(b.negatives);
    blocks << QStringLiteral("%1題").arg(b.last - b.first + 1) + text;
  }
  for (const TPairBlock& b : s.pairs.blocks) {
    blocks << QStringLiteral("%1題%2(%3-%4,%5-%6)")
                  .arg(b.last - b.first + 1)
                  .arg(b.digits)
                  .arg(b.minLeft)
                  .arg(b.maxLeft)
                  .arg(b.minRight)
                  .arg(b.maxRight);
  }
  return s.title + u' ' + QString::number(s.PointsEach()) + u'点' + QString::number(s.minutes) +
         u'分' + u' ' + blocks.join(u'+');
}

// The other ladder's papers hold what its tables give, 150 points a subject, 100 each to
// pass; the 暗算 段位 200 a subject and its 段 ladder.
TEST(PaperDocument, TheOtherLaddersPapersHoldTheirTables) {
  const std::map<QString, QString> tables = {
      {"zenshu-15", "見取算A 10点7分 15題1けた3口 | 見取算B 10点7分 15題1けた4口"},
      {"zenshu-14", "見取算A 10点7分 15題1けた4口 | 見取算B 10点7分 15題1けた5口"},
      {"zenshu-13", "見取算A 10点7分 15題1けた5口 | 見取算B 10点7分 15題[1,2]3口4字"},
      {"zenshu-12", "見取算A 10点7分 15題1けた5口5引 | 見取算B 10点7分 15題[1,2]3口5字"},
      {"zenshu-11", "見取算A 10点7分 15題1けた6口5引 | 見取算B 10点7分 15題[1,2]4口5字5引"},
      {"zenshu-10", "見取算A 10点7分 15題1けた6口5引 | 見取算B 10点7分 15題[1,2]4口6字5引"},
      {"zenshu-9", "乗算 10点7分 15題3(2-2,1-1) | 見取算 10点7分 15題[1,2]5口8字5引"},
      {"zenshu-8",
       "乗算 10点7分 15題4(3-3,1-1) | 除算 10点7分 15題3(1-1,2-2) | "
       "見取算 10点7分 15題[1,2]6口10字5引"},
      {"zenshu-7",
       "乗算 10点7分 15題4(2-2,2-2) | 除算 10点7分 15題4(1-1,3-3) | "
       "見取算 10点7分 15題[2,3]6口15字5引"},
      {"zenshu-6",
       "乗算 10点7分 15題5(2-3,2-3) | 除算 10点7分 15題4(2-2,2-2) | "
       "見取算 10点7分 15題[1,3]7口19字5引"},
      {"zenshu-5",
       "乗算 10点7分 15題6(2-4,2-4) | 除算 10点7分 15題5(2-3,2-3) | "
       "見取算 10点7分 15題[2,4]7口24字5引"},
      {"zenshu-4",
       "乗算 10点7分 15題7(3-5,2-4) | 除算 10点7分 15題6(2-4,2-4) | "
       "見取算 10点7分 15題[3,5]7口28字5引"},
      {"zenshu-anzan-10",
       "乗算 5点3分 30題2(1-1,1-1) | 除算 5点3分 30題2(1-1,1-1) | "
       "見取算 10点3分 15題1けた3口"},
      {"zenshu-anzan-9",
       "乗算 5点3分 30題3(2-2,1-1) | 除算 5点3分 30題3(1-1,2-2) | "
       "見取算 10点3分 15題1けた4口"},
      {"zenshu-anzan-8",
       "乗算 5点3分 30題3(1-2,1-2) | 除算 5点3分 30題3(1-1,2-2) | "
       "見取算 10点3分 15題1けた5口5引"},
      {"zenshu-anzan-7",
       "乗算 5点3分 30題3(1-2,1-2) | 除算 5点3分 30題3(1-2,1-2) | "
       "見取算 10点3分 15題[1,2]4口6字5引"},
      {"zenshu-anzan-6",
       "乗算 5点3分 30題4(1-3,1-3) | 除算 5点3分 30題4(1-2,2-3) | "
       "見取算 10点3分 15題2けた3口"},
      {"zenshu-anzan-5",
       "乗算 5点3分 30題4(1-3,1-3) | 除算 5点3分 30題4(1-3,1-3) | "
       "見取算 10点3分 15題2けた4口5引"},
      {"zenshu-anzan-4",
       "乗算 5点3分 30題4(1-3,1-3) | 除算 5点3分 30題4(1-3,1-3) | "
       "見取算 10点3分 15題[1,3]5口10字5引"},
      {"zenshu-anzan-3",
       "乗算 5点3分 30題5(1-4,1-4) | 除算 5点3分 30題5(1-4,1-4) | "
       "見取算 10点3分 15題2けた5口5引"},
      {"zenshu-anzan-2",
       "乗算 5点3分 30題5(1-4,1-4) | 除算 5点3分 30題5(1-4,1-4) | "
       "見取算 10点3分 15題[2,3]5口12字5引"},
      {"zenshu-anzan-1",
       "乗算 5点3分 30題6(1-5,1-5) | 除算 5点3分 30題6(1-5,1-5) | "
       "見取算 10点3分 15題3けた5口5引"},
      {"zenshu-anzan-dan",
       "乗算 5点3分 15題6(1-5,1-5)+15題7(1-6,1-6)+10題8(1-7,1-7) | "
       "除算 5点3分 15題6(1-5,1-5)+15題7(1-6,1-6)+10題8(1-7,1-7) | "
       "見取算 5点3分 20題3けた5口8引+20題3けた7口8引4負"},
  };
  for (const auto& [key, table] : tables) {
    const TExamGrade* grade = FindExamGrade(key);
    ASSERT_NE(grade, nullptr) << key.toStdString();
    QStringList sections;
    for (const TExamSection& s : grade->sections) {
      sections << Described(s);
      EXPECT_EQ(s.Points(), key == QLatin1String("zenshu-anzan-dan") ? 200 : 150);
    }
    EXPECT_EQ(sections.join(QStringLiteral(" | ")), table);
    EXPECT_EQ(grade->title, key.contains(QLatin1String("anzan")) ? QStringLiteral("暗算練習問題")
                                                                 : QStringLiteral("珠算練習問題"));
    if (key == QLatin1String("zenshu-anzan-dan")) {
      ASSERT_EQ(grade->pass, TPassRule::Ladder);
      EXPECT_EQ(grade->passMarks.size(), 16u);
      EXPECT_EQ(grade->passMarks.front().label + QString::number(grade->passMarks.front().points),
                QStringLiteral("準初段70"));
      EXPECT_EQ(grade->passMarks.back().label + QString::number(grade->passMarks.back().points),
                QStringLiteral("十段190"));
    } else {
      EXPECT_EQ(grade->pass, TPassRule::Each);
      EXPECT_EQ(grade->passMarks.front().points, 100);
    }
  }
}

}  // namespace
}  // namespace tamariko
