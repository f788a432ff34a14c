#pragma once

#include "core/problem_kind.h"
#include "mitori1_1/mitori1_1.h"

namespace tamariko {

// The mental addition set as a kind of one sheet (みとり暗算).
class TMentalKind : public TOneSheetKind<TMitori1_1> {
 public:
  TMentalKind();
  void DrawPreview(int sheet, TCanvas& image, const PageMapping& mapping) const override;
  QByteArray Json() const override;
};

}  // namespace tamariko
