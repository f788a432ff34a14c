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
// Figures and rules end above the organizer line.
constexpr long double kPageBottomMm = 343;
// Figures end this far inside the rule on their right.
constexpr long double kFigureInsetMm = 1.5;
// Room around a written answer, beyond the digits' own width.
constexpr long double kAnswerMarginMm = 3;
constexpr long double kColumnGapMm = 6;

QString FullWidthDigits(QString text) {
  for (QChar& c : text) {
    if (c >= u'0' && c <= u'9') c = QChar(c.unicode() - u'0' + 0xFF10);
  }
  return text;
}

// 「制限時間 20分　みとり算 10点×10題　かけ算 5点×20題　200点満点　合格点 120点」
QString InfoLine(const TExamGrade& g, TExamPageKind kind) {
  const bool dan = g.pages == TPageShape::Dan;
  const int points[] = {g.abacus.pointsEach, g.multiplication.pointsEach, g.division.pointsEach};
  const int counts[] = {g.abacus.Count(), g.multiplication.Count(), g.division.Count()};
  // 暗算 段位: a page a subject on its own clock; the answer page lists the clocks.
  if (dan && g.subjectMinutes[0] > 0) {
    const int only = kind == TExamPageKind::DanMultiplication ? 1
                     : kind == TExamPageKind::DanDivision     ? 2
                     : kind == TExamPageKind::Answers         ? -1
                                                              : 0;
    QString line = QStringLiteral("制限時間");
    for (int s = 0; s < 3; ++s) {
      if (only >= 0 && s != only) continue;
      line += only >= 0
                  ? QStringLiteral(" %1分　%2 %3点×%4題")
                        .arg(g.subjectMinutes[s])
                        .arg(ExamSubjectName(g, s))
                        .arg(points[s])
                        .arg(counts[s])
                  : QStringLiteral(" %1 %2分").arg(ExamSubjectName(g, s)).arg(g.subjectMinutes[s]);
    }
    return line + QStringLiteral("　各種目%1点満点").arg(g.totalPoints);
  }
  QString line = dan ? QStringLiteral("制限時間 各種目%1分").arg(g.minutes)
                     : QStringLiteral("制限時間 %1分").arg(g.minutes);
  for (int s = 0; s < 3; ++s) {
    if (counts[s] > 0) {
      line +=
          QStringLiteral("　%1 %2点×%3題").arg(ExamSubjectName(g, s)).arg(points[s]).arg(counts[s]);
    }
  }
  // 段位 scores each subject alone; the ladder beside the name boxes gives the 段.
  if (dan) return line + QStringLiteral("　各種目%1点満点").arg(g.totalPoints);
  line += QStringLiteral("　%1点満点　合格点").arg(g.totalPoints);
  for (const TPassMark& mark : g.passMarks) {
    line += QStringLiteral(" ") + (mark.label.isEmpty() ? QString() : mark.label + u' ') +
            QString::number(mark.points) + QStringLiteral("点");
  }
  // A shared paper of one pass mark names the grade whose mark it shows.
  if (g.paperName != g.name && g.passMarks.size() == 1)
    line += QStringLiteral("（") + g.name + QStringLiteral("）");
  return line;
}

// The 段位 ladder: the points of one subject each 段 needs, five to a line.
void DrawLadder(SheetDrawer& d, const TExamGrade& g) {
  d.Font(9, true);
  d.Text(kLeftMm, 27, QStringLiteral("段位認定（各種目%1点中）").arg(g.totalPoints));
  d.Font(9, false);
  for (std::size_t i = 0; i < g.passMarks.size(); ++i) {
    const TPassMark& mark = g.passMarks[i];
    d.Text(kLeftMm + static_cast<long double>(i % 5) * 28, 32 + static_cast<long double>(i / 5) * 5,
           mark.label + QStringLiteral(" %1点").arg(mark.points));
  }
}

void DrawHeader(SheetDrawer& d, const TExamPageContent& c, TExamPageKind kind) {
  d.ClearBrush();
  DrawTeacherLine(d, kExamPlaces.heading1, c.texts.Heading1());
  DrawTeacherLine(d, kExamPlaces.heading2, c.texts.Heading2());

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
  d.Text(kLeftMm, 63, InfoLine(c.grade, kind));
  if (c.grade.pages == TPageShape::Dan) DrawLadder(d, c.grade);
  d.HeavyPen();
  d.Line(kLeftMm, 70, kRightMm, 70);

  DrawTeacherLine(d, kExamPlaces.organizer, c.organizer);
}

