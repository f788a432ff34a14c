#include <gtest/gtest.h>

#include <QStringList>

#include <memory>
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

struct MmLine {
  long double x1, y1, x2, y2;
  int previewWidth;  // the heavy pen is 2 on the preview and 4 on paper
};

// Every drawn line (MoveTo then LineTo) between the mapped ends.
std::vector<const Op*> LinesAt(const std::vector<Op>& lines, const PageMapping& m,
                               const MmLine& l) {
  std::vector<const Op*> found;
  for (const auto& op : lines) {
    if (op.x1 == m.X(l.x1) && op.y1 == m.Y(l.y1) && op.x2 == m.X(l.x2) && op.y2 == m.Y(l.y2)) {
      found.push_back(&op);
    }
  }
  return found;
}

// The rules that are not plain full-width row rules, with their weights.
const MmLine kRules[] = {
    {41, 39, 166, 39, 2},   {41, 40, 166, 40, 2},   // heading underline
    {182, 18, 182, 37, 1},  {223, 24, 249, 24, 1},  // division and number box dividers
    {189, 38, 189, 57, 1},  {195, 38, 195, 57, 1},   {217, 38, 217, 57, 1},
    {223, 38, 223, 57, 1},  {131, 64, 131, 344, 1},   // score box, column divider
    {14, 163, 131, 163, 2}, {131, 163, 252, 163, 1},  // left grade rule
    {14, 244, 131, 244, 1}, {131, 244, 252, 244, 2},  // right grade rule
    {22, 64, 22, 154, 1},   {22, 163, 22, 344, 1},    // left number column
    {139, 64, 139, 244, 1}, {139, 253, 139, 344, 1},  // right number column
};

void ExpectRules(const RecordingCanvas& canvas, const PageMapping& m, int heavy) {
  const std::vector<Op> lines = canvas.OfKind(Kind::LineTo);
  for (const MmLine& l : kRules) {
    const auto found = LinesAt(lines, m, l);
    ASSERT_EQ(found.size(), 1u) << "line " << double(l.x1) << "," << double(l.y1);
    EXPECT_EQ(found[0]->penWidth, l.previewWidth == 2 ? heavy : 1)
        << "line " << double(l.x1) << "," << double(l.y1);
  }
  // Thirty thin full-width row rules, 9 mm apart from y 73; the grade halves lie over the
  // ones at 163 and 244.
  for (int k = 0; k < 30; ++k) {
    const long double y = 73 + 9 * k;
    const auto found = LinesAt(lines, m, {14, y, 252, y, 1});
    ASSERT_EQ(found.size(), 1u) << "row rule y " << double(y);
    EXPECT_EQ(found[0]->penWidth, 1) << "row rule y " << double(y);
  }
  // Nothing else: underline 2, box dividers 6, divider 1, rules 30 + 4 halves, columns 4.
  EXPECT_EQ(lines.size(), 2u + 6 + 1 + 34 + 4);
  // Nothing closes the number columns across the marker rows.
  for (const auto& l : lines) {
    const bool leftColumn = l.x1 == m.X(22) && l.x2 == m.X(22);
    const bool rightColumn = l.x1 == m.X(139) && l.x2 == m.X(139);
    if (leftColumn) {
      EXPECT_FALSE(l.y1 < m.Y(163) && l.y2 > m.Y(154));
    }
    if (rightColumn) {
      EXPECT_FALSE(l.y1 < m.Y(253) && l.y2 > m.Y(244));
    }
  }
  const std::vector<Op> boxes = canvas.OfKind(Kind::Rectangle);
  ASSERT_EQ(boxes.size(), 4u);
  struct Box {
    long double x1, y1, x2, y2;
    bool heavy;
  };
  const Box expected[] = {{174, 18, 217, 37, false},
                          {223, 18, 249, 37, false},
                          {174, 38, 249, 57, false},
                          {14, 64, 252, 344, true}};
  for (std::size_t i = 0; i < 4; ++i) {
    const Box& b = expected[i];
    EXPECT_EQ(boxes[i].x1, m.X(b.x1));
    EXPECT_EQ(boxes[i].y1, m.Y(b.y1));
    EXPECT_EQ(boxes[i].x2, m.X(b.x2));
    EXPECT_EQ(boxes[i].y2, m.Y(b.y2));
    EXPECT_EQ(boxes[i].penWidth, b.heavy ? heavy : 1);
    EXPECT_EQ(boxes[i].brushStyle, BrushStyle::Clear);
  }
}

