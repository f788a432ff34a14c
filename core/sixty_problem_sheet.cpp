// The sixty-problem sheet: the form and the grid of problem lines.
#include "core/sixty_problem_sheet.h"

#include <initializer_list>
#include <utility>

#include "core/contest_header.h"
#include "core/keisan.h"

namespace tamariko {
namespace {

void FullWidthRule(SheetDrawer& d, long double y) { d.Line(14, y, 252, y); }

void DrawLines(SheetDrawer& d) {
  DrawContestBoxes(d, 18);

  d.HeavyPen();
  d.Rectangle(14, 64, 252, 344);  // problem frame
  d.ThinPen();
  d.Line(131, 64, 131, 344);  // column divider

  // Row rules every 9 mm from y 73; the heavy halves at y 163 and y 244 close the grade
  // ranges of the left and the right column.
  for (int y = 73; y <= 154; y += 9) FullWidthRule(d, y);
  d.HeavyPen();
  d.Line(14, 163, 131, 163);
  d.ThinPen();
  d.Line(131, 163, 252, 163);
  for (int y = 163; y <= 235; y += 9) FullWidthRule(d, y);
  d.Line(14, 244, 131, 244);
  d.HeavyPen();
  d.Line(131, 244, 252, 244);
  d.ThinPen();
  for (int y = 244; y <= 334; y += 9) FullWidthRule(d, y);

  // Number columns, open across the marker rows.
  d.Line(22, 64, 22, 154);
  d.Line(22, 163, 22, 344);
  d.Line(139, 64, 139, 244);
  d.Line(139, 253, 139, 344);
}

// Top of problem p's line; the rows below a marker row lie one band further down.
long double ProblemLineY(int p) {
  const int k = p <= 30 ? p : p - 30;
  const bool belowMarker = p <= 30 ? p >= 11 : p >= 51;
  return (belowMarker ? 66 : 57) + 9.0L * k;
}

long double ProblemLineX(int p) { return p <= 30 ? 26 : 144; }

void DrawNumbers(SheetDrawer& d) {
  d.Text(16, 65, QStringLiteral("No."));
  for (int p = 1; p <= 30; ++p) {
    // Numbers stand 1 mm below their line, the first one 3 mm, under "No.".
    d.Text(p < 10 ? 17 : 16, ProblemLineY(p) + (p == 1 ? 3 : 1), QString::number(p));
  }
  d.Text(133, 65, QStringLiteral("No."));
  for (int p = 31; p <= 60; ++p) {
    d.Text(134, ProblemLineY(p) + (p == 31 ? 3 : 1), QString::number(p));
  }
}

}  // namespace

SixtyProblemSheet::SixtyProblemSheet(const TKeisan& set, const char16_t* title, LineText line)
    : set_(set), title_(title), line_(std::move(line)) {}

void SixtyProblemSheet::DrawFormTexts(SheetDrawer& d) const {
  const TSheetTexts& texts = set_.SheetTexts();
  DrawContestLabels(d, texts, 18, {19, 23, 27, 31, 33.8L}, u"5点×");
  d.Font(16, true);
  d.Text(25, 52, RoundLabel(texts));
  d.Text(50, 52, QString::fromUtf16(title_));
  d.Texts(9, false,
          {{111, 55, u"(制限時間10分)"},
           {16, 60, u"小学校4年生以下はここから (No.1～50)"},
           {16, 158, u"小学校5年生以上はここから (No.11～60)"},
           {136, 246, u"小学校4年生以下はここまで (No.1～50)"},
           {136, 344.1L, u"小学校5年生以上はここまで (No.11～60)"}});
  DrawNumbers(d);
  DrawTeacherLine(d, kContestPlaces.organizer, set_.GetOrganizerLabel());
}

// Steps shared by the preview and the page: every line, box and text of the form.
void SixtyProblemSheet::DrawForm(SheetDrawer& d) const {
  DrawLines(d);
  DrawFormTexts(d);
}

SheetDrawer SixtyProblemSheet::StartPreview(TCanvas& image, const PageMapping& mapping) const {
  return StartProblemPreview(image, mapping, [&](SheetDrawer& f) { DrawForm(f); });
}

void SixtyProblemSheet::DrawLine(SheetDrawer& d, int problem) const {
  d.Text(ProblemLineX(problem), ProblemLineY(problem), line_(problem));
}

void SixtyProblemSheet::DrawPreview(TCanvas& image, const PageMapping& mapping,
                                    bool generated) const {
  SheetDrawer d = StartPreview(image, mapping);
  if (!generated) return;
  for (int p = 1; p <= kProblemCount; ++p) DrawLine(d, p);
}

void SixtyProblemSheet::Print(TPrintTarget& printer, const QString& jobTitle,
                              bool generated) const {
  PrintProblemSheet(
      printer, jobTitle, generated, [&](SheetDrawer& d) { DrawForm(d); }, kProblemCount,
      [&](SheetDrawer& d, int p) { DrawLine(d, p); });
}

}  // namespace tamariko
