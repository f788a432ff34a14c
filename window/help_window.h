#pragma once

#include <QString>

class QToolButton;
class QWidget;

namespace tamariko {

// The short guide: making, printing, the "PDF" printer and what each sheet is. Shown
// without blocking the window, one for each parent, raised again when already open.
void ShowGuide(QWidget* parent);

// The version and the licence of the carried font.
void ShowVersionWindow(QWidget* parent);

// The guide's text (Markdown) and the version window's text, for the windows and their tests.
QString GuideText();
QString VersionText();

// A small "ヘルプ" button on `panel`, its right edge at `right` and its top at `top`, whose
// menu opens the guide and the version window.
QToolButton* AddHelpEntry(QWidget* panel, int right, int top);

}  // namespace tamariko
