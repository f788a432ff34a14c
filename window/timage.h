#pragma once

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QRectF>

class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;

namespace tamariko {

// A picture that answers the mouse: the picture buttons of the main window and the sheet
// previews. A click is a press and a release of the left button over the picture.
class TImage : public QLabel {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  // Shows `picture` filling the picture's whole size (a preview drawn at the density of its
  // zoom, or stretched until it is drawn again at a new size).
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return Picture_; }
  // Shows the picture as a sheet of paper: its part `page` (in the picture's own pixels,
  // reaching past it where the page does) as a white sheet with its edge, on a grey
  // surround of kSurround pixels at 100%. The picture's size no longer sets the scale: the
  // page fills the widget but for the surround.
  void ShowAsSheet(const QRectF& page);

  // Shows the carried picture file `path` or its double-density twin (name@2x.png),
  // whichever suits the screen. Given the focus, such a picture is a button: it shows a
  // focus frame, and Space or Enter clicks it.
  void SetPictureFile(const QString& path);

  // Acts as if the user clicked, with the same checks: nothing happens while disabled.
  void Click();

 signals:
  void clicked();
  void mouseDown(QMouseEvent* event);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintSheet(QPainter& painter);
  QImage Picture_;
  QIcon File_;
  QRectF Page_;  // empty: the picture fills the widget
  bool Pressed = false;
};

}  // namespace tamariko
