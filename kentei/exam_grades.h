#pragma once

// An exam-practice paper's grade as the generators and the pages read it: what the paper
// holds, its clock, points and pass marks. Grades are made from documents
// (kentei/paper_document.h).

#include <QString>
#include <QStringList>
#include <vector>

namespace tamariko {

// How the figures of a range of problems are written.
enum class TNumberKind {
  Whole,  // whole numbers, exact answers
  Plain,  // 無名数: decimals, answers rounded to 3 decimals
  Yen,    // 円名数: yen amounts, answers rounded to the yen
};

// Problems first .. last (1-based, inclusive) of an addition section.
struct TAdditionBlock {
  int first, last;
  int digits;      // every row has exactly these (けた揃い); the fewest where `maxDigits`
  int rows;        // 口
  int subtracted;  // problems of the block with subtracted rows
  int negatives;   // of those, problems whose answer is below zero
  // 字数: rows of `digits` .. `maxDigits` digits, `chars` digits in all; 0 for けた揃い.
  int maxDigits = 0;
  int chars = 0;
  bool yen = false;  // yen amounts
  bool Mixed() const { return maxDigits > 0; }
  int MostDigits() const { return Mixed() ? maxDigits : digits; }
};

struct TAdditionSection {
  std::vector<TAdditionBlock> blocks;  // in problem order, covering 1 .. Count()
  int pointsEach = 0;
  int Count() const { return blocks.empty() ? 0 : blocks.back().last; }
  const TAdditionBlock& BlockOf(int problem) const;
};

// Problems first .. last of a multiplication or division section. "Left" is 実 in かけ算,
// 法 in わり算; "right" is 法 in かけ算, 商 in わり算; together they have `digits`.
struct TPairBlock {
  int first, last;
  int digits;
  int minLeft, maxLeft, minRight, maxRight;
  TNumberKind kind = TNumberKind::Whole;
};

// A split of a pair's digits: left × right.
struct TSplit {
  int left, right;
  friend bool operator==(const TSplit&, const TSplit&) = default;
};

struct TPairSection {
  std::vector<TPairBlock> blocks;
  int pointsEach = 0;
  int Count() const { return blocks.empty() ? 0 : blocks.back().last; }
  const TPairBlock& BlockOf(int problem) const;
};

// Every split a block allows, left digits falling.
std::vector<TSplit> SplitsOf(const TPairBlock& block);

enum class TExamSubject { Abacus, Multiplication, Division };

// How the pass marks read: the paper's points, every section's (group's), or the 段 reached
// by the lowest section's.
enum class TPassRule { Total, Each, Ladder };

struct TPassMark {
  QString label;  // empty for a paper of one pass mark; the 段 of a rung of the 段位 ladder
  int points;
};

// One section of a paper: a subject's problems under one heading.
struct TExamSection {
  TExamSubject subject = TExamSubject::Abacus;
  bool mental = false;  // みとり暗算, かけ暗算, わり暗算: whole numbers
  QString word;         // the subject as documents name it: mitori, kake-anzan, ...
  QString title;        // the heading
  int minutes = 0;      // its own clock (a group's on its first section), or 0
  bool newPage = false;
  QString group;              // sections of one group are one subject for the clock and the pass
  int firstNumber = 1;        // the number its first problem is printed with
  TAdditionSection addition;  // みとり算
  TPairSection pairs;         // かけ算 (実 left), わり算 (法 left, 商 right)

  int Count() const { return subject == TExamSubject::Abacus ? addition.Count() : pairs.Count(); }
  int PointsEach() const {
    return subject == TExamSubject::Abacus ? addition.pointsEach : pairs.pointsEach;
  }
  int Points() const { return Count() * PointsEach(); }
  bool Division() const { return subject == TExamSubject::Division; }
};

struct TExamGrade {
  QString key;        // --exam name
  QString name;       // Japanese name of the grade alone: 「10級」
  QString paperName;  // the paper's grades, as its title names them: 「10級・9級」
  QString title;      // 「珠算検定練習問題」
  QString ladder;     // the window's paper choice: 「珠算検定練習」
  int minutes = 0;    // the paper's clock; 0 where the sections have theirs
  TPassRule pass = TPassRule::Total;
  std::vector<TPassMark> passMarks;
  std::vector<TExamSection> sections;  // in printed order
  // --sheets names of the problem pages, in order; empty: p1, p2, ...
  QStringList pageKeys;
  // Shipped with the program: its set's JSON keeps the members it had before documents.
  bool shipped = false;

  int TotalPoints() const;
  // The points a section's score is out of: its group's together.
  int SectionPoints(std::size_t section) const;
  // The only section of `subject`, or nullptr where the paper has none or several.
  const TExamSection* OnlySection(TExamSubject subject) const;
};

}  // namespace tamariko
