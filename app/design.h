#pragma once

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

// The box of a window that ticks the sheet on tab `tab` ("CheckBox3"); null where the window
// has none.
QCheckBox* SheetCheckBox(const QWidget* window, int tab);

// A box that ticks `sheet`, named and lettered as the designs' boxes are; placed by the
// caller.
QCheckBox* MakeSheetBox(QWidget* parent, const SheetInfo& sheet, bool checked);

}  // namespace tamariko
