#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <vector>

#include "core/page_mapping.h"
#include "core/random.h"
#include "kake/kake.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/sheet_fixtures.h"

namespace tamariko {
namespace {

using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

const QString kFigureFace = QStringLiteral("ORVFont");

// A set drawn with a 300 dpi printer without offsets.
class MultiplicationSheet : public test::RecordedSheet {
 protected:
  MultiplicationSheet() {
    texts.round = QStringLiteral("7");
    set.SetSheetTexts(&texts);
  }

  test::EditableTexts texts;
  Tkake set;
};

std::vector<Op> ProblemLines(const RecordingCanvas& canvas) {
  return test::TextsIn(canvas, kFigureFace);
}

// The texts of the form as the teacher reads them, each drawn once in the label face.
void ExpectFormTexts(const RecordingCanvas& canvas, const QString& label) {
  QStringList wanted = {QStringLiteral("第7回"),
                        QStringLiteral("か け 算 問 題"),
                        QStringLiteral("(制限時間10分)"),
                        QStringLiteral("タマリコ"),
                        QStringLiteral("タマリコ練習問題"),
                        QStringLiteral("5点×"),
                        QStringLiteral("参加番号"),
                        QStringLiteral("小学校　　　年生の部"),
                        QStringLiteral("一般の部(Ⅰ・Ⅱ)")};
  if (!label.isEmpty()) wanted << label;
  test::ExpectTextsOnce(canvas, wanted);
  const Op* title = canvas.FindText(QStringLiteral("か け 算 問 題"));
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->bold);
  EXPECT_GT(title->fontSize, canvas.FindText(QStringLiteral("(制限時間10分)"))->fontSize);
}

TEST_F(MultiplicationSheet, FormTextsStandOnceAndTheContestLabelsInsideTheirBoxes) {
  set.MakeSheet(image, preview);
  ExpectFormTexts(image, QStringLiteral("ORVぽろね教室"));
  // The labels of the division, number and score boxes start inside a thin box.
  const std::vector<Op> boxes = image.OfKind(Kind::Rectangle);
  for (const char16_t* label : {u"参", u"門", u"高校生の部", u"参加番号", u"5点×", u"欄"}) {
    const Op* t = image.FindText(QString::fromUtf16(label));
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(std::any_of(boxes.begin(), boxes.end(), [&](const Op& b) {
      return b.penWidth == 1 &&
             QRect(QPoint(b.x1, b.y1), QPoint(b.x2, b.y2)).contains(t->x1, t->y1);
    })) << QString::fromUtf16(label).toStdString();
  }
}

// The sixty lines in two columns of thirty, in order top to bottom, each in a row of its own
// with its number beside it, clear of every rule and inside the frame; the grade markers
// stand between problems 10 and 11 and between 50 and 51.
void ExpectGrid(const RecordingCanvas& canvas) {
  const std::vector<Op> lines = ProblemLines(canvas);
  ASSERT_EQ(lines.size(), 60u);
  std::vector<Op> frames;
  for (const auto& b : canvas.OfKind(Kind::Rectangle)) {
    if (b.penWidth > 1) frames.push_back(b);
  }
  ASSERT_EQ(frames.size(), 1u);
  const QRect frame(QPoint(frames[0].x1, frames[0].y1), QPoint(frames[0].x2, frames[0].y2));
  const int middle = frame.center().x();
  for (int n = 1; n <= 60; ++n) {
    SCOPED_TRACE(::testing::Message() << "problem " << n);
    const QRect line = RecordingCanvas::BoxOf(lines[n - 1]);
    EXPECT_TRUE(frame.contains(line));
    EXPECT_FALSE(canvas.RuleTouches(line));
    EXPECT_EQ(line.left() < middle, n <= 30);
    EXPECT_EQ(line.right() < middle, n <= 30);
    if (n != 1 && n != 31) {
      const QRect previous = RecordingCanvas::BoxOf(lines[n - 2]);
      EXPECT_GT(line.top(), previous.top());
      EXPECT_TRUE(canvas.RuleTouches(line.united(previous))) << "no rule above";
    }
    int numbers = 0;
    for (const auto& t : canvas.OfKind(Kind::TextOut)) {
      if (t.text != QString::number(n)) continue;
      ++numbers;
      const QRect number = RecordingCanvas::BoxOf(t);
      EXPECT_FALSE(canvas.RuleTouches(number));
      EXPECT_LT(number.right(), line.left());
      EXPECT_LT(line.left() - number.right(), frame.width() / 10);
      EXPECT_TRUE(number.top() < line.bottom() && line.top() < number.bottom()) << "another row";
    }
    EXPECT_EQ(numbers, 1);
  }
  auto between = [&](const char16_t* marker, int above) {
    const Op* t = canvas.FindText(QString::fromUtf16(marker));
    ASSERT_NE(t, nullptr);
    EXPECT_GT(t->y1, lines[above - 1].y1) << QString::fromUtf16(marker).toStdString();
    EXPECT_LT(t->y1, lines[above].y1) << QString::fromUtf16(marker).toStdString();
    EXPECT_EQ(t->x1 < middle, above <= 30);
  };
  between(u"小学校5年生以上はここから (No.11～60)", 10);
  between(u"小学校4年生以下はここまで (No.1～50)", 50);
  // The end of the older pupils' range names the range its start names.
  const Op* end = canvas.FindText(QStringLiteral("小学校5年生以上はここまで (No.11～60)"));
  ASSERT_NE(end, nullptr);
  EXPECT_GT(end->y1, lines[59].y1);
}

TEST_F(MultiplicationSheet, SixtyLinesStandInTheirRowsWithTheirNumbersAndMarkers) {
  SetRandomSeed(55);
  set.MakeSheet(image, preview);
  test::ExpectErasedThenFormThen(image, kFigureFace);
  ExpectGrid(image);
}

TEST_F(MultiplicationSheet, EmptyRoundStandsAndALongHeadingIsCutAtTheDivisionBox) {
  texts.round.clear();
  texts.heading2 = QString(60, QChar(u'長'));
  set.MakeSheet(image, preview);
  const Op* round = image.FindText(QStringLiteral("第　回"));
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->x1, preview.X(25));
  EXPECT_EQ(round->y1, preview.Y(52));
  test::ExpectHeadingCutAtTheDivisionBox(image);
}

