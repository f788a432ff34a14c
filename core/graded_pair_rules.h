#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "core/digit_places.h"
#include "core/distinct_digits.h"
#include "core/random.h"

// The building blocks of the graded pairs (core/graded_pairs.h): the number sources, the
// group rules and the guard against a repair that could never end. The roles are named after
// the multiplication set; the division set fills them with its quotients and divisors.
// Templates over the draw source so that tests can feed constructed numbers.
namespace tamariko::graded {

// Digits of one factor, most significant first; only the first `places` are used.
using Places = std::array<std::uint8_t, 6>;
inline constexpr int kMaxPlaces = 6;

// Per place, the digits that compared earlier numbers already hold there.
using TakenDigits = std::array<DigitMask, kMaxPlaces>;

enum class Source : std::uint8_t {
  Distinct,         // first place 1 .. 9, the rest 0 .. 9, all different
  NonZero,          // all 1 .. 9, all different
  DistinctPlusS,    // a Distinct number followed by one digit 2 .. 9 that may repeat
  NonZeroWithZero,  // three NonZero digits with a 0 put in as second or third digit
};

struct FactorSource {
  Source kind;
  int places;  // digits of the whole number, the appended S included
};

inline constexpr DigitMask kSDigits = 0x3FC;  // 2 .. 9

// Whether some number the source can make has, in every place, a digit outside `taken`.
// Exact: decided by distinct-representative existence, so a "no" means the repair could
// only go on forever.
inline bool SourceCanAvoid(FactorSource source, const TakenDigits& taken) {
  DigitMask allowed[kMaxPlaces];
  switch (source.kind) {
    case Source::Distinct:
    case Source::DistinctPlusS: {
      const int distinct = source.kind == Source::Distinct ? source.places : source.places - 1;
      allowed[0] = kNonZeroDigits & ~taken[0];
      for (int k = 1; k < distinct; ++k) allowed[k] = kAllDigits & ~taken[k];
      if (!PlacesCanBeFilled(allowed, distinct)) return false;
      // The appended digit is drawn on its own and may repeat any other digit.
      return source.kind == Source::Distinct || (kSDigits & ~taken[distinct]) != 0;
    }
    case Source::NonZero:
      for (int k = 0; k < source.places; ++k) allowed[k] = kNonZeroDigits & ~taken[k];
      return PlacesCanBeFilled(allowed, source.places);
    case Source::NonZeroWithZero:
      // The zero stands in place 2 or in place 3; the two other places carry different
      // non-zero digits.
      for (int zeroPlace = 1; zeroPlace <= 2; ++zeroPlace) {
        if (taken[zeroPlace] & 1u) continue;
        const int other = 3 - zeroPlace;
        allowed[0] = kNonZeroDigits & ~taken[0];
        allowed[1] = kNonZeroDigits & ~taken[other];
        if (PlacesCanBeFilled(allowed, 2)) return true;
      }
      return false;
  }
  return false;
}

// Draws from the run's generator.
struct GlobalDraws {
  NineDigits Distinct() { return DrawDistinctDigits(); }
  NineDigits NonZero() { return DrawDistinctNonZeroDigits(); }
  int Random(int k) { return tamariko::Random(k); }
};

// 0: the zero goes in front of the second digit, 1: in front of the third; the three-digit
// text is then cut back to three digits.
inline void InsertZero(Places& digits, int choice) {
  if (choice == 0) {
    digits[2] = digits[1];
    digits[1] = 0;
  } else {
    digits[2] = 0;
  }
}

// One number from the source, the zero rule included for NonZeroWithZero (its position is
// drawn right after the digits).
template <class Draws>
inline Places DrawFactor(Draws& draws, FactorSource source) {
  Places digits{};
  switch (source.kind) {
    case Source::Distinct:
    case Source::DistinctPlusS: {
      const NineDigits nine = draws.Distinct();
      const int distinct = source.kind == Source::Distinct ? source.places : source.places - 1;
      for (int k = 0; k < distinct; ++k) digits[k] = nine[k];
      if (source.kind == Source::DistinctPlusS) {
        digits[distinct] = static_cast<std::uint8_t>(draws.Random(8) + 2);
      }
      break;
    }
    case Source::NonZero:
    case Source::NonZeroWithZero: {
      const NineDigits nine = draws.NonZero();
      const int drawn = source.kind == Source::NonZero ? source.places : 3;
      for (int k = 0; k < drawn; ++k) digits[k] = nine[k];
      if (source.kind == Source::NonZeroWithZero) InsertZero(digits, draws.Random(2));
      break;
    }
  }
  return digits;
}

inline std::int32_t FactorValue(const Places& digits, int places) {
  std::int32_t value = 0;
  for (int k = 0; k < places; ++k) value = value * 10 + digits[k];
  return value;
}

// The factors of one group, problem by problem.
struct GroupFactors {
  std::array<Places, 10> multiplicands{};
  std::array<Places, 10> multipliers{};
};

// ---------------------------------------------------------------------------------------
// Problems 1-5 and 6-10: the whole group is drawn again until it holds.

struct WholeGroupRule {
  FactorSource multiplicand;  // D(2) or Z(3); the multiplier is always S
  bool zeroMultiplicand;      // one multiplicand gets a 0 as its second or third digit
};

template <class Draws>
inline void SettleWholeGroup(const WholeGroupRule& rule, GroupFactors& group, Draws& draws) {
  constexpr int kCount = 5;
  const int places = rule.multiplicand.places;
  // Chosen once; it stays the same problem through every redraw.
  const int zeroProblem = rule.zeroMultiplicand ? draws.Random(kCount) : -1;
  for (;;) {
    bool holds = true;
    unsigned usedMultipliers = 0;
    unsigned usedInPlace[3] = {0, 0, 0};
    for (int j = 0; j < kCount; ++j) {
      Places& multiplicand = group.multiplicands[j];
      multiplicand = DrawFactor(draws, rule.multiplicand);
      const unsigned s = static_cast<unsigned>(draws.Random(8) + 2);
      group.multipliers[j] = Places{static_cast<std::uint8_t>(s)};
      if (j == zeroProblem) InsertZero(multiplicand, draws.Random(2));

      holds &= !(usedMultipliers >> s & 1u);
      usedMultipliers |= 1u << s;
      for (int k = 0; k < places; ++k) {
        holds &= !(usedInPlace[k] >> multiplicand[k] & 1u);
        usedInPlace[k] |= 1u << multiplicand[k];
      }
    }
    if (holds) return;
  }
}

// ---------------------------------------------------------------------------------------
// Problems 11-60: first draw, then each number repaired against the earlier ones.

enum class Exceptions : std::uint8_t {
  None,             // every place against every earlier problem
  FortyOneToFifty,  // 48 first place against 41-47, 49 free, 50 against 49
  FiftyOneToSixty,  // first and last place; 59 free, 60 against 59
};

struct RepairGroupRule {
  int count;  // 5 or 10
  FactorSource multiplicand;
  FactorSource multiplier;
  bool zeroMultiplicand;  // one multiplicand, chosen at the group's start, carries a 0
  Exceptions exceptions;
};

// Which places of problem j (0-based in its group) are compared with which earlier problems.
struct Compared {
  unsigned places;  // bit k: place k + 1
  int from;
  int to;  // earlier problems from .. to - 1
};

inline Compared ComparedFor(Exceptions exceptions, int j, int places) {
  const unsigned all = (1u << places) - 1u;
  switch (exceptions) {
    case Exceptions::None:
      return {all, 0, j};
    case Exceptions::FortyOneToFifty:
      if (j <= 6) return {all, 0, j};
      if (j == 7) return {1u, 0, 7};
      if (j == 8) return {0u, 0, 0};
      return {all, 8, 9};
    case Exceptions::FiftyOneToSixty: {
      const unsigned ends = 1u | 1u << (places - 1);
      if (j <= 7) return {ends, 0, j};
      if (j == 8) return {0u, 0, 0};
      return {ends, 8, 9};
    }
  }
  return {0u, 0, 0};
}

inline TakenDigits TakenBy(const std::array<Places, 10>& numbers, const Compared& compared,
                           int places) {
  TakenDigits taken{};
  for (int q = compared.from; q < compared.to; ++q) {
    for (int k = 0; k < places; ++k) taken[k] |= static_cast<DigitMask>(1u << numbers[q][k]);
  }
  for (int k = 0; k < places; ++k) {
    if (!(compared.places >> k & 1u)) taken[k] = 0;
  }
  return taken;
}

inline bool Clashes(const Places& digits, const TakenDigits& taken, int places) {
  unsigned clash = 0;
  for (int k = 0; k < places; ++k) clash |= taken[k] >> digits[k];
  return clash & 1u;
}

// Repairs one role of the group. False when some number has no admissible value at all: the
// group must then be made again from its start.
template <class Draws>
inline bool RepairNumbers(std::array<Places, 10>& numbers, const RepairGroupRule& rule,
                          FactorSource source, int zeroProblem, Draws& draws) {
  for (int j = 1; j < rule.count; ++j) {
    const Compared compared = ComparedFor(rule.exceptions, j, source.places);
    if (compared.places == 0) continue;
    const TakenDigits taken = TakenBy(numbers, compared, source.places);
    if (!Clashes(numbers[j], taken, source.places)) continue;
    const FactorSource own = j == zeroProblem ? FactorSource{Source::NonZeroWithZero, 3} : source;
    if (!SourceCanAvoid(own, taken)) return false;
    do {
      numbers[j] = DrawFactor(draws, own);
    } while (Clashes(numbers[j], taken, source.places));
  }
  return true;
}

// Returns how often the group was made again from its start (0 in all but constructed cases).
template <class Draws>
inline int SettleRepairGroup(const RepairGroupRule& rule, GroupFactors& group, Draws& draws) {
  for (int restarts = 0;; ++restarts) {
    const int zeroProblem = rule.zeroMultiplicand ? draws.Random(rule.count) : -1;
    for (int j = 0; j < rule.count; ++j) {
      group.multiplicands[j] = DrawFactor(draws, rule.multiplicand);
      group.multipliers[j] = DrawFactor(draws, rule.multiplier);
      if (j == zeroProblem) InsertZero(group.multiplicands[j], draws.Random(2));
    }
    if (RepairNumbers(group.multiplicands, rule, rule.multiplicand, zeroProblem, draws) &&
        RepairNumbers(group.multipliers, rule, rule.multiplier, -1, draws)) {
      return restarts;
    }
  }
}

// Replaces the last digit by 0.
inline void ZeroLastPlace(Places& digits, int places) { digits[places - 1] = 0; }

}  // namespace tamariko::graded
