#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/page_mapping.h"
#include "core/sheet_texts.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/recording_print_target.h"

namespace tamariko::test {

// The round number and headings, changed by a test as a teacher changes the edit boxes.
class EditableTexts : public TSheetTexts {
 public:
  QString round = QStringLiteral("1");
  QString heading1 = QStringLiteral("タマリコ");
  QString heading2 = QStringLiteral("タマリコ練習問題");
  QString RoundText() const override { return round; }
  QString Heading1() const override { return heading1; }
  QString Heading2() const override { return heading2; }
};

// A sheet drawn on a recording canvas with the mapping of a 300 dpi printer without
// offsets, and printed on a recording printer of that kind.
class RecordedSheet : public ::testing::Test {
 protected:
  const PageMapping preview = PreviewMapping({300, 300}, {0, 0});
  const PageMapping print = PrintMapping({300, 300}, {0, 0});
  RecordingCanvas image;
  RecordingPrintTarget printer;
};

// A number as a line must print it, its commas spelled out here.
inline QString Grouped(std::int64_t v) {
  QString s = QString::number(v);
  for (int i = s.size() - 3; i > 0; i -= 3) s.insert(i, u',');
  return s;
}

// The texts drawn in `face`, in drawing order.
inline std::vector<RecordingCanvas::Op> TextsIn(const RecordingCanvas& canvas,
                                                const QString& face) {
  std::vector<RecordingCanvas::Op> found;
  for (const auto& t : canvas.OfKind(RecordingCanvas::Kind::TextOut)) {
    if (t.fontName == face) found.push_back(t);
  }
  return found;
}

// Each of `wanted` is drawn exactly once, in the label face.
inline void ExpectTextsOnce(const RecordingCanvas& canvas, const QStringList& wanted) {
  const std::vector<RecordingCanvas::Op> texts = canvas.OfKind(RecordingCanvas::Kind::TextOut);
  for (const QString& text : wanted) {
    const auto n = std::count_if(texts.begin(), texts.end(), [&](const RecordingCanvas::Op& t) {
      return t.text == text && t.fontName == QStringLiteral("ＭＳ Ｐゴシック");
    });
    EXPECT_EQ(n, 1) << text.toStdString();
  }
}

// The whole preview is erased first, then the form is drawn, then the texts in `face`.
inline void ExpectErasedThenFormThen(const RecordingCanvas& canvas, const QString& face) {
  ASSERT_FALSE(canvas.ops.empty());
  const RecordingCanvas::Op& erase = canvas.ops.front();
  EXPECT_EQ(erase.kind, RecordingCanvas::Kind::FillRect);
  EXPECT_EQ(erase.brushStyle, BrushStyle::Solid);
  EXPECT_EQ(QRect(erase.x1, erase.y1, erase.x2 - erase.x1, erase.y2 - erase.y1), canvas.ClipRect());
  bool started = false;
  for (const auto& op : canvas.ops) {
    const bool inFace = op.kind == RecordingCanvas::Kind::TextOut && op.fontName == face;
    ASSERT_FALSE(started && !inFace) << "form drawn after " << op.text.toStdString();
    started = started || inFace;
  }
  EXPECT_TRUE(started) << "nothing in " << face.toStdString();
}

// The drawing without the texts in `face`.
inline RecordingCanvas Without(const RecordingCanvas& canvas, const QString& face) {
  RecordingCanvas kept;
  for (const auto& op : canvas.ops) {
    if (op.kind != RecordingCanvas::Kind::TextOut || op.fontName != face) kept.ops.push_back(op);
  }
  return kept;
}

// The printed page holds the preview's drawing, erasing apart, at the print mapping: the same
// operations in the same order, each within the rounding of both mappings, heavy where the
// preview's pen is heavy.
inline void ExpectSameDrawing(const RecordingCanvas& preview, const PageMapping& pm,
                              const RecordingCanvas& page, const PageMapping& qm) {
  std::vector<RecordingCanvas::Op> drawn;
  for (const auto& op : preview.ops) {
    if (op.kind != RecordingCanvas::Kind::FillRect) drawn.push_back(op);
  }
  ASSERT_EQ(page.ops.size(), drawn.size());
  const int slack = static_cast<int>(qm.ScaleX / pm.ScaleX) + 1;
  auto x = [&](int px) { return qm.X((px + pm.ShiftX) / pm.ScaleX); };
  auto y = [&](int px) { return qm.Y((px + pm.ShiftY) / pm.ScaleY); };
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const auto &p = drawn[i], &q = page.ops[i];
    SCOPED_TRACE(::testing::Message() << "operation " << i << " " << p.text.toStdString());
    EXPECT_EQ(q.kind, p.kind);
    EXPECT_EQ(q.text, p.text);
    EXPECT_NEAR(q.y1, y(p.y1), slack);
    if (p.kind == RecordingCanvas::Kind::TextOut) {
      // Recorded widths do not scale with the target, so a right-aligned text keeps its end,
      // measured with or without its commas.
      auto keepsEnd = [&](const QString& measured) {
        const int w = RecordingCanvas::WidthOf(measured, p.fontSize);
        return std::abs(q.x1 + w - x(p.x1 + w)) <= slack;
      };
      EXPECT_TRUE(std::abs(q.x1 - x(p.x1)) <= slack || keepsEnd(p.text) ||
                  keepsEnd(QString(p.text).remove(u',')))
          << q.x1 << " for " << p.x1;
      EXPECT_EQ(q.fontName, p.fontName);
      EXPECT_EQ(q.fontSize, p.fontSize);
      EXPECT_EQ(q.bold, p.bold);
    } else {
      EXPECT_NEAR(q.x1, x(p.x1), slack);
      EXPECT_EQ(q.penWidth > 1, p.penWidth > 1);
      EXPECT_NEAR(q.x2, x(p.x2), slack);
      EXPECT_NEAR(q.y2, y(p.y2), slack);
    }
  }
}

// The large heading of 60 「長」, more than any window lets through, is cut where the division
// box begins (it runs from 44 mm, the box from 174 mm), never drawn over it; measured with
// the recording canvas's widths at 96 dpi.
inline void ExpectHeadingCutAtTheDivisionBox(const RecordingCanvas& image) {
  std::optional<RecordingCanvas::Op> heading;
  for (const RecordingCanvas::Op& t : image.OfKind(RecordingCanvas::Kind::TextOut)) {
    if (t.text.startsWith(QStringLiteral("長長"))) heading = t;
  }
  ASSERT_TRUE(heading.has_value());
  EXPECT_LT(heading->text.size(), 60);
  const double endMm = 44 + RecordingCanvas::WidthOf(heading->text, 22) * 25.4 / 96;
  EXPECT_LE(endMm, 174);
  EXPECT_GT(endMm, 165);
}

}  // namespace tamariko::test
