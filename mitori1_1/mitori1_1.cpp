#include "mitori1_1/mitori1_1.h"

#include <cstdlib>

#include "core/random.h"
#include "mitori1_1/row_maker.h"

namespace tamariko {
namespace {

using mitori::DigitTables;
using mitori::kPlaces;
using RowMaker = mitori::RowMaker<TMitori1_1>;
static_assert(mitori::kRows == TMitori1_1::kNumberCount);
using mitori::Source;

using Positions = std::array<int, 4>;

std::int32_t WithSignOf(std::int32_t like, std::int32_t magnitude) {
  return like < 0 ? -magnitude : magnitude;
}

// Zero rules, done on the magnitude so that the sign stays in front.
std::int32_t UnitsToZero(std::int32_t v) {
  const std::int32_t a = std::abs(v);
  return WithSignOf(v, a - a % 10);
}
std::int32_t TensToZero(std::int32_t v) {
  const std::int32_t a = std::abs(v);
  return WithSignOf(v, a - (a / 10 % 10) * 10);
}
std::int32_t HundredsToZero(std::int32_t v) {
  const std::int32_t a = std::abs(v);
  return WithSignOf(v, a - (a / 100 % 10) * 100);
}
// Three-digit rows: "abc" becomes "a0b".
std::int32_t ShiftZero(std::int32_t v) {
  const std::int32_t a = std::abs(v);
  return WithSignOf(v, a / 100 * 100 + a / 10 % 10);
}

// Layout A: R1, R1 + 1, R1 + 3 and one row from R1 + 5 to 10.
Positions LayoutA() {
  const int r1 = 2 + Random(4);
  const int t = RandomAvoiding(0, 7 - r1, {0});
  return {r1, r1 + 1, r1 + 3, r1 + 4 + t};
}

// Layout B: R1, R2, R2 + 1 and R2 + 3 with R2 from R1 + 1 to 7.
Positions LayoutB() {
  const int r1 = 2 + Random(4);
  const int r2 = r1 + 1 + Random(7 - r1);
  return {r1, r2, r2 + 1, r2 + 3};
}

// Layout C: R1, R2, R2 + 2 and R2 + 3 with R2 from R1 + 2 to 7.
Positions LayoutC() {
  const int r1 = 2 + Random(4);
  const int r2 = r1 + 1 + RandomAvoiding(0, 7 - r1, {0});
  return {r1, r2, r2 + 2, r2 + 3};
}

bool Contains(const Positions& positions, int row, int count = 4) {
  for (int i = 0; i < count; ++i) {
    if (positions[i] == row) return true;
  }
  return false;
}

// Running sums never below 0 and, where asked, no three subtracted rows in a row.
bool PassesWalk(const TMitori1_1& set, int first, int rows, bool checkThreeInARow) {
  std::int64_t sum = 0;
  for (int row = 0; row < rows; ++row) {
    sum += set.GetNumber(first + row);
    if (sum < 0) return false;
    if (checkThreeInARow && row + 2 < rows && set.GetNumber(first + row) < 0 &&
        set.GetNumber(first + row + 1) < 0 && set.GetNumber(first + row + 2) < 0) {
      return false;
    }
  }
  return true;
}

bool SomeRowEndsInZero(const TMitori1_1& set, int first) {
  for (int row = 0; row < 10; ++row) {
    if (set.GetNumber(first + row) % 10 == 0) return true;
  }
  return false;
}

bool PairwiseDifferent(const std::int32_t* values, int count) {
  for (int i = 0; i < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      if (values[i] == values[j]) return false;
    }
  }
  return true;
}

// Two distinct row numbers 1 .. rows, the second redrawn while it equals the first.
std::array<int, 2> TwoZeroRows(int rows) {
  const int z1 = 1 + Random(rows);
  return {z1, RandomAvoiding(1, rows, {z1})};
}

class SetMaker {
 public:
  SetMaker(TMitori1_1& set, const TMitori1_1::AcceptedProblem& accepted)
      : set_(set), accepted_(accepted) {}

