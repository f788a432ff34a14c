#pragma once

#include <array>
#include <cstdint>

#include "core/digit_places.h"
#include "core/distinct_digits.h"

namespace tamariko::mitori {

inline constexpr int kPlaces = 6;
// Rows of a mental addition set.
inline constexpr int kRows = 236;

enum class Source { Distinct, NonZero };  // D(n) and Z(n)

// Digits of every drawn row per place, as drawn: before any zero rule, without the sign.
struct DigitTables {
  std::array<std::array<std::uint8_t, kPlaces>, kRows> at{};
};

// Repairs that found no admissible number, so that their problem started again; counted
// for the tests that make sure this path is taken and ends.
inline std::uint64_t g_repairDeadEnds = 0;

// Draws and repairs rows of one problem of `Set` (the mental addition set). Rows are counted
// from 1 at the problem's first index.
template <typename Set>
class RowMaker {
 public:
  RowMaker(Set& set, DigitTables& tables, Source source, int digits, int places, int first)
      : set_(set),
        tables_(tables),
        source_(source),
        digits_(digits),
        places_(places),
        first_(first) {}

  void Draw(int row, bool subtracted) { Store(row, DrawDigits(), subtracted); }

  // Redraws `row`, keeping its sign, while it has the digit of one of rows from .. to in the
  // same place. Returns false, without drawing, when no number of the source could pass,
  // so the caller can start its problem again instead of drawing forever.
  bool Repair(int row, int from, int to) {
    std::array<DigitMask, kPlaces> taken{};
    for (int earlier = from; earlier <= to; ++earlier) {
      const auto& digits = tables_.at[first_ + earlier - 1];
      for (int place = 0; place < places_; ++place) taken[place] |= DigitMask(1u << digits[place]);
    }
    const int index = first_ + row - 1;
    if (!Clashes(tables_.at[index], taken)) return true;

    std::array<DigitMask, kPlaces> allowed;
    for (int place = 0; place < places_; ++place) {
      const DigitMask base = source_ == Source::Distinct && place > 0 ? kAllDigits : kNonZeroDigits;
      allowed[place] = base & DigitMask(~taken[place]);
    }
    if (!PlacesCanBeFilled(allowed.data(), places_)) {
      ++g_repairDeadEnds;
      return false;
    }

    const bool subtracted = set_.GetNumber(index) < 0;
    NineDigits drawn;
    do drawn = DrawDigits();
    while (Clashes(drawn, taken));
    Store(row, drawn, subtracted);
    return true;
  }

  // Repairs rows 2 .. last, each against every row above it.
  bool RepairDown(int last) {
    for (int row = 2; row <= last; ++row) {
      if (!Repair(row, 1, row - 1)) return false;
    }
    return true;
  }

  std::int32_t Row(int row) const { return set_.GetNumber(first_ + row - 1); }
  void SetRow(int row, std::int32_t value) { set_.SetNumber(first_ + row - 1, value); }

 private:
  NineDigits DrawDigits() const {
    return source_ == Source::Distinct ? DrawDistinctDigits() : DrawDistinctNonZeroDigits();
  }

  void Store(int row, const NineDigits& drawn, bool subtracted) {
    const int index = first_ + row - 1;
    for (int place = 0; place < places_; ++place) tables_.at[index][place] = drawn[place];
    const std::int32_t value = LeadingDigitsValue(drawn, digits_);
    set_.SetNumber(index, subtracted ? -value : value);
  }

  // Without an early exit: which place clashes first is anyone's guess, a branch per place
  // would mispredict.
  template <typename Digits>
  bool Clashes(const Digits& digits, const std::array<DigitMask, kPlaces>& taken) const {
    unsigned clash = 0;
    for (int place = 0; place < places_; ++place) clash |= taken[place] >> digits[place];
    return clash & 1u;
  }

  Set& set_;
  DigitTables& tables_;
  Source source_;
  int digits_;
  int places_;
  int first_;
};

}  // namespace tamariko::mitori
