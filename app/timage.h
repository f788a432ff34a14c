#pragma once

#include <QIcon>
#include <QImage>
#include <QLabel>

class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

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
  QImage Picture_;
  QIcon File_;
  bool Pressed = false;
};

}  // namespace tamariko
