#pragma once

// An answer page of a paper: columns of rows that the paper's kinds fill, each through its
// runs (AnswerRun), answer by answer. The headings are known before any answer, so the
// empty page shows them. It generates nothing; a cell no kind of the last run filled stays
// empty, and only filled cells are printed.

#include <QString>
#include <optional>
#include <vector>

#include "core/answer.h"
#include "core/keisan.h"
#include "core/problem_kind.h"

namespace tamariko {

class TAnswerPage : public TKeisan {
 public:
  // `runs`: the runs of the paper's kinds laid out on this page, in the paper's order.
  // Throws when a run leaves the page's `columns` by `rows` cells.
  TAnswerPage(int columns, int rows, std::vector<AnswerRun> runs);

  const std::vector<AnswerRun>& Runs() const { return runs_; }

  // The answers `kind` (the paper's kind `index`) made, into its runs on this page.
  void TakeAnswers(int index, const TProblemKind& kind);
  // Empties every cell: a run that does not make a kind must not print its old answers.
  void ForgetAnswers();
  // Indexes are not checked; callers keep them in range.
  void Put(int column, int row, const TAnswer& answer) { cells_[Index(column, row)] = answer; }
  const std::optional<TAnswer>& At(int column, int row) const { return cells_[Index(column, row)]; }
  // The run that fills a cell; nullptr for none.
  const AnswerRun* RunAt(int column, int row) const;

  // The print job's title: its sheet's (the workbook sets it), the page's own until then.
  void SetJobTitle(const QString& title) { jobTitle_ = title; }
  QString JobTitle(const QString& own) const { return jobTitle_.isEmpty() ? own : jobTitle_; }

  // Whether the preview shows the answers too (the printed page always does). Off for the
  // contest's table, which the preview always showed empty.
  void SetAnswersShown(bool shown) { answersShown_ = shown; }
  bool AnswersShown() const { return answersShown_; }

  // The page on the preview image, with its answers when AnswersShown().
  virtual void DrawSheet(TCanvas& image, const PageMapping& mapping) = 0;
  // The page with the answers it holds, as one print job of one page.
  virtual void PrintSheet(TPrintTarget& printer) = 0;

 private:
  std::size_t Index(int column, int row) const {
    return static_cast<std::size_t>(column) * static_cast<std::size_t>(rows_) +
           static_cast<std::size_t>(row);
  }

  int columns_;
  int rows_;
  std::vector<AnswerRun> runs_;
  std::vector<std::optional<TAnswer>> cells_;
  bool answersShown_ = false;
  QString jobTitle_;
};

}  // namespace tamariko
