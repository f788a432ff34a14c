#include "platform/qpainter_canvas.h"

#include <QColor>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPen>
#include <QRawFont>
#include <QStringView>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <mutex>

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

// The font in the printer's whole pixels, whatever the device: a preview draws it scaled.
void QPainterCanvas::ApplyFont() {
  font_.setPixelSize(std::max(1, PointsToPixels(points_, kTextDpi)));
  faces_.reset();
  if (painter_.isActive()) painter_.setFont(font_);
}

qreal QPainterCanvas::TextScale() const {
  return static_cast<qreal>(device_->logicalDpiY()) / kTextDpi;
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

// Off the printer's page the text is drawn as printed, scaled about (x, y) to the device.
void QPainterCanvas::TextOut(int x, int y, const QString& text) {
  if (!painter_.isActive() || text.isEmpty()) return;
  const QFontMetrics metrics = painter_.fontMetrics();
  const qreal scale = TextScale();
  if (brushStyle_ == BrushStyle::Solid) {
    painter_.fillRect(
        QRect(x, y, TextWidth(text), static_cast<int>(std::lround(metrics.height() * scale))),
        QColor::fromRgb(brushColor_));
  }
  const QPen pen = painter_.pen();
  painter_.setPen(Qt::black);  // text takes the font colour, which the sheets never change
  if (scale == 1) {
    painter_.drawText(QPoint(x, y + metrics.ascent()), text);
  } else {
    DrawScaledText(x, y, text, scale);
  }
  painter_.setPen(pen);
}

// The glyphs at the device's nearest whole pixel size, each where the printed page puts it,
// scaled: so the text spans what it spans on paper. (Drawn through a scaling transform
// instead, a synthesised bold would be far too heavy when small and lost when large.)
// The sheets' texts take their glyphs straight from the face, one a character, unkerned;
// a text the face does not hold whole is laid out in full, at both sizes.
void QPainterCanvas::DrawScaledText(int x, int y, const QString& text, qreal scale) {
  QFont small = font_;
  small.setPixelSize(std::max(1, static_cast<int>(std::lround(font_.pixelSize() * scale))));
  if (!faces_) faces_.emplace(QRawFont::fromFont(font_), QRawFont::fromFont(small));
  const auto& [printedFace, drawnFace] = *faces_;
  const QList<quint32> glyphs = printedFace.glyphIndexesForString(text);
  if (printedFace.isValid() && drawnFace.isValid() && !glyphs.contains(0)) {
    const QList<QPointF> advances = printedFace.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(advances.size());
    qreal pen = 0;
    for (const QPointF& advance : advances) {
      positions.append(QPointF(pen * scale, 0));
      pen += advance.x();
    }
    QGlyphRun run;
    run.setRawFont(drawnFace);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter_.drawGlyphRun(QPointF(x, y + painter_.fontMetrics().ascent() * scale), run);
    return;
  }
  const auto glyphRuns = [this, &text](const QFont& font) {
    QTextLayout layout(text, font, device_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.glyphRuns();
  };
  const QList<QGlyphRun> printed = glyphRuns(font_);
  QList<QGlyphRun> drawn = glyphRuns(small);
  bool same = printed.size() == drawn.size();
  for (qsizetype r = 0; same && r < drawn.size(); ++r) {
    same = printed[r].glyphIndexes() == drawn[r].glyphIndexes();
  }
  if (!same) {  // not met with the sheets' faces; the device's own layout then
    painter_.setFont(small);
    painter_.drawText(QPoint(x, y + QFontMetrics(small, device_).ascent()), text);
    painter_.setFont(font_);
    return;
  }
  for (qsizetype r = 0; r < drawn.size(); ++r) {
    QList<QPointF> positions = printed[r].positions();
    for (QPointF& p : positions) p *= scale;
    drawn[r].setPositions(positions);
    painter_.drawGlyphRun(QPointF(x, y), drawn[r]);
  }
}

// The printed width, scaled to the device and rounded.
int QPainterCanvas::TextWidth(const QString& text) {
  const int printed = painter_.isActive() ? painter_.fontMetrics().horizontalAdvance(text)
                                          : QFontMetrics(font_, device_).horizontalAdvance(text);
  const qreal scale = TextScale();
  return scale == 1 ? printed : static_cast<int>(std::lround(printed * scale));
}

}  // namespace tamariko

namespace tamariko {

// Measured at the printed size from the face's outlines, both as a preview places the glyphs
// (unkerned) and as the print lays them out; the face's own bold where it has one, else Qt
// thickens the outlines by about a 24th of the em.
TextInk QPainterCanvas::InkOf(const QString& text) {
  // A page draws the same few lines again and again (every page of a run, every size
  // tried): measured once.
  static std::mutex cacheMutex;
  static QHash<QString, TextInk> cache;
  const QString key = font_.key() + QChar(0x1F) + text;
  {
    const std::lock_guard<std::mutex> hold(cacheMutex);
    if (const auto found = cache.constFind(key); found != cache.constEnd()) return *found;
  }
  const TextInk ink = MeasureInk(text);
  const std::lock_guard<std::mutex> hold(cacheMutex);
  if (cache.size() > 512) cache.clear();
  cache.insert(key, ink);
  return ink;
}

TextInk QPainterCanvas::MeasureInk(const QString& text) const {
  TextInk ink;
  const QRawFont face = QRawFont::fromFont(font_);
  if (!face.isValid()) {
    ink.missing = text.left(1);
    return ink;
  }
  for (const char32_t c : QStringView(text).toUcs4()) {
    if (!face.supportsCharacter(c)) {
      ink.missing = QString::fromUcs4(&c, 1);
      return ink;
    }
  }
  const QList<quint32> glyphs = face.glyphIndexesForString(text);
  const QList<QPointF> advances = face.advancesForGlyphIndexes(glyphs);
  const qreal ascent = QFontMetrics(font_).ascent();
  QRectF box;
  qreal pen = 0;
  for (qsizetype i = 0; i < glyphs.size(); ++i) {
    const QRectF outline = face.pathForGlyph(glyphs[i]).boundingRect();
    if (!outline.isEmpty()) box |= outline.translated(pen, ascent);
    pen += advances[i].x();
  }
  // And as the print draws it, shaped: marks stack on their base there.
  QTextLayout layout(text, font_);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QRawFont runFace = run.rawFont();
    const QList<quint32> indexes = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
      const QRectF outline = runFace.pathForGlyph(indexes[i]).boundingRect();
      if (!outline.isEmpty()) box |= outline.translated(positions[i]);
    }
  }
  if (box.isEmpty()) return ink;
  if (font_.bold() && face.weight() < QFont::DemiBold) {
    const qreal grown = font_.pixelSize() / 24.0;
    box.adjust(-grown, -grown, grown, grown);
  }
  const qreal mm = 25.4 / kTextDpi;
  ink.box = QRectF(box.topLeft() * mm, box.size() * mm);
  return ink;
}

}  // namespace tamariko
