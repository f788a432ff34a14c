// The pages of an exam paper: the exam header, みとり算 in framed column blocks, かけ算 and わり算
// as ruled lines with an answer box each, and the answer page by subject and number.
#include "kentei/exam_sheet.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/problem_block.h"

namespace tamariko {
namespace {

constexpr long double kLeftMm = 14, kRightMm = 252;
constexpr long double kBodyTopMm = 76;
// Figures end this far inside the rule on their right.
constexpr long double kFigureInsetMm = 1.5;
// Room around a written answer, beyond the digits' own width.
constexpr long double kAnswerMarginMm = 3;
constexpr long double kColumnGapMm = 6;

std::int64_t PowerOfTen(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

QString FullWidthDigits(QString text) {
  for (QChar& c : text) {
    if (c >= u'0' && c <= u'9') c = QChar(c.unicode() - u'0' + 0xFF10);
  }
  return text;
}

// 「制限時間 20分　みとり算 10点×10題　かけ算 5点×20題　200点満点　合格点 120点」
QString InfoLine(const TExamGrade& g) {
  QString line = QStringLiteral("制限時間 %1分").arg(g.minutes);
  const auto subject = [&](const char16_t* name, int points, int count) {
    if (count > 0) {
      line += QStringLiteral("　%1 %2点×%3題").arg(QString::fromUtf16(name)).arg(points).arg(count);
    }
  };
  subject(u"みとり算", g.abacus.pointsEach, g.abacus.Count());
  subject(u"かけ算", g.multiplication.pointsEach, g.multiplication.Count());
  subject(u"わり算", g.division.pointsEach, g.division.Count());
  line += QStringLiteral("　%1点満点　合格点").arg(g.totalPoints);
  for (const TPassMark& mark : g.passMarks) {
    line += QStringLiteral(" ") + (mark.label.isEmpty() ? QString() : mark.label + u' ') +
            QString::number(mark.points) + QStringLiteral("点");
  }
  // A shared paper names the grade whose pass mark it shows.
  if (g.paperName != g.name) line += QStringLiteral("（") + g.name + QStringLiteral("）");
  return line;
}

void DrawHeader(SheetDrawer& d, const TExamPageContent& c, TExamPageKind kind) {
  d.ClearBrush();
  d.Font(9, false);
  d.Text(kLeftMm, 10, c.texts.Heading1());
  d.Font(20, true);
  d.Text(kLeftMm, 16, c.texts.Heading2());

  struct Box {
    long double top, bottom;
    const char16_t* label;
  };
  d.ThinPen();
  for (const Box& box :
       {Box{10, 20, u"受験番号"}, Box{22, 34, u"氏　　名"}, Box{36, 50, u"得　　点"}}) {
    d.Rectangle(160, box.top, kRightMm, box.bottom);
    d.Line(181, box.top, 181, box.bottom);
    d.Font(9, true);
    d.Text(162, (box.top + box.bottom) / 2 - 2, QString::fromUtf16(box.label));
  }
  d.Font(10, false);
  d.Text(226, 44, QStringLiteral("／%1点").arg(c.grade.totalPoints));

  d.Font(16, true);
  d.Text(kLeftMm, 54, RoundLabel(c.texts));
  d.Text(40, 54, ExamPageTitle(c.grade, kind));
  d.Font(10, false);
  d.Text(kLeftMm, 63, InfoLine(c.grade));
  d.HeavyPen();
  d.Line(kLeftMm, 70, kRightMm, 70);

  d.Font(11, false);
  d.Text(kLeftMm, 347, c.organizer);
}

// A subject's caption: its name, points and count.
void DrawCaption(SheetDrawer& d, long double x, long double top, const char16_t* name, int points,
                 int count) {
  d.Font(12, true);
  d.Text(x, top, QString::fromUtf16(name));
  d.Font(10, false);
  d.Text(x + 22, top + 0.6L, QStringLiteral("（%1点×%2題）").arg(points).arg(count));
}

ProblemBlock AdditionBlock(long double top, int first, int columns, int rows) {
  const long double pitch = 230.0L / columns;
  const long double totalTop = top + 6 + 7.0L * rows + 2;
  return {top,        top + 6,    totalTop, totalTop + 11,         pitch,
          first,      columns,    -1,       22 + pitch / 2 - 1.5L, top + 1.2L,
          top + 1.2L, top + 7.5L, rows};
}

// みとり算: one block of ten columns, or two of five where the answer space needs the room.
long double DrawAddition(SheetDrawer& d, const TExamPageContent& c, long double top) {
  const TAdditionSection& s = c.grade.abacus;
  DrawCaption(d, kLeftMm, top, u"みとり算", s.pointsEach, s.Count());
  const long double need = AnswerSpaceMm(LongestAdditionAnswer(s)) + 2 * kFigureInsetMm;
  const int perBlock = need <= 230.0L / 10 ? 10 : 5;
  int rows = 0;
  for (const TAdditionBlock& b : s.blocks) rows = std::max(rows, b.rows);
  long double y = top + 7;
  for (int first = 1; first <= s.Count(); first += perBlock) {
    const ProblemBlock block =
        AdditionBlock(y, first, std::min(perBlock, s.Count() - first + 1), rows);
    DrawBlockRules(d, block);
    DrawProblemNumbers(d, block);
    DrawBlockCaptions(d, {&block});
    DrawRowLabels(d, block);
    if (c.problems) {
      d.FigureFont(kExamFigurePoints);
      for (int k = 0; k < block.columns; ++k) {
        const TAdditionProblem& problem =
            c.problems->abacus[static_cast<std::size_t>(first + k - 1)];
        const long double right = block.ColumnRight(k) - kFigureInsetMm;
        for (std::size_t r = 0; r < problem.rows.size(); ++r) {
          const QString text = problem.rows[r].Text();
          d.TextRightAligned(right, block.RowTop(static_cast<int>(r) + 1), text, text);
        }
      }
      d.Canvas().SetFontName(kLabelFace);
    }
    y = block.bottom + 6;
  }
  return y;
}

struct PairArea {
  long double left, right, top;
  int columns;
  long double lineMm;
};

// かけ算 or わり算: numbered ruled lines, "実 × 法 =" and an answer box for the longest answer.
long double DrawPairs(SheetDrawer& d, const TExamPageContent& c, bool division, const PairArea& a) {
  const TPairSection& s = division ? c.grade.division : c.grade.multiplication;
  const std::vector<TPairProblem>* problems =
      c.problems ? (division ? &c.problems->division : &c.problems->multiplication) : nullptr;
  DrawCaption(d, a.left, a.top, division ? u"わり算" : u"かけ算", s.pointsEach, s.Count());
  const long double tableTop = a.top + 7;
  const int lines = (s.Count() + a.columns - 1) / a.columns;
  const long double width = (a.right - a.left - kColumnGapMm * (a.columns - 1)) / a.columns;
  const long double answerMm = AnswerSpaceMm(LongestPairAnswer(s, division)) + kAnswerMarginMm;
  const QString sign = division ? QStringLiteral(" ÷ ") : QStringLiteral(" × ");
  for (int col = 0; col < a.columns; ++col) {
    const long double x0 = a.left + col * (width + kColumnGapMm), x1 = x0 + width;
    const int first = col * lines + 1, last = std::min(s.Count(), first + lines - 1);
    const long double bottom = tableTop + (last - first + 1) * a.lineMm;
    d.ThinPen();
    for (int p = first + 1; p <= last; ++p) {
      const long double y = tableTop + (p - first) * a.lineMm;
      d.Line(x0, y, x1, y);
    }
    d.Line(x0 + 10, tableTop, x0 + 10, bottom);
    d.Line(x1 - answerMm, tableTop, x1 - answerMm, bottom);
    d.HeavyPen();
    d.Rectangle(x0, tableTop, x1, bottom);
    for (int p = first; p <= last; ++p) {
      const long double y = tableTop + (p - first) * a.lineMm;
      d.Font(10, true);
      d.Text(p < 10 ? x0 + 3.5L : x0 + 2.2L, y + (a.lineMm - 3.6L) / 2, QString::number(p));
      if (!problems) continue;
      const TPairProblem& problem = (*problems)[static_cast<std::size_t>(p - 1)];
      const QString text =
          problem.first.Text() + sign + problem.second.Text() + QStringLiteral(" =");
      d.FigureFont(kExamFigurePoints);
      d.TextRightAligned(x1 - answerMm - 2, y + (a.lineMm - 5.8L) / 2, text, text);
      d.Canvas().SetFontName(kLabelFace);
    }
  }
  return tableTop + lines * a.lineMm + 6;
}

// A subject's answers in numbered cells, as many to a row as their width allows.
long double DrawAnswerGrid(SheetDrawer& d, const char16_t* name, int points,
                           const QStringList& answers, const QString& longest, long double top) {
  DrawCaption(d, kLeftMm, top, name, points, static_cast<int>(answers.size()));
  const long double span = kRightMm - kLeftMm;
  const int perRow = std::clamp(static_cast<int>(span / (AnswerSpaceMm(longest) + 14)), 1, 5);
  const long double cellMm = span / perRow, cellHeightMm = 13;
  const long double gridTop = top + 7;
  const int rows = (static_cast<int>(answers.size()) + perRow - 1) / perRow;
  d.ThinPen();
  for (int r = 1; r < rows; ++r)
    d.Line(kLeftMm, gridTop + r * cellHeightMm, kRightMm, gridTop + r * cellHeightMm);
  for (int k = 1; k < perRow; ++k)
    d.Line(kLeftMm + k * cellMm, gridTop, kLeftMm + k * cellMm, gridTop + rows * cellHeightMm);
  d.HeavyPen();
  d.Rectangle(kLeftMm, gridTop, kRightMm, gridTop + rows * cellHeightMm);
  for (int i = 0; i < answers.size(); ++i) {
    const long double x = kLeftMm + (i % perRow) * cellMm,
                      y = gridTop + (i / perRow) * cellHeightMm;
    d.Font(8, false);
    d.Text(x + 1.5L, y + 0.8L, QStringLiteral("No.%1").arg(i + 1));
    d.FigureFont(kExamFigurePoints);
    d.TextRightAligned(x + cellMm - 2.5L, y + 5.8L, answers[i], answers[i]);
    d.Canvas().SetFontName(kLabelFace);
  }
  return gridTop + rows * cellHeightMm + 6;
}

void DrawAnswers(SheetDrawer& d, const TExamPageContent& c) {
  const TExamGrade& g = c.grade;
  long double y = kBodyTopMm;
  const auto texts = [](const auto& problems, auto answerOf) {
    QStringList list;
    for (const auto& p : problems) list << answerOf(p).Text();
    return list;
  };
  // Given answers fill as many cells as they have; the rest stay empty.
  const auto fitted = [](QStringList list, int n) {
    list.resize(n);
    return list;
  };
  const auto blank = [](int n) { return QStringList(n, QString()); };
  if (g.abacus.Count() > 0) {
    const int n = g.abacus.Count();
    y = DrawAnswerGrid(
        d, u"みとり算", g.abacus.pointsEach,
        c.answers    ? fitted(c.answers->abacus, n)
        : c.problems ? texts(c.problems->abacus, [](const TAdditionProblem& p) { return p.answer; })
                     : blank(n),
        LongestAdditionAnswer(g.abacus), y);
  }
  const auto pairs = [&](const char16_t* name, const TPairSection& s,
                         const std::vector<TPairProblem>* made, const QStringList* given,
                         bool division) {
    if (s.Count() == 0) return;
    y = DrawAnswerGrid(d, name, s.pointsEach,
                       given  ? fitted(*given, s.Count())
                       : made ? texts(*made, [](const TPairProblem& p) { return p.answer; })
                              : blank(s.Count()),
                       LongestPairAnswer(s, division), y);
  };
  pairs(u"かけ算", g.multiplication, c.problems ? &c.problems->multiplication : nullptr,
        c.answers ? &c.answers->multiplication : nullptr, false);
  pairs(u"わり算", g.division, c.problems ? &c.problems->division : nullptr,
        c.answers ? &c.answers->division : nullptr, true);
}

}  // namespace

QString ExamPageTitle(const TExamGrade& grade, TExamPageKind kind) {
  static const char16_t* const kSuffix[] = {u"", u"（表）", u"（裏）", u"（解答）"};
  return grade.ladder + QStringLiteral("検定練習問題　") + FullWidthDigits(grade.paperName) +
         QString::fromUtf16(kSuffix[static_cast<int>(kind)]);
}

long double AnswerSpaceMm(const QString& longest) {
  long double mm = 0;
  for (QChar ch : longest) mm += ch.isDigit() ? 4 : 2;
  return mm;
}

QString LongestAdditionAnswer(const TAdditionSection& section) {
  QString longest;
  for (const TAdditionBlock& b : section.blocks) {
    QString text = TExactNumber::Whole(b.rows * (PowerOfTen(b.digits) - 1), section.yen).Text();
    if (b.negatives > 0) text.prepend(u'-');
    if (AnswerSpaceMm(text) > AnswerSpaceMm(longest)) longest = text;
  }
  return longest;
}

QString LongestPairAnswer(const TPairSection& section, bool division) {
  QString longest;
  for (const TPairBlock& b : section.blocks) {
    for (const TSplit& split : SplitsOf(b)) {
      const std::int64_t most = division
                                    ? PowerOfTen(split.right) - 1
                                    : (PowerOfTen(split.left) - 1) * (PowerOfTen(split.right) - 1);
      const QString text = TExactNumber::Whole(most).Text();
      if (AnswerSpaceMm(text) > AnswerSpaceMm(longest)) longest = text;
    }
  }
  return longest;
}

void DrawExamPage(SheetDrawer& d, const TExamPageContent& c, TExamPageKind kind) {
  DrawHeader(d, c, kind);
  const TExamGrade& g = c.grade;
  const bool both = g.multiplication.Count() > 0 && g.division.Count() > 0;
  switch (kind) {
    case TExamPageKind::Single: {
      const long double top = DrawAddition(d, c, kBodyTopMm);
      if (both && g.multiplication.Count() <= 10 && g.division.Count() <= 10) {
        const long double middle = (kLeftMm + kRightMm) / 2;
        DrawPairs(d, c, false, {kLeftMm, middle - kColumnGapMm / 2, top, 1, 11});
        DrawPairs(d, c, true, {middle + kColumnGapMm / 2, kRightMm, top, 1, 11});
      } else {
        long double y = top;
        if (g.multiplication.Count() > 0) y = DrawPairs(d, c, false, {kLeftMm, kRightMm, y, 2, 11});
        if (g.division.Count() > 0) DrawPairs(d, c, true, {kLeftMm, kRightMm, y, 2, 11});
      }
      break;
    }
    case TExamPageKind::Front: {
      long double y = kBodyTopMm;
      if (g.multiplication.Count() > 0) y = DrawPairs(d, c, false, {kLeftMm, kRightMm, y, 2, 10});
      if (g.division.Count() > 0) DrawPairs(d, c, true, {kLeftMm, kRightMm, y, 2, 10});
      break;
    }
    case TExamPageKind::Back:
      DrawAddition(d, c, kBodyTopMm);
      break;
    case TExamPageKind::Answers:
      DrawAnswers(d, c);
      break;
  }
}

}  // namespace tamariko
