#pragma once

#include <array>
#include <cstdint>

#include "core/answer.h"
#include "core/keisan.h"
#include "core/problem_kind.h"

namespace tamariko {

class TCanvas;
class TPrintTarget;
struct PageMapping;

// The answer table (解答表): the answers of the multiplication, division, mental addition
// and abacus addition sheets in three columns of sixty rows. It holds what it is given and
// generates nothing; the cells of a kind not made stay empty.
class Tkaitou : public TKeisan {
 public:
  static constexpr int kMultiplicationCount = 60;
  static constexpr int kDivisionCount = 60;
  static constexpr int kMentalCount = 30;
  static constexpr int kAbacusCount = 30;
  // Abacus answers are read in two runs: 0 .. 16 through A, 17 .. 29 through B.
  static constexpr int kAbacusRunA = 17;

  // Indexes are not checked; callers keep them in range.
  void SetMultiplicationAnswer(std::int32_t index, TAnswer value) {
    MultiplicationAnswers[index] = value;
    Hold(AnswerColumn::Multiplication);
  }
  TAnswer GetMultiplicationAnswer(std::int32_t index) const { return MultiplicationAnswers[index]; }
  TAnswer GetDivisionAnswer(std::int32_t index) const { return DivisionAnswers[index]; }
  void SetDivisionAnswer(std::int32_t index, TAnswer value) {
    DivisionAnswers[index] = value;
    Hold(AnswerColumn::Division);
  }
  void SetMentalAnswer(std::int32_t index, TAnswer value) {
    MentalAnswers[index] = value;
    Hold(AnswerColumn::Mental);
  }
  TAnswer GetMentalAnswer(std::int32_t index) const { return MentalAnswers[index]; }
  TAnswer GetAbacusAnswerA(std::int32_t index) const { return AbacusAnswers[index]; }
  TAnswer GetAbacusAnswerB(std::int32_t index) const { return AbacusAnswers[kAbacusRunA + index]; }
  void SetAbacusAnswer(std::int32_t index, TAnswer value) {
    AbacusAnswers[index] = value;
    Hold(AnswerColumn::Abacus);
  }

  // The answers a kind made, into its column from the first row on. A column is printed
  // once it was given answers.
  void TakeAnswers(const TProblemKind& kind);
  // Empties every cell: a run that does not make a kind must not print its old answers.
  void ForgetAnswers();
  bool Holds(AnswerColumn column) const { return held_[static_cast<std::size_t>(column)]; }
  // Answer `index` of a column, as TakeAnswers fills it.
  TAnswer Answer(AnswerColumn column, std::int32_t index) const;

  // The empty table on the preview image; answers are never drawn there.
  void DrawSheet(TCanvas& image, const PageMapping& mapping);
  // The table with all 180 answers, as one print job of one page.
  void PrintSheet(TPrintTarget& printer);

 private:
  void Hold(AnswerColumn column) { held_[static_cast<std::size_t>(column)] = true; }

  std::array<TAnswer, kMultiplicationCount> MultiplicationAnswers{};
  std::array<TAnswer, kDivisionCount> DivisionAnswers{};
  std::array<TAnswer, kMentalCount> MentalAnswers{};
  std::array<TAnswer, kAbacusCount> AbacusAnswers{};
  std::array<bool, 4> held_{};
};

}  // namespace tamariko
