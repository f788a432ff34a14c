// The answer table: the form on both targets, the answers on paper only.
#include "kaitou/kaitou.h"

#include <QString>
#include <array>

#include "core/sheet_drawer.h"

namespace tamariko {
namespace {

constexpr int kRows = 60;

// Tops of rows 1 .. 60 in millimetres, as the numbers stand. The last band (rows 56 to 60)
// is closed up with a smaller pitch. The offset is a running sum, as the rows were always
// placed, so rounding follows it.
std::array<long double, kRows> RowTops(long double lift) {
  std::array<long double, kRows> tops{};
  long double offset = 0;
  for (int n = 1; n <= kRows; ++n) {
    if (n > 1) offset += n <= 56 ? 4.8L : 4.2L;
    tops[n - 1] = 59 + offset - lift;
  }
  return tops;
}

const std::array<long double, kRows> kNumberTops = RowTops(0);
// The answers' face rises 0.86 em above its baseline at 10 points, the numbers' 0.88 em at 9:
// lifted 0.26 mm, an answer shares its number's baseline.
const std::array<long double, kRows> kAnswerTops = RowTops(0.26L);

void DrawRules(SheetDrawer& d) {
  d.HeavyPen();
  d.Rectangle(14, 32, 252, 344);
  d.ThinPen();
  d.Line(14, 49, 252, 49);
  d.Line(14, 58, 252, 58);
  for (long double x : {22.0L, 90.0L, 161.0L, 96.0L, 167.0L}) d.Line(x, 49, x, 344);
  // One rule under every fifth row.
  for (int k = 0; k <= 10; ++k) {
    const long double y = 82 + 24.0L * k;
    d.Line(14, y, 252, y);
  }
}

void DrawRowNumbers(SheetDrawer& d) {
  d.Font(9, false);
  const QString no = QStringLiteral("No.");
  d.Text(16, 52, no);
  for (int n = 1; n <= kRows; ++n) d.Text(16, kNumberTops[n - 1], QString::number(n));
  d.Text(91, 52, no);
  for (int n = 1; n <= kRows; ++n) d.Text(91.5L, kNumberTops[n - 1], QString::number(n));
  // The third column holds two sheets of thirty answers, each numbered from 1.
  d.Text(162, 52, no);
  for (int n = 1; n <= kRows; ++n) {
    d.Text(162.5L, kNumberTops[n - 1], QString::number((n - 1) % 30 + 1));
  }
}

void DrawForm(SheetDrawer& d, const Tkaitou& table) {
  DrawRules(d);
  DrawRowNumbers(d);

  d.Font(25, false);
  d.Text(90, 22, QStringLiteral("解      答      表"));
  d.Text(90, 37, RoundLabel(table.SheetTexts(), QStringLiteral("      ")));

  d.Font(12, false);
  d.Text(47, 51, QStringLiteral("か  け  算"));
  d.Text(120, 51, QStringLiteral("わ  り  算"));
  d.Text(198, 51, QStringLiteral("み と り 暗 算"));
  // The abacus addition half of the third column is labelled downwards beside its rows.
  d.Text(168.3L, 205, QStringLiteral("み"));
  d.Text(169, 210, QStringLiteral("と"));
  d.Text(169, 215, QStringLiteral("り"));
  d.Text(168.3L, 220, QStringLiteral("算"));
  d.ThinPen();
  d.Line(174, 202, 174, 226);

  d.Font(11, false);
  d.Text(14, 347, table.GetOrganizerLabel());
}

void DrawAnswer(SheetDrawer& d, long double right, int row, const TAnswer& value) {
  const QString text = value.Printed();
  d.TextRightAligned(right, kAnswerTops[row - 1], text, text);
}

void DrawAnswers(SheetDrawer& d, const Tkaitou& table) {
  d.Canvas().SetFontName(kCarriedFace);
  d.Font(10, false);
  if (table.Holds(AnswerColumn::Multiplication)) {
    for (int n = 1; n <= kRows; ++n) DrawAnswer(d, 87, n, table.GetMultiplicationAnswer(n - 1));
  }
  if (table.Holds(AnswerColumn::Division)) {
    for (int n = 1; n <= kRows; ++n) DrawAnswer(d, 158, n, table.GetDivisionAnswer(n - 1));
  }
  if (table.Holds(AnswerColumn::Mental)) {
    for (int n = 1; n <= Tkaitou::kMentalCount; ++n) {
      DrawAnswer(d, 248, n, table.GetMentalAnswer(n - 1));
    }
  }
  if (!table.Holds(AnswerColumn::Abacus)) return;
  for (int i = 0; i < Tkaitou::kAbacusRunA; ++i) {
    DrawAnswer(d, 248, Tkaitou::kMentalCount + 1 + i, table.GetAbacusAnswerA(i));
  }
  for (int i = 0; i < Tkaitou::kAbacusCount - Tkaitou::kAbacusRunA; ++i) {
    DrawAnswer(d, 248, Tkaitou::kMentalCount + Tkaitou::kAbacusRunA + 1 + i,
               table.GetAbacusAnswerB(i));
  }
}

}  // namespace

void Tkaitou::DrawSheet(TCanvas& image, const PageMapping& mapping) {
  SheetDrawer d = PreparePreview(image, mapping);
  // Texts of this sheet stand on opaque white.
  image.SetBrushStyle(BrushStyle::Solid);
  DrawForm(d, *this);
}

void Tkaitou::TakeAnswers(const TProblemKind& kind) {
  for (int i = 0; i < kind.AnswerCount(); ++i) {
    const TAnswer answer = kind.Answer(i);
    switch (kind.Column()) {
      case AnswerColumn::Multiplication:
        SetMultiplicationAnswer(i, answer);
        break;
      case AnswerColumn::Division:
        SetDivisionAnswer(i, answer);
        break;
      case AnswerColumn::Mental:
        SetMentalAnswer(i, answer);
        break;
      case AnswerColumn::Abacus:
        SetAbacusAnswer(i, answer);
        break;
    }
  }
}

void Tkaitou::ForgetAnswers() {
  MultiplicationAnswers.fill({});
  DivisionAnswers.fill({});
  MentalAnswers.fill({});
  AbacusAnswers.fill({});
  held_.fill(false);
}

TAnswer Tkaitou::Answer(AnswerColumn column, std::int32_t index) const {
  switch (column) {
    case AnswerColumn::Multiplication:
      return GetMultiplicationAnswer(index);
    case AnswerColumn::Division:
      return GetDivisionAnswer(index);
    case AnswerColumn::Mental:
      return GetMentalAnswer(index);
    case AnswerColumn::Abacus:
      return index < kAbacusRunA ? GetAbacusAnswerA(index) : GetAbacusAnswerB(index - kAbacusRunA);
  }
  return {};
}

void Tkaitou::PrintSheet(TPrintTarget& printer) {
  PrintPage(
      printer, QStringLiteral("解答表"), 9,
      [&](SheetDrawer& d) {
        DrawForm(d, *this);
        DrawAnswers(d, *this);
      },
      PageBrush::Unchanged);
}

}  // namespace tamariko
