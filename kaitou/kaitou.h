#pragma once

#include <vector>

#include "core/answer_page.h"
#include "core/paper.h"

namespace tamariko {

class TCanvas;
class TPrintTarget;
struct PageMapping;

// The answer table (解答表) of the contest paper: three columns of sixty rows, each row
// numbered within the run that fills it, each run named by its heading over its column (or
// beside its rows when it starts lower down).
class Tkaitou : public TAnswerPage {
 public:
  static constexpr int kColumns = 3;
  static constexpr int kRows = 60;

  // The runs of the paper's kinds laid out on the table.
  explicit Tkaitou(std::vector<AnswerRun> runs) : TAnswerPage(kColumns, kRows, std::move(runs)) {}

  // The table as the answer page `sheet` of a paper: the contest's runs where the table has
  // always had them (かけ算 and わり算 a column each, みとり暗算 the top half of the third,
  // みとり算 its bottom half), any other kind's in the cells left free.
  static AnswerPageEntry Entry(const SheetInfo& sheet);

  void DrawSheet(TCanvas& image, const PageMapping& mapping) override;
  // The table with the answers it holds, as one print job of one page.
  void PrintSheet(TPrintTarget& printer) override;
};

}  // namespace tamariko
