#pragma once

#include <QIcon>
#include <QString>
#include <functional>

#include "window/startup.h"

class QTranslator;
class QWidget;

namespace tamariko {

class TForm1;
class TForm2;
class TForm4;

// The windows made at program start, reachable from everywhere as in the design.
inline TForm1* Form1 = nullptr;
inline TForm2* Form2 = nullptr;
inline TForm4* Form4 = nullptr;

// Puts Qt's Japanese translation in force for its own texts (standard buttons, edit menus,
// file dialogs), whatever the session's language; nullptr when the file is missing. Only
// for the window: the batch mode's messages stay in both languages.
QTranslator* InstallQtJapanese();

// Starts reading the printers now and again every interval.
void BeginWatchingPrinters(int intervalMs = 5000);

// Makes the main window (its FormCreate runs, and a failure there is reported and ends
// only FormCreate), then the progress and print selection windows. makeMain stands in for
// the main window's construction in tests.
void CreateForms(const std::function<TForm1*()>& makeMain = {});
// Destroys the windows; the main window's FormDestroy runs.
void DestroyForms();

// Everything after the application object exists: face substitutions, the windows, the
// message loop until the main window closes, and the shut-down.
int RunApplication();

// The abacus icon at every size the desktop is given, carried in the executable so that a
// program run from its build tree shows it too.
QIcon ProgramIcon();

// The whole program.
int RunProgram(int& argc, char** argv);

}  // namespace tamariko
