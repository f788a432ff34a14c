#pragma once

#include <QString>
#include <functional>

#include "printing/printer_choice.h"

class QObject;

namespace tamariko {

class TQxPrinter;

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

  // A line the dialog shows the next time it opens, and then no more.
  void SetNoticeOnce(const QString& text) { notice_ = text; }
  const QString& NoticeOnce() const { return notice_; }

 protected:
  virtual bool RunDialog(PrinterChoice& choice);
  QObject* parent_;
  QString notice_;
};

class TQxPrintDialog : public TQxPrinterSetupDialog {
 public:
  using TQxPrinterSetupDialog::TQxPrinterSetupDialog;
};

// The printer in force with its paper, tray, orientation and copies, as the dialogs show it.
PrinterChoice CurrentChoice(TQxPrinter& printer);

// The printer set-up command of the main window: the dialog, then ResetPrinter whatever it
// returned, so the next drawing uses the printer's resolution and offsets. The start-up
// paper is not applied again. Returns what the dialog returned.
bool RunPrinterSetupCommand(TQxPrinterSetupDialog& dialog);

// What the global printer object has in force, as the dialogs show it.
PrinterChoice PrinterChoiceInForce();
// Puts a choice in force as a confirmed dialog does. Throws Error when the printer is not
// there or does not take it.
void PutPrinterChoiceInForce(const PrinterChoice& choice);

}  // namespace tamariko
