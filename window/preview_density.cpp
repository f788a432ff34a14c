#include "window/preview_density.h"

#include <QWidget>
#include <algorithm>

#include "platform/qpainter_canvas.h"
#include "window/preview_zoom.h"
#include "window/timage.h"

namespace tamariko {
namespace {

// A page drawn at `density`. Qt paints at no less than one device pixel to a pixel, so a
// page smaller than that (a zoom below 100% on a screen of ratio 1) is drawn at 1 and
// made smaller smoothly: every thin rule stays, greyed, rather than dropped or doubled.
QImage DrawAt(const TWorkbook::PreviewDraw& draw, const PageMapping& mapping, qreal density) {
  if (density >= 1) return DrawPreviewImage(draw, mapping, density);
  const QImage whole = DrawPreviewImage(draw, mapping, 1);
  const QSize size = MakePreviewImage(density).size();
  QImage page = whole.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  page.setDevicePixelRatio(density);
  return page;
}

}  // namespace

qreal TPreviewPages::Ratio() const { return window_->devicePixelRatioF(); }

TPreviewPages::Shown& TPreviewPages::Entry(TImage* image) {
  const auto it = std::find_if(shown_.begin(), shown_.end(),
                               [image](const Shown& s) { return s.image == image; });
  if (it != shown_.end()) return *it;
  return shown_.emplace_back(Shown{image, {}, {}, 0});
}

void TPreviewPages::Show(TImage* image, const QString& key, const PageMapping& mapping,
                         const TWorkbook::PreviewDraw& draw) {
  const qreal density = Density();
  image->SetPicture(DrawAt(draw, mapping, density));
  image->ShowAsSheet(PageInPreview(mapping));
  Entry(image) = Shown{image, key, mapping, density};
}

void TPreviewPages::Clear(TImage* image) {
  image->SetPicture(QImage());
  std::erase_if(shown_, [image](const Shown& s) { return s.image == image; });
}

void TPreviewPages::Follow(TWorkbook& book) {
  const qreal density = Density();
  for (Shown& shown : shown_) {
    if (shown.density == density) continue;
    const std::optional<SheetRef> sheet = book.SheetNamed(shown.key);
    if (!sheet) continue;
    shown.image->SetPicture(
        DrawAt([&](TCanvas& canvas,
                   const PageMapping& mapping) { book.DrawPreview(*sheet, canvas, mapping); },
               shown.mapping, density));
    shown.density = density;
  }
}

}  // namespace tamariko
