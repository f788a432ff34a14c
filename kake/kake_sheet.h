#pragma once

namespace tamariko {

class TCanvas;
struct PageMapping;
class Tkake;

// The preview as MakeSheet leaves it, drawn from the problems the set already holds.
void DrawMultiplicationPreview(const Tkake& set, TCanvas& image, const PageMapping& mapping);

}  // namespace tamariko
