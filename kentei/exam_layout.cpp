#include "kentei/exam_layout.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

#include "kentei/exact_number.h"

namespace tamariko {
namespace {

// The least a みとり算 row and a かけ算 line may shrink to before the section takes more pages.
constexpr long double kLeastRowMm = 4;
constexpr long double kLeastLineMm = 7;
// The heading of a group above its first section.
constexpr long double kGroupHeadingMm = 7;
// Pair sections of up to this many problems stand side by side, two to a row.
constexpr int kSideBySide = 10;

// The widest text of `integer` digits and `decimals` after the point: 9s, or 0.0… below 1.
QString Widest(int integer, int decimals, bool yen) {
  QString whole = integer > 0 ? QString(integer, u'9') : QStringLiteral("0");
  for (qsizetype at = whole.size() - 3; at > 0; at -= 3) whole.insert(at, u',');
  const QString fraction = decimals > 0 ? u'.' + QString(decimals, u'9') : QString();
  return (yen ? QStringLiteral("¥") : QString()) + whole + fraction;
}

// The largest sum of a block's rows: 字数 rows as long as `chars` lets them be.
std::int64_t MostSum(const TAdditionBlock& b) {
  if (!b.Mixed()) return b.rows * (PowerOfTen(b.digits) - 1);
  std::int64_t sum = 0;
  int left = b.chars;
  for (int r = 0; r < b.rows; ++r) {
    const int others = (b.rows - r - 1) * b.digits;
    const int len = std::min(b.maxDigits, left - others);
    sum += PowerOfTen(len) - 1;
    left -= len;
  }
  return sum;
}

bool IsPairs(const TExamSection& s) { return s.subject != TExamSubject::Abacus; }

long double AdditionHeight(const std::vector<TAdditionFrame>& frames, const TRowSpacing& at) {
  long double h = 7;
  for (const TAdditionFrame& f : frames) h += 19 + f.rows * at.rowMm + at.gapMm;
  return h;
}

long double PairHeight(int count, int columns, long double lineMm) {
  return 7 + PairLines(count, columns) * lineMm + 6;
}

int ColumnsOf(const TExamSection& s) {
  return s.mental && s.Count() > 20 && s.Count() <= 30 ? 3 : 2;
}

// Full-width digits, as the titles print them.
QString FullWidth(int n) {
  QString text = QString::number(n);
  for (QChar& c : text) c = QChar(c.unicode() - u'0' + 0xFF10);
  return text;
}

class Placer {
 public:
  explicit Placer(const TExamGrade& grade) : g_(grade) { NewPage(); }

  void Place() {
    const auto& sections = g_.sections;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const TExamSection& s = sections[i];
      if (s.newPage && !Page().parts.empty()) NewPage();
      const bool sideBySide = IsPairs(s) && i + 1 < sections.size() && IsPairs(sections[i + 1]) &&
                              !sections[i + 1].newPage && s.Count() <= kSideBySide &&
                              sections[i + 1].Count() <= kSideBySide;
      if (sideBySide) {
        PlaceSideBySide(i);
        ++i;
      } else {
        PlaceSection(i);
      }
    }
    Finish();
  }

  std::vector<TExamPageLayout> pages;
  std::set<std::size_t> split;

 private:
  TExamPageLayout& Page() { return pages.back(); }
  void NewPage() {
    if (!pages.empty()) Finish();
    pages.emplace_back();
    y_ = kExamBodyTopMm;
    hasAddition_ = false;
  }
  long double Room() const { return kExamPageBottomMm - y_; }
  bool GroupHeading(std::size_t i) const {
    const QString& group = g_.sections[i].group;
    if (group.isEmpty()) return false;
    // The first section of the group, or the first of it on this page.
    return i == 0 || g_.sections[i - 1].group != group ||
           std::none_of(
               pages.back().parts.begin(), pages.back().parts.end(),
               [&](const TPlacedPart& p) { return g_.sections[p.section].group == group; });
  }
  long double BaseLineMm() const { return hasAddition_ ? 11 : 10; }

  long double Height(std::size_t i, int first, int last, bool least) const {
    const TExamSection& s = g_.sections[i];
    if (IsPairs(s))
      return PairHeight(last - first + 1, ColumnsOf(s), least ? kLeastLineMm : BaseLineMm());
    const std::vector<TAdditionFrame> frames = AdditionFrames(s, first, last);
    return AdditionHeight(frames, least ? TRowSpacing{kLeastRowMm, 3} : TRowSpacing{});
  }

  void Put(std::size_t i, int first, int last, long double height) {
    TPlacedPart part;
    part.section = i;
    part.first = first;
    part.last = last;
    part.groupHeading = GroupHeading(i);
    part.top = y_ + (part.groupHeading ? kGroupHeadingMm : 0);
    if (IsPairs(g_.sections[i])) {
      part.columns = ColumnsOf(g_.sections[i]);
      part.lineMm = BaseLineMm();
    } else {
      hasAddition_ = true;
    }
    Page().parts.push_back(part);
    y_ = part.top + height;
  }

