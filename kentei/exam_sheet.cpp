// The pages of an exam paper: the exam header, みとり算 in framed column blocks, かけ算 and わり算
// as ruled lines with an answer box each, and the answer pages by section and number.
#include "kentei/exam_sheet.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/problem_block.h"

namespace tamariko {
namespace {

constexpr long double kLeftMm = kExamLeftMm, kRightMm = kExamRightMm;
constexpr long double kBodyTopMm = kExamBodyTopMm;
// Room around a written answer, beyond the digits' own width.
constexpr long double kAnswerMarginMm = 3;
// A section's own score box, right of its heading, where each section passes alone.
constexpr long double kScoreBoxLeftMm = 196;

// A figure as printed: a true minus sign (−), which reads at 13 points where the short hyphen
// of the JSON's numbers would not.
QString WithTrueMinus(QString text) {
  if (text.startsWith(u'-')) text.replace(0, 1, QStringLiteral("−"));
  return text;
}

QString FullWidthDigits(QString text) {
  for (QChar& c : text) {
    if (c >= u'0' && c <= u'9') c = QChar(c.unicode() - u'0' + 0xFF10);
  }
  return text;
}

// Section indices in the order their problems are drawn: みとり算 first, then かけ算, わり算
// (each before its 暗算), printed order within one.
std::vector<std::size_t> DrawOrder(const TExamGrade& g, std::vector<std::size_t> sections) {
  const auto rank = [&](std::size_t i) {
    return static_cast<int>(g.sections[i].subject) * 2 + (g.sections[i].mental ? 1 : 0);
  };
  std::stable_sort(sections.begin(), sections.end(),
                   [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
  return sections;
}

std::vector<std::size_t> AllSections(const TExamGrade& g) {
  std::vector<std::size_t> all(g.sections.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  return all;
}

std::vector<std::size_t> SectionsOf(const TExamLayout& layout, TExamPageRef page) {
  return page.answers ? layout.answers.at(page.index).sections
                      : SectionsOn(layout.pages.at(page.index));
}

// The clock a section keeps: its own, or its group's first section's.
int ClockOf(const TExamGrade& g, std::size_t i) {
  const QString& group = g.sections[i].group;
  while (i > 0 && !group.isEmpty() && g.sections[i].minutes == 0 &&
         g.sections[i - 1].group == group)
    --i;
  return g.sections[i].minutes;
}

// Every section's (group's) points when they are all alike, else 0.
int EachSectionsPoints(const TExamGrade& g) {
  int points = 0;
  for (std::size_t i = 0; i < g.sections.size(); ++i) {
    const int p = g.SectionPoints(i);
    if (points != 0 && p != points) return 0;
    points = p;
  }
  return points;
}

bool PassesBySection(const TExamGrade& g) { return g.pass != TPassRule::Total; }

// A line of the info line: a section, or a group as one.
struct Entry {
  QString title;
  int pointsEach, count, minutes;
};
std::vector<Entry> EntriesOf(const TExamGrade& g, const std::vector<std::size_t>& sections) {
  std::vector<Entry> entries;
  QStringList groups;
  for (std::size_t i : DrawOrder(g, sections)) {
    const TExamSection& s = g.sections[i];
    if (s.group.isEmpty()) {
      entries.push_back({s.title, s.PointsEach(), s.Count(), ClockOf(g, i)});
    } else if (!groups.contains(s.group)) {
      groups << s.group;
      int count = 0;
      for (const TExamSection& t : g.sections) count += t.group == s.group ? t.Count() : 0;
      entries.push_back({s.group, s.PointsEach(), count, ClockOf(g, i)});
    }
  }
  return entries;
}

// 「制限時間 20分　みとり算 10点×10題　かけ算 5点×20題　200点満点　合格点 120点」: the clock, the
// sections (groups) as drawn where up to four, the points and the pass rule.
QString InfoLine(const TExamGrade& g, const std::vector<std::size_t>& onPage, bool answers) {
  const std::vector<Entry> all = EntriesOf(g, AllSections(g));
  const auto listed = [&](const std::vector<Entry>& entries) {
    QString list;
    for (const Entry& e : entries)
      list += QStringLiteral("　%1 %2点×%3題").arg(e.title).arg(e.pointsEach).arg(e.count);
    return list;
  };
  QString line;
  if (g.minutes > 0) {
    line = QStringLiteral("制限時間 %1分").arg(g.minutes);
    if (all.size() <= 4) line += listed(all);
  } else {
    int same = all.front().minutes;
    for (const Entry& e : all) {
      if (e.minutes != same) same = 0;
    }
    if (same > 0) {
      line = QStringLiteral("制限時間 各種目%1分").arg(same);
      if (all.size() <= 4) line += listed(all);
    } else if (!answers) {
      // A clock a section: the page's sections with theirs.
      line = QStringLiteral("制限時間");
      for (const Entry& e : EntriesOf(g, onPage)) {
        line += QStringLiteral(" %1分　%2 %3点×%4題")
                    .arg(e.minutes)
                    .arg(e.title)
                    .arg(e.pointsEach)
                    .arg(e.count);
      }
    } else {
      line = QStringLiteral("制限時間");
      for (const Entry& e : all) line += QStringLiteral(" %1 %2分").arg(e.title).arg(e.minutes);
    }
  }
  if (PassesBySection(g)) {
    if (const int each = EachSectionsPoints(g))
      line += QStringLiteral("　各種目%1点満点").arg(each);
    if (g.pass == TPassRule::Each)
      line += QStringLiteral("　各種目%1点以上で合格").arg(g.passMarks.front().points);
    return line;
  }
  line += QStringLiteral("　%1点満点　合格点").arg(g.TotalPoints());
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
  d.Text(kLeftMm, 27, QStringLiteral("段位認定（各種目%1点中）").arg(EachSectionsPoints(g)));
  d.Font(9, false);
  for (std::size_t i = 0; i < g.passMarks.size(); ++i) {
    const TPassMark& mark = g.passMarks[i];
    d.Text(kLeftMm + static_cast<long double>(i % 5) * 28, 32 + static_cast<long double>(i / 5) * 5,
           mark.label + QStringLiteral(" %1点").arg(mark.points));
  }
}

void DrawHeader(SheetDrawer& d, const TExamPageContent& c, TExamPageRef page) {
  const TExamGrade& g = c.grade;
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
  if (const QString number = c.texts.PupilNumber(); !number.isEmpty()) {
    DrawTeacherLine(d, kExamPupilNumber, number);
  }
  if (const QString name = c.texts.PupilName(); !name.isEmpty()) {
    DrawTeacherLine(d, kExamPupilName, name);
  }
  // Out of each section's points where each passes alone and they are alike.
  const int each = PassesBySection(g) ? EachSectionsPoints(g) : 0;
  d.Font(10, false);
  d.Text(226, 44, QStringLiteral("／%1点").arg(each > 0 ? each : g.TotalPoints()));

  d.Font(16, true);
  d.Text(kLeftMm, 54, RoundLabel(c.texts));
  d.Text(40, 54, ExamPageTitle(g, c.layout, page));
  d.Font(10, false);
  d.Text(kLeftMm, 63, InfoLine(g, SectionsOf(c.layout, page), page.answers));
  if (g.pass == TPassRule::Ladder) DrawLadder(d, g);
  d.HeavyPen();
  d.Line(kLeftMm, 70, kRightMm, 70);

  DrawTeacherLine(d, kExamPlaces.organizer, c.organizer);
}

// A section's caption: its name, points and count, and where the page does not say them, its
// clock and its own score box.
void DrawCaption(SheetDrawer& d, long double x, long double top, const QString& name, int points,
                 int count, int minutes = 0, int scoreOutOf = 0) {
  d.Font(12, true);
  d.Text(x, top, name);
  d.Font(10, false);
  // 暗算's names are a character longer.
  const QString clock = minutes > 0 ? QStringLiteral("　制限時間%1分").arg(minutes) : QString();
  d.Text(x + (name.size() > 4 ? 27 : 22) + (name.size() > 5 ? 4.2L * (name.size() - 5) : 0),
         top + 0.6L, QStringLiteral("（%1点×%2題%3）").arg(points).arg(count).arg(clock));
  if (scoreOutOf > 0) {
    d.ThinPen();
    d.Rectangle(kScoreBoxLeftMm, top - 1, kRightMm, top + 5.5L);
    d.Font(8, true);
    d.Text(kScoreBoxLeftMm + 1.5L, top + 0.6L, QStringLiteral("得点"));
    d.Font(9, false);
    d.Text(kRightMm - 17, top + 0.6L, QStringLiteral("／%1点").arg(scoreOutOf));
  }
}

// Every page holds one section (group) alone: its header says the section's clock and score.
bool PageASection(const TExamPageContent& c) {
  return std::all_of(c.layout.pages.begin(), c.layout.pages.end(),
                     [&](const TExamPageLayout& p) { return p.Alone(c.grade); });
}

// The clock and score box a part's caption carries: each section's own clock, where not every
// page holds one section alone; its score box where the page holds more than one and each
// passes alone.
struct CaptionExtras {
  int minutes = 0, scoreOutOf = 0;
};
CaptionExtras ExtrasOf(const TExamPageContent& c, const TExamPageLayout& page, std::size_t i) {
  CaptionExtras extras;
  const TExamSection& s = c.grade.sections[i];
  if (!s.group.isEmpty()) return extras;
  if (c.grade.minutes == 0 && !PageASection(c)) extras.minutes = s.minutes;
  if (PassesBySection(c.grade) && !page.Alone(c.grade)) extras.scoreOutOf = s.Points();
  return extras;
}

// A group's heading above its first section on a page: its name, points, clock and score.
void DrawGroupHeading(SheetDrawer& d, const TExamPageContent& c, const TExamPageLayout& page,
                      const TPlacedPart& part) {
  const TExamGrade& g = c.grade;
  const QString& group = g.sections[part.section].group;
  int count = 0, points = 0;
  for (const TExamSection& s : g.sections) {
    if (s.group != group) continue;
    count += s.Count();
    points = s.PointsEach();
  }
  DrawCaption(d, kLeftMm, part.top - 7, group, points, count,
              g.minutes > 0 || PageASection(c) ? 0 : ClockOf(g, part.section),
              page.Alone(g) || !PassesBySection(g) ? 0 : g.SectionPoints(part.section));
}

// Decimals and yen make figures smaller.
bool Decimal(const TExamSection& s) {
  return std::any_of(s.pairs.blocks.begin(), s.pairs.blocks.end(),
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

// One framed block of みとり算 columns: rules, numbers, row labels, ¥ and the rows of the
// section's problems from `firstIndex` (from 0).
void DrawAdditionFrame(SheetDrawer& d, const TExamSection& s,
                       const std::vector<TAdditionProblem>* problems, int firstIndex,
                       const ProblemBlock& block, long double rowMm, int points) {
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
    const long double right = block.ColumnRight(k) - kExamFigureInsetMm;
    // ¥ at the left end of every 計 box alike, however wide the box.
    if (s.addition.BlockOf(block.firstProblem - s.firstNumber + 1 + k).yen) {
      d.Font(10, false);
      d.Text(block.ColumnLeft(k) + 1.5L, block.totalRowTop + 3.5L, QStringLiteral("¥"));
    }
    if (!problems) continue;
    const TAdditionProblem& problem = problems->at(static_cast<std::size_t>(firstIndex + k));
    d.FigureFont(points);
    for (std::size_t r = 0; r < problem.rows.size(); ++r) {
      // ¥ stands before the first row only.
      QString text = WithTrueMinus(problem.rows[r].Text());
      if (r > 0) text.remove(u'¥');
      d.TextRightAligned(right, block.firstRowTop + rowMm * static_cast<long double>(r), text,
                         text);
    }
    d.Canvas().SetFontName(kLabelFace);
  }
}

// A part of a みとり算 or みとり暗算 section in its frames; rows 7 mm apart at 13 points,
// closer at 11 or 10 points where the part's room would not hold them.
void DrawAddition(SheetDrawer& d, const TExamPageContent& c, const TExamPageLayout& page,
                  const TPlacedPart& part) {
  const TExamSection& s = c.grade.sections[part.section];
  const CaptionExtras extras = ExtrasOf(c, page, part.section);
  DrawCaption(d, kLeftMm, part.top, s.title, s.PointsEach(), s.Count(), extras.minutes,
              extras.scoreOutOf);
  const std::vector<TAdditionFrame> frames = AdditionFrames(s, part.first, part.last);
  const TRowSpacing at = RowSpacing(frames, part.roomMm);
  const int points = at.rowMm >= 7     ? kExamFigurePoints
                     : at.rowMm >= 5.5 ? kExamSmallFigurePoints
                                       : kExamSmallestFigurePoints;
  const std::vector<TAdditionProblem>* problems =
      c.problems ? &c.problems->sections.at(part.section).additions : nullptr;
  long double y = part.top + 7;
  for (const TAdditionFrame& f : frames) {
    const ProblemBlock block =
        AdditionBlock(y, s.firstNumber + f.first - 1, f.columns, f.rows, at.rowMm, points);
    DrawAdditionFrame(d, s, problems, f.first - 1, block, at.rowMm, points);
    y = block.bottom + at.gapMm;
  }
}

// かけ算 or わり算: numbered ruled lines, "実 × 法 =" and an answer box for the longest answer.
void DrawPairs(SheetDrawer& d, const TExamPageContent& c, const TExamPageLayout& page,
               const TPlacedPart& a) {
  const TExamSection& section = c.grade.sections[a.section];
  const TPairSection& s = section.pairs;
  const bool division = section.Division();
  const std::vector<TPairProblem>* problems =
      c.problems ? &c.problems->sections.at(a.section).pairs : nullptr;
  const CaptionExtras extras = ExtrasOf(c, page, a.section);
  DrawCaption(d, a.left, a.top, section.title, s.pointsEach, s.Count(), extras.minutes,
              extras.scoreOutOf);
  const long double tableTop = a.top + 7;
  const int count = a.last - a.first + 1;
  const int lines = PairLines(count, a.columns);
  const long double width = (a.right - a.left - kExamColumnGapMm * (a.columns - 1)) / a.columns;
  // Decimals and yen leave the figures less room: a narrower margin.
  const long double answerMm = AnswerSpaceMm(LongestPairAnswer(s, division)) +
                               (Decimal(section) ? kAnswerMarginMm - 1 : kAnswerMarginMm);
  const QString sign = division ? QStringLiteral(" ÷ ") : QStringLiteral(" × ");
  const auto textOf = [&](const TPairProblem& p) {
    return p.first.Text() + sign + p.second.Text() + QStringLiteral(" =");
  };
  // Decimals 11 points, or 10 where the widest line would not clear the number column; whole
  // numbers 13, stepping down the same way where long ones (暗算 from 準1級) need it.
  int points = Decimal(section) ? kExamSmallFigurePoints : kExamFigurePoints;
  if (problems) {
    const auto room = d.Mapping().X(a.left + width - answerMm - 2) - d.Mapping().X(a.left + 11);
    const auto fits = [&](int size) {
      d.FigureFont(size);
      return std::all_of(
          problems->begin() + (a.first - 1), problems->begin() + a.last,
          [&](const TPairProblem& p) { return d.Canvas().TextWidth(textOf(p)) <= room; });
    };
    if (points == kExamFigurePoints && !fits(points)) points = kExamSmallFigurePoints;
    if (points == kExamSmallFigurePoints && !fits(points)) points = kExamSmallestFigurePoints;
    d.Canvas().SetFontName(kLabelFace);
  }
  // Each block of 無名数 or 円名数 headed with its rounding, over the column it starts in.
  const bool scoreBox = extras.scoreOutOf > 0;
  for (int col = 0; col < a.columns; ++col) {
    const long double x0 = a.left + col * (width + kExamColumnGapMm), x1 = x0 + width;
    const int first = a.first + col * lines, last = std::min(a.last, first + lines - 1);
    QStringList notes;
    for (const TPairBlock& b : s.blocks) {
      if (b.kind == TNumberKind::Whole || b.first < first || b.first > last) continue;
      const QString rounding = b.kind == TNumberKind::Plain
                                   ? QStringLiteral("（小数第3位未満四捨五入）")
                                   : QStringLiteral("（円位未満四捨五入）");
      notes << (b.first == first
                    ? rounding
                    : QStringLiteral("No.%1から").arg(section.firstNumber + b.first - 1) +
                          rounding);
    }
    if (!notes.isEmpty()) {
      d.Font(9, false);
      const QString text = notes.join(u'　');
      d.TextRightAligned(scoreBox && x1 > kScoreBoxLeftMm ? kScoreBoxLeftMm - 2 : x1, a.top + 1,
                         text, text);
    }
  }
  for (int col = 0; col < a.columns; ++col) {
    const long double x0 = a.left + col * (width + kExamColumnGapMm), x1 = x0 + width;
    const int first = a.first + col * lines, last = std::min(a.last, first + lines - 1);
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
      const int number = section.firstNumber + p - 1;
      d.Font(10, true);
      d.Text(number < 10    ? x0 + 3.5L
             : number < 100 ? x0 + 2.2L
                            : x0 + 1.2L,
             y + (a.lineMm - 3.6L) / 2, QString::number(number));
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
}

// A section's answers in numbered cells, as many to a row as their width allows; `compact`
// (many answers on one page): low cells of 10-point figures, up to six a row.
long double DrawAnswerGrid(SheetDrawer& d, const TExamSection& s, const QStringList& answers,
                           const QString& longest, long double top, bool compact) {
  DrawCaption(d, kLeftMm, top, s.title, s.PointsEach(), static_cast<int>(answers.size()));
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
    d.Text(x + 1.5L, y + (compact ? 1.8L : 0.8L), QStringLiteral("No.%1").arg(s.firstNumber + i));
    d.FigureFont(figurePoints);
    const QString answer = WithTrueMinus(answers[i]);
    d.TextRightAligned(x + cellMm - 2.5L, y + (compact ? 1.2L : 5.8L), answer, answer);
    d.Canvas().SetFontName(kLabelFace);
  }
  return gridTop + rows * cellHeightMm + (compact ? 4 : 6);
}

void DrawAnswers(SheetDrawer& d, const TExamPageContent& c, std::size_t index) {
  const TExamGrade& g = c.grade;
  const TAnswerPageLayout& page = c.layout.answers.at(index);
  long double y = kBodyTopMm;
  for (std::size_t i : page.sections) {
    const TExamSection& s = g.sections[i];
    const int n = s.Count();
    QStringList answers;
    if (c.answers) {
      // Given answers fill as many cells as they have; the rest stay empty.
      answers = i < c.answers->sections.size() ? c.answers->sections[i] : QStringList();
    } else if (c.problems) {
      for (const TAdditionProblem& p : c.problems->sections.at(i).additions)
        answers << p.answer.Text();
      for (const TPairProblem& p : c.problems->sections.at(i).pairs) answers << p.answer.Text();
    }
    answers.resize(n);
    const QString longest = s.subject == TExamSubject::Abacus
                                ? LongestAdditionAnswer(s.addition)
                                : LongestPairAnswer(s.pairs, s.Division());
    y = DrawAnswerGrid(d, s, answers, longest, y, page.compact);
  }
}

}  // namespace

QString ExamPageTitle(const TExamGrade& grade, const TExamLayout& layout, TExamPageRef page) {
  QString suffix;
  if (page.answers) {
    suffix =
        page.index == 0
            ? QStringLiteral("（解答）")
            : QStringLiteral("（解答%1）").arg(FullWidthDigits(QString::number(page.index + 1)));
  } else {
    suffix = layout.pages.at(page.index).suffix;
  }
  return grade.title + u'　' + FullWidthDigits(grade.paperName) + suffix;
}

void DrawExamPage(SheetDrawer& d, const TExamPageContent& c, TExamPageRef page) {
  DrawHeader(d, c, page);
  if (page.answers) {
    DrawAnswers(d, c, page.index);
    return;
  }
  const TExamPageLayout& layout = c.layout.pages.at(page.index);
  for (const TPlacedPart& part : layout.parts) {
    if (part.groupHeading) DrawGroupHeading(d, c, layout, part);
    if (c.grade.sections[part.section].subject == TExamSubject::Abacus) {
      DrawAddition(d, c, layout, part);
    } else {
      DrawPairs(d, c, layout, part);
    }
  }
}

}  // namespace tamariko
