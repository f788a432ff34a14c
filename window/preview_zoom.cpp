#include "window/preview_zoom.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tamariko {
namespace {

constexpr std::array kSteps = {20, 25, 33, 50, 67, 75, 90, 100, 110, 125, 150, 175, 200};
static_assert(kSteps.front() == PreviewZoom::kLeast && kSteps.back() == PreviewZoom::kMost);

int Bounded(int percent) { return std::clamp(percent, PreviewZoom::kLeast, PreviewZoom::kMost); }

// The largest whole percentage at which `page` pixels fit in `room`.
int Fitting(int room, int page) { return static_cast<int>(std::floor(100.0 * room / page)); }

// The page with its surround at 100%: what the fits fit.
constexpr int kWide = kSheetWidth + 2 * kSurround;
constexpr int kHigh = kSheetHeight + 2 * kSurround;

}  // namespace

QSize PreviewSizeAt(int percent) {
  const auto at = [percent](int size) {
    return static_cast<int>(std::ceil((size + 2 * kSurround) * percent / 100.0));
  };
  return {at(kSheetWidth), at(kSheetHeight)};
}

QRectF PageInPreview(const PageMapping& mapping) {
  return QRectF(-static_cast<qreal>(mapping.ShiftX), -static_cast<qreal>(mapping.ShiftY),
                static_cast<qreal>(kPageWidthMm * mapping.ScaleX),
                static_cast<qreal>(kPageHeightMm * mapping.ScaleY));
}

int PreviewZoom::PercentIn(QSize box, int bar) const {
  switch (fit) {
    case Fit::Page:
      return Bounded(std::min(Fitting(box.width(), kWide), Fitting(box.height(), kHigh)));
    case Fit::Width: {
      const int whole = Fitting(box.width(), kWide);
      // A page taller than the box brings the vertical scroll bar, which takes its width.
      if (PreviewSizeAt(whole).height() <= box.height()) return Bounded(whole);
      return Bounded(Fitting(box.width() - bar, kWide));
    }
    case Fit::None:
      break;
  }
  return Bounded(percent);
}

PreviewZoom PreviewZoom::In(int now) {
  const auto next = std::upper_bound(kSteps.begin(), kSteps.end(), now);
  return {Fit::None, next == kSteps.end() ? kMost : *next};
}

PreviewZoom PreviewZoom::Out(int now) {
  const auto next = std::lower_bound(kSteps.begin(), kSteps.end(), now);
  return {Fit::None, next == kSteps.begin() ? kLeast : *(next - 1)};
}

QString PreviewZoom::ToText() const {
  switch (fit) {
    case Fit::Page:
      return QStringLiteral("page");
    case Fit::Width:
      return QStringLiteral("width");
    case Fit::None:
      break;
  }
  return QString::number(percent);
}

std::optional<PreviewZoom> PreviewZoom::FromText(const QString& text) {
  if (text == QLatin1String("page")) return PreviewZoom{Fit::Page, 100};
  if (text == QLatin1String("width")) return PreviewZoom{Fit::Width, 100};
  bool number = false;
  const int percent = text.toInt(&number);
  if (!number || percent != Bounded(percent)) return std::nullopt;
  return PreviewZoom{Fit::None, percent};
}

}  // namespace tamariko
