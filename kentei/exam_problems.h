#pragma once

#include <vector>

#include "kentei/exact_number.h"
#include "kentei/exam_grades.h"

namespace tamariko {

// One みとり算 problem: its rows, signed (a subtracted row is negative), and their sum.
struct TAdditionProblem {
  std::vector<TExactNumber> rows;
  TExactNumber answer;
};

// One かけ算 (実 × 法) or わり算 (dividend ÷ divisor) problem with its answer.
struct TPairProblem {
  TExactNumber first, second, answer;
};

// One section's problems: its additions or its pairs.
struct TSectionProblems {
  std::vector<TAdditionProblem> additions;
  std::vector<TPairProblem> pairs;
};

struct TExamProblems {
  std::vector<TSectionProblems> sections;  // by section, in printed order
  // The problems of the paper's only section of each subject (empty where it has none or
  // several), as the shipped papers' JSON of old writes them.
  std::vector<TAdditionProblem> abacus;
  std::vector<TPairProblem> multiplication;
  std::vector<TPairProblem> division;
};

// Whether a block's rows can give a negative answer with the fewest subtracted rows one
// has (4, or rows - 2): the longest rows at their largest subtracted, the others at their
// smallest added, no two alike but of one digit.
bool NegativeAnswerPossible(const TAdditionBlock& block);

// A paper's problems from the run's generator, drawn in a fixed order: subject by subject
// (みとり算, みとり暗算, かけ算, かけ暗算, わり算, わり暗算), a subject's sections in printed
// order, each by problem number. Every redraw is bounded and ends in a draw-free choice that keeps
// the rules, so the same seed gives the same paper and no paper can hang. Grades that share
// a paper share every draw.
TExamProblems MakeExamProblems(const TExamGrade& grade);

}  // namespace tamariko
