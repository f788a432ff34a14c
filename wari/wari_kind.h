#pragma once

#include "core/problem_kind.h"
#include "wari/wari.h"

namespace tamariko {

// The division set as a kind of one sheet (わり算).
class TWariKind : public TOneSheetKind<Twari> {
 public:
  TWariKind();
  void DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const override;
  QByteArray Json() const override;
};

}  // namespace tamariko
