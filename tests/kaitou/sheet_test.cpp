#include <gtest/gtest.h>

#include <limits>
#include <memory>
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
  Tkaitou table;
};

const QString kAnswerFace = QStringLiteral("ORVFont");
const QString kLabelFaceName = QStringLiteral("ＭＳ Ｐゴシック");

std::vector<Op> TextsIn(const RecordingCanvas& canvas, const QString& face) {
  std::vector<Op> found;
  for (const auto& t : canvas.OfKind(Kind::TextOut)) {
    if (t.fontName == face) found.push_back(t);
  }
  return found;
}

// Tops of the row numbers and of the answers as the layout states them.
long double NumberTop(int n) { return n <= 56 ? 59 + 4.8L * (n - 1) : 323 + 4.2L * (n - 56); }
long double AnswerTop(int n) { return n <= 56 ? 59 + 4.8L * (n - 1) : 323 + 4.1L * (n - 56); }

struct MmLine {
  long double x1, y1, x2, y2;
};

// Every rule of the form in drawing order; all thin.
std::vector<MmLine> ExpectedRules() {
  std::vector<MmLine> rules{{14, 49, 252, 49}, {14, 58, 252, 58}};
  for (long double x : {22.0L, 90.0L, 161.0L, 96.0L, 167.0L}) rules.push_back({x, 49, x, 344});
  for (int k = 0; k <= 10; ++k) rules.push_back({14, 82 + 24.0L * k, 252, 82 + 24.0L * k});
  rules.push_back({174, 202, 174, 226});  // beside the abacus addition label
  return rules;
}

void ExpectForm(const RecordingCanvas& canvas, const PageMapping& m, int heavy) {
  const auto frames = canvas.OfKind(Kind::Rectangle);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].x1, m.X(14));
  EXPECT_EQ(frames[0].y1, m.Y(32));
  EXPECT_EQ(frames[0].x2, m.X(252));
  EXPECT_EQ(frames[0].y2, m.Y(344));
  EXPECT_EQ(frames[0].penWidth, heavy);

  const auto lines = canvas.OfKind(Kind::LineTo);
  const auto rules = ExpectedRules();
  ASSERT_EQ(lines.size(), rules.size());
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const auto& r = rules[i];
    EXPECT_EQ(lines[i].x1, m.X(r.x1)) << "rule " << i;
    EXPECT_EQ(lines[i].y1, m.Y(r.y1)) << "rule " << i;
    EXPECT_EQ(lines[i].x2, m.X(r.x2)) << "rule " << i;
    EXPECT_EQ(lines[i].y2, m.Y(r.y2)) << "rule " << i;
    EXPECT_EQ(lines[i].penWidth, 1) << "rule " << i;
    EXPECT_EQ(lines[i].penColor, 0xFF000000u);
  }
}

TEST_F(AnswerSheet, FrameAndRulesStandOnBothTargetsWithTheirPens) {
  table.DrawSheet(image, preview);
  ExpectForm(image, preview, 2);
  ExpectForm(PrintedPage(), print, 4);
}

struct FormText {
  const char16_t* text;
  long double x, y;
  int points;
};

void ExpectTexts(const RecordingCanvas& canvas, const PageMapping& m,
                 std::initializer_list<FormText> expected) {
  const auto texts = canvas.OfKind(Kind::TextOut);
  for (const auto& e : expected) {
    const QString text = QString::fromUtf16(e.text);
    int found = 0;
    for (const auto& t : texts) {
      if (t.text != text || t.x1 != m.X(e.x) || t.y1 != m.Y(e.y)) continue;
      ++found;
      EXPECT_EQ(t.fontSize, e.points) << text.toStdString();
      EXPECT_EQ(t.fontName, kLabelFaceName) << text.toStdString();
      EXPECT_FALSE(t.bold) << text.toStdString();
      EXPECT_FALSE(t.italic) << text.toStdString();
      EXPECT_EQ(t.charset, DEFAULT_CHARSET);
    }
    EXPECT_EQ(found, 1) << text.toStdString();
  }
}

