#include "app/form3.h"

#include "app/design.h"

namespace tamariko {

TForm3::TForm3(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setupUi(this);
  ApplyDesign(this);
  CenterOnScreen(this);
}

}  // namespace tamariko
