#pragma once

#include <array>
#include <cstdint>

#include "core/keisan.h"
#include "core/problem_kind.h"

namespace tamariko {

class TCanvas;
class TPrintTarget;
struct PageMapping;

// The answer table (解答表): the answers of the multiplication, division, mental addition
// and abacus addition sheets in three columns of sixty rows. It holds what it is given and
// generates nothing; a column whose kind was never made shows 0.
class Tkaitou : public TKeisan {
 public:
  static constexpr int kMultiplicationCount = 60;
  static constexpr int kDivisionCount = 60;
  static constexpr int kMentalCount = 30;
  static constexpr int kAbacusCount = 30;
  // Abacus answers are read in two runs: 0 .. 16 through A, 17 .. 29 through B.
  static constexpr int kAbacusRunA = 17;

  // Indexes are not checked; callers keep them in range.
  void SetMultiplicationAnswer(std::int32_t index, std::int64_t value) {
    MultiplicationAnswers[index] = value;
  }
  std::int64_t GetMultiplicationAnswer(std::int32_t index) const {
    return MultiplicationAnswers[index];
  }
  std::int32_t GetDivisionAnswer(std::int32_t index) const { return DivisionAnswers[index]; }
  void SetDivisionAnswer(std::int32_t index, std::int32_t value) { DivisionAnswers[index] = value; }
  void SetMentalAnswer(std::int32_t index, std::int32_t value) { MentalAnswers[index] = value; }
  std::int32_t GetMentalAnswer(std::int32_t index) const { return MentalAnswers[index]; }
  std::int64_t GetAbacusAnswerA(std::int32_t index) const { return AbacusAnswers[index]; }
  std::int64_t GetAbacusAnswerB(std::int32_t index) const {
    return AbacusAnswers[kAbacusRunA + index];
  }
  void SetAbacusAnswer(std::int32_t index, std::int64_t value) { AbacusAnswers[index] = value; }

  // The answers a kind made, into its column from the first row on.
  void TakeAnswers(const TProblemKind& kind);
  // Answer `index` of a column, as TakeAnswers fills it.
  std::int64_t Answer(AnswerColumn column, std::int32_t index) const;

  // The empty table on the preview image; answers are never drawn there.
  void DrawSheet(TCanvas& image, const PageMapping& mapping);
  // The table with all 180 answers, as one print job of one page.
  void PrintSheet(TPrintTarget& printer);

 private:
  std::array<std::int64_t, kMultiplicationCount> MultiplicationAnswers{};
  std::array<std::int32_t, kDivisionCount> DivisionAnswers{};
  std::array<std::int32_t, kMentalCount> MentalAnswers{};
  std::array<std::int64_t, kAbacusCount> AbacusAnswers{};
};

}  // namespace tamariko
