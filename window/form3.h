#pragma once

#include <QWidget>

#include "ui_form3.h"

namespace tamariko {

// The splash window shown while the main window is being made.
class TForm3 : public QWidget, public Ui::Form3 {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* owner);

  // Shows the window and returns once it is painted on the screen, or after
  // `exposeWaitMs` when the window system never shows it.
  void ShowPainted(int exposeWaitMs = 2000);
};

}  // namespace tamariko