TEST_F(MultiplicationSheet, RulesBoxesAndFrameHaveTheirPlacesAndWeights) {
  set.MakeSheet(image, preview);
  ExpectRules(image, preview, 2);
}

struct ExpectedText {
  const char16_t* text;
  long double x, y;
  int points;
  bool bold;
};

// The form texts, in the order they are drawn, problem numbers apart.
const ExpectedText kFormTexts[] = {
    {u"タマリコ練習問題", 44, 30, 22, true},
    {u"タマリコ", 72, 20, 9, false},
    {u"参", 176, 20, 9, true},
    {u"加", 176, 24, 9, true},
    {u"部", 176, 28, 9, true},
    {u"門", 176, 32, 9, true},
    {u"小学校一年生以下の部", 184, 19, 8, false},
    {u"小学校　　　年生の部", 184, 23, 8, false},
    {u"中学校　　　年生の部", 184, 27, 8, false},
    {u"高校生の部", 184, 31, 8, false},
    {u"一般の部(Ⅰ・Ⅱ)", 184, 34, 8, false},
    {u"参加番号", 229, 20, 9, true},
    {u"5点×", 176, 46, 10, true},
    {u"正", 190, 42, 9, true},
    {u"答", 190, 46, 9, true},
    {u"数", 190, 50, 9, true},
    {u"採", 218, 42, 9, true},
    {u"点", 218, 46, 9, true},
    {u"欄", 218, 50, 9, true},
    {u"第7回", 25, 52, 16, true},
    {u"か け 算 問 題", 50, 52, 16, true},
    {u"(制限時間10分)", 111, 55, 9, false},
    {u"小学校4年生以下はここから (No.1～50)", 16, 60, 9, false},
    {u"小学校5年生以上はここから (No.11～60)", 16, 158, 9, false},
    {u"小学校4年生以下はここまで (No.1～50)", 136, 246, 9, false},
    {u"小学校5年生以上はここまで (No.1～60)", 136, 344, 9, false},
};

// Where problem n's number stands, from the grid table row by row.
std::pair<long double, long double> NumberAt(int n) {
  const int k = n - 30;
  if (n == 1) return {17, 69};
  if (n <= 9) return {17, 58 + 9 * n};
  if (n == 10) return {16, 148};
  if (n <= 30) return {16, 67 + 9 * n};
  if (n == 31) return {134, 69};
  if (n <= 50) return {134, 58 + 9 * k};
  return {134, 67 + 9 * k};
}

// Where problem n's line starts, from the grid table row by row.
std::pair<long double, long double> ProblemLineAt(int n) {
  const int k = n - 30;
  if (n == 1) return {26, 66};
  if (n <= 9) return {26, 57 + 9 * n};
  if (n == 10) return {26, 147};
  if (n <= 30) return {26, 66 + 9 * n};
  if (n == 31) return {144, 66};
  if (n <= 50) return {144, 57 + 9 * k};
  return {144, 66 + 9 * k};
}

