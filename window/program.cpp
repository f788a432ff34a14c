#include "window/program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QThread>
#include <QTranslator>
#include <optional>
#include <utility>

#include "printing/qxprinters.h"
#include "window/faces_check.h"
#include "window/form1.h"
#include "window/form2.h"
#include "window/form4.h"
#include "window/message_box.h"
#include "window/shutdown_signals.h"

namespace tamariko {

QTranslator* InstallQtJapanese() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
    // The window still works; only Qt's own buttons and menus stay in English.
    qWarning("qtbase_ja.qm not found in %s (qt6-translations-l10n): Qt's texts stay English",
             qPrintable(folder));
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

void BeginWatchingPrinters(int intervalMs) {
  // No box: a silent server shows in 印刷設定 and in the report of a print that it held up.
  WatchPrinterChanges(intervalMs);
}

void CreateForms(const std::function<TForm1*()>& makeMain) {
  Form1 = makeMain ? makeMain() : new TForm1;
  Guarded(Form1, [] { Form1->FormCreate(); });
  TraceStep(QStringLiteral("Form2"));
  Form2 = new TForm2;
  TraceStep(QStringLiteral("Form4"));
  Form4 = new TForm4;
  Form1->Progress = Form2;
  Form1->PrintSelection = Form4;
  Guarded(Form1, [] { Form1->RestoreSettings(); });
}

void DestroyForms() {
  if (Form1) Guarded(nullptr, [] { Form1->SaveSettings(); });
  // Last made, first gone.
  delete Form4;
  Form4 = nullptr;
  delete Form2;
  Form2 = nullptr;
  delete Form1;
  Form1 = nullptr;
}

int RunApplication() {
  TraceStep(QStringLiteral("application"));
  InstallWindowFaces();
  // The first reading of the printers runs during the splash.
  Guarded(nullptr, [] { BeginWatchingPrinters(); });
  CreateForms();
  Form1->show();
  // A signal read during the start-up has already asked for the end.
  const std::optional<int> signalled = SignalledEnd();
  const int status = signalled ? *signalled : QApplication::exec();
  DestroyForms();
  return status;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/tamariko/icon/%1x%1/apps/" TAMARIKO_APP_ID ".png").arg(size),
                 QSize(size, size));
  }
  return icon;
}

int RunProgram(int& argc, char** argv) {
  // Caught from before the carried font is written until after it is removed.
  ShutdownSignals shutdownSignals;
  // The printer object exists before the first window and is freed after the last.
  QxPrintersUnit printers;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("タマリコ"));
  // The window is Japanese throughout, whatever the session's language.
  InstallQtJapanese();
  // The desktop entry's name lets the task bar match the window with the menu entry.
  QApplication::setDesktopFileName(QStringLiteral(TAMARIKO_APP_ID));
  QApplication::setWindowIcon(ProgramIcon());
  shutdownSignals.Watch();
  return RunApplication();
}

}  // namespace tamariko
