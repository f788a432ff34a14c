#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>

#include "core/page_mapping.h"

namespace tamariko {

// How large the previews are shown: the whole page in the box (全体), the page's width in
// the box (幅に合わせる), or a percentage of the page at the preview's density (100% is the
// B4 page at 75 dpi, kSheetWidth x kSheetHeight pixels of the window, in its grey surround).
// The window draws the pages at the density of that size.
struct PreviewZoom {
  enum class Fit { None, Page, Width };
  Fit fit = Fit::None;
  int percent = 100;  // with Fit::None

  static constexpr int kLeast = 20;
  static constexpr int kMost = 200;

  // The percentage in force for a box of `box` pixels (its viewport without scroll bars),
  // whose scroll bars take `bar` pixels.
  int PercentIn(QSize box, int bar) const;
  // One step larger or smaller than `now` (the percentage in force), as Ctrl++ and Ctrl+-
  // and one notch of Ctrl+wheel go.
  static PreviewZoom In(int now);
  static PreviewZoom Out(int now);

  // As the settings keep it: "page", "width" or the percentage; nothing for anything else
  // (a percentage out of range too).
  QString ToText() const;
  static std::optional<PreviewZoom> FromText(const QString& text);

  bool operator==(const PreviewZoom&) const = default;
};

// The B4 page at the preview's density (PreviewMapping of a printer at 300 dpi: 75 dpi),
// and the grey shown around it, in the window's pixels at 100%.
inline constexpr int kSheetWidth = 759;
inline constexpr int kSheetHeight = 1075;
inline constexpr int kSurround = 12;

// The size a preview is shown at, the page and its surround, in the window's pixels.
QSize PreviewSizeAt(int percent);

// Where the page (0, 0)–(257, 364) mm lies in a preview drawn with `mapping`, in the
// preview's own pixels: it starts left of and above the bitmap by the mapping's shift.
QRectF PageInPreview(const PageMapping& mapping);

}  // namespace tamariko
