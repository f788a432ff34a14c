#pragma once

// An exam-practice paper as one kind of a paper (core/paper.h): its problem pages are the
// kind's sheets, its answers fill the paper's answer page through their runs, one column a
// section. The answer page draws them as the exam's answer page does.

#include <memory>
#include <vector>

#include "core/answer_page.h"
#include "core/paper.h"
#include "core/problem_kind.h"
#include "kentei/exam_paper.h"

namespace tamariko {

class TExamKind : public TProblemKind {
 public:
  explicit TExamKind(const TExamGrade& grade);

  const TExamPaper& Paper() const { return paper_; }

  // omote (and ura where the paper has two pages), tabs from 1.
  const std::vector<SheetInfo>& Sheets() const override { return sheets_; }
  TKeisan& Set() override { return paper_; }
  void Make(const ShowPreview& show) override;
  void PrintSheet(int sheet, TPrintTarget& printer) override;
  void DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const override;
  std::vector<AnswerRun> AnswerRuns() const override;
  int AnswerCount() const override;
  TAnswer Answer(int index) const override;
  // "\"exam\": KEY" and the subjects the paper has.
  QByteArray Json() const override;

 private:
  TExamPaper paper_;
  std::vector<SheetInfo> sheets_;
};

// The pages after the problem pages, keys kaitou, kaitou2, ...: one column a section, each
// section's answers from its first problem down. They take no other kind's answers.
std::vector<AnswerPageEntry> ExamAnswerPages(const TExamGrade& grade);

}  // namespace tamariko
