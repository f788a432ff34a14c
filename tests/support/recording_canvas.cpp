#include "tests/support/recording_canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tamariko {

std::vector<RecordingCanvas::Op> RecordingCanvas::OfKind(Kind kind) const {
  std::vector<Op> found;
  for (const Op& op : ops) {
    if (op.kind == kind) found.push_back(op);
  }
  return found;
}

const RecordingCanvas::Op* RecordingCanvas::FindText(const QString& text) const {
  for (const Op& op : ops) {
    if (op.kind == Kind::TextOut && op.text == text) return &op;
  }
  return nullptr;
}

int RecordingCanvas::WidthOf(const QString& text, int points) {
  const int em = static_cast<int>(std::lround(points * 96.0 / 72.0));
  int width = 0;
  for (const QChar c : text) {
    const bool narrow = c.unicode() < 0x80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F);
    width += narrow ? em / 2 : em;
  }
  return width;
}

QRect RecordingCanvas::BoxOf(const Op& text) {
  const int em = static_cast<int>(std::lround(text.fontSize * 96.0 / 72.0));
  return QRect(text.x1, text.y1, WidthOf(text.text, text.fontSize), em);
}

bool RecordingCanvas::RuleTouches(const QRect& box) const {
  auto touches = [&](int x1, int y1, int x2, int y2, int pen) {
    const QRect line = QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                             QPoint(std::max(x1, x2) + pen - 1, std::max(y1, y2) + pen - 1));
    return line.intersects(box);
  };
  for (const Op& op : ops) {
    if (op.kind == Kind::LineTo && touches(op.x1, op.y1, op.x2, op.y2, op.penWidth)) return true;
    if (op.kind != Kind::Rectangle) continue;
    const int right = op.x2 - 1, bottom = op.y2 - 1;  // the outline ends a pixel short
    if (touches(op.x1, op.y1, right, op.y1, op.penWidth) ||
        touches(op.x1, bottom, right, bottom, op.penWidth) ||
        touches(op.x1, op.y1, op.x1, bottom, op.penWidth) ||
        touches(right, op.y1, right, bottom, op.penWidth)) {
      return true;
    }
  }
  return false;
}

std::pair<RecordingCanvas::Op, RecordingCanvas::Op> RecordingCanvas::RulesBeside(
    const QRect& box) const {
  Op left, right;
  left.kind = right.kind = Kind::LineTo;
  left.x1 = std::numeric_limits<int>::min();
  right.x1 = std::numeric_limits<int>::max();
  auto consider = [&](const Op& rule, int x, int y1, int y2) {
    if (std::min(y1, y2) > box.top() || std::max(y1, y2) < box.bottom()) return;
    Op side = rule;
    side.x1 = side.x2 = x;
    if (x < box.left() && x > left.x1) left = side;
    if (x > box.right() && x < right.x1) right = side;
  };
  for (const Op& op : ops) {
    if (op.kind == Kind::LineTo && op.x1 == op.x2) consider(op, op.x1, op.y1, op.y2);
    if (op.kind != Kind::Rectangle) continue;
    consider(op, op.x1, op.y1, op.y2 - 1);
    consider(op, op.x2 - 1, op.y1, op.y2 - 1);
  }
  return {left, right};
}

void RecordingCanvas::Record(Kind kind, int x1, int y1, int x2, int y2, const QString& text) {
  Op op;
  op.kind = kind;
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.text = text;
  op.penWidth = penWidth_;
  op.penColor = penColor_;
  op.brushStyle = brushStyle_;
  op.brushColor = brushColor_;
  op.fontName = fontName_;
  op.fontSize = fontSize_;
  op.bold = bold_;
  op.italic = italic_;
  op.charset = charset_;
  ops.push_back(op);
}

void RecordingCanvas::FillRect(const QRect& rect) {
  Record(Kind::FillRect, rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1);
}

void RecordingCanvas::MoveTo(int x, int y) {
  position_ = QPoint(x, y);
  Record(Kind::MoveTo, x, y, x, y);
}

void RecordingCanvas::LineTo(int x, int y) {
  Record(Kind::LineTo, position_.x(), position_.y(), x, y);
  position_ = QPoint(x, y);
}

void RecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Record(Kind::Rectangle, x1, y1, x2, y2);
}

void RecordingCanvas::TextOut(int x, int y, const QString& text) {
  Record(Kind::TextOut, x, y, 0, 0, text);
}

}  // namespace tamariko