TEST_F(AnswerSheet, FormTextsStandWithTheirSizes) {
  table.SetOrganizerLabel(QStringLiteral("ORVぽろね教室"));
  const std::initializer_list<FormText> expected = {
      {u"解      答      表", 90, 22, 25},
      {u"第      12      回", 90, 37, 25},
      {u"No.", 16, 52, 9},
      {u"No.", 91, 52, 9},
      {u"No.", 162, 52, 9},
      {u"か  け  算", 47, 51, 12},
      {u"わ  り  算", 120, 51, 12},
      {u"み と り 暗 算", 198, 51, 12},
      {u"み", 168.3L, 205, 12},
      {u"と", 169, 210, 12},
      {u"り", 169, 215, 12},
      {u"算", 168.3L, 220, 12},
      {u"ORVぽろね教室", 14, 347, 11},
  };
  table.DrawSheet(image, preview);
  ExpectTexts(image, preview, expected);
  ExpectTexts(PrintedPage(), print, expected);
}

TEST_F(AnswerSheet, EmptyRoundLeavesTwelveSpacesBetweenTheCharacters) {
  texts.round.clear();
  table.DrawSheet(image, preview);
  ExpectTexts(image, preview, {{u"第            回", 90, 37, 25}});
}

TEST_F(AnswerSheet, RowNumbersRunDownEachColumnAndRestartInTheThird) {
  table.DrawSheet(image, preview);
  const auto texts = image.OfKind(Kind::TextOut);
  const long double columnX[] = {16, 91.5L, 162.5L};
  for (int c = 0; c < 3; ++c) {
    std::vector<Op> numbers;
    for (const auto& t : texts) {
      if (t.x1 == preview.X(columnX[c]) && t.fontSize == 9 && t.text != QStringLiteral("No.")) {
        numbers.push_back(t);
      }
    }
    ASSERT_EQ(numbers.size(), 60u) << "column " << c + 1;
    for (int n = 1; n <= 60; ++n) {
      const int shown = c == 2 && n > 30 ? n - 30 : n;
      EXPECT_EQ(numbers[n - 1].text, QString::number(shown)) << "column " << c + 1 << " row " << n;
      EXPECT_EQ(numbers[n - 1].y1, preview.Y(NumberTop(n))) << "column " << c + 1 << " row " << n;
    }
  }
}