// The form texts in drawing order, each with its size and weight; then "No." and the sixty
// numbers column by column, then the organizer label.
void ExpectFormTexts(const RecordingCanvas& canvas, const PageMapping& m, const QString& label) {
  struct Want {
    QString text;
    long double x, y;
    int points;
    bool bold;
  };
  std::vector<Want> expected;
  for (const auto& e : kFormTexts) {
    expected.push_back({QString::fromUtf16(e.text), e.x, e.y, e.points, e.bold});
  }
  for (int n = 1; n <= 60; ++n) {
    if (n == 1) expected.push_back({QStringLiteral("No."), 16, 65, 9, false});
    if (n == 31) expected.push_back({QStringLiteral("No."), 133, 65, 9, false});
    const auto [x, y] = NumberAt(n);
    expected.push_back({QString::number(n), x, y, 9, false});
  }
  expected.push_back({label, 14, 347, 11, false});

  std::vector<Op> texts;
  for (const auto& t : canvas.OfKind(Kind::TextOut)) {
    if (t.fontName != kFigureFace) texts.push_back(t);
  }
  ASSERT_EQ(texts.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Want& e = expected[i];
    const Op& t = texts[i];
    const std::string name = e.text.toStdString();
    EXPECT_EQ(t.text, e.text) << i;
    EXPECT_EQ(t.x1, m.X(e.x)) << name;
    EXPECT_EQ(t.y1, m.Y(e.y)) << name;
    EXPECT_EQ(t.fontSize, e.points) << name;
    EXPECT_EQ(t.bold, e.bold) << name;
    EXPECT_FALSE(t.italic) << name;
    EXPECT_EQ(t.fontName, QStringLiteral("ＭＳ Ｐゴシック")) << name;
    EXPECT_EQ(t.charset, DEFAULT_CHARSET) << name;
  }
}

TEST_F(MultiplicationSheet, FormTextsAndNumbersStandInOrderWithSizeAndWeight) {
  set.SetOrganizerLabel(QStringLiteral("ORVぽろね教室"));
  set.MakeSheet(image, preview);
  ExpectFormTexts(image, preview, QStringLiteral("ORVぽろね教室"));
}

TEST_F(MultiplicationSheet, MarkerRowsCarryNoNumberAndNoProblemLine) {
  SetRandomSeed(55);
  set.MakeSheet(image, preview);
  for (const auto& t : image.OfKind(Kind::TextOut)) {
    if (t.text.startsWith(QStringLiteral("小学校"))) continue;  // the marker texts
    const bool left = t.x1 < preview.X(131);
    const bool inMarkerRow = left ? t.y1 >= preview.Y(154) && t.y1 < preview.Y(163)
                                  : t.y1 >= preview.Y(244) && t.y1 < preview.Y(253);
    const bool inFrame = t.y1 >= preview.Y(64) && t.y1 < preview.Y(344);
    EXPECT_FALSE(inFrame && inMarkerRow) << t.text.toStdString();
  }
}

TEST_F(MultiplicationSheet, EmptyRoundAndLongHeadingAreDrawnAsTheyStand) {
  texts.round.clear();
  texts.heading2 = QString(60, QChar(u'長'));
  set.MakeSheet(image, preview);
  const Op* round = image.FindText(QStringLiteral("第回"));
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->x1, preview.X(25));
  EXPECT_EQ(round->y1, preview.Y(52));
  ASSERT_NE(image.FindText(texts.heading2), nullptr);
}

TEST_F(MultiplicationSheet, PreviewIsErasedFirstThenFormThenProblemLines) {
  set.MakeSheet(image, preview);
  ASSERT_FALSE(image.ops.empty());
  EXPECT_EQ(image.ops.front().kind, Kind::FillRect);
  EXPECT_EQ(image.ops.front().brushStyle, BrushStyle::Solid);
  EXPECT_EQ(image.ops.front().x1, 0);
  EXPECT_EQ(image.ops.front().x2, 865);
  EXPECT_EQ(image.ops.front().y2, 1300);
  bool linesStarted = false;
  for (const auto& op : image.ops) {
    const bool line = op.kind == Kind::TextOut && op.fontName == kFigureFace;
    if (line) {
      EXPECT_EQ(op.fontSize, 13);
      EXPECT_FALSE(op.bold);
      EXPECT_FALSE(op.italic);
    }
    ASSERT_FALSE(linesStarted && !line) << "form drawn after a problem line";
    linesStarted = linesStarted || line;
  }
  EXPECT_TRUE(linesStarted);
}

