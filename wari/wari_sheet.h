#pragma once

namespace tamariko {

class TCanvas;
struct PageMapping;
class Twari;

// The preview as MakeSheet leaves it, drawn from the problems the set already holds.
void DrawDivisionPreview(const Twari& set, TCanvas& image, const PageMapping& mapping);

}  // namespace tamariko
