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

// The box of a window's design that ticks the sheet on tab `tab` ("CheckBox3"); null where the
// design has none.
QCheckBox* SheetCheckBox(const QWidget* window, int tab);

// Enables the boxes of the sheets the program makes; the design's other boxes stay disabled.
void OfferProblemSheets(QWidget* window);

}  // namespace tamariko
