#pragma once

#include <initializer_list>

#include "core/sheet_drawer.h"

namespace tamariko {

// A framed block of problem columns on an addition sheet: a number row at the top, the row
// cells, and a total row (計) for the written answer, ruled off full width; a label column
// from x 14 to 22 with "No.", the row labels and "計"; then one column per problem from x 22
// at `pitch`, the last one to the frame at 252. Positions in millimetres.
struct ProblemBlock {
  long double top, numberRowBottom, totalRowTop, bottom;
  long double pitch;
  int firstProblem, columns;
  int heavyColumn;               // column line drawn heavy where a grade range ends, or -1
  long double numberX, numberY;  // number of the first column; the others follow at `pitch`
  long double captionY;          // "No."; "計" stands 3 mm into the total row
  long double firstRowTop;       // row r stands 7 mm below row r - 1
  int rows;                      // row labels 1 .. rows

  long double ColumnLeft(int column) const { return 22 + pitch * column; }
  long double ColumnRight(int column) const {
    return column + 1 < columns ? ColumnLeft(column + 1) : 252;
  }
  long double RowTop(int row) const { return firstRowTop + 7.0L * (row - 1); }
};

// The frame heavy, the two full-width rules and the column lines thin (but `heavyColumn`).
void DrawBlockRules(SheetDrawer& d, const ProblemBlock& block);
// 9 points, bold.
void DrawProblemNumbers(SheetDrawer& d, const ProblemBlock& block);
// "No." of every block, then "計" of every block, 10 points.
void DrawBlockCaptions(SheetDrawer& d, std::initializer_list<const ProblemBlock*> blocks);
// 11 points; "10" starts 1 mm further left so that it ends where the single digits do.
void DrawRowLabels(SheetDrawer& d, const ProblemBlock& block);

}  // namespace tamariko
