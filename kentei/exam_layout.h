#pragma once

// Where a paper's sections stand on its B4 pages, by rules that serve every document: each
// section follows the last on its page, or starts a new one where it says so or where it
// would not fit; a section too long for a page goes on over as few pages as hold it, its
// heading on each; the answer pages follow, section by section.

#include <QString>
#include <vector>

#include "kentei/exam_grades.h"

namespace tamariko {

inline constexpr long double kExamLeftMm = 14, kExamRightMm = 252;
inline constexpr long double kExamBodyTopMm = 76;
// Figures and rules end above the organizer line.
inline constexpr long double kExamPageBottomMm = 343;
inline constexpr long double kExamColumnGapMm = 6;
// Figures end this far inside the rule on their right.
inline constexpr long double kExamFigureInsetMm = 1.5;

// Problems first .. last (from 1) of one section, placed on a page.
struct TPlacedPart {
  std::size_t section = 0;
  int first = 1, last = 0;
  long double top = kExamBodyTopMm;
  // みとり算: the height its rows may take, rows shrinking to it; 0: as tall as they need.
  long double roomMm = 0;
  // かけ算, わり算: the ruled lines' span, columns and line height.
  long double left = kExamLeftMm, right = kExamRightMm;
  int columns = 2;
  long double lineMm = 10;
  // The first part of a group on the page: the group's heading stands above it.
  bool groupHeading = false;
};

struct TExamPageLayout {
  std::vector<TPlacedPart> parts;
  QString suffix;  // after the paper's title: 「（表）」, 「（みとり算１）」, or none
  QString label;   // the window's name for the page: 「かけ算・わり算（表）」
  // The page holds one section (or one group) alone.
  bool Alone(const TExamGrade& grade) const;
};

struct TAnswerPageLayout {
  std::vector<std::size_t> sections;
  // Low cells of small figures, up to six a row, where the normal ones do not fit.
  bool compact = false;
};

struct TExamLayout {
  std::vector<TExamPageLayout> pages;
  std::vector<TAnswerPageLayout> answers;
};

TExamLayout LayOutExam(const TExamGrade& grade);
// The sections a page holds, in order, each once.
std::vector<std::size_t> SectionsOn(const TExamPageLayout& page);

// One framed block of みとり算 columns: its first problem (from 1), columns, rows and the
// longest answer its columns make room for.
struct TAdditionFrame {
  int first, columns, rows;
  QString longest;
};
// The frames problems first .. last of an addition section stand in: みとり算 in blocks of
// ten columns, or of five or four where the answer space needs the room, as many columns in
// each as can be; みとり暗算 each block of the section (its own digits and rows) in blocks of
// up to fifteen, as many as its answer space allows.
std::vector<TAdditionFrame> AdditionFrames(const TExamSection& section, int first, int last);
// Rows `rowMm` apart and frames `gapMm` apart, to fill `roomMm` (0: rows 7 mm apart).
struct TRowSpacing {
  long double rowMm = 7, gapMm = 6;
};
TRowSpacing RowSpacing(const std::vector<TAdditionFrame>& frames, long double roomMm);
// Lines of a pair section's part in `columns` columns.
int PairLines(int count, int columns);

// Width in millimetres of an answer space for `longest` at B4: 4 mm a digit, 2 mm any other
// character (comma, point, sign, ¥).
long double AnswerSpaceMm(const QString& longest);
// The longest answer each section can have, by its rules alone.
QString LongestAdditionAnswer(const TAdditionSection& section);
QString LongestPairAnswer(const TPairSection& section, bool division);

}  // namespace tamariko