// The sixty problem lines, in order, in the figure face at 13 points regular, every factor
// of four digits or more with its commas.
void ExpectProblemLines(const Tkake& set, const RecordingCanvas& canvas) {
  const std::vector<Op> lines = ProblemLines(canvas);
  ASSERT_EQ(lines.size(), 60u);
  for (int n = 1; n <= 60; ++n) {
    const Op& t = lines[n - 1];
    EXPECT_EQ(t.text, test::Grouped(set.GetMultiplicand(n - 1)) + QStringLiteral("  ×  ") +
                          test::Grouped(set.GetMultiplier(n - 1)) + QStringLiteral(" ="))
        << n;
    EXPECT_EQ(t.fontSize, 13);
    EXPECT_FALSE(t.bold);
    EXPECT_FALSE(t.italic);
  }
}

// Notes, at each problem line, what the set holds at that moment.
class WatchingCanvas : public RecordingCanvas {
 public:
  explicit WatchingCanvas(const Tkake& set) : set_(set) {}
  struct Seen {
    std::int64_t answer, nextGroupMultiplicand, previousAnswer;
  };
  std::vector<Seen> seen;
  void TextOut(int x, int y, const QString& text) override {
    RecordingCanvas::TextOut(x, y, text);
    if (ops.back().fontName != QStringLiteral("ORVFont")) return;
    const int n = static_cast<int>(seen.size()) + 1;
    const int nextGroup = n <= 40 ? (n - 1) / 5 * 5 + 6 : n <= 50 ? 51 : 0;
    seen.push_back({set_.GetAnswer(n - 1), nextGroup ? set_.GetMultiplicand(nextGroup - 1) : 0,
                    n > 1 ? set_.GetAnswer(n - 2) : 1});
  }

 private:
  const Tkake& set_;
};

TEST_F(MultiplicationSheet, EachLineIsDrawnOnceItsGroupIsSettledBeforeItsProductIsStored) {
  SetRandomSeed(31337);
  WatchingCanvas canvas(set);
  set.MakeSheet(canvas, preview);
  ASSERT_EQ(canvas.seen.size(), 60u);
  for (std::size_t i = 0; i < 60; ++i) {
    EXPECT_EQ(canvas.seen[i].answer, 0) << "problem " << i + 1 << " stored before drawn";
    EXPECT_EQ(canvas.seen[i].nextGroupMultiplicand, 0) << "next group made early, " << i + 1;
    EXPECT_NE(canvas.seen[i].previousAnswer, 0) << "problem " << i << " not stored in time";
  }
  ExpectProblemLines(set, canvas);  // the lines match what the set finally holds
}

TEST_F(MultiplicationSheet, PrintedPageCarriesThePreviewsDrawingThroughThePrintMapping) {
  SetRandomSeed(777);
  set.MakeSheet(image, preview);
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  const auto& job = printer.jobs.front();
  EXPECT_EQ(job.title, QStringLiteral("かけ算"));
  EXPECT_TRUE(job.ended);
  test::ExpectSameDrawing(image, preview, *job.page, print);
  ExpectProblemLines(set, *job.page);
}

TEST_F(MultiplicationSheet, PrintingBeforeAnyRunPrintsTheFormOnly) {
  set.PrintSheet(printer);
  SetRandomSeed(777);
  set.Generate();
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 2u);
  EXPECT_TRUE(printer.jobs[0].ended);
  const RecordingCanvas& form = *printer.jobs[0].page;
  EXPECT_TRUE(ProblemLines(form).empty());
  ExpectFormTexts(form, QString());
  // The form is the one printed with the problems.
  test::ExpectSameDrawing(test::Without(*printer.jobs[1].page, kFigureFace), print, form, print);
}

}  // namespace
}  // namespace tamariko
