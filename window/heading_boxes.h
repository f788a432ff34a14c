#pragma once

#include <functional>

#include "app/input_limits.h"

class QLineEdit;

namespace tamariko {

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
