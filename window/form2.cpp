#include "window/form2.h"

#include "window/design.h"

namespace tamariko {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setupUi(this);
  ApplyDesign(this);
  CenterOnScreen(this);
}

void TForm2::StepIt() {
  const int step = ProgressBar->property("step").toInt();
  int next = ProgressBar->value() + step;
  if (next > ProgressBar->maximum()) next = ProgressBar->minimum();
  ProgressBar->setValue(next);
}

void TForm2::Reset() { ProgressBar->setValue(0); }

}  // namespace tamariko