// A subject's caption: its name, points and count.
void DrawCaption(SheetDrawer& d, long double x, long double top, const QString& name, int points,
                 int count) {
  d.Font(12, true);
  d.Text(x, top, name);
  d.Font(10, false);
  // 暗算's names are a character longer.
  d.Text(x + (name.size() > 4 ? 27 : 22), top + 0.6L,
         QStringLiteral("（%1点×%2題）").arg(points).arg(count));
}

// Above 4級 the figures carry decimals and yen and are smaller.
bool DecimalGrade(const TExamGrade& g) {
  return std::any_of(g.multiplication.blocks.begin(), g.multiplication.blocks.end(),
                     [](const TPairBlock& b) { return b.kind != TNumberKind::Whole; });
}

// Millimetres of a line of text of `points`.
long double LineMm(int points) { return points * 0.3528L; }

// Rows `rowMm` apart; the figures of a row centred in it, as 13 points in 7 mm are.
ProblemBlock AdditionBlock(long double top, int first, int columns, int rows, long double rowMm,
                           int points) {
  const long double pitch = 230.0L / columns;
  const long double totalTop = top + 6 + rowMm * rows + 2;
  const long double firstRow =
      rowMm == 7 ? top + 7.5L : top + 6 + (rowMm - LineMm(points)) / 2 + 0.3L;
  return {top,        top + 6,  totalTop, totalTop + 11,         pitch,
          first,      columns,  -1,       22 + pitch / 2 - 1.5L, top + 1.2L,
          top + 1.2L, firstRow, rows};
}

// One framed block of みとり算 columns: rules, numbers, row labels, ¥ and the rows.
void DrawAdditionFrame(SheetDrawer& d, const TExamPageContent& c, const ProblemBlock& block,
                       long double rowMm, int points, const QString& longest) {
  const TAdditionSection& s = c.grade.abacus;
  DrawBlockRules(d, block);
  DrawProblemNumbers(d, block);
  DrawBlockCaptions(d, {&block});
  if (rowMm == 7) {
    DrawRowLabels(d, block);
  } else {
    d.Font(std::min(points, 11), false);
    for (int r = 1; r <= block.rows; ++r)
      d.Text(r < 10 ? 17 : 16, block.firstRowTop + rowMm * (r - 1), QString::number(r));
  }
  for (int k = 0; k < block.columns; ++k) {
    const long double right = block.ColumnRight(k) - kFigureInsetMm;
    // ¥ before the answer space, at its left end.
    if (s.yen) {
      d.Font(10, false);
      d.Text(right - AnswerSpaceMm(longest), block.totalRowTop + 3.5L, QStringLiteral("¥"));
    }
    if (!c.problems) continue;
    const TAdditionProblem& problem =
        c.problems->abacus[static_cast<std::size_t>(block.firstProblem + k - 1)];
    d.FigureFont(points);
    for (std::size_t r = 0; r < problem.rows.size(); ++r) {
      // ¥ stands before the first row only.
      QString text = problem.rows[r].Text();
      if (r > 0) text.remove(u'¥');
      d.TextRightAligned(right, block.firstRowTop + rowMm * static_cast<long double>(r), text,
                         text);
    }
    d.Canvas().SetFontName(kLabelFace);
  }
}

// みとり算 problems first .. last in framed blocks of ten columns, or of five or four where
// the answer space needs the room, as many columns in each block as can be. Rows stand 7 mm
// apart at 13 points, closer at 11 or 10 points where `roomMm` (the page below `top`, 0:
// as much as needed) would not hold the blocks.
long double DrawAddition(SheetDrawer& d, const TExamPageContent& c, long double top, int first,
                         int last, long double roomMm) {
  const TAdditionSection& s = c.grade.abacus;
  DrawCaption(d, kLeftMm, top, ExamSubjectName(c.grade, 0), s.pointsEach, s.Count());
  const QString longest = LongestAdditionAnswer(s);
  const long double need = AnswerSpaceMm(longest) + 2 * kFigureInsetMm;
  const int perBlock = need <= 230.0L / 10 ? 10 : need <= 230.0L / 5 ? 5 : 4;
  const int count = last - first + 1;
  const int blocks = (count + perBlock - 1) / perBlock;
  int rows = 0;
  for (const TAdditionBlock& b : s.blocks) rows = std::max(rows, b.rows);
  long double gapMm = 6, rowMm = 7;
  if (roomMm > 0) {
    const long double fixedMm = 7 + blocks * 19.0L;
    if (fixedMm + (blocks - 1) * gapMm + 7.0L * rows * blocks > roomMm) gapMm = 3;
    rowMm = std::min(7.0L, (roomMm - fixedMm - (blocks - 1) * gapMm) / (rows * blocks));
  }
  const int points = rowMm >= 7     ? kExamFigurePoints
                     : rowMm >= 5.5 ? kExamSmallFigurePoints
                                    : kExamSmallestFigurePoints;
  long double y = top + 7;
  for (int b = 0, next = first; b < blocks; ++b) {
    const int columns = count / blocks + (b < count % blocks ? 1 : 0);
    const ProblemBlock block = AdditionBlock(y, next, columns, rows, rowMm, points);
    DrawAdditionFrame(d, c, block, rowMm, points, longest);
    next += columns;
    y = block.bottom + gapMm;
  }
  return y;
}

