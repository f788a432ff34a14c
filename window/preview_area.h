#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "window/preview_density.h"
#include "window/preview_zoom.h"

class QCheckBox;
class QFrame;
class QLabel;
class QScrollArea;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace tamariko {

class TImage;
struct TPaper;

// The previews of the main window: a tab per sheet of the paper, the zoom (the controls at
// the right of the status line, Ctrl++, Ctrl+-, Ctrl+0 and Ctrl+wheel), press-and-hold
// scrolling with its four-arrow marker, and the wheel.
class TPreviewArea : public QObject {
 public:
  // The window's widgets the area works with; the zoom controls go on `statusLine`.
  struct Parts {
    QWidget* window;
    QTabWidget* tabs;
    QFrame* marker;       // the four arrows shown where a press started the scrolling
    TImage* markerImage;  // a press on it stops the scrolling
    QStatusBar* statusLine;
  };
  // `redraw` draws the previews shown again at the density in force (after a zoom);
  // `answersTicked` runs when 「答えを表示」 on an answer page's tab is ticked or cleared.
  TPreviewArea(const Parts& parts, std::function<void()> redraw,
               std::function<void(bool)> answersTicked);

  // The tabs of `paper`'s sheets, answer pages last with 「答えを表示」 ticked as `answers`;
  // the window opens on the first sheet the paper ticks at first.
  void BuildTabs(const TPaper& paper, bool answers);
  // Takes every tab away, the scrolling stopped.
  void RemoveTabs();

  // The preview and the 「答えを表示」 box of the sheet `key`; null for none.
  TImage* Preview(const QString& key) const;
  QCheckBox* AnswersBox(const QString& key) const;
  // Every 「答えを表示」 box ticked as `shown`, without running `answersTicked`.
  void TickAnswers(bool shown);
  // The pictures on the tabs and the density they are drawn at.
  TPreviewPages& Pages() { return Previews; }

  // The zoom: the choice (全体, 幅に合わせる or a percentage) and the percentage in force. A
  // new choice resizes the previews at once, keeping the point at `anchor` of the scroll
  // box's viewport (its middle when none) in place, and draws them again at the new density
  // right after.
  void SetZoom(const PreviewZoom& zoom, std::optional<QPoint> anchor = std::nullopt);
  const PreviewZoom& ZoomChoice() const { return Zoom; }
  int ZoomPercent() const { return Previews.Zoom(); }
  void ZoomIn(std::optional<QPoint> anchor = std::nullopt);
  void ZoomOut(std::optional<QPoint> anchor = std::nullopt);
  QLabel* ZoomLabel = nullptr;
  QToolButton* ZoomPageButton = nullptr;
  QToolButton* ZoomWidthButton = nullptr;
  QToolButton* ZoomActualButton = nullptr;

  // Press-and-hold scrolling: a press on a preview starts it at the pointer, each tick of
  // the timer moves the page toward the pointer, a second press or a tab change stops it.
  void StartScroll();
  void ScrollTick();
  void ScrollStep(QScrollArea* box);
  void StopScroll();
  QTimer* ScrollTimer = nullptr;
  int AnchorX = 0;
  int AnchorY = 0;
  bool Scrolling = false;
  int PressCount = 0;
  QFrame* Marker() const { return Parts_.marker; }
  TImage* MarkerImage() const { return Parts_.markerImage; }
  // One notch of the wheel down or up on the tab on top.
  void WheelDown();
  void WheelUp();
  // The scroll box of the tab on top.
  QScrollArea* ActiveScrollBox() const;
  // Where the pointer is on the screen; the real cursor when empty.
  std::function<QPoint()> PointerPosition;

 private:
  class WheelFilter;
  class ZoomFilter;
  void BuildZoomControls();
  // The zoom in force for the scroll boxes' size now; the previews drawn again after
  // `redrawDelay` milliseconds (a resize waits for the size to settle).
  void ApplyZoom(std::optional<QPoint> anchor, int redrawDelay);
  // Ctrl+wheel: one zoom step a notch, about the point under the pointer.
  void ZoomWheel(int angleDelta, QPoint global);
  // Turns the wheel by angleDelta eighths of a degree, up when positive.
  void MouseWheel(int angleDelta);
  QPoint Pointer() const;

  struct SheetView {
    QString key;
    QWidget* tab;
    QScrollArea* box;
    TImage* image;
    QCheckBox* answers;  // 「答えを表示」 on an answer page's tab; null on the others
  };

  Parts Parts_;
  std::function<void()> Redraw;
  std::function<void(bool)> AnswersTicked;
  std::vector<SheetView> Views;
  TPreviewPages Previews;
  PreviewZoom Zoom;
  QTimer* RedrawTimer = nullptr;
  QObject* ZoomWatch = nullptr;  // refits the page when a scroll box changes size
  int WheelAngle = 0;            // wheel turn not yet worth a whole notch, in eighths of a degree
  int ZoomAngle = 0;             // the same for Ctrl+wheel
};

}  // namespace tamariko
