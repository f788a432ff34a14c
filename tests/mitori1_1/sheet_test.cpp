#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
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

const QString kFigureFace = QStringLiteral("ORVFont");

TEST_F(MentalSheet, FormTextsStandOnceAndGradeMarkersAtTheHeavyRules) {
  set.MakeSheet(image, preview);
  const QString from1 = QStringLiteral("小学校4年生以下はここから (No.1～25)");
  const QString from6 = QStringLiteral("小学校5年生以上はここから (No.6～30)");
  const QString to25 = QStringLiteral("小学校4年生以下はここまで (No.1～25)");
  const QString to30 = QStringLiteral("小学校5年生以上はここまで (No.6～30)");
  test::ExpectTextsOnce(image, {QStringLiteral("第12回"), QStringLiteral("み と り 暗 算 問 題"),
                                QStringLiteral("(制限時間3分)"), QStringLiteral("タマリコ"),
                                QStringLiteral("タマリコ練習問題"), QStringLiteral("10点×"),
                                QStringLiteral("参加番号"), QStringLiteral("小学校　　　年生の部"),
                                QStringLiteral("一般の部(Ⅰ・Ⅱ)"), QStringLiteral("ORVぽろね教室"),
                                from1, from6, to25, to30});
  const Op* title = image.FindText(QStringLiteral("み と り 暗 算 問 題"));
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->bold);
  EXPECT_GT(title->fontSize, image.FindText(QStringLiteral("(制限時間3分)"))->fontSize);
  // The markers stand above the top block and below the bottom one, either side of the
  // heavy rule that ends the grade range.
  std::vector<Op> heavy;
  for (const auto& l : image.OfKind(Kind::LineTo)) {
    if (l.x1 == l.x2 && l.penWidth > 1) heavy.push_back(l);
  }
  ASSERT_EQ(heavy.size(), 2u);
  auto marker = [&](const QString& text, const Op& rule, bool above, bool left) {
    const Op* t = image.FindText(text);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->y1 < rule.y1, above) << text.toStdString();
    EXPECT_EQ(t->y1 >= rule.y2, !above) << text.toStdString();
    EXPECT_EQ(t->x1 < rule.x1, left) << text.toStdString();
  };
  marker(from1, heavy[0], true, true);
  marker(from6, heavy[0], true, false);
  marker(to25, heavy[1], false, true);
  marker(to30, heavy[1], false, false);
  for (const auto& r : image.OfKind(Kind::Rectangle)) EXPECT_EQ(r.brushStyle, BrushStyle::Clear);
}

TEST_F(MentalSheet, EmptyRoundStandsAndALongHeadingIsCutAtTheDivisionBox) {
  texts.round.clear();
  texts.heading2 = QString(60, QChar(u'長'));
  set.MakeSheet(image, preview);
  const Op* round = image.FindText(QStringLiteral("第　回"));
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->x1, preview.X(25));
  test::ExpectHeadingCutAtTheDivisionBox(image);
}

// The box of a figure's digits: right alignment measures the plain digits, and the commas'
// true ink is checked against the rules by the render test.
QRect DigitsBox(const Op& figure, const QString& plain) {
  return QRect(figure.x1, figure.y1, RecordingCanvas::WidthOf(plain, figure.fontSize),
               RecordingCanvas::BoxOf(figure).height());
}