// みとり暗算 problems first .. last as on the contest's mental sheet: each block of the grade
// (its own digits and rows) in framed blocks of up to 15 columns, as many as its answer space
// allows. Rows stand 7 mm apart, closer where `roomMm` would not hold the blocks.
void DrawMentalAddition(SheetDrawer& d, const TExamPageContent& c, long double top, int first,
                        int last, long double roomMm) {
  const TAdditionSection& s = c.grade.abacus;
  DrawCaption(d, kLeftMm, top, ExamSubjectName(c.grade, 0), s.pointsEach, s.Count());
  struct Frame {
    int first, columns, rows;
    QString longest;
  };
  std::vector<Frame> frames;
  int allRows = 0;
  for (const TAdditionBlock& b : s.blocks) {
    const int from = std::max(first, b.first), to = std::min(last, b.last);
    if (from > to) continue;
    const QString longest = LongestAdditionAnswer({{b}, s.pointsEach, s.yen});
    const long double need = AnswerSpaceMm(longest) + 2 * kFigureInsetMm;
    const int most = std::clamp(static_cast<int>(230.0L / need), 1, 15);
    const int count = to - from + 1, n = (count + most - 1) / most;
    for (int f = 0, next = from; f < n; ++f) {
      const int columns = count / n + (f < count % n ? 1 : 0);
      frames.push_back({next, columns, b.rows, longest});
      allRows += b.rows;
      next += columns;
    }
  }
  const auto framesCount = static_cast<long double>(frames.size());
  long double gapMm = 6;
  const long double fixedMm = 7 + framesCount * 19;
  if (fixedMm + (framesCount - 1) * gapMm + 7.0L * allRows > roomMm) gapMm = 3;
  const long double rowMm =
      std::min(7.0L, (roomMm - fixedMm - (framesCount - 1) * gapMm) / allRows);
  const int points = rowMm >= 7     ? kExamFigurePoints
                     : rowMm >= 5.5 ? kExamSmallFigurePoints
                                    : kExamSmallestFigurePoints;
  long double y = top + 7;
  for (const Frame& f : frames) {
    const ProblemBlock block = AdditionBlock(y, f.first, f.columns, f.rows, rowMm, points);
    DrawAdditionFrame(d, c, block, rowMm, points, f.longest);
    y = block.bottom + gapMm;
  }
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
  DrawCaption(d, a.left, a.top, ExamSubjectName(c.grade, division ? 2 : 1), s.pointsEach,
              s.Count());
  const long double tableTop = a.top + 7;
  const int lines = (s.Count() + a.columns - 1) / a.columns;
  const long double width = (a.right - a.left - kColumnGapMm * (a.columns - 1)) / a.columns;
  // Above 4級 the wide answers leave the figures less room: a narrower margin.
  const long double answerMm = AnswerSpaceMm(LongestPairAnswer(s, division)) +
                               (DecimalGrade(c.grade) ? kAnswerMarginMm - 1 : kAnswerMarginMm);
  const QString sign = division ? QStringLiteral(" ÷ ") : QStringLiteral(" × ");
  const auto textOf = [&](const TPairProblem& p) {
    return p.first.Text() + sign + p.second.Text() + QStringLiteral(" =");
  };
  // Above 4級 11 points, or 10 where the widest line would not clear the number column;
  // whole numbers 13, stepping down the same way where long ones (暗算 from 準1級) need it.
  int points = DecimalGrade(c.grade) ? kExamSmallFigurePoints : kExamFigurePoints;
  if (problems) {
    const auto room = d.Mapping().X(a.left + width - answerMm - 2) - d.Mapping().X(a.left + 11);
    const auto fits = [&](int size) {
      d.FigureFont(size);
      return std::all_of(problems->begin(), problems->end(), [&](const TPairProblem& p) {
        return d.Canvas().TextWidth(textOf(p)) <= room;
      });
    };
    if (points == kExamFigurePoints && !fits(points)) points = kExamSmallFigurePoints;
    if (points == kExamSmallFigurePoints && !fits(points)) points = kExamSmallestFigurePoints;
    d.Canvas().SetFontName(kLabelFace);
  }
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
      // ¥ before the answer space of a 円名数 problem.
      if (s.BlockOf(p).kind == TNumberKind::Yen) {
        d.Font(10, false);
        d.Text(x1 - answerMm + 1, y + (a.lineMm - 3.6L) / 2, QStringLiteral("¥"));
        d.Font(10, true);  // the figures bold, as on every line
      }
      if (!problems) continue;
      const TPairProblem& problem = (*problems)[static_cast<std::size_t>(p - 1)];
      const QString text = textOf(problem);
      d.FigureFont(points);
      d.TextRightAligned(x1 - answerMm - 2, y + (a.lineMm - LineMm(points) - 1.2L) / 2, text, text);
      d.Canvas().SetFontName(kLabelFace);
    }
  }
  return tableTop + lines * a.lineMm + 6;
}

