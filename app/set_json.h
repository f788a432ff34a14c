#pragma once

#include <QByteArray>
#include <cstdint>

namespace tamariko {

class TMitori1_1;
class Tkake;

// One set as one line of JSON: its seed, the mental addition numbers and answers, the
// multiplication problems and answers, in that key order, ending in a newline. Runs of many
// sets write one such line after another (JSON Lines).
QByteArray SetJsonLine(std::uint32_t seed, const TMitori1_1& mental, const Tkake& multiplication);

}  // namespace tamariko
