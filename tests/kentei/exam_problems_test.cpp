#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "app/papers.h"
#include "core/random.h"
#include "kentei/exam_grades.h"
#include "kentei/exam_paper.h"
#include "kentei/exam_problems.h"
#include "kentei/exam_sheet.h"
#include "tests/support/exam_rules.h"

namespace tamariko {
namespace {

const char* const kKeys[] = {"shuzan-10", "shuzan-9", "shuzan-8", "shuzan-7",
                             "shuzan-6",  "shuzan-5", "shuzan-4"};

const TExamGrade& Grade(const char* key) {
  const TExamGrade* grade = FindExamGrade(QString::fromLatin1(key));
  if (!grade) throw std::runtime_error(key);
  return *grade;
}

TExamProblems MadeFrom(std::uint32_t seed, const char* key) {
  SetRandomSeed(seed);
  return MakeExamProblems(Grade(key));
}

std::int64_t Whole(const TExactNumber& n) {
  EXPECT_EQ(n.Scale(), 0);
  EXPECT_FALSE(n.Yen());
  return n.Units();
}

testing::ExamNumbers NumbersOf(const TExamProblems& made) {
  testing::ExamNumbers out;
  for (const auto& p : made.abacus) {
    out.abacusRows.emplace_back();
    for (const auto& row : p.rows) out.abacusRows.back().push_back(Whole(row));
    out.abacusAnswers.push_back(Whole(p.answer));
  }
  for (const auto& p : made.multiplication)
    out.multiplication.push_back({Whole(p.first), Whole(p.second), Whole(p.answer)});
  for (const auto& p : made.division)
    out.division.push_back({Whole(p.first), Whole(p.second), Whole(p.answer)});
  return out;
}

TEST(ExamProblems, EveryWholeNumberGradeKeepsItsRulesOverManySeeds) {
  for (const char* key : kKeys) {
    for (std::uint32_t seed = 0; seed < 400; ++seed) {
      const auto faults =
          testing::ShuzanExamViolations(key, NumbersOf(MadeFrom(seed * 2654435761u, key)));
      ASSERT_TRUE(faults.empty()) << key << " seed " << seed * 2654435761u << ": "
                                  << faults.front();
    }
  }
}

std::string Printed(const TExactNumber& n) { return n.Text().toStdString(); }

testing::ExamTexts TextsOf(const TExamProblems& made) {
  testing::ExamTexts out;
  for (const auto& p : made.abacus) {
    out.abacusRows.emplace_back();
    for (const auto& row : p.rows) out.abacusRows.back().push_back(Printed(row));
    out.abacusAnswers.push_back(Printed(p.answer));
  }
  for (const auto& p : made.multiplication)
    out.multiplication.push_back({Printed(p.first), Printed(p.second), Printed(p.answer)});
  for (const auto& p : made.division)
    out.division.push_back({Printed(p.first), Printed(p.second), Printed(p.answer)});
  return out;
}

TEST(ExamProblems, EveryDecimalGradeKeepsItsRulesOverManySeeds) {
  for (const char* key :
       {"shuzan-p3", "shuzan-3", "shuzan-p2", "shuzan-2", "shuzan-p1", "shuzan-1", "shuzan-dan"}) {
    const std::uint32_t seeds = std::string(key) == "shuzan-dan" ? 150 : 300;
    for (std::uint32_t seed = 0; seed < seeds; ++seed) {
      const auto faults =
          testing::ShuzanDecimalExamViolations(key, TextsOf(MadeFrom(seed * 2654435761u, key)));
      ASSERT_TRUE(faults.empty()) << key << " seed " << seed * 2654435761u << ": "
                                  << faults.front();
    }
  }
}

// The checker is no rubber stamp: a figure off by a rounding, a yen sign lost or a row
// subtracted too many are each caught.
TEST(ExamProblems, DecimalRuleCheckerCatchesBrokenPapers) {
  const testing::ExamTexts sound = TextsOf(MadeFrom(9, "shuzan-1"));
  ASSERT_TRUE(testing::ShuzanDecimalExamViolations("shuzan-1", sound).empty());
  const auto broken = [&](auto change) {
    testing::ExamTexts paper = sound;
    change(paper);
    return !testing::ShuzanDecimalExamViolations("shuzan-1", paper).empty();
  };
  EXPECT_TRUE(broken([](auto& p) { p.multiplication[0].answer += "1"; }));
  EXPECT_TRUE(broken([](auto& p) { p.division[12].answer.erase(0, 2); }));  // ¥ lost
  EXPECT_TRUE(broken([](auto& p) { p.division[3].answer = "0.00" + p.division[3].answer; }));
  EXPECT_TRUE(broken([](auto& p) { p.abacusRows[0][2] = "-" + p.abacusRows[0][2]; }));
  EXPECT_TRUE(broken([](auto& p) { std::swap(p.abacusRows[0], p.abacusRows[7]); }));
}

// The table the window and the batch list, in ladder order, with the exam's clock and marks.
TEST(ExamProblems, GradeTableHoldsTheLadderAndItsMarks) {
  QStringList keys;
  for (const TExamGrade& g : ExamGrades()) keys << g.key;
  ASSERT_GT(keys.size(), 29);
  EXPECT_EQ(
      keys.mid(0, 29).join(u' '),
      QStringLiteral("shuzan-10-9 shuzan-10 shuzan-9 shuzan-8 shuzan-7 shuzan-6 shuzan-5 shuzan-4 "
                     "shuzan-p3 shuzan-3 shuzan-p2 shuzan-2 shuzan-p1 shuzan-1 shuzan-dan "
                     "anzan-10 anzan-9 anzan-8 anzan-7 anzan-6 anzan-5 anzan-4 anzan-p3 "
                     "anzan-3 anzan-p2 anzan-2 anzan-p1 anzan-1 anzan-dan"));
  EXPECT_EQ(Grade("shuzan-10").passMarks.front().points, 60);
  EXPECT_EQ(Grade("shuzan-9").passMarks.front().points, 120);
  EXPECT_EQ(Grade("shuzan-7").minutes, 20);
  EXPECT_EQ(Grade("shuzan-4").minutes, 30);
  EXPECT_EQ(Grade("shuzan-4").passMarks.front().points, 210);
  EXPECT_EQ(Grade("shuzan-p3").passMarks.front().points, 240);
  EXPECT_EQ(Grade("shuzan-p2").passMarks.front().points, 240);
  EXPECT_EQ(Grade("shuzan-1").minutes, 30);
  // 段位: each subject 10 minutes and 300 points, the 段 by the ladder from 90 to 290.
  const TExamGrade& dan = Grade("shuzan-dan");
  EXPECT_EQ(dan.sections[0].minutes, 10);
  ASSERT_EQ(dan.passMarks.size(), 13u);
  EXPECT_EQ(dan.passMarks.front().label + QString::number(dan.passMarks.front().points),
            QStringLiteral("準初段90"));
  EXPECT_EQ(dan.passMarks[6].label + QString::number(dan.passMarks[6].points),
            QStringLiteral("四段160"));
  EXPECT_EQ(dan.passMarks.back().label + QString::number(dan.passMarks.back().points),
            QStringLiteral("十段290"));
  // 段位 scores each subject out of 300; the others the paper, out of 200 to 7級, 300 above,
  // 500 for 暗算.
  for (const TExamGrade& g : ExamGrades()) {
    if (g.key.startsWith(QStringLiteral("zenshu"))) continue;  // their own tables
    if (g.pass == TPassRule::Ladder) {
      for (const TExamSection& s : g.sections) EXPECT_EQ(s.Points(), 300) << g.key.toStdString();
    } else {
      EXPECT_EQ(g.TotalPoints(), g.key.startsWith(QStringLiteral("anzan")) ? 500
                                 : g.minutes == 20                         ? 200
                                                                           : 300)
          << g.key.toStdString();
    }
  }
  EXPECT_EQ(FindExamGrade(QStringLiteral("shuzan-0")), nullptr);
}

TEST(ExamProblems, OneSeedGivesOnePaperAndSharedGradesTheSameProblems) {
  const auto ten = NumbersOf(MadeFrom(77, "shuzan-10"));
  const auto nine = NumbersOf(MadeFrom(77, "shuzan-9"));
  EXPECT_EQ(ten.abacusRows, nine.abacusRows);
  EXPECT_EQ(ten.abacusRows, NumbersOf(MadeFrom(77, "shuzan-10-9")).abacusRows);
  ASSERT_EQ(ten.multiplication.size(), nine.multiplication.size());
  for (std::size_t i = 0; i < ten.multiplication.size(); ++i) {
    EXPECT_EQ(ten.multiplication[i].first, nine.multiplication[i].first);
    EXPECT_EQ(ten.multiplication[i].second, nine.multiplication[i].second);
  }
  EXPECT_EQ(NumbersOf(MadeFrom(78, "shuzan-4")).abacusRows,
            NumbersOf(MadeFrom(78, "shuzan-4")).abacusRows);
  EXPECT_NE(NumbersOf(MadeFrom(78, "shuzan-4")).abacusRows,
            NumbersOf(MadeFrom(79, "shuzan-4")).abacusRows);
}

TEST(ExamPaper, PagesAnswersAndJsonFollowThePaperShape) {
  TExamPaper single(Grade("shuzan-10"));
  EXPECT_TRUE(single.JsonMembers().contains("\"answers\": []"));  // a paper not made is empty
  SetRandomSeed(5);
  single.Make();
  ASSERT_EQ(single.Pages().size(), 2u);
  EXPECT_EQ(single.Pages()[0].key, QStringLiteral("omote"));
  EXPECT_EQ(single.Pages()[1].key, QStringLiteral("kaitou"));
  const QByteArray json = single.JsonMembers();
  EXPECT_TRUE(json.startsWith("\"abacus\": {\"problems\": [["));
  EXPECT_TRUE(json.contains("\"multiplication\": {\"multiplicands\": ["));
  EXPECT_FALSE(json.contains("division"));  // 10級 has no わり算
  EXPECT_TRUE(json.contains("\"yen\": []"));
  EXPECT_EQ(single.Answers(TExamSubject::Division).size(), 0);

  TExamPaper two(Grade("shuzan-4"));
  SetRandomSeed(5);
  two.Make();
  QStringList keys;
  for (const TExamPage& p : two.Pages()) keys << p.key;
  EXPECT_EQ(keys.join(u' '), QStringLiteral("omote ura kaitou"));
  const QStringList products = two.Answers(TExamSubject::Multiplication);
  ASSERT_EQ(products.size(), 20);
  // Printed with commas, written in the JSON without them.
  const QString first = products.front();
  EXPECT_TRUE(first.contains(u','));
  EXPECT_TRUE(two.JsonMembers().contains(QString(first).remove(u',').toLatin1()));

  // Decimals as JSON numbers written as printed; the 円名数 problems listed.
  TExamPaper decimals(Grade("shuzan-2"));
  SetRandomSeed(5);
  decimals.Make();
  const QByteArray members = decimals.JsonMembers();
  EXPECT_TRUE(members.contains("\"yen\": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10]"));  // みとり算 in yen
  // In the subjects' members and again in their sections.
  EXPECT_EQ(members.count("\"yen\": [11, 12, 13, 14, 15, 16, 17, 18, 19, 20]"), 4);
  for (const auto& p : decimals.Problems()->multiplication) {
    for (const TExactNumber& n : {p.first, p.second, p.answer}) {
      const QByteArray json = QByteArray(n.Text().remove(u',').remove(u'¥').toLatin1());
      EXPECT_TRUE(members.contains(json)) << json.toStdString();
      EXPECT_FALSE(json.contains('.') && json.endsWith('0')) << json.toStdString();
    }
  }
  EXPECT_FALSE(members.contains("\xC2\xA5"));
  // The 段位's pages: one a subject, みとり算 on two, then the answers.
  QStringList danKeys;
  const TExamPaper dan(Grade("shuzan-dan"));
  for (const TExamPage& p : dan.Pages()) danKeys << p.key;
  EXPECT_EQ(danKeys.join(u' '), QStringLiteral("kake wari mitori1 mitori2 kaitou"));
}

}  // namespace
}  // namespace tamariko