// A subject's answers in numbered cells, as many to a row as their width allows; `compact`
// (the 段位's 150 answers on one page): low cells of 10-point figures, up to six a row.
long double DrawAnswerGrid(SheetDrawer& d, const QString& name, int points,
                           const QStringList& answers, const QString& longest, long double top,
                           bool compact = false) {
  DrawCaption(d, kLeftMm, top, name, points, static_cast<int>(answers.size()));
  const long double span = kRightMm - kLeftMm;
  const int figurePoints = compact ? kExamSmallestFigurePoints : kExamFigurePoints;
  // A figure of the carried face is about 0.6 em wide.
  const long double widthMm =
      compact ? longest.size() * LineMm(figurePoints) * 0.6L + 14 : AnswerSpaceMm(longest) + 14;
  const int perRow = std::clamp(static_cast<int>(span / widthMm), 1, compact ? 6 : 5);
  const long double cellMm = span / perRow, cellHeightMm = compact ? 6.5L : 13;
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
    d.Font(compact ? 7 : 8, false);
    d.Text(x + 1.5L, y + (compact ? 1.8L : 0.8L), QStringLiteral("No.%1").arg(i + 1));
    d.FigureFont(figurePoints);
    d.TextRightAligned(x + cellMm - 2.5L, y + (compact ? 1.2L : 5.8L), answers[i], answers[i]);
    d.Canvas().SetFontName(kLabelFace);
  }
  return gridTop + rows * cellHeightMm + (compact ? 4 : 6);
}

void DrawAnswers(SheetDrawer& d, const TExamPageContent& c) {
  const TExamGrade& g = c.grade;
  const bool compact = g.pages == TPageShape::Dan;
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
        d, ExamSubjectName(g, 0), g.abacus.pointsEach,
        c.answers    ? fitted(c.answers->abacus, n)
        : c.problems ? texts(c.problems->abacus, [](const TAdditionProblem& p) { return p.answer; })
                     : blank(n),
        LongestAdditionAnswer(g.abacus), y, compact);
  }
  const auto pairs = [&](const QString& name, const TPairSection& s,
                         const std::vector<TPairProblem>* made, const QStringList* given,
                         bool division) {
    if (s.Count() == 0) return;
    y = DrawAnswerGrid(d, name, s.pointsEach,
                       given  ? fitted(*given, s.Count())
                       : made ? texts(*made, [](const TPairProblem& p) { return p.answer; })
                              : blank(s.Count()),
                       LongestPairAnswer(s, division), y, compact);
  };
  pairs(ExamSubjectName(g, 1), g.multiplication, c.problems ? &c.problems->multiplication : nullptr,
        c.answers ? &c.answers->multiplication : nullptr, false);
  pairs(ExamSubjectName(g, 2), g.division, c.problems ? &c.problems->division : nullptr,
        c.answers ? &c.answers->division : nullptr, true);
}

}  // namespace

QString ExamSubjectName(const TExamGrade& grade, int subject) {
  return grade.subjectNames[subject];
}

