#pragma once

namespace tamariko {

class TCanvas;
struct PageMapping;
class TMitori1_1;

// The preview as MakeSheet leaves it, drawn from the rows the set already holds.
void DrawMentalPreview(const TMitori1_1& set, TCanvas& image, const PageMapping& mapping);

}  // namespace tamariko
