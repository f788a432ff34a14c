#pragma once

#include <QSize>

class QTabWidget;
class QWidget;

namespace tamariko {

// The smallest size of a window made of a command panel on top of a tab control at which
// every control is whole: the panel with everything on it, every tab of the tab row, and a
// strip of preview with its scroll bars.
QSize MinimumWindowSize(const QWidget* panel, const QTabWidget* tabs);

// Holds `window` to that size at least, and has the previews on the tabs, which keep their
// size, stand in the middle of a wider window.
void FitWindow(QWidget* window, const QWidget* panel, QTabWidget* tabs);

}  // namespace tamariko
