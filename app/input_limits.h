#pragma once

// What the round number and the heading lines may be so that they fit their places on the
// sheets. The window keeps its edit boxes to it as the teacher types; the batch mode
// refuses what goes beyond it.

#include <QString>
#include <functional>
#include <optional>

#include "core/teacher_lines.h"

class QLineEdit;

namespace tamariko {

// "第99回" is the widest round that clears the sheet's title on the preview.
inline constexpr int kRoundDigits = 2;

// The round as the sheets print it: at most kRoundDigits digits, full-width ones made
// half-width; empty stays empty. Nothing for any other text.
std::optional<QString> RoundOfText(const QString& text);
// The rule in words, for the window's tooltip and the batch's refusal.
QString RoundRule();

// The teacher's lines: the two headings and the organizer (教室名) at the foot.
enum class HeadingLine { First, Second, Organizer };

const HeadingPlace& PlaceOf(const TeacherPlaces& places, HeadingLine line);

// Whether the line can stand in its place on the paper's sheets: every character can be
// drawn there, and its ink stays in the place (the organizer shrinking to its smallest size
// if need be). Measured in the sheets' face; needs the application object and the label face.
bool HeadingFits(const TeacherPlaces& places, HeadingLine line, const QString& text);
// The longest beginning of `text`, in whole characters, that fits.
QString FittingHeading(const TeacherPlaces& places, HeadingLine line, const QString& text);
// The room of a line in words, for messages: "幅 130 mm、22 ポイント太字".
QString HeadingRoom(const TeacherPlaces& places, HeadingLine line);
// A text from elsewhere (a settings file) as the line can hold it: the characters that
// cannot stand there left out, the rest cut to fit. `why` says what was changed, or is
// emptied.
QString CleanedHeading(const TeacherPlaces& places, HeadingLine line, const QString& text,
                       QString* why);

// The batch's --heading1, --heading2 and --organizer against the paper's places: the
// refusal naming the option, and the character or the limit; nothing when all can stand.
std::optional<QString> RefusedHeading(const TeacherPlaces& places, const QString& heading1,
                                      const QString& heading2, const QString& organizer);

// The main window's boxes keep to the limits as they are typed into: the round box refuses
// anything but digits and a digit past the second (full-width digits become half-width);
// a heading box refuses a character that cannot stand on the sheets and cuts what does not
// fit. Both say why in a tooltip. A heading box measures on the paper `places` gives.
void LimitRoundBox(QLineEdit* box);
void LimitHeadingBox(QLineEdit* box, HeadingLine line,
                     std::function<const TeacherPlaces&()> places);
// After the paper changed: the box's tooltip names the new place, and a text that no longer
// fits is cut there, saying so.
void RefitHeadingBox(QLineEdit* box, HeadingLine line);
// Says `why` under the window's panel for a while, as a cut heading is said.
void ShowHeadingNote(QLineEdit* box, const QString& why);

}  // namespace tamariko
