#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

#include "core/error.h"
#include "core/page_mapping.h"
#include "kaitou/kaitou.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/sheet_fixtures.h"

namespace tamariko {
namespace {

using Kind = RecordingCanvas::Kind;
using Op = RecordingCanvas::Op;

class Texts : public TSheetTexts {
 public:
  QString round = QStringLiteral("12");
  bool fail = false;
  QString RoundText() const override {
    if (fail) throw Error("round number unavailable");
    return round;
  }
  QString Heading1() const override { return {}; }
  QString Heading2() const override { return {}; }
};

// The contest paper's runs: products and quotients fill a column each, mental sums the
// top half of the third and abacus sums its bottom half.
std::vector<AnswerRun> ContestRuns() {
  return {
      {.heading = QStringLiteral("み と り 暗 算"), .count = 30, .kind = 0, .column = 2},
      {.heading = QStringLiteral("か  け  算"), .count = 60, .kind = 1, .column = 0},
      {.heading = QStringLiteral("わ  り  算"), .count = 60, .kind = 2, .column = 1},
      {.heading = QStringLiteral("みとり算"), .count = 30, .kind = 3, .column = 2, .firstRow = 30}};
}

// The table drawn with a 300 dpi printer without offsets.
class AnswerSheet : public test::RecordedSheet {
 protected:
  AnswerSheet() { table.SetSheetTexts(&texts); }

  // The page of the one job printed so far.
  const RecordingCanvas& PrintedPage() {
    table.PrintSheet(printer);
    EXPECT_EQ(printer.jobs.size(), 1u);
    return *printer.jobs.back().page;
  }