namespace tamariko {
namespace {

// Sections so crowded that redraws keep failing: the draw-free choices end them and keep the
// rules (8 × 8 one-digit pairs for 60 problems; 85 distinct two-digit rows of 90).
TEST(ExamProblems, CrowdedSectionsEndInDrawFreeChoicesThatKeepTheRules) {
  TExamGrade crowded;
  crowded.sections.resize(2);
  crowded.sections[0].addition = {{{1, 3, 2, 85, 3, 0}}, 10};
  crowded.sections[1].subject = TExamSubject::Multiplication;
  crowded.sections[1].pairs = {{{1, 60, 2, 1, 1, 1, 1, TNumberKind::Whole}}, 5};
  SetRandomSeed(3);
  const TExamProblems made = MakeExamProblems(crowded);
  std::set<std::pair<std::int64_t, std::int64_t>> pairs;
  for (const auto& p : made.multiplication) {
    EXPECT_TRUE(p.first.Units() >= 2 && p.first.Units() <= 9 && p.second.Units() >= 2 &&
                p.second.Units() <= 9);
    EXPECT_TRUE(pairs.insert({p.first.Units(), p.second.Units()}).second);
  }
  ASSERT_EQ(made.abacus.size(), 3u);
  for (const auto& p : made.abacus) {
    std::set<std::int64_t> rows;
    std::int64_t total = 0;
    for (const auto& row : p.rows) {
      EXPECT_TRUE(rows.insert(std::abs(row.Units())).second);
      total += row.Units();
      EXPECT_GE(total, 0);
    }
    EXPECT_EQ(rows.size(), 85u);
    EXPECT_GT(total, 0);
  }
  // One-digit rows of 2口 make 81 problems at most: all of them, none twice.
  TExamGrade every;
  every.sections.resize(1);
  every.sections[0].addition = {{{1, 81, 1, 2, 0, 0}}, 10};
  SetRandomSeed(3);
  std::set<std::pair<std::int64_t, std::int64_t>> problems;
  for (const auto& p : MakeExamProblems(every).abacus)
    problems.insert({p.rows.at(0).Units(), p.rows.at(1).Units()});
  EXPECT_EQ(problems.size(), 81u);
}

}  // namespace
}  // namespace tamariko

