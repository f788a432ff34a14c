#include "wari/wari.h"

#include "core/graded_pairs.h"

namespace tamariko {

void Twari::Generate(const AcceptedProblem& accepted) {
  Answers.fill(0);
  Dividends.fill(0);
  Divisors.fill(0);
  // The multiplication set's pairs: its multiplicand is the quotient, its multiplier the
  // divisor, so every division comes out whole.
  MakeGradedPairs([&](int problem, const GradedPair& pair) {
    const int index = problem - 1;
    Divisors[index] = pair.multiplier;
    Dividends[index] = std::int64_t{pair.multiplicand} * pair.multiplier;
    if (accepted) accepted(problem);
    Answers[index] = pair.multiplicand;
  });
}

}  // namespace tamariko
