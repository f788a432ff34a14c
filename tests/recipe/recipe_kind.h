#pragma once

// A kind of the tests' own, added to the contest paper as the README's recipe adds one:
// three answers (a decimal, a negative yen amount and a drawn whole number) on one sheet.

#include "core/problem_kind.h"

namespace tamariko {

class TRecipeKind : public TProblemKind {
 public:
  const std::vector<SheetInfo>& Sheets() const override;
  TKeisan& Set() override { return set_; }
  void Make(const ShowPreview& show) override;
  void PrintSheet(int sheet, TPrintTarget& printer) override;
  void DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const override;
  std::vector<AnswerRun> AnswerRuns() const override;
  int AnswerCount() const override { return 3; }
  TAnswer Answer(int index) const override;
  QByteArray Json() const override;

 private:
  TKeisan set_;
  int drawn_ = 0;
};

}  // namespace tamariko
