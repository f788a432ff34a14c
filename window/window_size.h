#pragma once

#include <QByteArray>
#include <QMargins>
#include <QRect>
#include <QSize>

class QTabWidget;
class QWidget;

namespace tamariko {

// The smallest size of a window made of a command panel on top of a tab control (and a
// status line below it, when given) at which every control is whole: the panel with
// everything on it, every tab of the tab row, a strip of preview with its scroll bars and
// the status line.
QSize MinimumWindowSize(const QWidget* panel, const QTabWidget* tabs,
                        const QWidget* status = nullptr);

// Holds `window` to that size at least, as far as its screen's available area allows, and
// has the previews on the tabs stand in the middle of a wider window.
void FitWindow(QWidget* window, const QWidget* panel, QTabWidget* tabs,
               const QWidget* status = nullptr);

// Where a window of client size `size` and frame `frame` (the window manager's border
// around it) goes inside `available`, starting from `wanted` (its client area): as large
// as wanted but no larger than the available area with the frame, no smaller than
// `minimum`, and moved in so that its frame, title bar first, is inside.
QRect FitIntoArea(QRect wanted, QMargins frame, QSize minimum, QRect available);

// Puts a window not yet shown on its screen: where `remembered` (WindowPlace of an earlier
// run) says, size, position and maximised state, on a screen that still exists and inside
// its available area; else, on the first start, at three fifths of the available width and
// nine tenths of its height (the design size where that is larger), in the middle.
void PlaceWindow(QWidget* window, const QByteArray& remembered);
// Moves a shown window (and makes it smaller) when its frame, now that the window
// manager has put one around it, goes past its screen's available area.
void KeepOnScreen(QWidget* window);
// Size, position and state of a window, for PlaceWindow.
QByteArray WindowPlace(const QWidget* window);

}  // namespace tamariko