  void PlaceSection(std::size_t i) {
    const TExamSection& s = g_.sections[i];
    const long double heading = GroupHeading(i) ? kGroupHeadingMm : 0;
    const int count = s.Count();
    for (int attempt = 0; attempt < 2; ++attempt) {
      const long double natural = heading + Height(i, 1, count, false);
      if (natural <= Room()) return Put(i, 1, count, natural - heading);
      // The last on its page: it shrinks to the room left.
      if (heading + Height(i, 1, count, true) <= Room()) {
        Put(i, 1, count, Room() - heading);
        return;
      }
      if (Page().parts.empty()) break;
      NewPage();
    }
    // Too long for a page: as few parts as hold it, the first ones a problem longer.
    int parts = 2;
    const auto fits = [&](int n) {
      for (int k = 0, first = 1; k < n; ++k) {
        const int size = count / n + (k < count % n ? 1 : 0);
        if (Height(i, first, first + size - 1, true) + kGroupHeadingMm >
            kExamPageBottomMm - kExamBodyTopMm)
          return false;
        first += size;
      }
      return true;
    };
    while (parts < count && !fits(parts)) ++parts;
    split.insert(i);
    for (int k = 0, first = 1; k < parts; ++k) {
      const int size = count / parts + (k < count % parts ? 1 : 0);
      if (k > 0) NewPage();
      Put(i, first, first + size - 1, Room());
      first += size;
    }
  }

  void PlaceSideBySide(std::size_t i) {
    const long double heading = GroupHeading(i) ? kGroupHeadingMm : 0;
    const int lines = std::max(g_.sections[i].Count(), g_.sections[i + 1].Count());
    if (heading + PairHeight(lines, 1, kLeastLineMm) > Room() && !Page().parts.empty()) NewPage();
    const long double lineMm = BaseLineMm();
    const long double middle = (kExamLeftMm + kExamRightMm) / 2;
    const long double top = y_;
    for (std::size_t k = 0; k < 2; ++k) {
      y_ = top;
      Put(i + k, 1, g_.sections[i + k].Count(), 0);
      TPlacedPart& part = Page().parts.back();
      // Level with the first, below the heading they share.
      part.top = top + heading;
      part.groupHeading = k == 0 && heading > 0;
      part.columns = 1;
      part.lineMm = lineMm;
      part.left = k == 0 ? kExamLeftMm : middle + kExamColumnGapMm / 2;
      part.right = k == 0 ? middle - kExamColumnGapMm / 2 : kExamRightMm;
    }
    y_ = Page().parts.back().top + PairHeight(lines, 1, lineMm);
  }

  // The page's last parts take the room left below them: rows and lines shrink to it.
  void Finish() {
    if (pages.empty() || Page().parts.empty()) return;
    const long double lastTop = Page().parts.back().top;
    for (TPlacedPart& part : Page().parts) {
      if (part.top != lastTop) continue;
      const long double room = kExamPageBottomMm - part.top;
      if (IsPairs(g_.sections[part.section])) {
        part.lineMm =
            std::min(part.lineMm, (room - 7) / PairLines(part.last - part.first + 1, part.columns));
      } else {
        part.roomMm = room;
      }
    }
  }

  const TExamGrade& g_;
  long double y_ = kExamBodyTopMm;
  bool hasAddition_ = false;
};

// A page's name: one page none; two 表 and 裏; more by the sections they hold, a section
// over several pages numbered.
void NamePages(const TExamGrade& g, std::vector<TExamPageLayout>& pages,
               const std::set<std::size_t>& split) {
  if (pages.size() == 1) {
    pages[0].label = QStringLiteral("問題");
    return;
  }
  const bool frontBack = pages.size() == 2 && split.empty();
  std::map<std::size_t, int> partNumber;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    QStringList titles;
    for (std::size_t s : SectionsOn(pages[p])) {
      // A group by its name, once.
      QString title = g.sections[s].group.isEmpty() ? g.sections[s].title : g.sections[s].group;
      if (split.contains(s)) title += FullWidth(++partNumber[s]);
      if (!titles.contains(title)) titles << title;
    }
    const QString names = titles.join(u'・');
    if (frontBack) {
      pages[p].suffix = p == 0 ? QStringLiteral("（表）") : QStringLiteral("（裏）");
      pages[p].label = names + pages[p].suffix;
    } else {
      pages[p].suffix = u'（' + names + u'）';
      pages[p].label = names;
    }
  }
}

long double GridHeight(const QString& longest, int count, bool compact) {
  const long double span = kExamRightMm - kExamLeftMm;
  const long double widthMm =
      compact ? longest.size() * 10 * 0.3528L * 0.6L + 14 : AnswerSpaceMm(longest) + 14;
  const int perRow = std::clamp(static_cast<int>(span / widthMm), 1, compact ? 6 : 5);
  const int rows = (count + perRow - 1) / perRow;
  return 7 + rows * (compact ? 6.5L : 13) + (compact ? 4 : 6);
}

