#pragma once

#include <QWidget>

#include "ui_form2.h"

namespace tamariko {

// The progress window shown while problems are made. Not modal, above other windows.
class TForm2 : public QWidget, public Ui::Form2 {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* parent = nullptr);

  // Advances the bar by its step, wrapping to the minimum past the maximum.
  void StepIt();
  void Reset();
};

}  // namespace tamariko