  void Run() {
    for (int i = 0; i < TMitori1_1::kNumberCount; ++i) set_.SetNumber(i, 0);
    tables_ = DigitTables{};

    Until(1, [&] { return OneDigitRows(1, false); });
    Until(2, [&] { return OneDigitRows(2, true); });
    int t[3] = {};
    for (int p = 3; p <= 5; ++p) Until(p, [&] { return OneTwoDigitRow(p, t); });
    for (int p = 6; p <= 7; ++p) Until(p, [&] { return TwoOneDigitRows(p); });

    // Rows that get the units zero in problems 8 to 10, drawn once per set.
    int q[3];
    q[0] = Random(5);
    q[1] = RandomAvoiding(0, 5, {q[0]});
    q[2] = RandomAvoiding(0, 5, {q[0], q[1]});
    for (int p = 8; p <= 10; ++p) Until(p, [&] { return TwoDigitColumns(p, q[p - 8] + 1); });

    Until(11, [&] { return ThreeDigitColumns(11); });
    Until(12, [&] { return ThreeDigitColumns(12); });

    Until(13, [&] { return SevenRowsSigned(13); });
    Until(14, [&] { return SevenRows(14); });
    Until(15, [&] { return SevenRowsSigned(15); });
    Until(16, [&] { return TenRowsThreeDigits(16); });
    Until(17, [&] { return TenRowsThreeDigitsLayoutA(17); });
    Until(18, [&] { return TenRowsFourDigits(18, nullptr, 7); });
    Until(19, [&] { return TenRowsFourDigits(19, LayoutB, 7); });
    Until(20, [&] { return TenRowsFourDigits(20, nullptr, 8); });
    Until(21, [&] { return TenRowsFourDigits(21, LayoutC, 8); });
    Until(22, [&] { return TenRowsFourDigits(22, nullptr, 8); });

    Until(23, [&] { return FiveDigitsSigned(23, LayoutA); });
    Until(24, [&] { return TenRowsCall(24, [&] { set_.MakeTenRows(5, 161, 170); }); });
    Until(25, [&] { return FiveDigitsSigned(25, LayoutB); });
    Until(26, [&] { return TenRowsCall(26, [&] { set_.MakeTenRows(5, 181, 190); }); });
    Until(27, [&] { return TenRowsCall(27, [&] { set_.MakeTenRowsSigned(5, 191, 4, 200); }); });
    Until(28, [&] { return TenRowsCall(28, [&] { set_.MakeTenRows(6, 201, 210); }); });
    Until(29, [&] { return TenRowsCall(29, [&] { set_.MakeTenRowsSigned(6, 211, 4, 220); }); });
    Until(30, [&] { return TenRowsCall(30, [&] { set_.MakeTenRows(6, 221, 230); }); });
  }

 private:
  // Attempts problem p until one is accepted, then hands it on and stores its answer.
  template <typename Attempt>
  void Until(int p, Attempt attempt) {
    do set_.SetAnswer(p - 1, 0);
    while (!attempt());
    if (accepted_) accepted_(p);
    const int first = TMitori1_1::FirstIndex(p);
    std::int32_t sum = 0;
    for (int row = 0; row < TMitori1_1::RowCount(p); ++row) sum += set_.GetNumber(first + row);
    set_.SetAnswer(p - 1, sum);
  }

  RowMaker Rows(int p, Source source, int digits) {
    return RowMaker(set_, tables_, source, digits, digits, TMitori1_1::FirstIndex(p));
  }

  std::int32_t FirstRowOf(int p) const { return set_.GetNumber(TMitori1_1::FirstIndex(p)); }

  std::array<std::int32_t, 5> FiveRows(int p) const {
    std::array<std::int32_t, 5> rows;
    for (int r = 0; r < 5; ++r) rows[r] = set_.GetNumber(TMitori1_1::FirstIndex(p) + r);
    return rows;
  }

  // Problems 1 and 2: five different one-digit rows.
  bool OneDigitRows(int p, bool differFromPrevious) {
    RowMaker rows = Rows(p, Source::Distinct, 1);
    for (int r = 1; r <= 5; ++r) rows.Draw(r, false);
    const auto values = FiveRows(p);
    if (!PairwiseDifferent(values.data(), 5)) return false;
    return !differFromPrevious || values[0] != FirstRowOf(p - 1);
  }

  // Problems 3 to 5: one two-digit row, in a row position the earlier of them did not use.
  bool OneTwoDigitRow(int p, int (&t)[3]) {
    // Positions run 2 .. 5; -1 refuses nothing.
    const int position = RandomAvoiding(2, 4, {p >= 4 ? t[0] : -1, p == 5 ? t[1] : -1});
    t[p - 3] = position;
    RowMaker oneDigit = Rows(p, Source::Distinct, 1);
    RowMaker twoDigits = Rows(p, Source::NonZero, 2);
    for (int r = 1; r <= 5; ++r) (r == position ? twoDigits : oneDigit).Draw(r, false);
    const auto values = FiveRows(p);
    return PairwiseDifferent(values.data(), 5) && values[0] != FirstRowOf(p - 1);
  }

