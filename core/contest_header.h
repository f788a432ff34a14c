#pragma once

#include <QString>
#include <array>

#include "core/sheet_drawer.h"
#include "core/sheet_texts.h"

namespace tamariko {

// The heading and the contest boxes (division, participant number, score) that both problem
// sheets carry, drawn from the boxes' top edge `top` in millimetres.

// Where a heading line starts and in what size and weight it is drawn. Both lines may run up
// to the division box.
struct HeadingPlace {
  long double x;  // mm
  int points;
  bool bold;
};
inline constexpr HeadingPlace kHeading1Place{72, 9, false};
inline constexpr HeadingPlace kHeading2Place{44, 22, true};
inline constexpr long double kHeadingsEndX = 174;  // the division box's left edge

// Whether `text` drawn at `place` ends before the division box, measured on `canvas` with
// `mapping` (the canvas's label font is used, only its size and weight are set).
bool HeadingFits(TCanvas& canvas, const PageMapping& mapping, const HeadingPlace& place,
                 const QString& text);

// The heavy heading underline, then the three boxes with their dividers in thin rules.
void DrawContestBoxes(SheetDrawer& d, long double top);

// The two heading lines and the boxes' labels: the division lines stand at
// `divisionLinesY`, the score box names the points per correct answer.
void DrawContestLabels(SheetDrawer& d, const TSheetTexts& texts, long double top,
                       const std::array<long double, 5>& divisionLinesY,
                       const char16_t* pointsPerAnswer);

// The header of the addition sheets, ten points an answer: the boxes from y 48, the round
// and the sheet's title on the line at y 82, then its time limit.
void DrawAdditionHeaderRules(SheetDrawer& d);
void DrawAdditionHeaderTexts(SheetDrawer& d, const TSheetTexts& texts, const QString& title,
                             const FormText& timeLimit);

}  // namespace tamariko