// The text of problem n's line as it must read, with its commas spelled out.
QString Grouped(std::int64_t v) {
  QString s = QString::number(v);
  for (int i = s.size() - 3; i > 0; i -= 3) s.insert(i, u',');
  return s;
}

// The sixty problem lines, in order, with their texts, at their places.
void ExpectProblemLines(const Tkake& set, const RecordingCanvas& canvas, const PageMapping& m) {
  std::vector<Op> lines;
  for (const auto& t : canvas.OfKind(Kind::TextOut)) {
    if (t.fontName == kFigureFace) lines.push_back(t);
  }
  ASSERT_EQ(lines.size(), 60u);
  for (int n = 1; n <= 60; ++n) {
    const Op& t = lines[n - 1];
    const std::int64_t a = set.GetMultiplicand(n - 1), b = set.GetMultiplier(n - 1);
    const QString left = n >= 21 ? Grouped(a) : QString::number(a);
    const QString right = n >= 31 ? Grouped(b) : QString::number(b);
    EXPECT_EQ(t.text, left + QStringLiteral("  *  ") + right + QStringLiteral(" =")) << n;
    const auto [x, y] = ProblemLineAt(n);
    EXPECT_EQ(t.x1, m.X(x)) << n;
    EXPECT_EQ(t.y1, m.Y(y)) << n;
    EXPECT_EQ(t.fontSize, 13) << n;
    EXPECT_FALSE(t.bold) << n;
  }
}

TEST_F(MultiplicationSheet, ProblemLinesReadFactorsWithCommasFromFourDigitsOn) {
  for (std::uint32_t seed : {1u, 2026u, 987654u}) {
    SetRandomSeed(seed);
    RecordingCanvas canvas;
    set.MakeSheet(canvas, preview);
    ExpectProblemLines(set, canvas, preview);
    // The ranges as a teacher sees them: no comma up to 25; in 26-30 only the four-digit
    // multiplicand; from 31 on both factors.
    const std::vector<Op> all = canvas.OfKind(Kind::TextOut);
    std::vector<QString> lines;
    for (const auto& t : all) {
      if (t.fontName == kFigureFace) lines.push_back(t.text);
    }
    for (int n = 1; n <= 60; ++n) {
      const QString& line = lines[n - 1];
      const QStringList parts = line.split(QStringLiteral("  *  "));
      ASSERT_EQ(parts.size(), 2) << line.toStdString();
      EXPECT_EQ(parts[0].contains(u','), n >= 26) << n << " " << line.toStdString();
      EXPECT_EQ(parts[1].contains(u','), n >= 31) << n << " " << line.toStdString();
    }
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
  ExpectProblemLines(set, canvas, preview);  // the lines match what the set finally holds
}

TEST_F(MultiplicationSheet, PrintedPageCarriesFormAndTheSetsLinesThroughThePrintMapping) {
  SetRandomSeed(777);
  set.SetOrganizerLabel(QStringLiteral("ORVぽろね教室"));
  set.MakeSheet(image, preview);
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  const auto& job = printer.jobs.front();
  EXPECT_EQ(job.title, QStringLiteral("かけ算"));
  EXPECT_TRUE(job.ended);
  const RecordingCanvas& page = *job.page;
  EXPECT_TRUE(page.OfKind(Kind::FillRect).empty());  // the page is not erased
  ExpectRules(page, print, 4);
  ExpectFormTexts(page, print, QStringLiteral("ORVぽろね教室"));
  ExpectProblemLines(set, page, print);
}

TEST_F(MultiplicationSheet, PrintingBeforeAnyRunPrintsTheFormOnly) {
  set.PrintSheet(printer);
  ASSERT_EQ(printer.jobs.size(), 1u);
  const auto& job = printer.jobs.front();
  EXPECT_TRUE(job.ended);
  const RecordingCanvas& page = *job.page;
  for (const auto& t : page.OfKind(Kind::TextOut)) {
    EXPECT_NE(t.fontName, kFigureFace) << t.text.toStdString();
  }
  ExpectRules(page, print, 4);
  ExpectFormTexts(page, print, QString());
}

}  // namespace
}  // namespace tamariko
