#pragma once

#include <QString>
#include <array>

#include "core/sheet_drawer.h"
#include "core/sheet_texts.h"
#include "core/teacher_lines.h"

namespace tamariko {

// The heading and the contest boxes (division, participant number, score) that both problem
// sheets carry, drawn from the boxes' top edge `top` in millimetres.

// The teacher's lines of the contest sheets, as on the sheets whose boxes start at y 48:
// both headings run up to the division box, the small one above the large one, the large
// one above the underline at 69; the school's name under the frame, up to the first other
// ink level with it on any sheet, the grade label under the mental sheet's frame at x 50.
inline constexpr long double kContestHeaderTop = 48;
inline constexpr TeacherPlaces kContestPlaces{
    {72, 50, 9, false, 174, 42, 56, 9, u"用紙の「参加部門」の枠の手前まで"},
    {44, 60, 22, true, 174, 56, 68.6L, 22, u"用紙の「参加部門」の枠の手前まで"},
    {14, 347, 11, false, 50, 344.5L, 362, 8, u"用紙の下の枠外の、学年の印の手前まで"},
};

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