  Texts texts;
  Tkaitou table{ContestRuns()};
};

const QString kAnswerFace = QStringLiteral("ORVFont");
const QString kLabelFaceName = QStringLiteral("ＭＳ Ｐゴシック");

using test::TextsIn;

TEST_F(AnswerSheet, FormTextsStandOnceAndThePrintedFormIsThePreviews) {
  table.DrawSheet(image, preview);
  test::ExpectTextsOnce(image,
                        {QStringLiteral("解      答      表"), QStringLiteral("第      12      回"),
                         QStringLiteral("か  け  算"), QStringLiteral("わ  り  算"),
                         QStringLiteral("み と り 暗 算"), QStringLiteral("ORVぽろね教室")});
  test::ExpectSameDrawing(image, preview, test::Without(PrintedPage(), kAnswerFace), print);
}

TEST_F(AnswerSheet, EmptyRoundLeavesRoomForANumberWrittenByHand) {
  texts.round.clear();
  table.DrawSheet(image, preview);
  EXPECT_NE(image.FindText(QStringLiteral("第      　      回")), nullptr);
}

TEST_F(AnswerSheet, PreviewShowsNoAnswerAndIsTheSameForAnyAnswers) {
  table.DrawSheet(image, preview);
  for (int i = 0; i < 60; ++i) table.Put(0, i, TAnswer::Whole(1234567890LL + i));
  for (int i = 0; i < 30; ++i) table.Put(2, i, TAnswer::Whole(-98765 - i));
  RecordingCanvas again;
  table.DrawSheet(again, preview);
  EXPECT_TRUE(TextsIn(again, kAnswerFace).empty());
  ASSERT_EQ(again.ops.size(), image.ops.size());
  for (std::size_t i = 0; i < image.ops.size(); ++i) {
    const Op& a = image.ops[i];
    const Op& b = again.ops[i];
    EXPECT_TRUE(a.kind == b.kind && a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
                a.text == b.text && a.fontSize == b.fontSize && a.penWidth == b.penWidth &&
                a.brushStyle == b.brushStyle)
        << "operation " << i;
  }
}

TEST_F(AnswerSheet, PreviewIsErasedAndItsTextsStandOnOpaqueWhite) {
  table.DrawSheet(image, preview);
  ASSERT_FALSE(image.ops.empty());
  const Op& erase = image.ops.front();
  EXPECT_EQ(erase.kind, Kind::FillRect);
  EXPECT_EQ(QRect(erase.x1, erase.y1, erase.x2 - erase.x1, erase.y2 - erase.y1), image.ClipRect());
  EXPECT_EQ(erase.brushColor, 0xFFFFFFFFu);
  for (const auto& op : image.ops) {
    EXPECT_EQ(op.brushStyle, BrushStyle::Solid);
    EXPECT_EQ(op.brushColor, 0xFFFFFFFFu);
  }
}

TEST_F(AnswerSheet, PaperKeepsThePagesBrushAndIsNotErased) {
  const RecordingCanvas& page = PrintedPage();
  EXPECT_TRUE(page.OfKind(Kind::FillRect).empty());
  // A fresh page's brush is solid white, and nothing changes it.
  for (const auto& op : page.ops) EXPECT_EQ(op.brushStyle, BrushStyle::Solid);
  EXPECT_EQ(printer.jobs.front().title, QStringLiteral("解答表"));
  EXPECT_TRUE(printer.jobs.front().ended);
}

// The answers as printed, read column by column and row by row, each inside its column and
// clear of every rule, all of a column ending on one edge, a rule under every fifth row; every
// row reads its number, answer, number, answer, number, answer, the third column numbering
// from 1 again at row 31; every answer stands the same small step above its number (their
// baselines level); the abacus label stands beside rows 31 to 35 of the third column.
void ExpectAnswers(const RecordingCanvas& page, const std::vector<QString> (&expected)[3]) {
  std::map<int, std::vector<Op>> byColumn;  // by the rule right of the answer
  for (const auto& a : TextsIn(page, kAnswerFace)) {
    byColumn[page.RulesBeside(RecordingCanvas::BoxOf(a)).second.x1].push_back(a);
  }
  ASSERT_EQ(byColumn.size(), 3u);
  std::vector<std::vector<Op>> columns;
  for (auto& [rule, answers] : byColumn) {
    ASSERT_EQ(answers.size(), 60u) << "column by the rule at " << rule;
    std::stable_sort(answers.begin(), answers.end(),
                     [](const Op& a, const Op& b) { return a.y1 < b.y1; });
    columns.push_back(answers);
  }
  std::vector<Op> numbers;
  for (const auto& t : TextsIn(page, kLabelFaceName)) {
    bool digits = false;
    t.text.toInt(&digits);
    if (digits) numbers.push_back(t);
  }
  for (int n = 1; n <= 60; ++n) {
    SCOPED_TRACE(::testing::Message() << "row " << n);
    const QRect row = RecordingCanvas::BoxOf(columns[0][n - 1]);
    std::vector<Op> read;
    for (const auto& t : numbers) {
      const QRect box = RecordingCanvas::BoxOf(t);
      if (box.top() <= row.bottom() && row.top() <= box.bottom()) read.push_back(t);
    }
    for (const auto& c : columns) read.push_back(c[n - 1]);
    std::sort(read.begin(), read.end(), [](const Op& a, const Op& b) { return a.x1 < b.x1; });
    ASSERT_EQ(read.size(), 6u);
    for (int c = 0; c < 3; ++c) {
      const Op &number = read[2 * c], &answer = read[2 * c + 1];
      EXPECT_EQ(number.text, QString::number(c == 2 && n > 30 ? n - 30 : n)) << c;
      EXPECT_EQ(answer.text, expected[c][n - 1]) << c;
      EXPECT_EQ(answer.fontSize, 10);
      EXPECT_FALSE(answer.bold);
      const QRect box = RecordingCanvas::BoxOf(answer);
      EXPECT_FALSE(page.RuleTouches(box)) << c;
      EXPECT_FALSE(page.RuleTouches(RecordingCanvas::BoxOf(number))) << c;
      EXPECT_EQ(box.right(), RecordingCanvas::BoxOf(columns[c][0]).right()) << c;
      if (n == 1) continue;
      const QRect above = RecordingCanvas::BoxOf(columns[c][n - 2]);
      EXPECT_EQ(page.RuleTouches(box.united(above)), (n - 1) % 5 == 0) << c;
    }
    const int lift = read[0].y1 - read[1].y1;
    EXPECT_GT(lift, 0);
    EXPECT_NEAR(lift, numbers.front().y1 - columns[0][0].y1, 1);
  }
  const QRect abacus =
      RecordingCanvas::BoxOf(columns[2][30]).united(RecordingCanvas::BoxOf(columns[2][34]));
  for (const char16_t* c : {u"み", u"と", u"り", u"算"}) {
    const Op* label = page.FindText(QString::fromUtf16(c));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(abacus.top() <= label->y1 && label->y1 <= abacus.bottom());
    EXPECT_LT(RecordingCanvas::BoxOf(*label).right(), abacus.left());
    EXPECT_GT(label->x1, RecordingCanvas::BoxOf(columns[1][30]).right());
  }
}

TEST_F(AnswerSheet, PrintedAnswersAreGroupedAndRightAlignedInTheirColumns) {
  std::vector<QString> columns[3];
  for (int i = 0; i < 60; ++i) {
    // Products from one digit up to ten digits, and the 64-bit extremes.
    std::int64_t v = i == 0   ? 1234567890LL
                     : i == 1 ? 7
                     : i == 2 ? std::numeric_limits<std::int64_t>::max()
                     : i == 3 ? -1000
                              : 1000LL * i + i;
    table.Put(0, i, TAnswer::Whole(v));
    // Every answer is grouped whatever its length.
    columns[0].push_back(i == 2 ? QStringLiteral("9,223,372,036,854,775,807")
                                : TKeisan::FormatGrouped(v));
    // Quotients up to the largest a division set makes.
    const std::int32_t quotient = i == 59 ? 987659 : 7 * i + 10;
    table.Put(1, i, TAnswer::Whole(quotient));
    columns[1].push_back(TKeisan::FormatGrouped(quotient));
  }
  for (int i = 0; i < 30; ++i) {
    const std::int32_t v = i == 0 ? -12345 : 200 * i;
    table.Put(2, i, TAnswer::Whole(v));
    columns[2].push_back(TKeisan::FormatGrouped(v));
  }
  // Abacus answers fill rows 31 to 60 of the third column; those below zero keep their sign.
  for (int i = 0; i < 30; ++i) {
    const std::int64_t v = i == 24 ? -98765432 : i == 29 ? -1234 : 1000003LL * i;
    table.Put(2, 30 + i, TAnswer::Whole(v));
    columns[2].push_back(TKeisan::FormatGrouped(v));
  }
  ExpectAnswers(PrintedPage(), columns);
}

// A kind not made leaves its cells empty, its heading in place; forgetting empties all.
TEST_F(AnswerSheet, OnlyTheColumnsGivenAnswersArePrinted) {
  EXPECT_TRUE(TextsIn(PrintedPage(), kAnswerFace).empty()) << "before any run";
  for (int i = 0; i < 60; ++i) table.Put(1, i, TAnswer::Whole(0));
  table.PrintSheet(printer);
  const auto answers = TextsIn(*printer.jobs.back().page, kAnswerFace);
  ASSERT_EQ(answers.size(), 60u);
  const auto& page = *printer.jobs.back().page;
  for (const auto& a : answers) {
    EXPECT_EQ(a.text, QStringLiteral("0"));
    EXPECT_TRUE(a.x1 > print.X(96) && a.x1 < print.X(161)) << "the division column";
  }
  EXPECT_NE(page.FindText(QStringLiteral("か  け  算")), nullptr);
  EXPECT_NE(page.FindText(QStringLiteral("み と り 暗 算")), nullptr);
  table.ForgetAnswers();
  table.PrintSheet(printer);
  EXPECT_TRUE(TextsIn(*printer.jobs.back().page, kAnswerFace).empty()) << "forgotten";
}

// A run numbers its rows from 1 again; decimals and yen print as given.
TEST_F(AnswerSheet, RunsOfAnotherPaperNumberTheirRowsAndPrintTheirAnswersAsGiven) {
  Tkaitou other({{.heading = QStringLiteral("A"), .count = 10, .column = 1},
                 {.heading = QStringLiteral("円"), .count = 5, .column = 1, .firstRow = 10}});
  other.SetSheetTexts(&texts);
  other.Put(1, 0, TAnswer::Fixed(68551, 3));
  other.Put(1, 10, TAnswer::Yen(-3742305984));
  other.PrintSheet(printer);
  const RecordingCanvas& page = *printer.jobs.back().page;
  std::vector<QString> answers;
  for (const auto& a : TextsIn(page, kAnswerFace)) answers.push_back(a.text);
  EXPECT_EQ(answers,
            (std::vector<QString>{QStringLiteral("68.551"), QString::fromUtf8("-¥3,742,305,984")}));
  EXPECT_NE(page.FindText(QStringLiteral("A")), nullptr);
  EXPECT_NE(page.FindText(QStringLiteral("円")), nullptr) << "beside its rows";
  int ones = 0;
  for (const auto& t : TextsIn(page, kLabelFaceName)) ones += t.text == QStringLiteral("1");
  EXPECT_EQ(ones, 4) << "rows 1 of the columns, and row 11 of the second";
  EXPECT_EQ(page.FindText(QStringLiteral("み と り 暗 算")), nullptr);
  EXPECT_THROW(Tkaitou({{.heading = QStringLiteral("B"), .count = 6, .firstRow = 55}}), Error)
      << "past row 60";
  EXPECT_THROW(Tkaitou({{.heading = QStringLiteral("B"), .count = 1, .column = 3}}), Error)
      << "no fourth column";
}

TEST_F(AnswerSheet, APrinterThatCannotAnswerStartsNoJob) {
  printer.failing = true;
  EXPECT_THROW(table.PrintSheet(printer), std::exception);
  EXPECT_TRUE(printer.jobs.empty());
}

TEST_F(AnswerSheet, DrawingFailureStillEndsThePrintJob) {
  texts.fail = true;
  EXPECT_THROW(table.PrintSheet(printer), Error);
  ASSERT_EQ(printer.jobs.size(), 1u);
  EXPECT_TRUE(printer.jobs.front().ended);
}

}  // namespace
}  // namespace tamariko
