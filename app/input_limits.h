#pragma once

// What the round number and the heading lines may be so that they fit their places on the
// sheets. The window keeps its edit boxes to it as the teacher types; the batch mode
// refuses what goes beyond it.

#include <QString>
#include <optional>

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

// Whether the line fits its place on the sheets (a heading up to the division box, the
// organizer up to the first other ink beside it), measured on the preview in the sheet's
// font and size. Needs the application object and the label face.
bool HeadingFits(HeadingLine line, const QString& text);
// The longest beginning of `text`, in whole characters, that fits.
QString FittingHeading(HeadingLine line, const QString& text);
// The room of a line in words, for messages: "幅 130 mm、22 ポイント太字".
QString HeadingRoom(HeadingLine line);

// The batch's --heading1, --heading2 and --organizer against the limits: the refusal naming
// the option and the limit, or nothing when all fit.
std::optional<QString> RefusedHeading(const QString& heading1, const QString& heading2,
                                      const QString& organizer);

// The main window's boxes keep to the limits as they are typed into: the round box refuses
// anything but digits and a digit past the second (full-width digits become half-width);
// a heading box cuts what does not fit. Both say why in a tooltip.
void LimitRoundBox(QLineEdit* box);
void LimitHeadingBox(QLineEdit* box, HeadingLine line);

}  // namespace tamariko
