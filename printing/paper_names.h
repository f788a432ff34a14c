#pragma once

#include <QString>

namespace tamariko {

// A paper's name as on Japanese paper packs ("B4 (JIS)", "はがき"), else the usual one.
QString JapanesePaperName(int paper);
// The same, with the driver's own name (when it has one) before the usual one.
QString JapanesePaperName(int paper, const QString& driverName);
// Where the paper comes in a list of papers: those of Japanese paper packs first, in the
// order teachers look for them, then all others alike.
int JapanesePaperRank(int paper);

}  // namespace tamariko
