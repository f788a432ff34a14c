#include "platform/qpainter_canvas.h"

#include <QColor>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "core/error.h"
#include "platform/font_resources.h"

namespace tamariko {
namespace {

// Points to whole pixels, rounded as the classic canvas does (MulDiv), so a size gives the
// same glyphs on every run instead of a fractional size.
int PointsToPixels(int points, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(points) * dpi / 72.0));
}

}  // namespace

QImage MakePreviewImage(qreal devicePixelRatio) {
  const auto pixels = [devicePixelRatio](int size) {
    return static_cast<int>(std::ceil(size * devicePixelRatio));
  };
  QImage image(pixels(kPreviewWidth), pixels(kPreviewHeight), QImage::Format_RGB32);
  image.setDevicePixelRatio(devicePixelRatio);
  const int dotsPerMeter = static_cast<int>(std::lround(kPreviewDpi / 0.0254));
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  return image;
}

QPainterCanvas::QPainterCanvas(QPaintDevice* device) : device_(device), font_(kLabelFace) {
  if (device_ == nullptr || !painter_.begin(device_)) {
    throw Error("描画を始められません（出力先が使えません）");
  }
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  ApplyFont();
  ApplyPen();
}

QPainterCanvas::~QPainterCanvas() { End(); }

void QPainterCanvas::StartAfresh() {
  font_ = QFont(kLabelFace);
  points_ = 9;
  charset_ = DEFAULT_CHARSET;
  penColor_ = 0xff000000;
  penWidth_ = 1;
  brushStyle_ = BrushStyle::Solid;
  brushColor_ = 0xffffffff;
  position_ = QPoint();
  SetPageTransform({});
  ApplyFont();
  ApplyPen();
}

void QPainterCanvas::SetPageTransform(const PageTransform& transform) {
  if (!painter_.isActive() || (transform.IsIdentity() && !transformed_)) return;
  transformed_ = !transform.IsIdentity();
  const auto scale = static_cast<qreal>(transform.Scale);
  painter_.setWorldTransform(QTransform(scale, 0, 0, scale, static_cast<qreal>(transform.Dx),
                                        static_cast<qreal>(transform.Dy)));
}

bool QPainterCanvas::End() { return !painter_.isActive() || painter_.end(); }

void QPainterCanvas::ApplyFont() {
  font_.setPixelSize(std::max(1, PointsToPixels(points_, device_->logicalDpiY())));
  if (painter_.isActive()) painter_.setFont(font_);
}

void QPainterCanvas::ApplyPen() {
  QPen pen(QColor::fromRgb(penColor_), std::max(1, penWidth_), Qt::SolidLine, Qt::SquareCap,
           Qt::MiterJoin);
  if (painter_.isActive()) painter_.setPen(pen);
}

void QPainterCanvas::SetFontName(const QString& name) {
  font_.setFamily(name);
  ApplyFont();
}

// Qt picks the script from the text itself; the charset is kept only to be reported.
void QPainterCanvas::SetFontCharset(int charset) { charset_ = charset; }

void QPainterCanvas::SetFontSize(int points) {
  points_ = points;
  ApplyFont();
}

void QPainterCanvas::SetFontBold(bool bold) {
  font_.setWeight(bold ? QFont::Bold : QFont::Normal);
  ApplyFont();
}

void QPainterCanvas::SetFontItalic(bool italic) {
  font_.setItalic(italic);
  ApplyFont();
}

void QPainterCanvas::SetPenColor(TColor color) {
  penColor_ = color;
  ApplyPen();
}

void QPainterCanvas::SetPenWidth(int pixels) {
  penWidth_ = pixels;
  ApplyPen();
}

void QPainterCanvas::SetBrushStyle(BrushStyle style) { brushStyle_ = style; }

void QPainterCanvas::SetBrushColor(TColor color) { brushColor_ = color; }

// In the painter's coordinates: device-independent pixels on an image of a higher ratio.
QRect QPainterCanvas::ClipRect() const {
  const qreal ratio = device_->devicePixelRatio();
  return QRect(0, 0, static_cast<int>(std::ceil(device_->width() / ratio)),
               static_cast<int>(std::ceil(device_->height() / ratio)));
}

void QPainterCanvas::FillRect(const QRect& rect) {
  if (!painter_.isActive()) return;
  painter_.fillRect(rect, QColor::fromRgb(brushColor_));
}

void QPainterCanvas::MoveTo(int x, int y) { position_ = QPoint(x, y); }

void QPainterCanvas::LineTo(int x, int y) {
  const QPoint to(x, y);
  if (painter_.isActive()) painter_.drawLine(position_, to);
  position_ = to;
}

// The figure covers x1..x2-1 and y1..y2-1, as the classic Rectangle does; the interior is
// filled only with a solid brush.
void QPainterCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (!painter_.isActive()) return;
  const QRect r = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized();
  if (brushStyle_ == BrushStyle::Solid) painter_.fillRect(r, QColor::fromRgb(brushColor_));
  painter_.setBrush(Qt::NoBrush);
  // Qt's aliased outline of a w-wide rectangle spans w + 1 pixels.
  painter_.drawRect(r.adjusted(0, 0, -1, -1));
}

void QPainterCanvas::TextOut(int x, int y, const QString& text) {
  if (!painter_.isActive() || text.isEmpty()) return;
  const QFontMetrics metrics = painter_.fontMetrics();
  if (brushStyle_ == BrushStyle::Solid) {
    painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()),
                      QColor::fromRgb(brushColor_));
  }
  const QPen pen = painter_.pen();
  painter_.setPen(Qt::black);  // text takes the font colour, which the sheets never change
  painter_.drawText(QPoint(x, y + metrics.ascent()), text);
  painter_.setPen(pen);
}

int QPainterCanvas::TextWidth(const QString& text) {
  if (painter_.isActive()) return painter_.fontMetrics().horizontalAdvance(text);
  return QFontMetrics(font_, device_).horizontalAdvance(text);
}

}  // namespace tamariko
