// The mental addition sheet: the form and the figures of the thirty problems.
#include <QString>

#include "core/contest_header.h"
#include "core/problem_block.h"
#include "core/sheet_drawer.h"
#include "mitori1_1/mitori1_1.h"
#include "mitori1_1/mitori_sheet.h"

namespace tamariko {
namespace {

// Top block problems 1 to 12, the heavy column line ending the range No.1-5; middle block
// 13 to 22; bottom block 23 to 30, the heavy line ending the range No.1-25.
constexpr ProblemBlock kTop{96, 103, 143, 154, 19, 1, 12, 5, 30, 99, 98, 107, 5};
constexpr ProblemBlock kMiddle{159, 165, 238, 249, 23, 13, 10, -1, 32, 161, 160, 168, 10};
constexpr ProblemBlock kBottom{254, 260, 333, 344, 29, 23, 8, 3, 34, 256, 255, 263, 10};

void DrawLines(SheetDrawer& d) {
  DrawAdditionHeaderRules(d);
  for (const ProblemBlock* block : {&kTop, &kMiddle, &kBottom}) DrawBlockRules(d, *block);

  // Rows 8 to 10 of the seven-row problems 13 to 15 are struck through.
  d.Line(45, 218, 22, 238);
  d.Line(68, 218, 45, 238);
  d.Line(91, 218, 68, 238);
}

void DrawFormTexts(SheetDrawer& d, const TMitori1_1& set) {
  DrawAdditionHeaderTexts(d, set.SheetTexts(), QStringLiteral("み と り 暗 算 問 題"),
                          {111, 85, u"(制限時間3分)"});
  d.Texts(9, false,
          {{16, 92, u"小学校4年生以下はここから (No.1～25)"},
           {120, 92, u"小学校5年生以上はここから (No.6～30)"},
           {50, 344.1L, u"小学校4年生以下はここまで (No.1～25)"},
           {190, 344.1L, u"小学校5年生以上はここまで (No.6～30)"}});

  for (const ProblemBlock* block : {&kTop, &kMiddle, &kBottom}) DrawProblemNumbers(d, *block);
  DrawBlockCaptions(d, {&kTop, &kMiddle, &kBottom});
  DrawTeacherLine(d, kContestPlaces.organizer, set.GetOrganizerLabel());
  for (const ProblemBlock* block : {&kTop, &kMiddle, &kBottom}) DrawRowLabels(d, *block);
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
  return (problem <= 12 ? kTop : problem <= 22 ? kMiddle : kBottom).RowTop(row);
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

// Whether the set was made: a set not made yet is all zeros.
bool Generated(const TMitori1_1& set) {
  for (int i = 0; i < TMitori1_1::kNumberCount; ++i) {
    if (set.GetNumber(i) != 0) return true;
  }
  return false;
}

}  // namespace

void DrawMentalPreview(const TMitori1_1& set, TCanvas& image, const PageMapping& mapping) {
  SheetDrawer d = StartProblemPreview(image, mapping, [&](SheetDrawer& f) { DrawForm(f, set); });
  if (!Generated(set)) return;  // the form alone, as it prints
  for (int p = 1; p <= TMitori1_1::kProblemCount; ++p) DrawProblem(d, set, p);
}

void TMitori1_1::MakeSheet(TCanvas& image, const PageMapping& mapping) {
  SheetDrawer d = StartProblemPreview(image, mapping, [&](SheetDrawer& f) { DrawForm(f, *this); });
  Generate([&](int p) { DrawProblem(d, *this, p); });
}

void TMitori1_1::PrintSheet(TPrintTarget& printer) {
  PrintProblemSheet(
      printer, QStringLiteral("みとり暗算１"), Generated(*this),
      [&](SheetDrawer& d) { DrawForm(d, *this); }, kProblemCount,
      [&](SheetDrawer& d, int p) { DrawProblem(d, *this, p); });
}

}  // namespace tamariko
