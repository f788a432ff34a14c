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

}  // namespace

void DrawDivisionPreview(const Twari& set, TCanvas& image, const PageMapping& mapping) {
  SheetOf(set).DrawPreview(image, mapping);
}

void Twari::MakeSheet(TCanvas& image, const PageMapping& mapping) {
  const SixtyProblemSheet sheet = SheetOf(*this);
  SheetDrawer d = sheet.StartPreview(image, mapping);
  Generate([&](int p) { sheet.DrawLine(d, p); });
}

void Twari::PrintSheet(TPrintTarget& printer) {
  // A generated set never holds a divisor of 0.
  const bool generated =
      std::any_of(Divisors.begin(), Divisors.end(), [](std::int64_t d) { return d != 0; });
  SheetOf(*this).Print(printer, QStringLiteral("わり算"), generated);
}

}  // namespace tamariko
