#include "app/form2.h"

#include "app/design.h"

namespace tamariko {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setupUi(this);
  ApplyDesign(this);
  CenterOnScreen(this);
}

void TForm2::StepIt() {
  const int step = ProgressBar1->property("step").toInt();
  int next = ProgressBar1->value() + step;
  if (next > ProgressBar1->maximum()) next = ProgressBar1->minimum();
  ProgressBar1->setValue(next);
}

void TForm2::Reset() { ProgressBar1->setValue(0); }

}  // namespace tamariko
