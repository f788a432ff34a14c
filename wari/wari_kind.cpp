#include "wari/wari_kind.h"

#include "wari/wari_sheet.h"

namespace tamariko {

TWariKind::TWariKind()
    : TOneSheetKind({QStringLiteral("wari"), QStringLiteral("わり算"),
                     QStringLiteral("わり算 60題 (割り切れる): 商2桁÷1桁 (1〜5番) から\n"
                                    "商6桁÷5桁 (51〜60番) まで、かけ算と同じ段階\n"
                                    "division, 60 problems with whole quotients, graded like\n"
                                    "the multiplication: a two-digit quotient by one digit (1-5)\n"
                                    "up to a six-digit quotient by five digits (51-60)")},
                    QStringLiteral("わ  り  算")) {}

void TWariKind::DrawPreview(int, TCanvas& image, const PageMapping& mapping) const {
  DrawDivisionPreview(Problems(), image, mapping);
}

QByteArray TWariKind::Json() const {
  const Twari& set = Problems();
  const auto array = [](auto get) { return JsonArray(Twari::kProblemCount, get); };
  return "\"division\": {\"dividends\": " + array([&](int i) { return set.GetDividend(i); }) +
         ", \"divisors\": " + array([&](int i) { return set.GetDivisor(i); }) +
         ", \"answers\": " + array([&](int i) { return Answer(i); }) + "}";
}

}  // namespace tamariko
