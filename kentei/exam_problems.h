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

struct TExamProblems {
  std::vector<TAdditionProblem> abacus;
  std::vector<TPairProblem> multiplication;
  std::vector<TPairProblem> division;
};

// A paper's problems from the run's generator, drawn in a fixed order: みとり算, かけ算, わり算,
// each by problem number. Every redraw is bounded and ends in a draw-free choice that keeps
// the grade's rules, so the same seed gives the same paper and no grade can hang. Grades
// that share a paper share every draw.
TExamProblems MakeExamProblems(const TExamGrade& grade);

}  // namespace tamariko
