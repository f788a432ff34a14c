#include "window/window_size.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>

namespace tamariko {
namespace {

constexpr int kMargin = 4;  // between the right-most control and the window's edge
// The least height of preview left visible below the tab row, scroll bars included.
constexpr int kPreviewStrip = 120;

QScreen* ScreenOf(const QWidget* window) {
  return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

// The window manager's frame before it has put one there: a title bar as the style draws
// one and a thin border.
QMargins ExpectedFrame(const QWidget* window) {
  const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  return {2, title + 2, 2, 2};
}

}  // namespace

QSize MinimumWindowSize(const QWidget* panel, const QTabWidget* tabs, const QWidget* status) {
  int right = 0;
  for (const QWidget* control :
       panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!control->isHidden()) right = std::max(right, control->geometry().right() + 1);
  }
  const QSize row = tabs->tabBar()->sizeHint();
  const int frame = 2 * tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  const QSize line = status ? status->minimumSizeHint() : QSize();
  return {std::max({right + kMargin, row.width() + frame, line.width()}),
          panel->height() + row.height() + kPreviewStrip + line.height()};
}

void FitWindow(QWidget* window, const QWidget* panel, QTabWidget* tabs, const QWidget* status) {
  QSize least = MinimumWindowSize(panel, tabs, status);
  if (QScreen* screen = ScreenOf(window)) {
    // On a screen too small for it (a high scale on a small display) the window still
    // fits, and the panel is cut at its right.
    const QSize room = screen->availableGeometry().size().shrunkBy(ExpectedFrame(window));
    least = least.boundedTo(room);
  }
  window->setMinimumSize(least);
  for (QScrollArea* box : tabs->findChildren<QScrollArea*>()) {
    box->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  }
}

QRect FitIntoArea(QRect wanted, QMargins frame, QSize minimum, QRect available) {
  const QSize room = available.size().shrunkBy(frame);
  QRect place(wanted.topLeft(), wanted.size().boundedTo(room).expandedTo(minimum));
  QRect outer = place.marginsAdded(frame);
  // Right and bottom first, so that a window larger than the area keeps its title bar in.
  if (outer.right() > available.right()) outer.moveRight(available.right());
  if (outer.bottom() > available.bottom()) outer.moveBottom(available.bottom());
  if (outer.left() < available.left()) outer.moveLeft(available.left());
  if (outer.top() < available.top()) outer.moveTop(available.top());
  return outer.marginsRemoved(frame);
}

void PlaceWindow(QWidget* window, const QByteArray& remembered) {
  // Qt puts the window back on the screen it was on, or on the primary screen when that
  // one is gone, and keeps it inside the available area.
  if (!remembered.isEmpty() && window->restoreGeometry(remembered)) {
    if (!window->isMaximized() && !window->isFullScreen()) {
      QScreen* screen = ScreenOf(window);
      if (screen) {
        window->setGeometry(FitIntoArea(window->geometry(), ExpectedFrame(window),
                                        window->minimumSize(), screen->availableGeometry()));
      }
    }
    return;
  }
  QScreen* screen = ScreenOf(window);
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  // The first start: a good share of the screen, so that a whole page (全体) can be read;
  // never smaller than the design.
  const QSize share(available.width() * 3 / 5, available.height() * 9 / 10);
  QRect place(QPoint(), window->size().expandedTo(share));
  place.moveCenter(available.center());
  window->setGeometry(FitIntoArea(place, ExpectedFrame(window), window->minimumSize(), available));
}

void KeepOnScreen(QWidget* window) {
  if (window->isMaximized() || window->isFullScreen() || !window->isVisible()) return;
  QScreen* screen = ScreenOf(window);
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  const QRect frame = window->frameGeometry();
  if (available.contains(frame)) return;
  const QRect inner = window->geometry();
  const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                         frame.right() - inner.right(), frame.bottom() - inner.bottom());
  const QRect place = FitIntoArea(inner, margins, window->minimumSize(), available);
  if (place.size() != inner.size()) window->resize(place.size());
  // move() places the frame's corner.
  window->move(place.topLeft() - QPoint(margins.left(), margins.top()));
}

QByteArray WindowPlace(const QWidget* window) { return window->saveGeometry(); }

}  // namespace tamariko
