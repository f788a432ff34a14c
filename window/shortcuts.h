#pragma once

#include <QList>

class QLineEdit;
class QWidget;

namespace tamariko {

class TImage;

// The picture buttons of the main window's commands.
struct CommandButtons {
  TImage* make;   // ケリモ
  TImage* print;  // 印刷
  TImage* setup;  // 印刷設定
};

// The main window's keyboard. Tab reaches the three picture buttons first, then the text
// boxes in `edits` and the rest in the design's order, the help entry after the last text
// box; Space or Enter presses the button with the focus. F5, Ctrl+P and Ctrl+Shift+P press
// ケリモ, 印刷 and 印刷設定 from anywhere in `window`, as a click would, with the same checks
// (a disabled button does nothing); their tooltips name them. Enter in a text box makes
// problems.
void ConnectKeyboard(QWidget* window, const CommandButtons& buttons,
                     const QList<QLineEdit*>& edits);

}  // namespace tamariko
