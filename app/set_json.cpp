#include "app/set_json.h"

#include <cstddef>

#include "kake/kake.h"
#include "mitori1_1/mitori1_1.h"

namespace tamariko {
namespace {

template <std::size_t N, typename Get>
QByteArray JsonArray(Get get) {
  QByteArray out("[");
  for (std::size_t i = 0; i < N; ++i) {
    if (i) out += ", ";
    out += QByteArray::number(static_cast<qlonglong>(get(static_cast<std::int32_t>(i))));
  }
  return out + "]";
}

}  // namespace

QByteArray SetJsonLine(std::uint32_t seed, const TMitori1_1& mental, const Tkake& multiplication) {
  QByteArray json = "{\"seed\": " + QByteArray::number(seed);
  json += ", \"mental\": {\"numbers\": " +
          JsonArray<TMitori1_1::kNumberCount>([&](int i) { return mental.GetNumber(i); });
  json += ", \"answers\": " +
          JsonArray<TMitori1_1::kProblemCount>([&](int i) { return mental.GetAnswer(i); });
  json += "}, \"multiplication\": {\"multiplicands\": " +
          JsonArray<Tkake::kProblemCount>([&](int i) { return multiplication.GetMultiplicand(i); });
  json += ", \"multipliers\": " +
          JsonArray<Tkake::kProblemCount>([&](int i) { return multiplication.GetMultiplier(i); });
  json += ", \"answers\": " +
          JsonArray<Tkake::kProblemCount>([&](int i) { return multiplication.GetAnswer(i); });
  return json + "}}\n";
}

}  // namespace tamariko
