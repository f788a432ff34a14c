#pragma once

// The teacher's own lines on a page (the two headings and the school's name at the foot):
// where each may run, and what of a text can stand there. Measured by the ink the text
// leaves in the sheets' face, so marks stacked on a character count, and nothing a teacher
// types is drawn outside its place.

#include <QString>

#include "core/sheet_drawer.h"

namespace tamariko {

struct HeadingPlace {
  long double x, y;  // mm: the text's left edge and top on the page
  int points;
  bool bold;
  long double endX;         // mm: the ink ends before it
  long double top, bottom;  // mm: the ink stays between them
  int smallestPoints;       // a text too long shrinks a point at a time down to this
  const char16_t* room;     // where the line may run, in the teacher's words
  // The place on a page whose header stands `mm` lower (higher when negative).
  constexpr HeadingPlace Lowered(long double mm) const {
    HeadingPlace p = *this;
    p.y += mm;
    p.top += mm;
    p.bottom += mm;
    return p;
  }
};

// A paper's places of the two headings and the school's name.
struct TeacherPlaces {
  HeadingPlace heading1, heading2, organizer;
};

// Why `text` cannot stand at `place`, naming its first character that cannot: a control
// character, one the sheets' face lacks, or one whose marks leave the line's height. Empty
// when every character can. Measured on `canvas` in the label face.
QString RefusedCharacter(TCanvas& canvas, const HeadingPlace& place, const QString& text);
// `text` without the characters RefusedCharacter names.
QString WithoutRefused(TCanvas& canvas, const HeadingPlace& place, const QString& text);
// The largest size from place.points down to place.smallestPoints at which the ink of `text`
// stays in its place; 0 when there is none.
int FittingPoints(TCanvas& canvas, const HeadingPlace& place, const QString& text);
// The longest beginning of `text`, cut between whole characters, that fits at some size.
QString FittingText(TCanvas& canvas, const HeadingPlace& place, const QString& text);
// Draws what of `text` can stand at `place`, at the largest size it fits.
void DrawTeacherLine(SheetDrawer& d, const HeadingPlace& place, const QString& text);

}  // namespace tamariko
