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
  int digits;      // every row has exactly these (けた揃い)
  int rows;        // 口
  int subtracted;  // problems of the block with subtracted rows
  int negatives;   // of those, problems whose answer is below zero (10口 blocks only)
};

struct TAdditionSection {
  std::vector<TAdditionBlock> blocks;  // in problem order, covering 1 .. Count()
  int pointsEach = 0;
  bool yen = false;
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

// How a paper's problem pages are cut (暗算: みとり暗算 first throughout).
enum class TPageShape {
  Single,     // one page: みとり算, かけ算, わり算
  FrontBack,  // 表 かけ算 and わり算, 裏 みとり算; 暗算: 表 みとり暗算, 裏 かけ暗算 and わり暗算
  Dan,  // かけ算, わり算, みとり算 first half, second half: a clock for each subject;
        // 暗算: みとり暗算 in halves, かけ暗算, わり暗算
};

struct TPassMark {
  QString label;  // empty for a paper of one pass mark; the 段 of a rung of the 段位 ladder
  int points;
};

struct TExamGrade {
  QString key;          // --exam name
  QString name;         // Japanese name of the grade alone: 「10級」
  QString paperName;    // the paper's grades, as its title names them: 「10級・9級」
  QString title;        // 「珠算検定練習問題」
  QString ladder;       // the window's paper choice: 「珠算検定練習」
  int minutes = 0;      // the paper's clock, or each subject's where pages is Dan
  int totalPoints = 0;  // the whole paper's; each subject's alone where pages is Dan
  std::vector<TPassMark> passMarks;
  TAdditionSection abacus;      // みとり算 (みとり暗算 where `mental`)
  TPairSection multiplication;  // かけ算 (かけ暗算)
  TPairSection division;        // わり算 (わり暗算; 法 left, 商 right)
  TPageShape pages = TPageShape::Single;
  // 暗算: the subjects are みとり暗算, かけ暗算 and わり暗算, whole numbers throughout.
  bool mental = false;
  // Where a Dan paper's subjects have clocks of their own: みとり, かけ, わり; else 0.
  int subjectMinutes[3] = {0, 0, 0};
  // The subjects' headings: みとり, かけ, わり.
  QString subjectNames[3];
  // --sheets names of the problem pages, in order.
  QStringList pageKeys;
  // The subjects (0 みとり, 1 かけ, 2 わり) in printed order.
  std::vector<int> printedSubjects;
  // Shipped with the program: its set's JSON keeps the members it had before documents.
  bool shipped = false;
};

}  // namespace tamariko
