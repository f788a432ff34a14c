#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/keisan.h"

namespace tamariko {

class TCanvas;
class TPrintTarget;
struct PageMapping;

// The mental addition and subtraction set (みとり暗算): thirty problems of five to ten rows.
class TMitori1_1 : public TKeisan {
 public:
  static constexpr int kNumberCount = 236;
  static constexpr int kProblemCount = 30;

  std::int32_t GetNumber(std::int32_t index) const { return Numbers[index]; }
  void SetNumber(std::int32_t index, std::int32_t value) { Numbers[index] = value; }
  std::int32_t GetAnswer(std::int32_t index) const { return Answers[index]; }
  void SetAnswer(std::int32_t index, std::int32_t value) { Answers[index] = value; }

  // Called with the problem number (1 .. 30) as soon as that problem is accepted.
  using AcceptedProblem = std::function<void(int problem)>;

  // Resets the rows and makes the thirty problems in order, without drawing.
  void Generate(const AcceptedProblem& accepted = {});

  // Draws the empty form on the preview image, then makes the thirty problems and draws
  // each as soon as it is accepted.
  void MakeSheet(TCanvas& image, const PageMapping& mapping);
  // Prints the form and the problems the set holds, as one job of one page.
  void PrintSheet(TPrintTarget& printer);

  // The ten-row operations of problems 24 and 26 to 30.
  void MakeTenRows(int digitCount, int first, int last);
  void MakeTenRowsSigned(int digitCount, int first, int subtracted, int last);

  using TKeisan::RandomDistinctNonZeroDigits;

  // First row index and row count of problem p (1 .. 30).
  static int FirstIndex(int problem);
  static int RowCount(int problem);

 private:
  std::array<std::int32_t, kNumberCount> Numbers{};
  std::array<std::int32_t, kProblemCount> Answers{};
};

}  // namespace tamariko
