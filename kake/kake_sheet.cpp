// The multiplication sheet: the sixty-problem form with the factors' lines.
#include "kake/kake_sheet.h"

#include <QString>

#include "core/sixty_problem_sheet.h"
#include "kake/kake.h"

namespace tamariko {
namespace {

// Factors of four or more digits carry commas from problem 21 on (multiplicands) and from
// problem 31 on (multipliers); below four digits grouped and plain text are the same.
QString ProblemLine(const Tkake& set, int p) {
  const std::int64_t multiplicand = set.GetMultiplicand(p - 1);
  const std::int64_t multiplier = set.GetMultiplier(p - 1);
  const QString left =
      p >= 21 ? TKeisan::FormatGrouped(multiplicand) : QString::number(multiplicand);
  const QString right = p >= 31 ? TKeisan::FormatGrouped(multiplier) : QString::number(multiplier);
  return left + QStringLiteral("  ×  ") + right + QStringLiteral(" =");
}

SixtyProblemSheet SheetOf(const Tkake& set) {
  return SixtyProblemSheet(set, u"か け 算 問 題", [&set](int p) { return ProblemLine(set, p); });
}

// Whether the set was made: a set not made yet is all zeros, and shows its form alone.
bool Generated(const Tkake& set) {
  for (int i = 0; i < Tkake::kProblemCount; ++i) {
    if (set.GetMultiplicand(i) != 0 || set.GetMultiplier(i) != 0) return true;
  }
  return false;
}

}  // namespace

void DrawMultiplicationPreview(const Tkake& set, TCanvas& image, const PageMapping& mapping) {
  SheetOf(set).DrawPreview(image, mapping, Generated(set));
}

void Tkake::MakeSheet(TCanvas& image, const PageMapping& mapping) {
  const SixtyProblemSheet sheet = SheetOf(*this);
  SheetDrawer d = sheet.StartPreview(image, mapping);
  Generate([&](int p) { sheet.DrawLine(d, p); });
}

void Tkake::PrintSheet(TPrintTarget& printer) {
  SheetOf(*this).Print(printer, QStringLiteral("かけ算"), Generated(*this));
}

}  // namespace tamariko
