#pragma once

#include <QJsonObject>
#include <string>
#include <vector>

namespace tamariko::testing {

// Every rule a paper document (its JSON) sets for a set made from it (the set's JSON line),
// checked from the figures alone with exact arithmetic of its own: counts, digits and 字数,
// subtractions and negative answers, rounding of 無名数 and 円名数, no problem twice in a
// section, no power-of-ten factor. One line per broken rule; empty when the set is sound.
std::vector<std::string> DocumentViolations(const QJsonObject& document, const QJsonObject& set);

}  // namespace tamariko::testing
