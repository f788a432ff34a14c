#include "mitori/abacus_kind.h"

#include "mitori/mitori_sheet.h"

namespace tamariko {
namespace {

TMitori::Side SideOf(int sheet) { return sheet == 0 ? TMitori::Side::Front : TMitori::Side::Back; }

}  // namespace

const std::vector<SheetInfo>& TAbacusKind::Sheets() const {
  static const std::vector<SheetInfo> sheets = {
      {QStringLiteral("omote"), QStringLiteral("みとり算（表）"),
       QStringLiteral("みとり算（表）10口 1〜15番: 3桁 (1〜5)、4桁 (6〜10)、5桁 (11〜15);\n"
                      "8・10・13・15番は3口ひき算\n"
                      "abacus addition, front: problems 1-15 of ten rows, 3 digits (1-5),\n"
                      "4 (6-10), 5 (11-15); three rows subtracted in 8, 10, 13 and 15")},
      {QStringLiteral("ura"), QStringLiteral("みとり算（裏）"),
       QStringLiteral("みとり算（裏）10口 16〜30番: 6桁 (16〜20)、7桁 (21〜25)、8桁\n"
                      "(26〜30); 18・20・23・28番は3口、25・30番は5口ひき算で答えはマイナス\n"
                      "abacus addition, back: problems 16-30 of ten rows, 6 digits (16-20),\n"
                      "7 (21-25), 8 (26-30); three rows subtracted in 18, 20, 23 and 28,\n"
                      "five in 25 and 30, whose answers are below zero")},
  };
  return sheets;
}

std::vector<AnswerRun> TAbacusKind::AnswerRuns() const {
  return {{QStringLiteral("みとり算"), 0, TMitori::kProblemCount}};
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
         ", \"answers\": " + JsonArray(TMitori::kProblemCount, [&](int i) { return Answer(i); }) +
         "}";
}

}  // namespace tamariko
