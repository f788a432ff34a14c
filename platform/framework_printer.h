#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/spooler.h"

namespace tamariko {

// The application framework's printer object: the list of printers, the selected one with
// its device mode, the job title and the one running job. Everything it knows comes from
// the spooler, so the same object runs over CUPS and over a scripted spooler.
class FrameworkPrinter {
 public:
  explicit FrameworkPrinter(std::shared_ptr<Spooler> spooler);
  FrameworkPrinter(const FrameworkPrinter&) = delete;
  FrameworkPrinter& operator=(const FrameworkPrinter&) = delete;
  ~FrameworkPrinter();

  Spooler& GetSpooler() { return *spooler_; }

  const QStringList& Printers();
  // Resolves to the spooler's default printer on first use.
  int PrinterIndex();
  // Selects a printer and loads its driver's default device mode.
  void SetPrinterIndex(int index);
  // SetPrinterIndex by name; throws Error naming the printer when it is not installed.
  void SelectPrinter(const QString& name);

  void GetPrinter(QString& device, QString& driver, QString& port, DevModeHandle& devMode);
  // Selects the named printer (added to the list when unknown) and takes the device mode.
  void SetPrinter(const QString& device, const QString& driver, const QString& port,
                  DevModeHandle devMode);

  QString Title() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }
  bool Printing() const { return job_ != nullptr; }
  // Starts the job of one page, its drawing put on the paper by `transform`.
  void BeginDoc(const PageTransform& transform = {});
  void EndDoc();
  TCanvas& Canvas();
  int DeviceCaps(int index);

  // Forgets the printer list, as if the object were freed and made anew; the selected
  // printer and its device mode come back on next use if the new list still has it.
  // During a job this waits until the job has ended.
  void Reset();

 private:
  void LoadPrinters();
  DevMode CurrentDevMode();

  std::shared_ptr<Spooler> spooler_;
  QStringList printers_;
  bool printersLoaded_ = false;
  int index_ = -1;
  QString device_;
  QString port_;
  DevModeHandle devMode_;
  QString keptDevice_;
  DevModeHandle keptDevMode_;
  QString title_;
  std::unique_ptr<PrintJob> job_;
  bool resetAfterJob_ = false;
};

}  // namespace tamariko
