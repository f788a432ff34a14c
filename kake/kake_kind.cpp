#include "kake/kake_kind.h"

#include "kake/kake_sheet.h"

namespace tamariko {

TKakeKind::TKakeKind()
    : TOneSheetKind({QStringLiteral("kake"), QStringLiteral("かけ算"),
                     QStringLiteral("かけ算 60題: 2桁×1桁 (1〜5番) から 6桁×5桁 (51〜60番) まで\n"
                                    "multiplication, 60 problems: two digits by one (1-5) up to\n"
                                    "six digits by five (51-60)")},
                    QStringLiteral("か  け  算")) {}

void TKakeKind::DrawPreview(int, TCanvas& image, const PageMapping& mapping) const {
  DrawMultiplicationPreview(Problems(), image, mapping);
}

QByteArray TKakeKind::Json() const {
  const Tkake& set = Problems();
  const auto array = [](auto get) { return JsonArray(Tkake::kProblemCount, get); };
  return "\"multiplication\": {\"multiplicands\": " +
         array([&](int i) { return set.GetMultiplicand(i); }) +
         ", \"multipliers\": " + array([&](int i) { return set.GetMultiplier(i); }) +
         ", \"answers\": " + array([&](int i) { return Answer(i); }) + "}";
}

}  // namespace tamariko
