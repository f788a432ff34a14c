#pragma once

#include <QWidget>

#include "ui_form3.h"

namespace tamariko {

// The splash window shown while the main window is being made.
class TForm3 : public QWidget, public Ui::Form3 {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* owner);
};

}  // namespace tamariko
