#include "app/kinds.h"

#include <algorithm>

#include "kake/kake_kind.h"
#include "mitori/abacus_kind.h"
#include "mitori1_1/mental_kind.h"
#include "wari/wari_kind.h"

namespace tamariko {

const std::vector<KindEntry>& ProblemKinds() {
  static const std::vector<KindEntry> kinds = {
      {[] { return std::make_unique<TMentalKind>(); }, true},
      {[] { return std::make_unique<TKakeKind>(); }, true},
      {[] { return std::make_unique<TWariKind>(); }},
      {[] { return std::make_unique<TAbacusKind>(); }},
  };
  return kinds;
}

const std::vector<SheetInfo>& ProblemSheets() {
  static const std::vector<SheetInfo> sheets = [] {
    std::vector<SheetInfo> all;
    for (const KindEntry& entry : ProblemKinds()) {
      const auto kind = entry.make();
      all.insert(all.end(), kind->Sheets().begin(), kind->Sheets().end());
    }
    std::sort(all.begin(), all.end(),
              [](const SheetInfo& a, const SheetInfo& b) { return a.tab < b.tab; });
    return all;
  }();
  return sheets;
}

std::vector<SheetInfo> SheetsWithAnswerTable() {
  std::vector<SheetInfo> sheets = ProblemSheets();
  sheets.push_back(kAnswerSheet);
  return sheets;
}

}  // namespace tamariko