QString LongestAnswer(const TExamSection& s) {
  return IsPairs(s) ? LongestPairAnswer(s.pairs, s.Division()) : LongestAdditionAnswer(s.addition);
}

std::vector<TAnswerPageLayout> LayOutAnswers(const TExamGrade& g) {
  const long double room = kExamPageBottomMm - kExamBodyTopMm;
  std::vector<QString> longest;
  long double normal = 0;
  for (const TExamSection& s : g.sections) {
    longest.push_back(LongestAnswer(s));
    normal += GridHeight(longest.back(), s.Count(), false);
  }
  std::vector<TAnswerPageLayout> pages(1);
  pages[0].compact = normal > room;
  long double y = 0;
  for (std::size_t i = 0; i < g.sections.size(); ++i) {
    const long double h = GridHeight(longest[i], g.sections[i].Count(), pages[0].compact);
    if (y + h > room && !pages.back().sections.empty()) {
      pages.push_back({{}, pages[0].compact});
      y = 0;
    }
    pages.back().sections.push_back(i);
    y += h;
  }
  return pages;
}

}  // namespace

std::vector<std::size_t> SectionsOn(const TExamPageLayout& page) {
  std::vector<std::size_t> sections;
  for (const TPlacedPart& p : page.parts) {
    if (std::find(sections.begin(), sections.end(), p.section) == sections.end())
      sections.push_back(p.section);
  }
  return sections;
}

bool TExamPageLayout::Alone(const TExamGrade& grade) const {
  const std::vector<std::size_t> sections = SectionsOn(*this);
  if (sections.size() == 1) return true;
  const QString& group = grade.sections[sections.front()].group;
  return !group.isEmpty() && std::all_of(sections.begin(), sections.end(), [&](std::size_t s) {
    return grade.sections[s].group == group;
  });
}

std::vector<TAdditionFrame> AdditionFrames(const TExamSection& section, int first, int last) {
  const TAdditionSection& s = section.addition;
  std::vector<TAdditionFrame> frames;
  if (!section.mental) {
    const QString longest = LongestAdditionAnswer(s);
    const long double need = AnswerSpaceMm(longest) + 2 * kExamFigureInsetMm;
    const int perBlock = need <= 230.0L / 10 ? 10 : need <= 230.0L / 5 ? 5 : 4;
    const int count = last - first + 1;
    const int blocks = (count + perBlock - 1) / perBlock;
    int rows = 0;
    for (const TAdditionBlock& b : s.blocks) rows = std::max(rows, b.rows);
    for (int b = 0, next = first; b < blocks; ++b) {
      const int columns = count / blocks + (b < count % blocks ? 1 : 0);
      frames.push_back({next, columns, rows, longest});
      next += columns;
    }
    return frames;
  }
  for (const TAdditionBlock& b : s.blocks) {
    const int from = std::max(first, b.first), to = std::min(last, b.last);
    if (from > to) continue;
    const QString longest = LongestAdditionAnswer({{b}, s.pointsEach});
    const long double need = AnswerSpaceMm(longest) + 2 * kExamFigureInsetMm;
    const int most = std::clamp(static_cast<int>(230.0L / need), 1, 15);
    const int count = to - from + 1, n = (count + most - 1) / most;
    for (int f = 0, next = from; f < n; ++f) {
      const int columns = count / n + (f < count % n ? 1 : 0);
      frames.push_back({next, columns, b.rows, longest});
      next += columns;
    }
  }
  return frames;
}

TRowSpacing RowSpacing(const std::vector<TAdditionFrame>& frames, long double roomMm) {
  TRowSpacing at;
  if (roomMm <= 0) return at;
  int allRows = 0;
  for (const TAdditionFrame& f : frames) allRows += f.rows;
  const auto count = static_cast<long double>(frames.size());
  const long double fixedMm = 7 + count * 19;
  if (fixedMm + (count - 1) * at.gapMm + 7.0L * allRows > roomMm) at.gapMm = 3;
  at.rowMm = std::min(7.0L, (roomMm - fixedMm - (count - 1) * at.gapMm) / allRows);
  return at;
}

int PairLines(int count, int columns) { return (count + columns - 1) / columns; }

TExamLayout LayOutExam(const TExamGrade& grade) {
  Placer placer(grade);
  placer.Place();
  TExamLayout layout;
  layout.pages = std::move(placer.pages);
  NamePages(grade, layout.pages, placer.split);
  layout.answers = LayOutAnswers(grade);
  return layout;
}

long double AnswerSpaceMm(const QString& longest) {
  long double mm = 0;
  for (QChar ch : longest) mm += ch.isDigit() ? 4 : 2;
  return mm;
}

QString LongestAdditionAnswer(const TAdditionSection& section) {
  QString longest;
  for (const TAdditionBlock& b : section.blocks) {
    QString text = TExactNumber::Whole(MostSum(b), b.yen).Text();
    if (b.negatives > 0) text.prepend(u'-');
    if (AnswerSpaceMm(text) > AnswerSpaceMm(longest)) longest = text;
  }
  return longest;
}

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

}  // namespace tamariko
