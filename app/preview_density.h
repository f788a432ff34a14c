#pragma once

#include <QString>
#include <vector>

#include "app/workbook.h"

class QWidget;

namespace tamariko {

class TImage;

// The previews on the main window's tabs, drawn at the density of the screen the window is
// on. A preview is 865 x 1300 device-independent pixels whatever the screen: its positions
// are truncated in those pixels as on a plain preview and the painter's ratio transform
// scales them, so a ratio of 1 gives the same pixels as ever and a ratio of 2 draws rules
// and figures at twice the density instead of enlarging them. Each tab keeps the sheet and
// the mapping it shows, so that on a screen of another ratio the previews are drawn again
// from the sets held: the same problems, and the scale of the printer they were made for.
class TPreviewPages {
 public:
  explicit TPreviewPages(const QWidget* window) : window_(window) {}

  // The window's device pixel ratio now.
  qreal Ratio() const;

  // Draws `draw` on a fresh page at the window's ratio and shows it on `image` as the
  // preview of sheet `key`. A drawing that fails leaves the last picture whole.
  void Show(TImage* image, const QString& key, const PageMapping& mapping,
            const TWorkbook::PreviewDraw& draw);

  // Takes the picture off `image`, as before any preview was shown there.
  void Clear(TImage* image);

  // Draws every preview shown so far again from the sets of `book`, at the window's ratio,
  // when that is not the ratio it was drawn at.
  void Follow(TWorkbook& book);

 private:
  struct Shown {
    TImage* image;
    QString key;
    PageMapping mapping;
    qreal ratio;
  };
  Shown& Entry(TImage* image);

  const QWidget* window_;
  std::vector<Shown> shown_;
};

}  // namespace tamariko
