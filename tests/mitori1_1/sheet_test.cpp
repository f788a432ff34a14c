#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/page_mapping.h"
#include "core/random.h"
#include "mitori1_1/mitori1_1.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/sheet_fixtures.h"

namespace tamariko {
namespace {

using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

// A set drawn with a 300 dpi printer without offsets, as most tests want it.
class MentalSheet : public test::RecordedSheet {
 protected:
  MentalSheet() {
    texts.round = QStringLiteral("12");
    set.SetSheetTexts(&texts);
  }

  test::EditableTexts texts;
  TMitori1_1 set;
};

// The line drawn from a MoveTo to the LineTo that follows it.
std::vector<Op> Lines(const RecordingCanvas& canvas) { return canvas.OfKind(Kind::LineTo); }

const Op* LineAt(const std::vector<Op>& lines, int x1, int y1, int x2, int y2) {
  for (const auto& l : lines) {
    if (l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2) return &l;
  }
  return nullptr;
}

TEST_F(MentalSheet, ColumnLinesAreHeavyOnlyWhereAGradeRangeEnds) {
  set.MakeSheet(image, preview);
  const auto lines = Lines(image);
  struct Column {
    long double x, top, bottom;
    int width;
  };
  const Column columns[] = {
      {22, 96, 154, 1},   {98, 96, 154, 1},   {117, 96, 154, 2},  // between problems 5 and 6
      {136, 96, 154, 1},  {231, 96, 154, 1},  {22, 159, 249, 1},
      {229, 159, 249, 1}, {80, 254, 344, 1},  {109, 254, 344, 2},  // between problems 25 and 26
      {138, 254, 344, 1}, {225, 254, 344, 1},
  };
  for (const auto& c : columns) {
    const Op* line =
        LineAt(lines, preview.X(c.x), preview.Y(c.top), preview.X(c.x), preview.Y(c.bottom));
    ASSERT_NE(line, nullptr) << "x " << static_cast<double>(c.x);
    EXPECT_EQ(line->penWidth, c.width) << "x " << static_cast<double>(c.x);
  }
  // The strike lines over rows 8 to 10 of problems 13 to 15 are thin.
  for (auto [fromX, toX] : {std::pair{45, 22}, {68, 45}, {91, 68}}) {
    const Op* strike =
        LineAt(lines, preview.X(fromX), preview.Y(218), preview.X(toX), preview.Y(238));
    ASSERT_NE(strike, nullptr);
    EXPECT_EQ(strike->penWidth, 1);
  }
  // Frames heavy, boxes thin, all outlines.
  for (const auto& r : image.OfKind(Kind::Rectangle)) {
    const bool frame = r.x1 == preview.X(14);
    EXPECT_EQ(r.penWidth, frame ? 2 : 1);
    EXPECT_EQ(r.brushStyle, BrushStyle::Clear);
  }
  EXPECT_EQ(image.OfKind(Kind::Rectangle).size(), 6u);
}

TEST_F(MentalSheet, FormTextsStandWithTheirSizeAndWeight) {
  set.SetOrganizerLabel(QStringLiteral("ORVぽろね教室"));
  set.MakeSheet(image, preview);
  struct Expected {
    const char16_t* text;
    long double x, y;
    int points;
    bool bold;
  };
  const Expected expected[] = {
      {u"タマリコ練習問題", 44, 60, 22, true},
      {u"タマリコ", 72, 50, 9, false},
      {u"参", 176, 50, 9, true},
      {u"門", 176, 62, 9, true},
      {u"小学校　　　年生の部", 184, 53, 8, false},
      {u"一般の部(Ⅰ・Ⅱ)", 184, 63, 8, false},
      {u"参加番号", 229, 50, 9, true},
      {u"10点×", 176, 76, 10, true},
      {u"数", 190, 80, 9, true},
      {u"欄", 218, 80, 9, true},
      {u"第12回", 25, 82, 16, true},
      {u"み と り 暗 算 問 題", 50, 82, 16, true},
      {u"(制限時間3分)", 111, 85, 9, false},
      {u"小学校5年生以上はここから (No.6～30)", 120, 92, 9, false},
      {u"小学校4年生以下はここまで (No.1～25)", 50, 344, 9, false},
      {u"12", 30 + 19 * 11, 99, 9, true},  // the number of problem 12, not the row label
      {u"22", 32 + 23 * 9, 161, 9, true},
      {u"30", 34 + 29 * 7, 256, 9, true},
      {u"No.", 16, 98, 10, false},
      {u"計", 16, 146, 10, false},
      {u"ORVぽろね教室", 14, 347, 11, false},
      {u"10", 16, 231, 11, false},  // row label 10 of the middle block
  };
  const std::vector<Op> texts = image.OfKind(Kind::TextOut);
  for (const auto& e : expected) {
    const QString text = QString::fromUtf16(e.text);
    const Op* op = nullptr;
    for (const auto& t : texts) {
      if (t.text == text && t.x1 == preview.X(e.x) && t.y1 == preview.Y(e.y)) op = &t;
    }
    ASSERT_NE(op, nullptr) << text.toStdString();
    EXPECT_EQ(op->fontSize, e.points) << text.toStdString();
    EXPECT_EQ(op->bold, e.bold) << text.toStdString();
    EXPECT_EQ(op->fontName, QStringLiteral("ＭＳ Ｐゴシック")) << text.toStdString();
    EXPECT_FALSE(op->italic);
  }
}

TEST_F(MentalSheet, EmptyRoundAndLongHeadingAreDrawnAsTheyStand) {
  texts.round.clear();
  texts.heading2 = QString(60, QChar(u'長'));
  set.MakeSheet(image, preview);
  const Op* round = image.FindText(QStringLiteral("第回"));
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->x1, preview.X(25));
  ASSERT_NE(image.FindText(texts.heading2), nullptr);
}

TEST_F(MentalSheet, PreviewIsErasedFirstThenFormThenFigures) {
  set.MakeSheet(image, preview);
  ASSERT_FALSE(image.ops.empty());
  EXPECT_EQ(image.ops.front().kind, Kind::FillRect);
  EXPECT_EQ(image.ops.front().brushStyle, BrushStyle::Solid);
  bool figuresStarted = false;
  for (const auto& op : image.ops) {
    const bool figure = op.kind == Kind::TextOut && op.fontName == QStringLiteral("ORVFont");
    if (figure) {
      EXPECT_EQ(op.fontSize, 13);
      EXPECT_FALSE(op.bold);
    }
    ASSERT_FALSE(figuresStarted && !figure) << "form drawn after a figure";
    figuresStarted = figuresStarted || figure;
  }
}

// Where a row of problem p must stand: x of its alignment edge and the row's top.
long double FigureX(int p) {
  const long double x[31] = {0,   36,  55, 77,  96,  115, 134, 154, 173, 192, 211,
                             230, 249, 43, 66,  89,  112, 136, 158, 181, 204, 227,
                             249, 49,  78, 106, 136, 165, 194, 223, 249};
  return x[p];
}

long double RowTop(int p, int r) { return (p <= 12 ? 107 : p <= 22 ? 168 : 263) + 7.0L * (r - 1); }

// The figures of every row, in order, at their places, through the given mapping.
void ExpectFigures(const TMitori1_1& set, const std::vector<Op>& texts, const PageMapping& m) {
  std::vector<Op> figures;
  for (const auto& t : texts) {
    if (t.fontName == QStringLiteral("ORVFont")) figures.push_back(t);
  }
  std::size_t i = 0;
  for (int p = 1; p <= 30; ++p) {
    for (int r = 1; r <= TMitori1_1::RowCount(p); ++r, ++i) {
      ASSERT_LT(i, figures.size());
      const std::int32_t value = set.GetNumber(TMitori1_1::FirstIndex(p) + r - 1);
      const QString plain = QString::number(value);
      const QString shown = p >= 18 ? TKeisan::FormatGrouped(value) : plain;
      const Op& f = figures[i];
      EXPECT_EQ(f.text, shown) << p << "/" << r;
      EXPECT_EQ(f.y1, m.Y(RowTop(p, r))) << p << "/" << r;
      // Right alignment measures the plain digits, also where commas are drawn.
      const int left =
          p <= 2 ? m.X(FigureX(p)) : m.X(FigureX(p)) - RecordingCanvas::WidthOf(plain, 13);
      EXPECT_EQ(f.x1, left) << p << "/" << r;
    }
  }
  EXPECT_EQ(i, figures.size());  // 13 to 15 stop at seven rows; nothing in the total rows
}

TEST_F(MentalSheet, EveryRowIsDrawnAtItsPlaceWithItsSign) {
  SetRandomSeed(4321);
  set.MakeSheet(image, preview);
  ExpectFigures(set, image.OfKind(Kind::TextOut), preview);
  bool sawMinus = false, sawGroupedMinus = false;
  for (const auto& t : image.OfKind(Kind::TextOut)) {
    sawMinus = sawMinus || t.text.startsWith(u'-');
    sawGroupedMinus = sawGroupedMinus || (t.text.startsWith(u'-') && t.text.contains(u','));
  }
  EXPECT_TRUE(sawMinus);
  EXPECT_TRUE(sawGroupedMinus);
}

TEST_F(MentalSheet, PrintedPageCarriesFormAndTheSameFiguresThroughThePrintMapping) {
  SetRandomSeed(777);
  set.MakeSheet(image, preview);
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  const auto& job = printer.jobs.front();
  EXPECT_EQ(job.title, QStringLiteral("みとり暗算１"));
  EXPECT_TRUE(job.ended);
  const RecordingCanvas& page = *job.page;
  EXPECT_TRUE(page.OfKind(Kind::FillRect).empty());  // the page is not erased
  const std::vector<Op> lines = Lines(page);
  const Op* heavy = LineAt(lines, print.X(117), print.Y(96), print.X(117), print.Y(154));
  ASSERT_NE(heavy, nullptr);
  EXPECT_EQ(heavy->penWidth, 4);
  ExpectFigures(set, page.OfKind(Kind::TextOut), print);
}

TEST_F(MentalSheet, PrintingBeforeAnyRunPrintsTheFormOnly) {
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  const RecordingCanvas& page = *printer.jobs.front().page;
  for (const auto& t : page.OfKind(Kind::TextOut)) {
    EXPECT_NE(t.fontName, QStringLiteral("ORVFont")) << t.text.toStdString();
  }
  EXPECT_NE(page.FindText(QStringLiteral("み と り 暗 算 問 題")), nullptr);
}

}  // namespace
}  // namespace tamariko
