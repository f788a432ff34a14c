#pragma once

#include <QDialog>
#include <functional>

#include "printing/printer_choice.h"
#include "ui_printer_setup.h"

namespace tamariko {

class Spooler;

// The printer set-up dialog: the printers with what is known of each, the paper and tray
// of the selected one, fit or actual size, 両面 where it can, and the orientation (upright
// only). Everything
// comes from the spooler's own knowledge (for CUPS its cache), so opening it or switching
// printers never waits.
class TPrinterSetupForm : public QDialog, public Ui::PrinterSetupForm {
  Q_OBJECT

 public:
  TPrinterSetupForm(Spooler& spooler, const PrinterChoice& choice, QWidget* parent = nullptr);

  // What the controls say now.
  PrinterChoice Choice() const;
  // Asks the teacher for the PDF printer's folder; empty when cancelled. Tests replace it.
  std::function<QString(const QString& current)> ChooseFolder;

  // Refuses a PDF folder that cannot be written, saying why.
  void accept() override;

  // Adds a line to the notes above the printer (a remembered printer that is gone, ...).
  void ShowNotice(const QString& text);
  // The notes: the print server's state when it does not answer, and ShowNotice's lines.
  QLabel* NoticeText = nullptr;

 private:
  // `switched`: the teacher chose another printer (not the one the dialog opened with).
  void ShowPrinter(const QString& name, bool switched);
  void FillPapers(const QString& name, int wanted, int driverDefault);
  void FillBins(const QString& name, int wanted, int driverDefault);
  bool PdfChosen() const;

  Spooler& spooler_;
  PrinterChoice initial_;
  int wantedPaper_ = 0;  // the paper in force when opened, or the one picked since
  bool hasPdfPrinter_ = false;
  QStringList twoSided_;  // the printers 両面 is set for, as the box is ticked
  QString twoSidedTip_;
};

}  // namespace tamariko
