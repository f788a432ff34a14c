#include "app/timage.h"

#include <QMouseEvent>
#include <QPixmap>

namespace tamariko {

TImage::TImage(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignLeft | Qt::AlignTop); }

void TImage::SetPicture(const QImage& picture) {
  Picture_ = picture;
  setPixmap(QPixmap::fromImage(picture));
}

void TImage::Click() {
  if (isEnabled()) emit clicked();
}

void TImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Pressed = true;
  emit mouseDown(event);
  QLabel::mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = Pressed && event->button() == Qt::LeftButton;
  Pressed = false;
  QLabel::mouseReleaseEvent(event);
  if (wasPressed && rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace tamariko
