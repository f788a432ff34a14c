#pragma once

#include <QString>
#include <map>

class QCheckBox;
class QWidget;

namespace tamariko {

// Finishes a window built from its design file. The design keeps what the designer format
// cannot say as dynamic properties: "fontHeight" (negative pixel height), "color" (background
// of panels and scroll boxes) and "fontColor". Labels take the size of their text.
void ApplyDesign(QWidget* window);

// Places a top-level window in the middle of the screen it is on.
void CenterOnScreen(QWidget* window);

struct SheetInfo;

// The boxes of a window that tick its paper's sheets, by sheet key.
using SheetBoxes = std::map<QString, QCheckBox*>;
// The box of `key` in `boxes`; null where the window has none.
QCheckBox* BoxOf(const SheetBoxes& boxes, const QString& key);

// A box that ticks `sheet`, the `place`th of its paper's sheets (from 1), lettered as the
// designs' boxes are and named after its place ("SheetBox3"); placed by the caller.
QCheckBox* MakeSheetBox(QWidget* parent, const SheetInfo& sheet, int place, bool checked);

}  // namespace tamariko
