#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/keisan.h"

namespace tamariko {

class TCanvas;
class TPrintTarget;
struct PageMapping;

// The division set (わり算): sixty problems "dividend ÷ divisor =" with whole quotients,
// graded like the multiplication set: its pairs, with the quotient in the multiplicand's
// role and the divisor in the multiplier's.
class Twari : public TKeisan {
 public:
  static constexpr int kProblemCount = 60;

  // Up to 987,659 × 98,769 = 97,550,091,771: beyond 32 bits.
  std::int64_t GetDividend(std::int32_t index) const { return Dividends[index]; }
  void SetDividend(std::int32_t index, std::int64_t value) { Dividends[index] = value; }
  std::int64_t GetDivisor(std::int32_t index) const { return Divisors[index]; }
  void SetDivisor(std::int32_t index, std::int64_t value) { Divisors[index] = value; }
  // The quotient: at most 987,659, so the answer table's 32-bit column holds it.
  std::int32_t GetAnswer(std::int32_t index) const { return Answers[index]; }
  void SetAnswer(std::int32_t index, std::int32_t value) { Answers[index] = value; }

  // Called with the problem number (1 .. 60) once its group is settled, right before its
  // quotient is stored; its dividend and divisor are already in place.
  using AcceptedProblem = std::function<void(int problem)>;

  // Resets the set and makes the sixty problems group by group, without drawing.
  void Generate(const AcceptedProblem& accepted = {});

  // Draws the empty form on the preview image, then makes the sixty problems and draws each
  // problem line as soon as its group is settled.
  void MakeSheet(TCanvas& image, const PageMapping& mapping);
  // Prints the form and the problem lines the set holds, as one job of one page.
  void PrintSheet(TPrintTarget& printer);

 private:
  std::array<std::int64_t, kProblemCount> Dividends{};
  std::array<std::int64_t, kProblemCount> Divisors{};
  std::array<std::int32_t, kProblemCount> Answers{};
};

}  // namespace tamariko
