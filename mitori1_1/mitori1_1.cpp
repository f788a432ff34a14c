#include "mitori1_1/mitori1_1.h"

namespace tamariko {

int TMitori1_1::FirstIndex(int problem) {
  if (problem <= 12) return 5 * (problem - 1);
  if (problem <= 15) return 60 + 7 * (problem - 13);
  return 81 + 10 * (problem - 16);
}

int TMitori1_1::RowCount(int problem) {
  if (problem <= 12) return 5;
  if (problem <= 15) return 7;
  return 10;
}

void TMitori1_1::Generate(const AcceptedProblem&) {}
void TMitori1_1::MakeTenRows(int, int, int) {}
void TMitori1_1::MakeTenRowsSigned(int, int, int, int) {}

}  // namespace tamariko