QString ExamPageTitle(const TExamGrade& grade, TExamPageKind kind) {
  QString suffix;
  switch (kind) {
    case TExamPageKind::Single:
      break;
    case TExamPageKind::Front:
    case TExamPageKind::MentalAddition:
      suffix = QStringLiteral("（表）");
      break;
    case TExamPageKind::Back:
    case TExamPageKind::MentalPairs:
      suffix = QStringLiteral("（裏）");
      break;
    case TExamPageKind::Answers:
      suffix = QStringLiteral("（解答）");
      break;
    case TExamPageKind::DanMultiplication:
      suffix = u'（' + ExamSubjectName(grade, 1) + u'）';
      break;
    case TExamPageKind::DanDivision:
      suffix = u'（' + ExamSubjectName(grade, 2) + u'）';
      break;
    case TExamPageKind::DanAdditionFirst:
      suffix = u'（' + ExamSubjectName(grade, 0) + QStringLiteral("１）");
      break;
    case TExamPageKind::DanAdditionSecond:
      suffix = u'（' + ExamSubjectName(grade, 0) + QStringLiteral("２）");
      break;
  }
  return grade.title + u'　' + FullWidthDigits(grade.paperName) + suffix;
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

namespace {

// The widest text of `integer` digits and `decimals` after the point: 9s, or 0.0… below 1.
QString Widest(int integer, int decimals, bool yen) {
  QString whole = integer > 0 ? QString(integer, u'9') : QStringLiteral("0");
  for (qsizetype at = whole.size() - 3; at > 0; at -= 3) whole.insert(at, u',');
  const QString fraction = decimals > 0 ? u'.' + QString(decimals, u'9') : QString();
  return (yen ? QStringLiteral("¥") : QString()) + whole + fraction;
}

}  // namespace

QString LongestPairAnswer(const TPairSection& section, bool division) {
  QString longest;
  const auto keep = [&](const QString& text) {
    if (AnswerSpaceMm(text) > AnswerSpaceMm(longest)) longest = text;
  };
  for (const TPairBlock& b : section.blocks) {
    for (const TSplit& split : SplitsOf(b)) {
      const bool yen = b.kind == TNumberKind::Yen;
      if (b.kind == TNumberKind::Whole) {
        const std::int64_t most =
            division ? PowerOfTen(split.right) - 1
                     : (PowerOfTen(split.left) - 1) * (PowerOfTen(split.right) - 1);
        keep(TExactNumber::Whole(most).Text());
      } else if (division) {
        // 商 digits as written: whole, or up to 3 decimals (0.0xy at most below 1).
        for (int k = 0; k <= (yen ? 0 : std::min(3, split.right + 1)); ++k)
          keep(Widest(split.right - k, k, yen));
      } else {
        // Under 実 + 法 digits; `point` of them after the point, 3 at most kept.
        for (int point = yen ? 0 : 1; point <= 2 * 7; ++point)
          keep(Widest(split.left + split.right - point, std::min(point, yen ? 0 : 3), yen));
      }
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
      if (g.mental) {
        DrawMentalAddition(d, c, kBodyTopMm, 1, g.abacus.Count(), kPageBottomMm - kBodyTopMm);
        break;
      }
      const long double top = DrawAddition(d, c, kBodyTopMm, 1, g.abacus.Count(), 0);
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
      DrawAddition(d, c, kBodyTopMm, 1, g.abacus.Count(), kPageBottomMm - kBodyTopMm);
      break;
    case TExamPageKind::DanMultiplication:
    case TExamPageKind::DanDivision: {
      const bool division = kind == TExamPageKind::DanDivision;
      const int lines = ((division ? g.division : g.multiplication).Count() + 1) / 2;
      DrawPairs(d, c, division,
                {kLeftMm, kRightMm, kBodyTopMm, 2,
                 std::min(10.0L, (kPageBottomMm - kBodyTopMm - 7) / lines)});
      break;
    }
    case TExamPageKind::DanAdditionFirst:
    case TExamPageKind::DanAdditionSecond: {
      const int half = (g.abacus.Count() + 1) / 2;
      const bool first = kind == TExamPageKind::DanAdditionFirst;
      const int from = first ? 1 : half + 1, to = first ? half : g.abacus.Count();
      if (g.mental) {
        DrawMentalAddition(d, c, kBodyTopMm, from, to, kPageBottomMm - kBodyTopMm);
      } else {
        DrawAddition(d, c, kBodyTopMm, from, to, kPageBottomMm - kBodyTopMm);
      }
      break;
    }
    case TExamPageKind::MentalAddition:
      DrawMentalAddition(d, c, kBodyTopMm, 1, g.abacus.Count(), kPageBottomMm - kBodyTopMm);
      break;
    case TExamPageKind::MentalPairs: {
      // Thirty of each in three columns of ten.
      const long double y = DrawPairs(d, c, false, {kLeftMm, kRightMm, kBodyTopMm, 3, 10});
      DrawPairs(d, c, true, {kLeftMm, kRightMm, y, 3, 10});
      break;
    }
    case TExamPageKind::Answers:
      DrawAnswers(d, c);
      break;
  }
}

}  // namespace tamariko
