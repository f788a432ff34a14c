#include "mitori1_1/mental_kind.h"

#include "mitori1_1/mitori_sheet.h"

namespace tamariko {

TMentalKind::TMentalKind()
    : TOneSheetKind({QStringLiteral("mitori"), 3, QStringLiteral("みとり暗算１")}) {}

void TMentalKind::DrawPreview(int, TCanvas& image, const PageMapping& mapping) const {
  DrawMentalPreview(Problems(), image, mapping);
}

QByteArray TMentalKind::Json() const {
  const TMitori1_1& set = Problems();
  return "\"mental\": {\"numbers\": " +
         JsonArray(TMitori1_1::kNumberCount, [&](int i) { return set.GetNumber(i); }) +
         ", \"answers\": " +
         JsonArray(TMitori1_1::kProblemCount, [&](int i) { return set.GetAnswer(i); }) + "}";
}

}  // namespace tamariko
