#pragma once

// The one ordered list of problem-set kinds. A run makes the chosen kinds in this order from
// one generator, so a kind added at the end never changes a problem of those before it. The
// window's check boxes, tabs and print choices, the batch's --sheets and file names, the
// JSON and the print order all come from here.

#include <functional>
#include <memory>
#include <vector>

#include "core/problem_kind.h"

namespace tamariko {

struct KindEntry {
  std::function<std::unique_ptr<TProblemKind>()> make;
  // The JSON of a set carries the kind even when it was not made (as zeros): the two first
  // kinds always did, and scripts read them so.
  bool inJsonUnmade = false;
};

const std::vector<KindEntry>& ProblemKinds();

// Every problem sheet of the list, in tab order (the answer table not among them).
const std::vector<SheetInfo>& ProblemSheets();

// The answer table: the last tab and the last page of every run.
inline const SheetInfo kAnswerSheet{QStringLiteral("kaitou"), 6, QStringLiteral("解答表"), {}};

// The problem sheets, then the answer table: every sheet a window can tick.
std::vector<SheetInfo> SheetsWithAnswerTable();

}  // namespace tamariko