// Every row of the thirty problems drawn once, in order, showing its value; each problem's
// rows one under another in a column of their own under its number, clear of every rule and
// aligned on one edge; the column rule heavy only where a grade range ends (after 5 and 25);
// rows 8 to 10 of problems 13 to 15 struck through.
void ExpectFigures(const TMitori1_1& set, const RecordingCanvas& canvas) {
  const std::vector<Op> texts = canvas.OfKind(Kind::TextOut);
  const std::vector<Op> figures = test::TextsIn(canvas, kFigureFace);
  std::vector<Op> strikes;
  for (const auto& l : canvas.OfKind(Kind::LineTo)) {
    if (l.x1 != l.x2 && l.y1 != l.y2) strikes.push_back(l);
  }
  EXPECT_EQ(strikes.size(), 3u);
  std::size_t i = 0;
  std::pair<Op, Op> column;
  QRect previous;
  for (int p = 1; p <= 30; ++p) {
    SCOPED_TRACE(::testing::Message() << "problem " << p);
    for (int r = 1; r <= TMitori1_1::RowCount(p); ++r, ++i) {
      ASSERT_LT(i, figures.size());
      const std::int32_t value = set.GetNumber(TMitori1_1::FirstIndex(p) + r - 1);
      const QString plain = QString::number(value);
      EXPECT_EQ(figures[i].text, p >= 18 ? TKeisan::FormatGrouped(value) : plain) << r;
      EXPECT_EQ(figures[i].fontSize, 13);
      EXPECT_FALSE(figures[i].bold);
      const QRect box = DigitsBox(figures[i], plain);
      EXPECT_FALSE(canvas.RuleTouches(box)) << r;
      const auto sides = canvas.RulesBeside(box);
      const Op &left = sides.first, &right = sides.second;
      if (p == 1 || p == 13 || p == 23) {
        const auto labels = std::count_if(texts.begin(), texts.end(), [&](const Op& t) {
          const QRect label = RecordingCanvas::BoxOf(t);
          return t.text == QString::number(r) && !t.bold && label.right() < left.x1 &&
                 label.top() < box.bottom() && box.top() < label.bottom();
        });
        EXPECT_EQ(labels, 1) << "row label " << r;
      }
      const QRect above = std::exchange(previous, box);
      if (r > 1) {
        EXPECT_EQ(left.x1, column.first.x1) << r;
        EXPECT_GT(box.top(), above.bottom()) << r;
        // Problems 1 and 2 start on one edge, the others end on one.
        EXPECT_EQ(p <= 2 ? box.left() : box.right(), p <= 2 ? above.left() : above.right());
        continue;
      }
      EXPECT_NE(left.x1, column.first.x1) << "shares a column with problem " << p - 1;
      column = {left, right};
      const bool last = p == 12 || p == 22 || p == 30;
      EXPECT_EQ(right.kind == Kind::Rectangle, last);
      EXPECT_EQ(right.penWidth > 1, last || p == 5 || p == 25);
      int numbers = 0;
      for (const auto& t : texts) {
        const QRect number = RecordingCanvas::BoxOf(t);
        if (t.text != QString::number(p) || !t.bold || number.bottom() >= box.top()) continue;
        ++numbers;
        EXPECT_EQ(canvas.RulesBeside(number).first.x1, left.x1) << "number beside its column";
      }
      EXPECT_EQ(numbers, 1);
    }
    const auto struck = std::count_if(strikes.begin(), strikes.end(), [&](const Op& s) {
      return std::min(s.x1, s.x2) >= column.first.x1 && std::max(s.x1, s.x2) <= column.second.x1 &&
             std::min(s.y1, s.y2) > figures[i - 1].y1;
    });
    EXPECT_EQ(struck, p >= 13 && p <= 15 ? 1 : 0);
  }
  EXPECT_EQ(i, figures.size());
}

TEST_F(MentalSheet, EveryRowStandsInItsProblemsColumnWithItsSign) {
  SetRandomSeed(4321);
  set.MakeSheet(image, preview);
  test::ExpectErasedThenFormThen(image, kFigureFace);
  ExpectFigures(set, image);
  bool sawMinus = false, sawGroupedMinus = false;
  for (const auto& t : image.OfKind(Kind::TextOut)) {
    sawMinus = sawMinus || t.text.startsWith(u'-');
    sawGroupedMinus = sawGroupedMinus || (t.text.startsWith(u'-') && t.text.contains(u','));
  }
  EXPECT_TRUE(sawMinus);
  EXPECT_TRUE(sawGroupedMinus);
}

TEST_F(MentalSheet, PrintedPageCarriesThePreviewsDrawingThroughThePrintMapping) {
  SetRandomSeed(777);
  set.MakeSheet(image, preview);
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  const auto& job = printer.jobs.front();
  EXPECT_EQ(job.title, QStringLiteral("みとり暗算１"));
  EXPECT_TRUE(job.ended);
  test::ExpectSameDrawing(image, preview, *job.page, print);
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
