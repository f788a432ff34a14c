#include "app/timage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

namespace tamariko {

TImage::TImage(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignLeft | Qt::AlignTop); }

void TImage::SetPicture(const QImage& picture) {
  Picture_ = picture;
  update();
}

void TImage::SetPictureFile(const QString& path) {
  SetPicture(QImage(path));
  // The icon finds the @2x file beside the named one and picks by the painter's density.
  File_ = QIcon(path);
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

void TImage::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (!File_.isNull() && !event->isAutoRepeat() && plain &&
      (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
    event->accept();
    Click();
    return;
  }
  QLabel::keyPressEvent(event);
}

void TImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (File_.isNull()) {
    if (Picture_.isNull()) return;
    const QRectF whole(rect());
    if (Picture_.deviceIndependentSize() != whole.size()) {
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    painter.drawImage(whole, Picture_);
    return;
  }
  const QRect picture(QPoint(0, 0), Picture_.size());
  File_.paint(&painter, picture, Qt::AlignLeft | Qt::AlignTop,
              isEnabled() ? QIcon::Normal : QIcon::Disabled);
  if (hasFocus()) {
    // The style's own focus rectangle is faint on the panel's colour: a clear frame in the
    // highlight colour around the oval.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(picture).adjusted(1, 1, -1, -1), 8, 8);
  }
}

}  // namespace tamariko
