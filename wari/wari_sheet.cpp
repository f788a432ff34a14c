// The division sheet: the sixty-problem form with the division lines.
#include "wari/wari_sheet.h"

#include <QString>
#include <algorithm>

#include "core/sixty_problem_sheet.h"
#include "wari/wari.h"

namespace tamariko {
namespace {

// Dividend and divisor always grouped; below four digits that is their plain text.
QString ProblemLine(const Twari& set, int p) {
  return TKeisan::FormatGrouped(set.GetDividend(p - 1)) + QStringLiteral("  ÷  ") +
         TKeisan::FormatGrouped(set.GetDivisor(p - 1)) + QStringLiteral(" =");
}

SixtyProblemSheet SheetOf(const Twari& set) {
  return SixtyProblemSheet(set, u"わ り 算 問 題", [&set](int p) { return ProblemLine(set, p); });
}

// Whether the set was made: a made set never holds a divisor of 0.
bool Generated(const Twari& set) {
  for (int i = 0; i < Twari::kProblemCount; ++i) {
    if (set.GetDivisor(i) != 0) return true;
  }
  return false;
}

}  // namespace

void DrawDivisionPreview(const Twari& set, TCanvas& image, const PageMapping& mapping) {
  SheetOf(set).DrawPreview(image, mapping, Generated(set));
}

void Twari::MakeSheet(TCanvas& image, const PageMapping& mapping) {
  const SixtyProblemSheet sheet = SheetOf(*this);
  SheetDrawer d = sheet.StartPreview(image, mapping);
  Generate([&](int p) { sheet.DrawLine(d, p); });
}

void Twari::PrintSheet(TPrintTarget& printer) {
  SheetOf(*this).Print(printer, QStringLiteral("わり算"), Generated(*this));
}

}  // namespace tamariko