namespace tamariko {
namespace {

// 4 mm a digit, 2 mm a comma, for the longest answer the grade's rules allow.
const TExamSection& Only(const TExamGrade& g, TExamSubject subject) {
  return *g.OnlySection(subject);
}

TEST(ExamPages, AnswerSpacesFitTheLongestAnswerOfTheGrade) {
  const TExamGrade& ten = *FindExamGrade(QStringLiteral("shuzan-10"));
  const TExamGrade& four = *FindExamGrade(QStringLiteral("shuzan-4"));
  EXPECT_EQ(AnswerSpaceMm(LongestAdditionAnswer(Only(ten, TExamSubject::Abacus).addition)),
            12);  // 5 × 99 = 495
  EXPECT_EQ(AnswerSpaceMm(LongestPairAnswer(Only(ten, TExamSubject::Multiplication).pairs, false)),
            12);  // 99 × 9 = 891
  EXPECT_EQ(AnswerSpaceMm(LongestAdditionAnswer(Only(four, TExamSubject::Abacus).addition)),
            26);  // 10 × 99,999 = 999,990
  // 7 digits: 99,999 × 99 = 9,899,901, or 999 × 9,999 = 9,989,001.
  EXPECT_EQ(AnswerSpaceMm(LongestPairAnswer(Only(four, TExamSubject::Multiplication).pairs, false)),
            32);
  EXPECT_EQ(AnswerSpaceMm(LongestPairAnswer(Only(four, TExamSubject::Division).pairs, true)),
            18);  // 商 up to 9,999
  const TExamGrade& one = *FindExamGrade(QStringLiteral("shuzan-1"));
  // 10 rows of 10 digits, negative in yen: -¥99,999,999,990.
  EXPECT_EQ(AnswerSpaceMm(LongestAdditionAnswer(Only(one, TExamSubject::Abacus).addition)), 54);
  // 7 + 4 digits: 9,999,999,999.9 or ¥99,999,999,999.
  EXPECT_EQ(AnswerSpaceMm(LongestPairAnswer(Only(one, TExamSubject::Multiplication).pairs, false)),
            52);
  // 商 of 6 digits: ¥999,999 or 99,999.9, wider than 999.999 or 999,999.
  EXPECT_EQ(AnswerSpaceMm(LongestPairAnswer(Only(one, TExamSubject::Division).pairs, true)), 28);
  // 準3級's 商 of up to 4 digits: ¥9,999.
  EXPECT_EQ(
      AnswerSpaceMm(LongestPairAnswer(
          Only(*FindExamGrade(QStringLiteral("shuzan-p3")), TExamSubject::Division).pairs, true)),
      20);
}

}  // namespace
}  // namespace tamariko

