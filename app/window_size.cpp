#include "app/window_size.h"

#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

namespace tamariko {
namespace {

constexpr int kMargin = 4;  // between the right-most control and the window's edge
// The least height of preview left visible below the tab row, scroll bars included.
constexpr int kPreviewStrip = 120;

}  // namespace

QSize MinimumWindowSize(const QWidget* panel, const QTabWidget* tabs) {
  int right = 0;
  for (const QWidget* control :
       panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!control->isHidden()) right = std::max(right, control->geometry().right() + 1);
  }
  const QSize row = tabs->tabBar()->sizeHint();
  const int frame = 2 * tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  return {std::max(right + kMargin, row.width() + frame),
          panel->height() + row.height() + kPreviewStrip};
}

void FitWindow(QWidget* window, const QWidget* panel, QTabWidget* tabs) {
  window->setMinimumSize(MinimumWindowSize(panel, tabs));
  for (QScrollArea* box : tabs->findChildren<QScrollArea*>()) {
    box->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  }
}

}  // namespace tamariko
