#pragma once

// What the round number and the heading lines may be so that they fit their places on the
// sheets. The window keeps its edit boxes to it as the teacher types (window/heading_boxes.h);
// the batch mode refuses what goes beyond it.

#include <QString>
#include <optional>

#include "core/teacher_lines.h"

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

// Why `text` cannot stand at `place`: a character that cannot, or too long even at its
// smallest size; empty when it fits. Needs the application object and the label face.
QString RefusedAt(const HeadingPlace& place, const QString& text);

const HeadingPlace& PlaceOf(const TeacherPlaces& places, HeadingLine line);

// Whether the line can stand in its place on the paper's sheets: every character can be
// drawn there, and its ink stays in the place (the organizer shrinking to its smallest size
// if need be). Measured in the sheets' face; needs the application object and the label face.
bool HeadingFits(const TeacherPlaces& places, HeadingLine line, const QString& text);
// The longest beginning of `text`, in whole characters, that fits.
QString FittingHeading(const TeacherPlaces& places, HeadingLine line, const QString& text);
// The room of a line in words, for messages: "幅 130 mm、22 ポイント太字".
QString HeadingRoom(const TeacherPlaces& places, HeadingLine line);
// The line's limit in words, for the window's tooltip and the batch's refusal.
QString HeadingRule(const TeacherPlaces& places, HeadingLine line);
// The first character of `text` that cannot stand in the line's place, said; empty when
// every one can.
QString RefusedIn(const TeacherPlaces& places, HeadingLine line, const QString& text);
// A text from elsewhere (a settings file) as the line can hold it: the characters that
// cannot stand there left out, the rest cut to fit. `why` says what was changed, or is
// emptied.
QString CleanedHeading(const TeacherPlaces& places, HeadingLine line, const QString& text,
                       QString* why);

// The batch's --heading1, --heading2 and --organizer against the paper's places: the
// refusal naming the option, and the character or the limit; nothing when all can stand.
std::optional<QString> RefusedHeading(const TeacherPlaces& places, const QString& heading1,
                                      const QString& heading2, const QString& organizer);

}  // namespace tamariko
