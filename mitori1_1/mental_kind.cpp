#include "mitori1_1/mental_kind.h"

#include "mitori1_1/mitori_sheet.h"

namespace tamariko {

TMentalKind::TMentalKind()
    : TOneSheetKind({QStringLiteral("mitori"), QStringLiteral("みとり暗算１"),
                     QStringLiteral("みとり暗算 30題: 1桁5口から 6桁10口まで、13番からひき算あり\n"
                                    "mental addition, 30 problems of five to ten rows, one to six\n"
                                    "digits; some rows subtracted from problem 13 on"),
                     QStringLiteral("みとり暗算")},
                    QStringLiteral("み と り 暗 算")) {}

void TMentalKind::DrawPreview(int, TCanvas& image, const PageMapping& mapping) const {
  DrawMentalPreview(Problems(), image, mapping);
}

QByteArray TMentalKind::Json() const {
  const TMitori1_1& set = Problems();
  return "\"mental\": {\"numbers\": " +
         JsonArray(TMitori1_1::kNumberCount, [&](int i) { return set.GetNumber(i); }) +
         ", \"answers\": " +
         JsonArray(TMitori1_1::kProblemCount, [&](int i) { return Answer(i); }) + "}";
}

}  // namespace tamariko
