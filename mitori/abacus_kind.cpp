#include "mitori/abacus_kind.h"

#include "mitori/mitori_sheet.h"

namespace tamariko {
namespace {

TMitori::Side SideOf(int sheet) { return sheet == 0 ? TMitori::Side::Front : TMitori::Side::Back; }

}  // namespace

const std::vector<SheetSpec>& TAbacusKind::Sheets() const {
  static const std::vector<SheetSpec> sheets = {
      {QStringLiteral("omote"), 1, QStringLiteral("みとり算（表）")},
      {QStringLiteral("ura"), 2, QStringLiteral("みとり算（裏）")},
  };
  return sheets;
}

void TAbacusKind::Make(const ShowPreview& show) {
  // Both sides are drawn as the one set is made; a side the caller leaves undrawn is left
  // out, and without either the same draws are made without drawing.
  bool made = false;
  const auto make = [&](TCanvas* front, TCanvas* back, const PageMapping& mapping) {
    set_.MakeSheets(front, back, mapping);
    made = true;
  };
  if (show) {
    show(0, [&](TCanvas& front, const PageMapping& mapping) {
      show(1, [&](TCanvas& back, const PageMapping&) { make(&front, &back, mapping); });
      if (!made) make(&front, nullptr, mapping);
    });
    if (!made) {
      show(1, [&](TCanvas& back, const PageMapping& mapping) { make(nullptr, &back, mapping); });
    }
  }
  if (!made) set_.Generate();
}

void TAbacusKind::PrintSheet(int sheet, TPrintTarget& printer) {
  set_.PrintSheet(SideOf(sheet), printer);
}

void TAbacusKind::DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const {
  DrawAbacusPreview(set_, SideOf(sheet), image, mapping);
}

QByteArray TAbacusKind::Json() const {
  return "\"abacus\": {\"numbers\": " +
         JsonArray(TMitori::kNumberCount, [&](int i) { return set_.GetNumber(i); }) +
         ", \"answers\": " +
         JsonArray(TMitori::kProblemCount, [&](int i) { return set_.GetAnswer(i); }) + "}";
}

}  // namespace tamariko
