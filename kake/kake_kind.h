#pragma once

#include "core/problem_kind.h"
#include "kake/kake.h"

namespace tamariko {

// The multiplication set as a kind of one sheet (かけ算).
class TKakeKind : public TOneSheetKind<Tkake> {
 public:
  TKakeKind();
  void DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const override;
  QByteArray Json() const override;
};

}  // namespace tamariko