TEST_F(AnswerSheet, PreviewShowsNoAnswerAndIsTheSameForAnyAnswers) {
  table.DrawSheet(image, preview);
  for (int i = 0; i < 60; ++i) table.SetMultiplicationAnswer(i, 1234567890LL + i);
  for (int i = 0; i < 30; ++i) table.SetMentalAnswer(i, -98765 - i);
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

// The answers as printed, column by column, checked for text, right edge and top.
void ExpectAnswers(const RecordingCanvas& page, const PageMapping& m,
                   const std::vector<QString> (&columns)[3]) {
  const auto answers = TextsIn(page, kAnswerFace);
  ASSERT_EQ(answers.size(), 180u);
  const long double right[] = {87, 158, 248};
  for (int c = 0; c < 3; ++c) {
    for (int n = 1; n <= 60; ++n) {
      const Op& a = answers[c * 60 + n - 1];
      const QString& text = columns[c][n - 1];
      EXPECT_EQ(a.text, text) << "column " << c + 1 << " row " << n;
      EXPECT_EQ(a.x1, m.X(right[c]) - RecordingCanvas::WidthOf(text, 10))
          << "column " << c + 1 << " row " << n;
      EXPECT_EQ(a.y1, m.Y(AnswerTop(n))) << "column " << c + 1 << " row " << n;
      EXPECT_EQ(a.fontSize, 10);
      EXPECT_FALSE(a.bold);
    }
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
    table.SetMultiplicationAnswer(i, v);
    columns[0].push_back(TKeisan::FormatGrouped(v));
    // Quotients up to the largest a division set makes.
    const std::int32_t quotient = i == 59 ? 987659 : 7 * i + 10;
    table.SetDivisionAnswer(i, quotient);
    columns[1].push_back(TKeisan::FormatGrouped(quotient));
  }
  for (int i = 0; i < 30; ++i) {
    const std::int32_t v = i == 0 ? -12345 : 200 * i;
    table.SetMentalAnswer(i, v);
    columns[2].push_back(TKeisan::FormatGrouped(v));
  }
  // Abacus answers fill rows 31 to 60 of the third column; those below zero keep their sign.
  for (int i = 0; i < 30; ++i) {
    const std::int64_t v = i == 24 ? -98765432 : i == 29 ? -1234 : 1000003LL * i;
    table.SetAbacusAnswer(i, v);
    columns[2].push_back(TKeisan::FormatGrouped(v));
  }
  EXPECT_EQ(columns[2][54], QStringLiteral("-98,765,432"));
  EXPECT_EQ(columns[0][0], QStringLiteral("1,234,567,890"));
  EXPECT_EQ(columns[2][0], QStringLiteral("-12,345"));

  const RecordingCanvas& page = PrintedPage();
  ExpectAnswers(page, print, columns);
  // The ten-digit product ends where the one-digit answer ends.
  const auto answers = TextsIn(page, kAnswerFace);
  EXPECT_EQ(answers[0].x1 + RecordingCanvas::WidthOf(answers[0].text, 10),
            answers[1].x1 + RecordingCanvas::WidthOf(answers[1].text, 10));
  // Answers come after the whole form.
  bool answersStarted = false;
  for (const auto& op : page.ops) {
    const bool answer = op.kind == Kind::TextOut && op.fontName == kAnswerFace;
    ASSERT_FALSE(answersStarted && !answer) << "form drawn after an answer";
    answersStarted = answersStarted || answer;
  }
}

TEST_F(AnswerSheet, PrintingBeforeAnyRunPrintsZeroInEveryRow) {
  std::vector<QString> columns[3];
  for (auto& c : columns) c.assign(60, QStringLiteral("0"));
  ExpectAnswers(PrintedPage(), print, columns);
}

TEST_F(AnswerSheet, LastFourRowsSetAnswersSlightlyHigherThanTheirNumbers) {
  const RecordingCanvas& page = PrintedPage();
  const auto answers = TextsIn(page, kAnswerFace);
  ASSERT_EQ(answers.size(), 180u);
  std::vector<Op> numbers;
  for (const auto& t : page.OfKind(Kind::TextOut)) {
    if (t.x1 == print.X(16) && t.fontSize == 9 && t.text != QStringLiteral("No.")) {
      numbers.push_back(t);
    }
  }
  ASSERT_EQ(numbers.size(), 60u);
  // Row 56 closes the even pitch at 323 mm for both.
  EXPECT_EQ(numbers[55].y1, print.Y(323));
  EXPECT_EQ(answers[55].y1, print.Y(323));
  const long double numberTops[] = {327.2L, 331.4L, 335.6L, 339.8L};
  const long double answerTops[] = {327.1L, 331.2L, 335.3L, 339.4L};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(numbers[56 + k].y1, print.Y(numberTops[k])) << "row " << 57 + k;
    EXPECT_EQ(answers[56 + k].y1, print.Y(answerTops[k])) << "row " << 57 + k;
    // 0.1 mm is more than a pixel at 300 dpi, so each step shows.
    EXPECT_LE(answers[56 + k].y1, numbers[56 + k].y1 - (k + 1)) << "row " << 57 + k;
  }
}

TEST_F(AnswerSheet, AnswersAreKeptPerKindAndStartAtZero) {
  for (int i = 0; i < 60; ++i) {
    EXPECT_EQ(table.GetMultiplicationAnswer(i), 0);
    EXPECT_EQ(table.GetDivisionAnswer(i), 0);
  }
  for (int i = 0; i < 30; ++i) EXPECT_EQ(table.GetMentalAnswer(i), 0);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(table.GetAbacusAnswerA(i), 0);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(table.GetAbacusAnswerB(i), 0);

  table.SetMultiplicationAnswer(59, std::numeric_limits<std::int64_t>::min());
  table.SetMentalAnswer(29, std::numeric_limits<std::int32_t>::min());
  table.SetMentalAnswer(0, 5);
  EXPECT_EQ(table.GetMultiplicationAnswer(59), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(table.GetMentalAnswer(29), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(table.GetMentalAnswer(0), 5);
  EXPECT_EQ(table.GetMultiplicationAnswer(0), 0);
  EXPECT_EQ(table.GetDivisionAnswer(59), 0);
  EXPECT_EQ(table.GetAbacusAnswerB(12), 0);
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