  // Problems 6 and 7: two one-digit rows, neither equal nor adjacent; three two-digit rows
  // with different tens digits.
  bool TwoOneDigitRows(int p) {
    const int a = 1 + Random(5);
    const int b = RandomAvoiding(1, 5, {a - 1, a, a + 1});
    RowMaker oneDigit = Rows(p, Source::Distinct, 1);
    RowMaker twoDigits = Rows(p, Source::Distinct, 2);
    for (int r = 1; r <= 5; ++r) (r == a || r == b ? oneDigit : twoDigits).Draw(r, false);
    const auto values = FiveRows(p);
    std::int32_t tens[3];
    int count = 0;
    for (int r = 1; r <= 5; ++r) {
      if (r != a && r != b) tens[count++] = values[r - 1] / 10;
    }
    return PairwiseDifferent(tens, 3) && values[a - 1] != values[b - 1] &&
           values[0] != FirstRowOf(p - 1);
  }

  // Problems 8 to 10: in each place the five digits differ; one row then ends in 0.
  bool TwoDigitColumns(int p, int zeroRow) {
    RowMaker rows = Rows(p, Source::NonZero, 2);
    for (int r = 1; r <= 5; ++r) rows.Draw(r, false);
    if (!ColumnsDiffer(p, 2)) return false;
    rows.SetRow(zeroRow, UnitsToZero(rows.Row(zeroRow)));
    return true;
  }

  // Problems 11 and 12.
  bool ThreeDigitColumns(int p) {
    RowMaker rows = Rows(p, Source::NonZero, 3);
    for (int r = 1; r <= 5; ++r) rows.Draw(r, false);
    if (!ColumnsDiffer(p, 3)) return false;
    if (p == 11) {
      const auto z = TwoZeroRows(5);
      rows.SetRow(z[0], ShiftZero(rows.Row(z[0])));
      rows.SetRow(z[1], UnitsToZero(rows.Row(z[1])));
    } else {
      const int z1 = 1 + Random(5);
      rows.SetRow(z1, ShiftZero(rows.Row(z1)));
    }
    return true;
  }

  bool ColumnsDiffer(int p, int places) const {
    const int first = TMitori1_1::FirstIndex(p);
    for (int place = 0; place < places; ++place) {
      unsigned seen = 0;
      for (int r = 0; r < 5; ++r) {
        const unsigned bit = 1u << tables_.at[first + r][place];
        if (seen & bit) return false;
        seen |= bit;
      }
    }
    return true;
  }

  // Problems 13 and 15: two subtracted rows, not in row 1 and not adjacent.
  bool SevenRowsSigned(int p) {
    const int s1 = 2 + Random(6);
    const int s2 = RandomAvoiding(2, 6, {s1 - 1, s1, s1 + 1});
    RowMaker rows = Rows(p, Source::NonZero, 3);
    for (int r = 1; r <= 7; ++r) rows.Draw(r, r == s1 || r == s2);
    if (!rows.RepairDown(7)) return false;
    ShiftAndUnitsZero(rows, 7);
    return PassesWalk(set_, TMitori1_1::FirstIndex(p), 7, false);
  }

  // Problem 14.
  bool SevenRows(int p) {
    RowMaker rows = Rows(p, Source::NonZero, 3);
    for (int r = 1; r <= 7; ++r) rows.Draw(r, false);
    if (!rows.RepairDown(7)) return false;
    ShiftAndUnitsZero(rows, 7);
    return true;
  }

  // Problem 16.
  bool TenRowsThreeDigits(int p) {
    RowMaker rows = Rows(p, Source::NonZero, 3);
    for (int r = 1; r <= 10; ++r) rows.Draw(r, false);
    if (!rows.RepairDown(8)) return false;
    const auto z = TwoZeroRows(10);
    rows.SetRow(z[0], TensToZero(rows.Row(z[0])));
    rows.SetRow(z[1], UnitsToZero(rows.Row(z[1])));
    return true;
  }

