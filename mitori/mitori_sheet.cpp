// The abacus addition sheets: 表 with problems 1 to 15, 裏 with 16 to 30, each in two framed
// blocks under the addition sheets' header.
#include "mitori/mitori_sheet.h"

#include <QString>
#include <optional>

#include "core/contest_header.h"
#include "core/problem_block.h"
#include "core/sheet_drawer.h"

namespace tamariko {
namespace {

// At 13 points the widest rows would not fit the narrowest columns on the preview, where
// text is larger against the layout than on paper.
constexpr int kFigurePoints = 11;
// Figures end this far inside their column's right rule.
constexpr long double kFigureInsetMm = 1.5;

// Eight columns over seven, the side's first problem in the top left.
ProblemBlock UpperBlock(int first) {
  return {96, 102, 175, 186, 29, first, 8, -1, 34, 98, 97, 105, 10};
}
ProblemBlock LowerBlock(int first) {
  return {196, 202, 275, 286, 33, first + 8, 7, -1, 36, 198, 197, 205, 10};
}

int FirstProblem(TMitori::Side side) {
  return side == TMitori::Side::Front ? 1 : TMitori::kProblemsPerSide + 1;
}

struct SideLayout {
  explicit SideLayout(TMitori::Side side)
      : side(side), upper(UpperBlock(FirstProblem(side))), lower(LowerBlock(FirstProblem(side))) {}

  TMitori::Side side;
  ProblemBlock upper, lower;
};

// Every line, box and text of one side's form, the same on the preview and the page.
void DrawForm(SheetDrawer& d, const TMitori& set, const SideLayout& layout) {
  DrawAdditionHeaderRules(d);
  DrawBlockRules(d, layout.upper);
  DrawBlockRules(d, layout.lower);

  const bool front = layout.side == TMitori::Side::Front;
  DrawAdditionHeaderTexts(
      d, set.SheetTexts(),
      front ? QStringLiteral("み と り 算 問 題（表）") : QStringLiteral("み と り 算 問 題（裏）"),
      {120, 85, u"(制限時間10分)"});
  DrawProblemNumbers(d, layout.upper);
  DrawProblemNumbers(d, layout.lower);
  DrawBlockCaptions(d, {&layout.upper, &layout.lower});
  DrawTeacherLine(d, kContestPlaces.organizer, set.GetOrganizerLabel());
  DrawRowLabels(d, layout.upper);
  DrawRowLabels(d, layout.lower);
}

// Problem p's rows, grouped, each ending just inside its column's right rule.
void DrawProblem(SheetDrawer& d, const TMitori& set, const SideLayout& layout, int p) {
  const ProblemBlock& block = p < layout.lower.firstProblem ? layout.upper : layout.lower;
  const long double right = block.ColumnRight(p - block.firstProblem) - kFigureInsetMm;
  for (int r = 1; r <= TMitori::kRowsPerProblem; ++r) {
    const QString text =
        TKeisan::FormatGrouped(set.GetNumber(TMitori::kRowsPerProblem * (p - 1) + r - 1));
    d.TextRightAligned(right, block.RowTop(r), text, text);
  }
}

QString JobTitle(TMitori::Side side) {
  return side == TMitori::Side::Front ? QStringLiteral("みとり算（表）")
                                      : QStringLiteral("みとり算（裏）");
}

// Whether the set was made: a set not made yet is all zeros.
bool Generated(const TMitori& set) {
  for (int i = 0; i < TMitori::kNumberCount; ++i) {
    if (set.GetNumber(i) != 0) return true;
  }
  return false;
}

}  // namespace

void DrawAbacusPreview(const TMitori& set, TMitori::Side side, TCanvas& image,
                       const PageMapping& mapping) {
  const SideLayout layout(side);
  SheetDrawer d = StartProblemPreview(
      image, mapping, [&](SheetDrawer& f) { DrawForm(f, set, layout); }, kFigurePoints);
  if (!Generated(set)) return;  // the form alone, as it prints
  const int first = FirstProblem(side);
  for (int p = first; p < first + TMitori::kProblemsPerSide; ++p) DrawProblem(d, set, layout, p);
}

void TMitori::MakeSheets(TCanvas* front, TCanvas* back, const PageMapping& mapping) {
  const SideLayout layouts[2] = {SideLayout(Side::Front), SideLayout(Side::Back)};
  std::optional<SheetDrawer> drawers[2];
  TCanvas* images[2] = {front, back};
  for (int s = 0; s < 2; ++s) {
    if (!images[s]) continue;
    drawers[s].emplace(StartProblemPreview(
        *images[s], mapping, [&](SheetDrawer& f) { DrawForm(f, *this, layouts[s]); },
        kFigurePoints));
  }
  Generate([&](int p) {
    const int s = SideOf(p) == Side::Front ? 0 : 1;
    if (drawers[s]) DrawProblem(*drawers[s], *this, layouts[s], p);
  });
}

void TMitori::PrintSheet(Side side, TPrintTarget& printer) {
  const bool generated = Generated(*this);
  const SideLayout layout(side);
  const int first = FirstProblem(side);
  PrintProblemSheet(
      printer, JobTitle(side), generated, [&](SheetDrawer& d) { DrawForm(d, *this, layout); },
      kProblemsPerSide,
      [&](SheetDrawer& d, int k) { DrawProblem(d, *this, layout, first + k - 1); }, kFigurePoints);
}

}  // namespace tamariko
