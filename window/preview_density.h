#pragma once

#include <QString>
#include <vector>

#include "app/workbook.h"

class QWidget;

namespace tamariko {

class TImage;

// The previews on the main window's tabs, drawn at the density of the screen the window is
// on and of the zoom. A preview is 865 x 1300 device-independent pixels whatever the
// screen: its positions are truncated in those pixels as on a plain preview and the
// painter's ratio transform scales them, so a ratio of 1 gives the same pixels as ever and
// a ratio of 2 draws rules and figures at twice the density instead of enlarging them. A
// zoom of 150% on a screen of ratio 2 draws at 3; a page below 1 is drawn at 1 and made
// smaller smoothly. Each tab keeps the sheet and the mapping it shows, so that on a screen
// of another ratio or at another zoom the previews are drawn again from the sets held: the
// same problems, and the scale of the printer they were made for.
class TPreviewPages {
 public:
  explicit TPreviewPages(const QWidget* window) : window_(window) {}

  // The window's device pixel ratio now.
  qreal Ratio() const;
  // The zoom in percent (100 unless set), and the density the pages are drawn at: the
  // ratio times the zoom.
  void SetZoom(int percent) { zoom_ = percent; }
  int Zoom() const { return zoom_; }
  qreal Density() const { return Ratio() * zoom_ / 100.0; }

  // Draws `draw` on a fresh page at the density and shows it on `image` as the
  // preview of sheet `key`. A drawing that fails leaves the last picture whole.
  void Show(TImage* image, const QString& key, const PageMapping& mapping,
            const TWorkbook::PreviewDraw& draw);

  // Takes the picture off `image`, as before any preview was shown there.
  void Clear(TImage* image);
  // Forgets every preview shown: their pictures are going away.
  void Forget() { shown_.clear(); }

  // Draws every preview shown so far again from the sets of `book`, at the density, when
  // that is not the density it was drawn at.
  void Follow(TWorkbook& book);

 private:
  struct Shown {
    TImage* image;
    QString key;
    PageMapping mapping;
    qreal density;
  };
  Shown& Entry(TImage* image);

  const QWidget* window_;
  std::vector<Shown> shown_;
  int zoom_ = 100;
};

}  // namespace tamariko
