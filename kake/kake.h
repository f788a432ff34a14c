#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/keisan.h"

namespace tamariko {

class TCanvas;
class TPrintTarget;
struct PageMapping;

// The multiplication set (かけ算): sixty problems in ten groups, from two digits times one
// digit up to six digits times five digits, with their exact 64-bit products.
class Tkake : public TKeisan {
 public:
  static constexpr int kProblemCount = 60;

  std::int64_t GetMultiplicand(std::int32_t index) const { return Multiplicands[index]; }
  void SetMultiplicand(std::int32_t index, std::int64_t value) { Multiplicands[index] = value; }
  std::int64_t GetMultiplier(std::int32_t index) const { return Multipliers[index]; }
  void SetMultiplier(std::int32_t index, std::int64_t value) { Multipliers[index] = value; }
  std::int64_t GetAnswer(std::int32_t index) const { return Answers[index]; }
  void SetAnswer(std::int32_t index, std::int64_t value) { Answers[index] = value; }

  // Called with the problem number (1 .. 60) once its group is settled, right before its
  // product is stored; its factors are already in place.
  using AcceptedProblem = std::function<void(int problem)>;

  // Resets the set and makes the sixty problems group by group, without drawing.
  void Generate(const AcceptedProblem& accepted = {});

  // Draws the empty form on the preview image, then makes the sixty problems and draws each
  // problem line as soon as its group is settled.
  void MakeSheet(TCanvas& image, const PageMapping& mapping);
  // Prints the form and the problem lines the set holds, as one job of one page.
  void PrintSheet(TPrintTarget& printer);

  using TKeisan::RandomDistinctNonZeroDigits;

 private:
  std::array<std::int64_t, kProblemCount> Multiplicands{};
  std::array<std::int64_t, kProblemCount> Multipliers{};
  std::array<std::int64_t, kProblemCount> Answers{};
};

}  // namespace tamariko
