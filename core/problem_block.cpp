#include "core/problem_block.h"

#include <QString>

namespace tamariko {

void DrawBlockRules(SheetDrawer& d, const ProblemBlock& block) {
  d.HeavyPen();
  d.Rectangle(14, block.top, 252, block.bottom);
  d.ThinPen();
  d.Line(14, block.numberRowBottom, 252, block.numberRowBottom);
  d.Line(14, block.totalRowTop, 252, block.totalRowTop);
  for (int k = 0; k < block.columns; ++k) {
    k == block.heavyColumn ? d.HeavyPen() : d.ThinPen();
    const long double x = block.ColumnLeft(k);
    d.Line(x, block.top, x, block.bottom);
  }
}

void DrawProblemNumbers(SheetDrawer& d, const ProblemBlock& block) {
  d.Font(9, true);
  for (int k = 0; k < block.columns; ++k) {
    d.Text(block.numberX + block.pitch * k, block.numberY, QString::number(block.firstProblem + k));
  }
}

void DrawBlockCaptions(SheetDrawer& d, std::initializer_list<const ProblemBlock*> blocks) {
  d.Font(10, false);
  for (const ProblemBlock* block : blocks) d.Text(16, block->captionY, QStringLiteral("No."));
  for (const ProblemBlock* block : blocks) d.Text(16, block->totalRowTop + 3, QStringLiteral("計"));
}

void DrawRowLabels(SheetDrawer& d, const ProblemBlock& block) {
  d.Font(11, false);
  for (int r = 1; r <= block.rows; ++r) {
    d.Text(r < 10 ? 17 : 16, block.RowTop(r), QString::number(r));
  }
}

}  // namespace tamariko
