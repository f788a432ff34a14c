#include "window/timage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <cmath>

#include "window/preview_zoom.h"

namespace tamariko {

TImage::TImage(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignLeft | Qt::AlignTop); }

void TImage::SetPicture(const QImage& picture) {
  Picture_ = picture;
  update();
}

void TImage::ShowAsSheet(const QRectF& page) {
  Page_ = page;
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
  if (!Page_.isEmpty()) {
    PaintSheet(painter);
    return;
  }
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

void TImage::PaintSheet(QPainter& painter) {
  painter.fillRect(rect(), QColor(128, 128, 128));
  // Window pixels per pixel of the sheet at 100%, and per pixel of the picture: one for one
  // where the picture holds the page at the preview's density (a printer at 300 dpi).
  const qreal zoom = width() / static_cast<qreal>(kSheetWidth + 2 * kSurround);
  const QRectF sheet(kSurround * zoom, kSurround * zoom, kSheetWidth * zoom, kSheetHeight * zoom);
  const qreal scale =
      std::lround(Page_.width()) == kSheetWidth ? zoom : sheet.width() / Page_.width();
  painter.fillRect(sheet.adjusted(2, 2, 2, 2), QColor(80, 80, 80));  // its shadow
  painter.fillRect(sheet, Qt::white);
  const QRectF drawn = Page_.intersected(QRectF(QPointF(0, 0), Picture_.deviceIndependentSize()));
  if (!Picture_.isNull() && !drawn.isEmpty()) {
    const qreal ratio = Picture_.devicePixelRatio();
    const QRectF target(sheet.topLeft() + (drawn.topLeft() - Page_.topLeft()) * scale,
                        drawn.size() * scale);
    painter.save();
    painter.setClipRect(sheet);
    if (scale != 1 || ratio != 1) painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, Picture_, QRectF(drawn.topLeft() * ratio, drawn.size() * ratio));
    painter.restore();
  }
  painter.setPen(QPen(QColor(64, 64, 64), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(sheet.adjusted(-1, -1, 0, 0));
}

}  // namespace tamariko
