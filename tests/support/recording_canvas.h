#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <cmath>
#include <utility>
#include <vector>

#include "core/canvas.h"

namespace tamariko {

// A canvas that draws nothing and keeps every operation, with the pen, brush and font in
// force at that moment, for tests of the sheet drawing.
//
// TextWidth follows a fixed rule, so that tests do not depend on installed fonts: the
// font's pixel height at 96 dpi, em = round(points * 96 / 72), and each character is em / 2
// pixels wide (integer division) when it is ASCII or a half-width katakana, em otherwise.
class RecordingCanvas : public TCanvas {
 public:
  enum class Kind { FillRect, MoveTo, LineTo, Rectangle, TextOut };

  struct Op {
    Kind kind;
    // FillRect, Rectangle: the corners as given (FillRect: rect.left/top, right+1/bottom+1).
    // MoveTo: x1, y1. LineTo: from (x1, y1) to (x2, y2). TextOut: x1, y1.
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    QString text;
    int penWidth = 1;
    TColor penColor = 0xff000000;
    BrushStyle brushStyle = BrushStyle::Solid;
    TColor brushColor = 0xffffffff;
    QString fontName;
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    int charset = DEFAULT_CHARSET;
  };

  explicit RecordingCanvas(QRect clip = QRect(0, 0, 865, 1300)) : clip_(clip) {}

  std::vector<Op> ops;

  // The operations of one kind, in drawing order.
  std::vector<Op> OfKind(Kind kind) const;
  // The first TextOut of `text`, or nullptr.
  const Op* FindText(const QString& text) const;

  static int WidthOf(const QString& text, int points);
  // The box a text covers under that rule: its width, one em high.
  static QRect BoxOf(const Op& text);
  // Whether a line (by its bounding box) or an edge of a rectangle touches `box`.
  bool RuleTouches(const QRect& box) const;
  // The nearest vertical rules (lines, or sides of a rectangle, kept as that Rectangle with
  // x1 == x2) left and right of `box` that run its full height; x1 is INT_MIN, INT_MAX where
  // there is none.
  std::pair<Op, Op> RulesBeside(const QRect& box) const;

  void SetClipRect(QRect clip) { clip_ = clip; }

  void SetFontName(const QString& name) override { fontName_ = name; }
  void SetFontCharset(int charset) override { charset_ = charset; }
  void SetFontSize(int points) override { fontSize_ = points; }
  void SetFontBold(bool bold) override { bold_ = bold; }
  void SetFontItalic(bool italic) override { italic_ = italic; }

  void SetPenColor(TColor color) override { penColor_ = color; }
  void SetPenWidth(int pixels) override { penWidth_ = pixels; }

  void SetBrushStyle(BrushStyle style) override { brushStyle_ = style; }
  void SetBrushColor(TColor color) override { brushColor_ = color; }

  QRect ClipRect() const override { return clip_; }
  void FillRect(const QRect& rect) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const QString& text) override;
  int TextWidth(const QString& text) override { return WidthOf(text, fontSize_); }
  // One em high from the text's top, as wide as TextWidth, at 96 dpi.
  TextInk InkOf(const QString& text) override {
    const long double mm = 25.4L / 96;
    return {QRectF(0, 0, static_cast<qreal>(WidthOf(text, fontSize_) * mm),
                   static_cast<qreal>(std::lround(fontSize_ * 96 / 72.0) * mm)),
            {}};
  }

 private:
  void Record(Kind kind, int x1, int y1, int x2, int y2, const QString& text = {});

  QRect clip_;
  QPoint position_;
  QString fontName_ = QStringLiteral("ＭＳ Ｐゴシック");
  int fontSize_ = 9;
  bool bold_ = false;
  bool italic_ = false;
  int charset_ = DEFAULT_CHARSET;
  TColor penColor_ = 0xff000000;
  int penWidth_ = 1;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  TColor brushColor_ = 0xffffffff;
};

}  // namespace tamariko
