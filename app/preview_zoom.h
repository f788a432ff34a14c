#pragma once

#include <QSize>
#include <QString>
#include <optional>

namespace tamariko {

// How large the previews are shown: the whole page in the box (全体), the page's width in
// the box (幅に合わせる), or a percentage of the preview's own size (100% is 865 x 1300
// pixels of the window). The window draws the pages at the density of that size.
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

// The size a preview is shown at, in the window's pixels.
QSize PreviewSizeAt(int percent);

}  // namespace tamariko
