#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/keisan.h"

namespace tamariko {

class TCanvas;
class TPrintTarget;
struct PageMapping;

// The abacus addition set (みとり算): thirty problems of ten rows, three to eight digits,
// some rows subtracted, on two sheets.
class TMitori : public TKeisan {
 public:
  static constexpr int kProblemCount = 30;
  static constexpr int kRowsPerProblem = 10;
  static constexpr int kNumberCount = kProblemCount * kRowsPerProblem;

  // 表 carries problems 1 to 15, 裏 problems 16 to 30.
  enum class Side { Front, Back };
  static constexpr int kProblemsPerSide = 15;

  // Row r of problem p at 10 (p - 1) + r - 1; a subtracted row is negative.
  std::int64_t GetNumber(std::int32_t index) const { return Numbers[index]; }
  void SetNumber(std::int32_t index, std::int64_t value) { Numbers[index] = value; }
  // The signed sum of problem p's rows at p - 1.
  std::int64_t GetAnswer(std::int32_t index) const { return Answers[index]; }

  // Called with the problem number (1 .. 30) as soon as that problem is accepted, its rows
  // and answer in place.
  using AcceptedProblem = std::function<void(int problem)>;

  // Resets the set and makes the thirty problems in order, without drawing.
  void Generate(const AcceptedProblem& accepted = {});

  // Draws the empty form on each preview image given (a null one is left out), then makes
  // the thirty problems once and draws each on its side as soon as it is accepted. Either
  // way the whole set is made, with the same draws.
  void MakeSheets(TCanvas* front, TCanvas* back, const PageMapping& mapping);
  // Prints one side, form and the problems the set holds, as one job of one page.
  void PrintSheet(Side side, TPrintTarget& printer);

  static Side SideOf(int problem) { return problem <= kProblemsPerSide ? Side::Front : Side::Back; }

 private:
  std::array<std::int64_t, kNumberCount> Numbers{};
  std::array<std::int64_t, kProblemCount> Answers{};
};

}  // namespace tamariko
