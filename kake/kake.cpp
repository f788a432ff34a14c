#include "kake/kake.h"

#include "core/graded_pairs.h"

namespace tamariko {

void Tkake::Generate(const AcceptedProblem& accepted) {
  Answers.fill(0);
  Multiplicands.fill(0);
  Multipliers.fill(0);
  MakeGradedPairs([&](int problem, const GradedPair& pair) {
    const int index = problem - 1;
    Multiplicands[index] = pair.multiplicand;
    Multipliers[index] = pair.multiplier;
    if (accepted) accepted(problem);
    Answers[index] = Multiplicands[index] * Multipliers[index];
  });
}

}  // namespace tamariko
