#include "window/form3.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include "window/design.h"

namespace tamariko {

TForm3::TForm3(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setupUi(this);
  ApplyDesign(this);
  CenterOnScreen(this);
}

void TForm3::ShowPainted(int exposeWaitMs) {
  show();
  // Under a window manager the window appears when the manager maps it, and whatever is
  // painted before that is lost: the pause that follows would show the desktop. Wait for
  // the window system to expose it, letting no user input through.
  QWindow* window = windowHandle();
  if (window && !window->isExposed()) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, &loop, [&] {
      if (window->isExposed() || clock.elapsed() >= exposeWaitMs) loop.quit();
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  repaint();
  // The paint requests reach the display server before the GUI thread stops.
  QGuiApplication::sync();
}

}  // namespace tamariko
