#include "printing/paper_names.h"

#include <QPageSize>
#include <iterator>
#include <utility>

#include "platform/spooler_paper.h"

namespace tamariko {
namespace {

// The papers by the names on Japanese paper packs, in the order they come first in the list.
constexpr std::pair<int, const char*> kJapanesePapers[] = {
    {12, "B4 (JIS)"},    {9, "A4"},           {8, "A3"},           {13, "B5 (JIS)"},
    {11, "A5"},          {70, "A6"},          {88, "B6 (JIS)"},    {66, "A2"},
    {43, "はがき"},      {69, "往復はがき"},  {42, "B4 (ISO)"},    {71, "角形2号封筒"},
    {72, "角形3号封筒"}, {73, "長形3号封筒"}, {74, "長形4号封筒"}, {91, "洋形4号封筒"},
    {1, "レター"},       {5, "リーガル"},
};

}  // namespace

int JapanesePaperRank(int paper) {
  for (std::size_t i = 0; i < std::size(kJapanesePapers); ++i) {
    if (kJapanesePapers[i].first == paper) return static_cast<int>(i);
  }
  return static_cast<int>(std::size(kJapanesePapers));
}

QString JapanesePaperName(int paper, const QString& driverName) {
  for (const auto& [number, name] : kJapanesePapers) {
    if (number == paper) return QString::fromUtf8(name);
  }
  if (!driverName.isEmpty()) return driverName;
  const auto id = PageSizeOfPaperNumber(paper);
  return id ? QPageSize(*id).name() : QStringLiteral("用紙 %1").arg(paper);
}

QString JapanesePaperName(int paper) { return JapanesePaperName(paper, QString()); }

}  // namespace tamariko
