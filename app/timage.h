#pragma once

#include <QImage>
#include <QLabel>

class QMouseEvent;

namespace tamariko {

// A picture that answers the mouse: the picture buttons of the main window and the sheet
// previews. A click is a press and a release of the left button over the picture.
class TImage : public QLabel {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return Picture_; }

  // Acts as if the user clicked, with the same checks: nothing happens while disabled.
  void Click();

 signals:
  void clicked();
  void mouseDown(QMouseEvent* event);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage Picture_;
  bool Pressed = false;
};

}  // namespace tamariko
