#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

#include "platform/spooler.h"

class QTimer;

namespace tamariko {

class StagedFile;

// The name of the printer that writes PDF files and exists on every machine.
inline constexpr char kPdfPrinterName[] = "PDF";
// Every printer is driven at this density: jobs travel as vector PDF, so it is only the
// unit of the drawing coordinates.
inline constexpr int kPrinterDpi = 300;

// The spooler over the CUPS queues (libcups, through the server that CUPS_SERVER names or
// the system's own) plus the built-in PDF printer. A CUPS queue called like the built-in
// one is left out, so that names stay unique.
class CupsSpooler : public Spooler {
 public:
  CupsSpooler();
  ~CupsSpooler() override;

  // The folder the PDF printer writes into: the documents folder unless set.
  QString PdfOutputFolder() const;
  void SetPdfOutputFolder(const QString& folder);
  // Files written by the PDF printer so far, oldest first.
  const QStringList& PdfFilesWritten() const { return pdfFiles_; }
  void RecordPdf(const QString& path);

  // From now on every job of the PDF printer becomes the next page of this one file, which
  // appears only when FinishPdfCollection succeeds (written under a temporary name, then
  // renamed). Throws Error when the folder cannot be written.
  void CollectPdfJobs(const QString& file);
  // Writes the collected pages; returns the page count. Throws Error when nothing was
  // printed or the file cannot be written; no partial file is left.
  int FinishPdfCollection();
  // Ends the collection with the file complete and checked but not yet in place, for a
  // caller that puts it in place together with other files. Throws as above.
  std::unique_ptr<StagedFile> EndPdfCollection();
  bool CollectingPdf() const;

  // Re-reads the queues and their ports and, when they differ from the last reading, sends
  // the "printers changed" notification. Runs on a slow timer; the main window also calls it
  // when it is activated.
  void CheckForChanges();
  void StartWatching(int intervalMs = 5000);

  std::vector<PrinterInfo4> EnumPrinters(std::uint32_t flags) override;
  std::vector<QString> EnumPorts() override;
  QString DefaultPrinter() override;
  QString PortOf(const QString& printer) override;
  PrinterHandle OpenPrinter(const QString& name) override;
  void ClosePrinter(PrinterHandle handle) override;
  int DocumentProperties(PrinterHandle handle, const QString& device, DevMode* out,
                         const DevMode* in, int mode) override;
  int DeviceCapabilities(const QString& device, const QString& port, int capability,
                         CapabilityOutput* out, const DevMode* devMode) override;
  int DeviceCaps(const QString& device, const DevMode& devMode, int index) override;
  std::unique_ptr<PrintJob> StartDoc(const QString& device, const DevMode& devMode,
                                     const QString& title) override;

  struct Queue {
    QString name;
    QString port;
    std::uint32_t attributes = PRINTER_ATTRIBUTE_LOCAL;
    bool isDefault = false;
  };
  struct Collection;

 private:
  std::vector<Queue> ReadQueues();
  bool Exists(const QString& name);

  QString pdfFolder_;
  QStringList pdfFiles_;
  std::map<PrinterHandle, QString> open_;
  PrinterHandle nextHandle_ = 1;
  std::vector<Queue> lastSeen_;
  bool seen_ = false;
  std::unique_ptr<QTimer> timer_;
  std::unique_ptr<Collection> collection_;
};

}  // namespace tamariko
