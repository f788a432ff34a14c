#include "printing/qxprint_dialogs.h"

#include <QDialog>
#include <QWidget>
#include <algorithm>
#include <exception>

#include "platform/cups_spooler.h"
#include "printing/printer_setup_form.h"
#include "printing/qxprinters.h"

namespace tamariko {

namespace {

TQxPrinterSetupDialog::Runner& DialogRunner() {
  static TQxPrinterSetupDialog::Runner runner;
  return runner;
}

// Selects the chosen printer and has its driver merge the chosen paper, the upright
// orientation and the copies into its device mode.
void ApplyChoice(TQxPrinter& qx, const PrinterChoice& choice) {
  FrameworkPrinter& framework = qx.Framework();
  framework.SelectPrinter(choice.printer);
  QString device, driver, port;
  DevModeHandle handle;
  framework.GetPrinter(device, driver, port, handle);
  DevMode* dm = handle ? handle->AsDevMode() : nullptr;
  if (dm == nullptr) {
    throw EOSError(QStringLiteral("プリンタ「%1」の設定を読めません").arg(device).toStdString());
  }
  handle->Lock();
  std::exception_ptr failure;
  try {
    dm->dmPaperSize = static_cast<std::int16_t>(choice.paper);
    dm->dmFields |= DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES;
    if (choice.paper == DMPAPER_USER) {
      dm->dmPaperLength = static_cast<std::int16_t>(choice.paperLengthTenthMm);
      dm->dmPaperWidth = static_cast<std::int16_t>(choice.paperWidthTenthMm);
      dm->dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    }
    if (choice.bin != 0) {
      dm->dmDefaultSource = static_cast<std::int16_t>(choice.bin);
      dm->dmFields |= DM_DEFAULTSOURCE;
    }
    dm->dmOrientation = DMORIENT_PORTRAIT;
    dm->dmCopies = static_cast<std::int16_t>(std::max(1, choice.copies));
    Spooler& spooler = qx.GetSpooler();
    const PrinterHandle printer = spooler.OpenPrinter(device);
    if (printer == 0) {
      throw EOSError(QStringLiteral("プリンタ「%1」を開けません").arg(device).toStdString());
    }
    const int merged =
        spooler.DocumentProperties(printer, device, dm, dm, DM_IN_BUFFER | DM_OUT_BUFFER);
    spooler.ClosePrinter(printer);
    if (merged < 0) {
      throw EOSError(
          QStringLiteral("プリンタ「%1」が設定を受け付けません").arg(device).toStdString());
    }
  } catch (...) {
    failure = std::current_exception();
  }
  handle->Unlock();
  framework.SetPrinter(device, driver, port, handle);
  if (failure) std::rethrow_exception(failure);
  qx.SetFitToPaper(choice.fit);
  qx.SetTwoSidedPrinters(choice.twoSided);
  if (!choice.pdfFolder.isEmpty()) {
    if (auto* cups = dynamic_cast<CupsSpooler*>(&qx.GetSpooler())) {
      cups->SetPdfOutputFolder(choice.pdfFolder);
    }
  }
}

}  // namespace

PrinterChoice CurrentChoice(TQxPrinter& qx) {
  FrameworkPrinter& framework = qx.Framework();
  QString device, driver, port;
  DevModeHandle handle;
  framework.GetPrinter(device, driver, port, handle);
  if (!handle) {
    framework.SetPrinterIndex(framework.PrinterIndex());
    framework.GetPrinter(device, driver, port, handle);
  }
  PrinterChoice choice;
  choice.printer = device;
  if (const DevMode* dm = handle ? handle->AsDevMode() : nullptr) {
    choice.paper = dm->dmPaperSize;
    choice.paperLengthTenthMm = dm->dmPaperLength;
    choice.paperWidthTenthMm = dm->dmPaperWidth;
    choice.copies = dm->dmCopies;
    if (dm->dmFields & DM_DEFAULTSOURCE) choice.bin = dm->dmDefaultSource;
  }
  choice.fit = qx.FitToPaper();
  choice.twoSided = qx.TwoSidedPrinters();
  if (auto* cups = dynamic_cast<CupsSpooler*>(&qx.GetSpooler())) {
    choice.pdfFolder = cups->PdfOutputFolder();
  }
  return choice;
}

void TQxPrinterSetupDialog::SetRunner(Runner runner) { DialogRunner() = std::move(runner); }

bool TQxPrinterSetupDialog::Execute() {
  TQxPrinter& qx = QxPrinter();
  PrinterChoice choice = CurrentChoice(qx);
  const bool accepted = DialogRunner() ? DialogRunner()(choice) : RunDialog(choice);
  notice_.clear();
  if (!accepted) return false;
  ApplyChoice(qx, choice);
  qx.ResetPrinter();
  return true;
}

bool TQxPrinterSetupDialog::RunDialog(PrinterChoice& choice) {
  TPrinterSetupForm form(QxPrinter().GetSpooler(), choice, qobject_cast<QWidget*>(parent_));
  if (!notice_.isEmpty()) form.ShowNotice(notice_);
  if (form.exec() != QDialog::Accepted) return false;
  choice = form.Choice();
  return true;
}

bool RunPrinterSetupCommand(TQxPrinterSetupDialog& dialog) {
  const bool chosen = dialog.Execute();
  QxPrinter().ResetPrinter();
  return chosen;
}

PrinterChoice PrinterChoiceInForce() { return CurrentChoice(QxPrinter()); }

void PutPrinterChoiceInForce(const PrinterChoice& choice) {
  TQxPrinter& qx = QxPrinter();
  ApplyChoice(qx, choice);
  qx.ResetPrinter();
}

}  // namespace tamariko
