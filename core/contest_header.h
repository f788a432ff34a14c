#pragma once

#include <QString>
#include <array>

#include "core/sheet_drawer.h"
#include "core/sheet_texts.h"

namespace tamariko {

// The heading and the contest boxes (division, participant number, score) that both problem
// sheets carry, drawn from the boxes' top edge `top` in millimetres.

// Where a line of the teacher's text starts, in what size and weight it is drawn and how far
// it may run.
struct HeadingPlace {
  long double x;  // mm
  int points;
  bool bold;
  long double endX;  // mm
};
inline constexpr long double kHeadingsEndX = 174;  // the division box's left edge
// Both heading lines may run up to the division box.
inline constexpr HeadingPlace kHeading1Place{72, 9, false, kHeadingsEndX};
inline constexpr HeadingPlace kHeading2Place{44, 22, true, kHeadingsEndX};
// The organizer line at the foot of every sheet, under the frame: up to the first other ink
// level with it on any sheet, the grade label under the mental sheet's frame at x 50.
inline constexpr HeadingPlace kOrganizerPlace{14, 11, false, 50};

// Whether `text` drawn at `place` ends before its end, measured on `canvas` with `mapping`
// (the canvas's label font is used, only its size and weight are set).
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
