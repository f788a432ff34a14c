// The answer table: the form on both targets, the answers on paper only.
#include "kaitou/kaitou.h"

#include <QString>
#include <array>
#include <cmath>
#include <memory>

#include "core/contest_header.h"
#include "core/sheet_drawer.h"

namespace tamariko {
namespace {

constexpr int kRows = Tkaitou::kRows;

// Tops of rows 1 .. 60 in millimetres, as the numbers stand. The last band (rows 56 to 60)
// is closed up with a smaller pitch. The offset is a running sum, as the rows were always
// placed, so rounding follows it.
std::array<long double, kRows> RowTops(long double lift) {
  std::array<long double, kRows> tops{};
  long double offset = 0;
  for (int n = 1; n <= kRows; ++n) {
    if (n > 1) offset += n <= 56 ? 4.8L : 4.2L;
    tops[n - 1] = 59 + offset - lift;
  }
  return tops;
}

const std::array<long double, kRows> kNumberTops = RowTops(0);
// The answers' face rises 0.86 em above its baseline at 10 points, the numbers' 0.88 em at 9:
// lifted 0.26 mm, an answer shares its number's baseline.
const std::array<long double, kRows> kAnswerTops = RowTops(0.26L);

void DrawRules(SheetDrawer& d) {
  d.HeavyPen();
  d.Rectangle(14, 32, 252, 344);
  d.ThinPen();
  d.Line(14, 49, 252, 49);
  d.Line(14, 58, 252, 58);
  for (long double x : {22.0L, 90.0L, 161.0L, 96.0L, 167.0L}) d.Line(x, 49, x, 344);
  // One rule under every fifth row.
  for (int k = 0; k <= 10; ++k) {
    const long double y = 82 + 24.0L * k;
    d.Line(14, y, 252, y);
  }
}

// Where a column's parts stand, in millimetres: the "No." heading and its numbers, the
// rule between numbers and answers, the right edge of the answers, the column's heading.
struct ColumnPlace {
  long double noX;
  long double numberX;
  long double numberRule;
  long double answerRight;
  long double headingX;
};
constexpr ColumnPlace kColumnPlaces[Tkaitou::kColumns] = {
    {16, 16, 22, 87, 47},
    {90.9L, 91.5L, 96, 158, 120},
    {161.9L, 162.5L, 167, 248, 198},
};

// To the nearest tenth of a millimetre, as the form's places are written.
long double Tenths(long double mm) { return std::round(mm * 10) / 10; }

// A row's number counts within the run that fills it, as the sheet numbered its problems.
int NumberOf(const Tkaitou& table, int column, int row) {
  const AnswerRun* run = table.RunAt(column, row);
  return run ? run->firstAnswer + row - run->firstRow + 1 : row + 1;
}

void DrawRowNumbers(SheetDrawer& d, const Tkaitou& table) {
  d.Font(9, false);
  const QString no = QStringLiteral("No.");
  for (int c = 0; c < Tkaitou::kColumns; ++c) {
    const ColumnPlace& place = kColumnPlaces[c];
    d.Text(place.noX, 52, no);
    for (int row = 0; row < kRows; ++row) {
      d.Text(place.numberX, kNumberTops[row], QString::number(NumberOf(table, c, row)));
    }
  }
}

// A heading beside its run's rows reads downwards, a character every 5 mm, with a rule on
// the answers' side. The label face is proportional: its wider glyphs stand 0.7 mm further
// left to look centred.
void DrawSideHeading(SheetDrawer& d, const AnswerRun& run) {
  static const QString wider = QStringLiteral("み算");
  const ColumnPlace& place = kColumnPlaces[run.column];
  const long double top = Tenths(kNumberTops[run.firstRow]);
  const long double x = place.numberRule + 2;
  for (int i = 0; i < run.heading.size(); ++i) {
    const QString glyph = run.heading.mid(i, 1);
    d.Text(wider.contains(glyph) ? Tenths(x - 0.7L) : x, top + 2 + 5 * i, glyph);
  }
  d.ThinPen();
  d.Line(place.numberRule + 7, top - 1, place.numberRule + 7,
         top - 1 + 5 * static_cast<long double>(run.heading.size()) + 4);
}

void DrawForm(SheetDrawer& d, const Tkaitou& table) {
  DrawRules(d);
  DrawRowNumbers(d, table);

  d.Font(25, false);
  d.Text(90, 22, QStringLiteral("解      答      表"));
  d.Text(90, 37, RoundLabel(table.SheetTexts(), QStringLiteral("      ")));

  d.Font(12, false);
  for (int c = 0; c < Tkaitou::kColumns; ++c) {
    for (const AnswerRun& run : table.Runs()) {
      if (run.column == c && run.firstRow == 0) d.Text(kColumnPlaces[c].headingX, 51, run.heading);
    }
  }
  for (const AnswerRun& run : table.Runs()) {
    if (run.firstRow > 0) DrawSideHeading(d, run);
  }

  DrawTeacherLine(d, kContestPlaces.organizer, table.GetOrganizerLabel());
}

void DrawAnswers(SheetDrawer& d, const Tkaitou& table) {
  d.Canvas().SetFontName(kCarriedFace);
  d.Font(10, false);
  for (int c = 0; c < Tkaitou::kColumns; ++c) {
    for (int row = 0; row < kRows; ++row) {
      if (const auto& answer = table.At(c, row)) {
        const QString text = answer->Printed();
        d.TextRightAligned(kColumnPlaces[c].answerRight, kAnswerTops[row], text, text);
      }
    }
  }
}

}  // namespace

void Tkaitou::DrawSheet(TCanvas& image, const PageMapping& mapping) {
  SheetDrawer d = PreparePreview(image, mapping);
  // Texts of this sheet stand on opaque white.
  image.SetBrushStyle(BrushStyle::Solid);
  DrawForm(d, *this);
  if (AnswersShown()) DrawAnswers(d, *this);
}

void Tkaitou::PrintSheet(TPrintTarget& printer) {
  PrintPage(
      printer, JobTitle(QStringLiteral("解答表")), 9,
      [&](SheetDrawer& d) {
        DrawForm(d, *this);
        DrawAnswers(d, *this);
      },
      PageBrush::Unchanged);
}

AnswerPageEntry Tkaitou::Entry(const SheetInfo& sheet) {
  return {sheet,
          kColumns,
          kRows,
          {{QStringLiteral("kake"), 0, 0},
           {QStringLiteral("wari"), 1, 0},
           {QStringLiteral("mitori"), 2, 0},
           {QStringLiteral("omote"), 2, 30}},
          true,
          [](std::vector<AnswerRun> runs) { return std::make_unique<Tkaitou>(std::move(runs)); }};
}

}  // namespace tamariko