  // Problem 17.
  bool TenRowsThreeDigitsLayoutA(int p) {
    const Positions subtracted = LayoutA();
    RowMaker rows = Rows(p, Source::NonZero, 3);
    for (int r = 1; r <= 10; ++r) rows.Draw(r, Contains(subtracted, r));
    if (!rows.RepairDown(6)) return false;
    ShiftAndUnitsZero(rows, 10);
    return PassesWalk(set_, TMitori1_1::FirstIndex(p), 10, true);
  }

  // Problems 18 to 22; `layout` is null for the problems that only add.
  bool TenRowsFourDigits(int p, Positions (*layout)(), int lastRepaired) {
    Positions subtracted{};
    if (layout) subtracted = layout();
    RowMaker rows = Rows(p, Source::NonZero, 4);
    for (int r = 1; r <= 10; ++r) rows.Draw(r, layout && Contains(subtracted, r));
    if (!rows.RepairDown(lastRepaired)) return false;
    const int z1 = 1 + Random(10);
    const int z2 = RandomAvoiding(1, 10, {z1});
    const int z3 = RandomAvoiding(1, 10, {z1, z2});
    rows.SetRow(z1, UnitsToZero(rows.Row(z1)));
    rows.SetRow(z2, TensToZero(rows.Row(z2)));
    rows.SetRow(z3, HundredsToZero(rows.Row(z3)));
    return !layout || PassesWalk(set_, TMitori1_1::FirstIndex(p), 10, true);
  }

  void ShiftAndUnitsZero(RowMaker& rows, int rowCount) {
    const auto z = TwoZeroRows(rowCount);
    rows.SetRow(z[0], ShiftZero(rows.Row(z[0])));
    rows.SetRow(z[1], UnitsToZero(rows.Row(z[1])));
  }

  // Problems 23 and 25: ten five-digit rows with four subtracted.
  bool FiveDigitsSigned(int p, Positions (*layout)()) {
    const Positions subtracted = layout();
    RowMaker rows = Rows(p, Source::Distinct, 5);
    for (int r = 1; r <= 10; ++r) rows.Draw(r, Contains(subtracted, r));
    if (!rows.RepairDown(8)) return false;
    const int first = TMitori1_1::FirstIndex(p);
    return PassesWalk(set_, first, 10, true) && SomeRowEndsInZero(set_, first);
  }

  template <typename Operation>
  bool TenRowsCall(int p, Operation operation) {
    operation();
    return SomeRowEndsInZero(set_, TMitori1_1::FirstIndex(p));
  }

  TMitori1_1& set_;
  const TMitori1_1::AcceptedProblem& accepted_;
  DigitTables tables_;
};

// Steps 1 to 3 of the ten-row operations: nine-digit rows compared on places 1 to 6, rows
// 2 to 8 against all above, row 10 against row 9. False when a repair could never end; the
// caller then starts again from its first step.
bool DrawTenNineDigitRows(TMitori1_1& set, int first) {
  DigitTables tables;
  RowMaker rows(set, tables, Source::Distinct, 9, kPlaces, first);
  for (int r = 1; r <= 10; ++r) rows.Draw(r, false);
  return rows.RepairDown(8) && rows.Repair(10, 9, 9);
}

void CutRows(TMitori1_1& set, int digitCount, int first, int last) {
  int divisor = 1;
  for (int i = digitCount; i < 9; ++i) divisor *= 10;
  for (int index = first; index <= last; ++index)
    set.SetNumber(index, set.GetNumber(index) / divisor);
}

}  // namespace

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

void TMitori1_1::Generate(const AcceptedProblem& accepted) { SetMaker(*this, accepted).Run(); }

void TMitori1_1::MakeTenRows(int digitCount, int first, int last) {
  while (!DrawTenNineDigitRows(*this, first)) {
  }
  CutRows(*this, digitCount, first, last);
}

void TMitori1_1::MakeTenRowsSigned(int digitCount, int first, int subtracted, int last) {
  for (;;) {
    const Positions positions = first == 211 ? LayoutA() : LayoutC();
    if (!DrawTenNineDigitRows(*this, first)) continue;
    CutRows(*this, digitCount, first, last);
    for (int i = 0; i < subtracted && i < 4; ++i) {
      const int index = first + positions[i] - 1;
      SetNumber(index, -GetNumber(index));
    }
    if (PassesWalk(*this, first, last - first + 1, true)) return;
  }
}

}  // namespace tamariko
