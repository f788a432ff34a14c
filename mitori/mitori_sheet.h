#pragma once

#include "mitori/mitori.h"

namespace tamariko {

class TCanvas;
struct PageMapping;

// One side's preview as MakeSheets leaves it, drawn from the rows the set already holds.
void DrawAbacusPreview(const TMitori& set, TMitori::Side side, TCanvas& image,
                       const PageMapping& mapping);

}  // namespace tamariko
