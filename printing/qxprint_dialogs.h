#pragma once

#include <QString>
#include <functional>

class QObject;

namespace tamariko {

class TQxPrinter;

// What the print and printer set-up dialogs show and give back.
struct PrinterChoice {
  QString printer;
  int paper = 0;  // paper number; 256 with the two sizes below
  int paperLengthTenthMm = 0;
  int paperWidthTenthMm = 0;
  int bin = 0;  // the tray (the device mode's default source); 0 for the printer's choice
  // The B4 page fitted to the paper, or printed at actual size. The sheets are portrait:
  // turned onto landscape paper they would print just as they do upright, so they always
  // go out upright.
  bool fit = true;
  int copies = 1;
  // The built-in PDF printer's folder; empty to leave it as it is.
  QString pdfFolder;
};

// The print and printer set-up dialogs (the program's own, printing/printer_setup_form.h).
// A confirmed dialog selects the chosen printer with its paper, tray and copies (upright)
// on the framework printer, puts fit or actual size in force, then makes the printer object forget
// its settings and read the capabilities again (ResetPrinter). A cancelled one changes nothing.
class TQxPrinterSetupDialog {
 public:
  // The modal dialog itself; tests put a function in its place that edits the choice and
  // answers. Returns true for OK.
  using Runner = std::function<bool(PrinterChoice& choice)>;

  explicit TQxPrinterSetupDialog(QObject* parent = nullptr) : parent_(parent) {}
  virtual ~TQxPrinterSetupDialog() = default;

  bool Execute();
  // Replaces the modal dialog of every set-up and print dialog until reset with {}.
  static void SetRunner(Runner runner);

 protected:
  virtual bool RunDialog(PrinterChoice& choice);
  QObject* parent_;
};

class TQxPrintDialog : public TQxPrinterSetupDialog {
 public:
  using TQxPrinterSetupDialog::TQxPrinterSetupDialog;
};

// The printer set-up command of the main window: the dialog, then ResetPrinter whatever it
// returned, so the next drawing uses the printer's resolution and offsets. The start-up
// paper is not applied again.
void RunPrinterSetupCommand(TQxPrinterSetupDialog& dialog);

}  // namespace tamariko
