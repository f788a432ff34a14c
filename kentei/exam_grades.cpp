#include "kentei/exam_grades.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace tamariko {
namespace {

// Ten problems of `digits`-digit rows, two with subtractions in each half, none negative:
// the addition of every whole-number 珠算 grade.
TAdditionSection Addition10(int digits, int rows) {
  return {{{1, 5, digits, rows, 2, 0}, {6, 10, digits, rows, 2, 0}}, 10, false};
}

// `count` problems of one digit total and one range of splits.
TPairSection Pairs(int count, int digits, int minLeft, int maxLeft, int minRight, int maxRight) {
  return {{{1, count, digits, minLeft, maxLeft, minRight, maxRight, TNumberKind::Whole}}, 5};
}

// Ten problems with yen rows: No.1–5 and No.6–10 each with two problems with subtractions,
// `negatives` of them (all in No.6–10) ending below zero.
TAdditionSection YenAddition10(int digits, int negatives) {
  return {{{1, 5, digits, 10, 2, 0}, {6, 10, digits, 10, 2, negatives}}, 10, true};
}

// A decimal section: the first half 無名数, the second 円名数, one range of splits.
TPairSection Decimals(int count, int digits, int minLeft, int maxLeft, int minRight, int maxRight) {
  const int half = count / 2;
  return {{{1, half, digits, minLeft, maxLeft, minRight, maxRight, TNumberKind::Plain},
           {half + 1, count, digits, minLeft, maxLeft, minRight, maxRight, TNumberKind::Yen}},
          5};
}

TExamGrade Shuzan(const char* key, const char* name, const char* paperName, int minutes, int total,
                  std::vector<TPassMark> pass, TAdditionSection abacus, TPairSection multiplication,
                  TPairSection division, TPageShape pages) {
  return {QString::fromLatin1(key),
          QString::fromUtf8(name),
          QString::fromUtf8(paperName),
          QStringLiteral("珠算"),
          minutes,
          total,
          std::move(pass),
          std::move(abacus),
          std::move(multiplication),
          std::move(division),
          pages,
          false,
          {0, 0, 0}};
}

// 暗算 pairs: every split with a digit on each side, taken in turn (1 × 1 .. 4 × 1 and back).
TPairBlock MentalPairs(int first, int last, int digits) {
  return {first, last, digits, 1, digits - 1, 1, digits - 1, TNumberKind::Whole};
}

// `count` problems of one length in blocks of 15: 準3級 and 準1級 change the length halfway.
TPairSection MentalSection(int count, int digits, int secondDigits) {
  if (secondDigits == digits) return {{MentalPairs(1, count, digits)}, 5};
  return {{MentalPairs(1, count / 2, digits), MentalPairs(count / 2 + 1, count, secondDigits)}, 5};
}

// みとり暗算 of 20: No.1–10 and No.11–20, `subtracted` problems with subtractions in each.
TAdditionSection MentalAddition20(int digits, int rows, int secondRows, int subtracted,
                                  int secondDigits = 0) {
  return {{{1, 10, digits, rows, subtracted, 0},
           {11, 20, secondDigits > 0 ? secondDigits : digits, secondRows, subtracted, 0}},
          10,
          false};
}

TExamGrade Anzan(const char* key, const char* name, TAdditionSection mental,
                 TPairSection multiplication, TPairSection division) {
  TExamGrade g = Shuzan(key, name, name, 12, 500, {{{}, 400}}, std::move(mental),
                        std::move(multiplication), std::move(division), TPageShape::FrontBack);
  g.ladder = QStringLiteral("暗算");
  g.mental = true;
  return g;
}

// The 暗算 ladder after the 珠算 one.
void AddAnzan(std::vector<TExamGrade>& g, const std::vector<TPassMark>& danLadder) {
  // 10級 to 7級 are one paper of みとり暗算 alone, its four pass marks printed on it.
  const std::vector<TPassMark> marks = {{QStringLiteral("10級"), 250},
                                        {QStringLiteral("9級"), 300},
                                        {QStringLiteral("8級"), 350},
                                        {QStringLiteral("7級"), 400}};
  for (const auto& [key, name] : std::initializer_list<std::pair<const char*, const char*>>{
           {"anzan-10", "10級"}, {"anzan-9", "9級"}, {"anzan-8", "8級"}, {"anzan-7", "7級"}}) {
    TExamGrade shared = Anzan(
        key, name, {{{1, 15, 1, 3, 0, 0}, {16, 30, 1, 4, 0, 0}, {31, 50, 1, 5, 0, 0}}, 10, false},
        {}, {});
    shared.paperName = QStringLiteral("10級〜7級");
    shared.passMarks = marks;
    shared.pages = TPageShape::Single;
    g.push_back(std::move(shared));
  }
  g.push_back(Anzan("anzan-6", "6級", MentalAddition20(1, 5, 5, 0), MentalSection(30, 2, 2),
                    MentalSection(30, 2, 2)));
  // 5級 splits as the exam does: 2 × 1, and 法 1 with 商 2.
  g.push_back(Anzan("anzan-5", "5級", MentalAddition20(2, 3, 3, 0),
                    {{{1, 30, 3, 2, 2, 1, 1, TNumberKind::Whole}}, 5},
                    {{{1, 30, 3, 1, 1, 2, 2, TNumberKind::Whole}}, 5}));
  g.push_back(Anzan("anzan-4", "4級", MentalAddition20(2, 5, 5, 0), MentalSection(30, 3, 3),
                    MentalSection(30, 3, 3)));
  g.push_back(Anzan("anzan-p3", "準3級", MentalAddition20(2, 5, 5, 0, 3), MentalSection(30, 3, 4),
                    MentalSection(30, 3, 4)));
  g.push_back(Anzan("anzan-3", "3級", MentalAddition20(3, 5, 5, 0), MentalSection(30, 4, 4),
                    MentalSection(30, 4, 4)));
  g.push_back(Anzan("anzan-p2", "準2級", MentalAddition20(3, 5, 7, 2), MentalSection(30, 4, 4),
                    MentalSection(30, 4, 4)));
  g.push_back(Anzan("anzan-2", "2級", MentalAddition20(3, 7, 7, 2), MentalSection(30, 4, 4),
                    MentalSection(30, 4, 4)));
  g.push_back(Anzan("anzan-p1", "準1級", MentalAddition20(3, 7, 10, 4), MentalSection(30, 4, 5),
                    MentalSection(30, 4, 5)));
  g.push_back(Anzan("anzan-1", "1級", MentalAddition20(3, 10, 10, 4), MentalSection(30, 5, 5),
                    MentalSection(30, 5, 5)));
  // 段位: each subject timed and scored alone, 60 かけ暗算 and わり暗算 in blocks of 20.
  const auto sixty = [] {
    return TPairSection{{MentalPairs(1, 20, 5), MentalPairs(21, 40, 6), MentalPairs(41, 60, 7)}, 5};
  };
  TExamGrade dan =
      Anzan("anzan-dan", "段位",
            {{{1, 10, 4, 10, 4, 1}, {11, 20, 6, 10, 4, 1}, {21, 30, 8, 10, 4, 1}}, 10, false},
            sixty(), sixty());
  dan.minutes = 4;
  dan.totalPoints = 300;
  dan.passMarks = danLadder;
  dan.pages = TPageShape::Dan;
  dan.subjectMinutes[0] = 4;
  dan.subjectMinutes[1] = 3;
  dan.subjectMinutes[2] = 3;
  g.push_back(std::move(dan));
}

std::vector<TExamGrade> MakeGrades() {
  using P = TPageShape;
  std::vector<TExamGrade> g;
  // 10級 and 9級 are one paper; only the pass mark shown differs. The window offers the
  // paper itself, with both marks.
  g.push_back(Shuzan("shuzan-10-9", "10級・9級", "10級・9級", 20, 200,
                     {{QStringLiteral("10級"), 60}, {QStringLiteral("9級"), 120}}, Addition10(2, 5),
                     Pairs(20, 3, 2, 2, 1, 1), {}, P::Single));
  g.back().batchKey = false;
  g.push_back(Shuzan("shuzan-10", "10級", "10級・9級", 20, 200, {{{}, 60}}, Addition10(2, 5),
                     Pairs(20, 3, 2, 2, 1, 1), {}, P::Single));
  g.push_back(Shuzan("shuzan-9", "9級", "10級・9級", 20, 200, {{{}, 120}}, Addition10(2, 5),
                     Pairs(20, 3, 2, 2, 1, 1), {}, P::Single));
  g.push_back(Shuzan("shuzan-8", "8級", "8級", 20, 200, {{{}, 120}}, Addition10(2, 8),
                     Pairs(10, 4, 3, 3, 1, 1), Pairs(10, 3, 1, 1, 2, 2), P::Single));
  g.push_back(Shuzan("shuzan-7", "7級", "7級", 20, 200, {{{}, 120}}, Addition10(2, 10),
                     Pairs(10, 4, 2, 2, 2, 2), Pairs(10, 4, 1, 1, 3, 3), P::Single));
  g.push_back(Shuzan("shuzan-6", "6級", "6級", 30, 300, {{{}, 210}}, Addition10(3, 10),
                     Pairs(20, 5, 2, 3, 2, 3), Pairs(20, 4, 2, 2, 2, 2), P::FrontBack));
  g.push_back(Shuzan("shuzan-5", "5級", "5級", 30, 300, {{{}, 210}}, Addition10(4, 10),
                     Pairs(20, 6, 2, 4, 2, 4), Pairs(20, 5, 2, 3, 2, 3), P::FrontBack));
  g.push_back(Shuzan("shuzan-4", "4級", "4級", 30, 300, {{{}, 210}}, Addition10(5, 10),
                     Pairs(20, 7, 3, 5, 2, 4), Pairs(20, 6, 2, 4, 2, 4), P::FrontBack));
  g.push_back(Shuzan("shuzan-p3", "準3級", "準3級", 30, 300, {{{}, 240}},
                     {{{1, 5, 5, 10, 2, 0}, {6, 10, 6, 10, 2, 0}}, 10, false},
                     Decimals(20, 7, 3, 5, 2, 4), Decimals(20, 6, 2, 4, 2, 4), P::FrontBack));
  g.push_back(Shuzan("shuzan-3", "3級", "3級", 30, 300, {{{}, 240}}, Addition10(6, 10),
                     Decimals(20, 7, 3, 5, 2, 4), Decimals(20, 6, 2, 4, 2, 4), P::FrontBack));
  // One source gives 準2級 a pass mark of 210; the papers keep 240.
  g.push_back(Shuzan("shuzan-p2", "準2級", "準2級", 30, 300, {{{}, 240}}, YenAddition10(7, 0),
                     Decimals(20, 8, 3, 6, 3, 5), Decimals(20, 7, 3, 4, 3, 4), P::FrontBack));
  g.push_back(Shuzan("shuzan-2", "2級", "2級", 30, 300, {{{}, 240}}, YenAddition10(8, 1),
                     Decimals(20, 9, 4, 6, 3, 5), Decimals(20, 8, 3, 5, 3, 5), P::FrontBack));
  g.push_back(Shuzan("shuzan-p1", "準1級", "準1級", 30, 300, {{{}, 240}}, YenAddition10(9, 1),
                     Decimals(20, 10, 4, 7, 4, 6), Decimals(20, 9, 4, 5, 4, 5), P::FrontBack));
  g.push_back(Shuzan("shuzan-1", "1級", "1級", 30, 300, {{{}, 240}}, YenAddition10(10, 1),
                     Decimals(20, 11, 5, 7, 4, 6), Decimals(20, 10, 4, 6, 4, 6), P::FrontBack));
  // 段位: one paper for every 段, each subject timed and scored alone; its score decides the
  // 段 by this ladder.
  std::vector<TPassMark> ladder;
  for (const auto& [dan, points] :
       std::initializer_list<std::pair<const char*, int>>{{"準初段", 90},
                                                          {"初段", 100},
                                                          {"準二段", 110},
                                                          {"二段", 120},
                                                          {"準三段", 130},
                                                          {"三段", 140},
                                                          {"四段", 160},
                                                          {"五段", 180},
                                                          {"六段", 200},
                                                          {"七段", 220},
                                                          {"八段", 240},
                                                          {"九段", 260},
                                                          {"十段", 290}})
    ladder.push_back({QString::fromUtf8(dan), points});
  g.push_back(
      Shuzan("shuzan-dan", "段位", "段位", 10, 300, ladder,
             {{{1, 10, 10, 10, 4, 1}, {11, 20, 10, 10, 4, 1}, {21, 30, 10, 10, 4, 1}}, 10, true},
             Decimals(60, 11, 5, 7, 4, 6), Decimals(60, 10, 4, 6, 4, 6), P::Dan));
  AddAnzan(g, ladder);
  return g;
}

}  // namespace

const TAdditionBlock& TAdditionSection::BlockOf(int problem) const {
  for (const auto& b : blocks) {
    if (problem <= b.last) return b;
  }
  return blocks.back();
}

const TPairBlock& TPairSection::BlockOf(int problem) const {
  for (const auto& b : blocks) {
    if (problem <= b.last) return b;
  }
  return blocks.back();
}

std::vector<TSplit> SplitsOf(const TPairBlock& block) {
  std::vector<TSplit> splits;
  for (int left = block.maxLeft; left >= block.minLeft; --left) {
    const int right = block.digits - left;
    if (right >= block.minRight && right <= block.maxRight) splits.push_back({left, right});
  }
  return splits;
}

std::span<const TExamGrade> ExamGrades() {
  static const std::vector<TExamGrade> grades = MakeGrades();
  return grades;
}

const TExamGrade* FindExamGrade(const QString& key) {
  const auto grades = ExamGrades();
  const auto it =
      std::find_if(grades.begin(), grades.end(), [&](const TExamGrade& g) { return g.key == key; });
  return it == grades.end() ? nullptr : &*it;
}

}  // namespace tamariko