namespace tamariko {
namespace {

const char* const kAnzanKeys[] = {"anzan-10", "anzan-9",  "anzan-8",  "anzan-7",  "anzan-6",
                                  "anzan-5",  "anzan-4",  "anzan-p3", "anzan-3",  "anzan-p2",
                                  "anzan-2",  "anzan-p1", "anzan-1",  "anzan-dan"};

TEST(AnzanProblems, EveryGradeKeepsItsRulesOverManySeedsAndTheSharedPaperIsOne) {
  for (const char* key : kAnzanKeys) {
    for (std::uint32_t seed = 0; seed < 250; ++seed) {
      const auto faults =
          testing::AnzanExamViolations(key, NumbersOf(MadeFrom(seed * 2654435761u, key)));
      ASSERT_TRUE(faults.empty()) << key << " seed " << seed * 2654435761u << ": "
                                  << faults.front();
    }
  }
  for (std::uint32_t seed : {1u, 90u, 4000000000u}) {
    const auto ten = NumbersOf(MadeFrom(seed, "anzan-10"));
    for (const char* key : {"anzan-9", "anzan-8", "anzan-7"}) {
      EXPECT_EQ(NumbersOf(MadeFrom(seed, key)).abacusRows, ten.abacusRows) << key;
    }
  }
  // The checker is no rubber stamp.
  const testing::ExamNumbers sound = NumbersOf(MadeFrom(9, "anzan-dan"));
  const auto broken = [&](auto change) {
    testing::ExamNumbers paper = sound;
    change(paper);
    return !testing::AnzanExamViolations("anzan-dan", paper).empty();
  };
  EXPECT_FALSE(broken([](auto&) {}));
  EXPECT_TRUE(broken([](auto& p) { p.division[4].first += 1; }));
  EXPECT_TRUE(broken([](auto& p) { p.multiplication[30] = p.multiplication[31]; }));
  EXPECT_TRUE(broken([](auto& p) { p.abacusRows[3][1] = -p.abacusRows[3][1]; }));
}

TEST(AnzanPaper, MarksPagesAndJsonOfTheMentalLadder) {
  QStringList marks;
  for (const TPassMark& m : Grade("anzan-8").passMarks)
    marks << m.label + QString::number(m.points);
  EXPECT_EQ(marks.join(u' '), QStringLiteral("10級250 9級300 8級350 7級400"));
  EXPECT_EQ(Grade("anzan-7").paperName, QStringLiteral("10級〜7級"));
  EXPECT_EQ(Grade("anzan-1").minutes, 12);
  EXPECT_EQ(Grade("anzan-p2").passMarks.front().points, 400);
  const TExamGrade& dan = Grade("anzan-dan");
  EXPECT_EQ(QStringLiteral("%1 %2 %3")
                .arg(dan.sections[0].minutes)
                .arg(dan.sections[1].minutes)
                .arg(dan.sections[2].minutes),
            QStringLiteral("4 3 3"));
  EXPECT_EQ(dan.passMarks.size(), 13u);
  EXPECT_EQ(ExamPageTitle(Grade("anzan-9"), LayOutExam(Grade("anzan-9")), {}),
            QStringLiteral("暗算検定練習問題　１０級〜７級"));
  EXPECT_EQ(ExamPageTitle(Grade("anzan-1"), LayOutExam(Grade("anzan-1")), {}),
            QStringLiteral("暗算検定練習問題　１級（表）"));

  const auto pages = [](const char* key) {
    QStringList keys;
    const TExamPaper paper(Grade(key));
    for (const TExamPage& p : paper.Pages()) keys << p.key;
    return keys.join(u' ');
  };
  EXPECT_EQ(pages("anzan-10"), QStringLiteral("omote kaitou"));
  EXPECT_EQ(pages("anzan-3"), QStringLiteral("omote ura kaitou"));
  EXPECT_EQ(pages("anzan-dan"), QStringLiteral("mitori1 mitori2 kake wari kaitou"));

  TExamPaper young(Grade("anzan-10"));
  SetRandomSeed(5);
  young.Make();
  EXPECT_TRUE(young.JsonMembers().startsWith("\"mental\": {\"problems\": [["));
  EXPECT_FALSE(young.JsonMembers().contains("multipl"));
  EXPECT_FALSE(young.JsonMembers().contains("yen"));
  TExamPaper two(Grade("anzan-2"));
  SetRandomSeed(5);
  two.Make();
  const QByteArray json = two.JsonMembers();
  EXPECT_TRUE(json.contains("}, \"mental_multiplication\": {\"multiplicands\": ["));
  EXPECT_TRUE(json.contains("}, \"mental_division\": {\"dividends\": ["));
  EXPECT_FALSE(json.contains("yen"));
  EXPECT_FALSE(json.contains("abacus"));
}

}  // namespace
}  // namespace tamariko
