#include "app/preview_density.h"

#include <QWidget>
#include <algorithm>

#include "app/timage.h"

namespace tamariko {

qreal TPreviewPages::Ratio() const { return window_->devicePixelRatioF(); }

TPreviewPages::Shown& TPreviewPages::Entry(TImage* image) {
  const auto it = std::find_if(shown_.begin(), shown_.end(),
                               [image](const Shown& s) { return s.image == image; });
  if (it != shown_.end()) return *it;
  return shown_.emplace_back(Shown{image, {}, {}, 0});
}

void TPreviewPages::Show(TImage* image, const QString& key, const PageMapping& mapping,
                         const TWorkbook::PreviewDraw& draw) {
  const qreal ratio = Ratio();
  image->SetPicture(DrawPreviewImage(draw, mapping, ratio));
  Entry(image) = Shown{image, key, mapping, ratio};
}

void TPreviewPages::Clear(TImage* image) {
  image->SetPicture(QImage());
  std::erase_if(shown_, [image](const Shown& s) { return s.image == image; });
}

void TPreviewPages::Follow(TWorkbook& book) {
  const qreal ratio = Ratio();
  for (Shown& shown : shown_) {
    if (shown.ratio == ratio) continue;
    const std::optional<SheetRef> sheet = book.SheetNamed(shown.key);
    if (!sheet) continue;
    shown.image->SetPicture(DrawPreviewImage(
        [&](TCanvas& canvas, const PageMapping& mapping) {
          book.DrawPreview(*sheet, canvas, mapping);
        },
        shown.mapping, ratio));
    shown.ratio = ratio;
  }
}

}  // namespace tamariko
