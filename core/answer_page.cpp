#include "core/answer_page.h"

#include <string>

#include "core/error.h"

namespace tamariko {

TAnswerPage::TAnswerPage(int columns, int rows, std::vector<AnswerRun> runs)
    : columns_(columns), rows_(rows), runs_(std::move(runs)) {
  for (const AnswerRun& run : runs_) {
    if (run.column < 0 || run.column >= columns_ || run.firstRow < 0 || run.count < 0 ||
        run.firstRow + run.count > rows_) {
      throw Error("解答欄に収まりません (" + run.heading.toStdString() + ": column " +
                  std::to_string(run.column) + ", rows " + std::to_string(run.firstRow + 1) +
                  " to " + std::to_string(run.firstRow + run.count) + " of " +
                  std::to_string(rows_) + ")");
    }
  }
  cells_.resize(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_));
}

void TAnswerPage::TakeAnswers(int index, const TProblemKind& kind) {
  for (const AnswerRun& run : runs_) {
    if (run.kind != index) continue;
    for (int i = 0; i < run.count; ++i) {
      Put(run.column, run.firstRow + i, kind.Answer(run.firstAnswer + i));
    }
  }
}

void TAnswerPage::ForgetAnswers() { cells_.assign(cells_.size(), std::nullopt); }

const AnswerRun* TAnswerPage::RunAt(int column, int row) const {
  for (const AnswerRun& run : runs_) {
    if (run.column == column && run.firstRow <= row && row < run.firstRow + run.count) return &run;
  }
  return nullptr;
}

}  // namespace tamariko
