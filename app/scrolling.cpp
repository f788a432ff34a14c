// Press-and-hold scrolling and the mouse wheel on the sheet previews of the main window.

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>

#include "app/form1.h"
#include "app/timage.h"

namespace tamariko {
namespace {

constexpr int kStep = 8;            // pixels per timer tick and per wheel notch
constexpr int kSlowInterval = 200;  // milliseconds
constexpr int kMediumInterval = 100;
constexpr int kFastInterval = 10;
constexpr int kNotch = 120;  // one notch of an ordinary mouse wheel, in eighths of a degree

void ScrollBy(QScrollBar* bar, int pixels) {
  // The scroll bar keeps the value within its range.
  bar->setValue(bar->value() + pixels);
}

void SetInterval(QTimer* timer, int milliseconds) {
  // Setting a running timer restarts it: leave it alone when nothing changes.
  if (timer->interval() != milliseconds) timer->setInterval(milliseconds);
}

}  // namespace

// Sees every wheel event meant for a widget of the main window before that widget does, so
// that the scroll boxes and the tab bar do not scroll by steps of their own.
class TForm1::WheelFilter : public QObject {
 public:
  explicit WheelFilter(TForm1* form) : QObject(form), Form(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != Form) return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    // A sideways tilt is no turn up or down: the widget under the pointer deals with it.
    if (wheel->angleDelta().y() == 0 && wheel->pixelDelta().y() == 0) return false;
    // With Ctrl held the wheel zooms the previews (zooming.cpp).
    if (wheel->modifiers() & Qt::ControlModifier) {
      Form->ZoomWheel(wheel->angleDelta().y(), wheel->globalPosition().toPoint());
    } else {
      Form->MouseWheel(wheel->angleDelta().y());
    }
    wheel->accept();
    return true;
  }

 private:
  TForm1* Form;
};

void TForm1::ConnectScrolling() {
  // (Each preview starts the scrolling as its tab is built.)
  connect(Image10, &TImage::mouseDown, this, [this] { Image10MouseDown(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
  qApp->installEventFilter(new WheelFilter(this));
}

QPoint TForm1::Pointer() const { return PointerPosition ? PointerPosition() : QCursor::pos(); }

QScrollArea* TForm1::ActiveScrollBox() const {
  for (const SheetView& view : Views) {
    if (PageControl1->currentWidget() == view.tab) return view.box;
  }
  return nullptr;
}

void TForm1::Image10MouseDown() { StopScroll(); }
void TForm1::PageControl1Change() { StopScroll(); }

void TForm1::Timer1Timer() {
  if (QScrollArea* box = ActiveScrollBox()) ScrollStep(box);
}

void TForm1::StartScroll() {
  const QPoint pointer = Pointer();
  AnchorX = pointer.x();
  AnchorY = pointer.y();
  Scrolling = true;
  // Measured from the window's outer corner, frame included, so the arrows sit by the
  // pointer.
  const QRect frame = frameGeometry();
  Panel3->move(AnchorX - frame.left() - 20, AnchorY - frame.top() - 33);
  // A second press keeps the tick schedule: the stop comes at the tick already due.
  if (!Timer1->isActive()) Timer1->start();
  ++PressCount;
  Panel3->raise();
  Panel3->show();
}

void TForm1::ScrollStep(QScrollArea* box) {
  if (!Scrolling || PressCount != 1) {
    StopScroll();
    return;
  }
  // One axis at a time, the pointer read again before every test: the last threshold
  // passed sets the pace, vertical after horizontal.
  auto axis = [this](QScrollBar* bar, int anchor, auto coordinate) {
    if (coordinate(Pointer()) > anchor) {
      ScrollBy(bar, kStep);
      if (coordinate(Pointer()) - anchor > 25) SetInterval(Timer1, kSlowInterval);
      if (coordinate(Pointer()) - anchor > 50) SetInterval(Timer1, kMediumInterval);
      if (coordinate(Pointer()) - anchor > 75) SetInterval(Timer1, kFastInterval);
    }
    if (coordinate(Pointer()) < anchor) {
      ScrollBy(bar, -kStep);
      if (coordinate(Pointer()) - anchor < -25) SetInterval(Timer1, kSlowInterval);
      if (coordinate(Pointer()) - anchor < -50) SetInterval(Timer1, kMediumInterval);
      if (coordinate(Pointer()) - anchor < -75) SetInterval(Timer1, kFastInterval);
    }
  };
  axis(box->horizontalScrollBar(), AnchorX, [](QPoint p) { return p.x(); });
  axis(box->verticalScrollBar(), AnchorY, [](QPoint p) { return p.y(); });
}

void TForm1::StopScroll() {
  Timer1->setInterval(kSlowInterval);
  Timer1->stop();
  PressCount = 0;
  Scrolling = false;
  Panel3->hide();
}

// A wheel event here is one notch of the wheel. Qt may bring several notches in one event
// when the wheel spins fast, and fine-grained wheels and touchpads bring parts of a notch:
// every whole notch counts as one event, parts are kept until they make up a notch, and a
// turn the other way drops what was kept.
void TForm1::MouseWheel(int angleDelta) {
  if ((WheelAngle > 0 && angleDelta < 0) || (WheelAngle < 0 && angleDelta > 0)) WheelAngle = 0;
  WheelAngle += angleDelta;
  bool handled = false;
  while (WheelAngle >= kNotch) {
    WheelAngle -= kNotch;
    FormMouseWheelUp(handled);
  }
  while (WheelAngle <= -kNotch) {
    WheelAngle += kNotch;
    FormMouseWheelDown(handled);
  }
}

void TForm1::FormMouseWheelDown(bool& handled) {
  if (QScrollArea* box = ActiveScrollBox()) ScrollBy(box->verticalScrollBar(), kStep);
  handled = true;
}

void TForm1::FormMouseWheelUp(bool& handled) {
  if (QScrollArea* box = ActiveScrollBox()) ScrollBy(box->verticalScrollBar(), -kStep);
  handled = true;
}

}  // namespace tamariko
