#pragma once

#include "core/problem_kind.h"
#include "mitori/mitori.h"

namespace tamariko {

// The abacus addition set as a kind of two sheets (みとり算 表 and 裏): ticking either makes
// the whole set and draws both previews.
class TAbacusKind : public TProblemKind {
 public:
  const std::vector<SheetInfo>& Sheets() const override;
  TKeisan& Set() override { return set_; }
  const TMitori& Problems() const { return set_; }

  void Make(const ShowPreview& show) override;
  void PrintSheet(int sheet, TPrintTarget& printer) override;
  void DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const override;

  std::vector<AnswerRun> AnswerRuns() const override;
  int AnswerCount() const override { return TMitori::kProblemCount; }
  TAnswer Answer(int index) const override { return TAnswer::Whole(set_.GetAnswer(index)); }
  QByteArray Json() const override;

 private:
  TMitori set_;
};

}  // namespace tamariko
