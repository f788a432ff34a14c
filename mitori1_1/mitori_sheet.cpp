// The mental addition sheet: the form and the figures of the thirty problems.
#include <QString>

#include "core/contest_header.h"
#include "core/sheet_drawer.h"
#include "mitori1_1/mitori1_1.h"
#include "mitori1_1/mitori_sheet.h"

namespace tamariko {
namespace {

// A framed block: the number row and the total row ruled off, a label column and one
// column per problem from x 22 at `pitch`; column `heavy` (or none) marks a grade range.
void DrawBlock(SheetDrawer& d, long double top, long double numberRowBottom,
               long double totalRowTop, long double bottom, long double pitch, int columns,
               int heavy) {
  d.HeavyPen();
  d.Rectangle(14, top, 252, bottom);
  d.ThinPen();
  d.Line(14, numberRowBottom, 252, numberRowBottom);
  d.Line(14, totalRowTop, 252, totalRowTop);
  for (int k = 0; k < columns; ++k) {
    k == heavy ? d.HeavyPen() : d.ThinPen();
    const long double x = 22 + pitch * k;
    d.Line(x, top, x, bottom);
  }
}

void DrawLines(SheetDrawer& d) {
  DrawContestBoxes(d, 48);

  // Top block, problems 1 to 12; the heavy column line ends the range No.1-5.
  DrawBlock(d, 96, 103, 143, 154, 19, 12, 5);
  // Middle block, problems 13 to 22.
  DrawBlock(d, 159, 165, 238, 249, 23, 10, -1);
  // Bottom block, problems 23 to 30; the heavy line ends the range No.1-25.
  DrawBlock(d, 254, 260, 333, 344, 29, 8, 3);

  // Rows 8 to 10 of the seven-row problems 13 to 15 are struck through.
  d.Line(45, 218, 22, 238);
  d.Line(68, 218, 45, 238);
  d.Line(91, 218, 68, 238);
}

void DrawFormTexts(SheetDrawer& d, const TMitori1_1& set) {
  const TSheetTexts& texts = set.SheetTexts();
  DrawContestLabels(d, texts, 48, {49, 53, 57, 60, 63}, u"10点×");
  d.Font(16, true);
  d.Text(25, 82, QStringLiteral("第") + texts.RoundText() + QStringLiteral("回"));
  d.Text(50, 82, QStringLiteral("み と り 暗 算 問 題"));
  d.Texts(9, false,
          {{111, 85, u"(制限時間3分)"},
           {16, 92, u"小学校4年生以下はここから (No.1～25)"},
           {120, 92, u"小学校5年生以上はここから (No.6～30)"},
           {50, 344, u"小学校4年生以下はここまで (No.1～25)"},
           {190, 344, u"小学校5年生以上はここまで (No.6～30)"}});

  d.Font(9, true);
  for (int p = 1; p <= 12; ++p) d.Text(30 + 19.0L * (p - 1), 99, QString::number(p));
  for (int p = 13; p <= 22; ++p) d.Text(32 + 23.0L * (p - 13), 161, QString::number(p));
  for (int p = 23; p <= 30; ++p) d.Text(34 + 29.0L * (p - 23), 256, QString::number(p));

  d.Texts(10, false, {{16, 98, u"No."}, {16, 160, u"No."}, {16, 255, u"No."}});
  d.Texts(10, false, {{16, 146, u"計"}, {16, 241, u"計"}, {16, 336, u"計"}});
  d.Font(11, false);
  d.Text(14, 347, set.GetOrganizerLabel());

  for (int r = 1; r <= 5; ++r) d.Text(17, 107 + 7.0L * (r - 1), QString::number(r));
  for (long double top : {168.0L, 263.0L}) {
    for (int r = 1; r <= 9; ++r) d.Text(17, top + 7.0L * (r - 1), QString::number(r));
    d.Text(16, top + 63, QStringLiteral("10"));
  }
}

// Steps shared by the preview and the page: every line, box and text of the form.
void DrawForm(SheetDrawer& d, const TMitori1_1& set) {
  DrawLines(d);
  DrawFormTexts(d, set);
}

// Where problem p's figures stand: the alignment edge in millimetres.
constexpr long double kFigureX[31] = {0,   36,  55, 77,  96,  115, 134, 154, 173, 192, 211,
                                      230, 249, 43, 66,  89,  112, 136, 158, 181, 204, 227,
                                      249, 49,  78, 106, 136, 165, 194, 223, 249};

long double RowTop(int problem, int row) {
  const long double top = problem <= 12 ? 107 : problem <= 22 ? 168 : 263;
  return top + 7.0L * (row - 1);
}

void DrawProblem(SheetDrawer& d, const TMitori1_1& set, int p) {
  const int first = TMitori1_1::FirstIndex(p);
  for (int r = 1; r <= TMitori1_1::RowCount(p); ++r) {
    const std::int32_t value = set.GetNumber(first + r - 1);
    const QString plain = QString::number(value);
    if (p <= 2) {
      d.Text(kFigureX[p], RowTop(p, r), plain);
    } else {
      const QString drawn = p >= 18 ? TKeisan::FormatGrouped(value) : plain;
      d.TextRightAligned(kFigureX[p], RowTop(p, r), drawn, plain);
    }
  }
}

}  // namespace

void DrawMentalPreview(const TMitori1_1& set, TCanvas& image, const PageMapping& mapping) {
  SheetDrawer d = StartProblemPreview(image, mapping, [&](SheetDrawer& f) { DrawForm(f, set); });
  for (int p = 1; p <= TMitori1_1::kProblemCount; ++p) DrawProblem(d, set, p);
}

void TMitori1_1::MakeSheet(TCanvas& image, const PageMapping& mapping) {
  SheetDrawer d = StartProblemPreview(image, mapping, [&](SheetDrawer& f) { DrawForm(f, *this); });
  Generate([&](int p) { DrawProblem(d, *this, p); });
}

void TMitori1_1::PrintSheet(TPrintTarget& printer) {
  bool generated = false;
  for (int i = 0; i < kNumberCount && !generated; ++i) generated = GetNumber(i) != 0;
  PrintProblemSheet(
      printer, QStringLiteral("みとり暗算１"), generated,
      [&](SheetDrawer& d) { DrawForm(d, *this); }, kProblemCount,
      [&](SheetDrawer& d, int p) { DrawProblem(d, *this, p); });
}

}  // namespace tamariko
