#include "tests/recipe/recipe_kind.h"

#include "core/contest_header.h"
#include "core/random.h"
#include "core/sheet_drawer.h"
#include "core/teacher_lines.h"

namespace tamariko {
namespace {

// A rule and, as every sheet has at its foot, the school's name.
void DrawForm(SheetDrawer& d, const TKeisan& set) {
  d.Line(10, 10, 20, 20);
  DrawTeacherLine(d, kContestPlaces.organizer, set.GetOrganizerLabel());
}

}  // namespace

const std::vector<SheetInfo>& TRecipeKind::Sheets() const {
  static const std::vector<SheetInfo> sheets = {
      {QStringLiteral("recipe"), QStringLiteral("追加の問題"),
       QStringLiteral("追加の問題 3題\nthree problems of a kind added by the recipe"),
       QStringLiteral("追加")}};
  return sheets;
}

void TRecipeKind::Make(const ShowPreview& show) {
  drawn_ = Random(1000);
  if (show) show(0, [this](TCanvas& c, const PageMapping& m) { DrawPreview(0, c, m); });
}

void TRecipeKind::PrintSheet(int, TPrintTarget& printer) {
  PrintPage(printer, Sheets().front().jobTitle, 9, [this](SheetDrawer& d) { DrawForm(d, set_); });
}

void TRecipeKind::DrawPreview(int, TCanvas& image, const PageMapping& mapping) const {
  SheetDrawer d = PreparePreview(image, mapping);
  DrawForm(d, set_);
}

std::vector<AnswerRun> TRecipeKind::AnswerRuns() const {
  return {{QStringLiteral("追  加"), 0, 3}};
}

TAnswer TRecipeKind::Answer(int index) const {
  if (index == 0) return TAnswer::Fixed(68551, 3);
  if (index == 1) return TAnswer::Yen(-1234);
  return TAnswer::Whole(drawn_);
}

QByteArray TRecipeKind::Json() const {
  return "\"recipe\": {\"answers\": " + JsonArray(3, [this](int i) { return Answer(i); }) + "}";
}

}  // namespace tamariko
