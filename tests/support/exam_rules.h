#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamariko::testing {

// A 珠算 exam paper's figures, whole numbers, signed as on the sheet.
struct ExamNumbers {
  struct Pair {
    std::int64_t first, second, answer;  // 実 × 法 = answer; dividend ÷ divisor = answer
  };
  std::vector<std::vector<std::int64_t>> abacusRows;
  std::vector<std::int64_t> abacusAnswers;
  std::vector<Pair> multiplication, division;
};

// Every rule the grade of `key` (shuzan-10 .. shuzan-4) sets for its paper, checked from the
// figures alone. One line per broken rule; empty when the paper is sound.
std::vector<std::string> ShuzanExamViolations(const std::string& key, const ExamNumbers& paper);

}  // namespace tamariko::testing

namespace tamariko::testing {

// A 珠算 exam paper of decimals and yen, every figure as printed: commas, ¥ and sign.
struct ExamTexts {
  struct Pair {
    std::string first, second, answer;  // 実 × 法 = answer; dividend ÷ divisor = answer
  };
  std::vector<std::vector<std::string>> abacusRows;
  std::vector<std::string> abacusAnswers;
  std::vector<Pair> multiplication, division;
};

// Every rule the grade of `key` (shuzan-p3 .. shuzan-1, shuzan-dan) sets for its paper,
// checked from the printed figures alone, with exact arithmetic of its own.
std::vector<std::string> ShuzanDecimalExamViolations(const std::string& key,
                                                     const ExamTexts& paper);

}  // namespace tamariko::testing

namespace tamariko::testing {

// Every rule the 暗算 grade of `key` (anzan-10 .. anzan-1, the 準級, anzan-dan) sets for its
// paper, checked from the figures alone: みとり暗算 in `abacus…`, かけ暗算 and わり暗算 in the
// pairs.
std::vector<std::string> AnzanExamViolations(const std::string& key, const ExamNumbers& paper);

}  // namespace tamariko::testing
