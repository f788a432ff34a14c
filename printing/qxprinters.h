#pragma once

// The printer component: one global printer object between the sheets and the framework
// printer. It sets the paper through the driver's device mode, answers resolution and page
// offsets, runs print jobs and follows changes of the installed printers.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/print_target.h"
#include "platform/framework_printer.h"
#include "platform/spooler.h"

namespace tamariko {

class EQxPrinter : public Error {
 public:
  using Error::Error;
};
class EQxPrinterNoPrinter : public EQxPrinter {
 public:
  using EQxPrinter::EQxPrinter;
};
class EQxPrinterNotSupported : public EQxPrinter {
 public:
  using EQxPrinter::EQxPrinter;
};
// A broken internal assumption; the message ends with the unit name and the line.
class EAssertionFailed : public Error {
 public:
  using Error::Error;
};

// A snapshot of the installed printers.
class TQxAllPrintersInfo {
 public:
  explicit TQxAllPrintersInfo(Spooler& spooler);

  std::int32_t Level() const { return level_; }
  std::int32_t Count() const { return static_cast<std::int32_t>(records_.size()); }
  QString Names(std::int32_t i) const {
    return records_.at(static_cast<std::size_t>(i)).printerName;
  }
  std::uint32_t Attributes(std::int32_t i) const {
    return records_.at(static_cast<std::size_t>(i)).attributes;
  }
  bool Equals(const TQxAllPrintersInfo& other) const;

 private:
  std::int32_t level_ = 4;
  std::vector<PrinterInfo4> records_;
};

// The working record of the operations that edit the device mode.
struct DeviceRecord {
  QString device;
  QString driver;
  QString port;
  DevModeHandle devModeHandle;
  DevMode* devMode = nullptr;
};

class TQxPrinter : public TPrintTarget {
 public:
  // What CapabilityFlags says the printer reported.
  static constexpr std::uint8_t kHasPapers = 1;
  static constexpr std::uint8_t kHasBins = 2;
  static constexpr std::uint8_t kHasResolutions = 4;
  static constexpr std::uint8_t kHasCopies = 8;

  TQxPrinter(std::shared_ptr<Spooler> spooler, std::shared_ptr<FrameworkPrinter> printer);
  ~TQxPrinter() override;
  TQxPrinter(const TQxPrinter&) = delete;
  TQxPrinter& operator=(const TQxPrinter&) = delete;

  void CheckNoPrinter();
  std::uint32_t SupportedFields();
  void CheckSupported(int field, const QString& message);
  void LockDevMode(DeviceRecord& record);
  void UnlockDevMode(DeviceRecord& record);
  void CommitDevMode(DeviceRecord& record);
  void LoadSettings();
  void ClearSettings();
  void RefreshCapabilities();
  void ResetPrinter();
  void SetPaperSizeNumber(std::int32_t paper);
  // The copies each job asks for; the driver may allow fewer (the PDF printer writes one
  // file per sheet). Like the paper, written out by ApplySettings.
  void SetCopies(std::int32_t copies);
  void ApplySettings();
  PixelPair GetPixelsPerInch() override;
  // With the page fitted onto other paper than B4 the sheets draw on a whole B4 page,
  // whose corner is the paper's: no offset.
  PixelPair GetPageOffset() override;
  const QStringList& GetPorts();
  TCanvas& Canvas() override;
  void BeginDoc(const QString& title) override;
  void EndDoc() override;

  // Fit (the default): on paper other than B4 the whole B4 page is printed scaled to the
  // paper's printable area and centred in it. Actual size: the page as laid out, from the
  // printable area's corner. On B4 both print the page as laid out.
  bool FitToPaper() const { return fitToPaper_; }
  void SetFitToPaper(bool fit) { fitToPaper_ = fit; }
  // The printers the teacher has set to print both sides of the sheet, remembered per
  // printer; only those that can count (DC_DUPLEX).
  const QStringList& TwoSidedPrinters() const { return twoSidedPrinters_; }
  void SetTwoSidedPrinters(const QStringList& printers) { twoSidedPrinters_ = printers; }
  bool PrintsTwoSided();
  // Where the next page's drawing lands on the paper of the printer in force.
  PageTransform PageTransformInForce();
  // Whether the printer in force lists the paper (true when it lists none: nothing known).
  bool HasPaper(std::int32_t paper);
  // Puts the paper for the sheets in force, with the page fitted: `paper`, or when 0 B4,
  // or A4 where the printer has no B4, or else the printer's own. Returns the paper.
  std::int32_t UseSheetPaper(std::int32_t paper = 0);

  // Fired when the installed printers or their ports change; the sender is this object.
  std::function<void(TQxPrinter&)> OnChange;

  const TQxAllPrintersInfo& PrintersInfo() const { return *printersInfo_; }
  const std::vector<std::uint16_t>& PaperNumbers() const { return paperNumbers_; }
  const QStringList& PaperNames() const { return paperNames_; }
  const std::vector<std::uint16_t>& BinNumbers() const { return binNumbers_; }
  const QStringList& BinNames() const { return binNames_; }
  const std::vector<std::pair<std::int32_t, std::int32_t>>& Resolutions() const {
    return resolutions_;
  }
  std::int32_t ResolutionCount() const { return resolutionCount_; }
  const QStringList& Ports() const { return ports_; }
  std::int32_t MaxCopies() const { return maxCopies_; }
  std::int32_t PrinterIndexCache() const { return printerIndexCache_; }
  std::uint8_t CapabilityFlags() const { return capabilityFlags_; }
  bool SettingsChanged() const { return settingsChanged_; }
  // The own copy of a device mode, or nullptr.
  const MemoryBlock* Settings() const { return settings_.get(); }
  QString SettingsPort() const { return settingsPort_; }

  FrameworkPrinter& Framework() { return *printer_; }
  Spooler& GetSpooler() { return *spooler_; }

 private:
  void SettingsChangeHook();
  DevMode& SettingsRecord();

  std::shared_ptr<Spooler> spooler_;
  std::shared_ptr<FrameworkPrinter> printer_;
  std::unique_ptr<TQxAllPrintersInfo> printersInfo_;
  std::vector<std::uint16_t> paperNumbers_;
  QStringList paperNames_;
  std::vector<std::uint16_t> binNumbers_;
  QStringList binNames_;
  std::vector<std::pair<std::int32_t, std::int32_t>> resolutions_;
  std::int32_t resolutionCount_ = 0;
  QStringList ports_;
  std::int32_t maxCopies_ = 0;
  std::int32_t printerIndexCache_ = -1;
  std::uint8_t capabilityFlags_ = 0;
  bool settingsChanged_ = false;
  std::unique_ptr<MemoryBlock> settings_;
  QString settingsPort_;
  // The printer whose device mode Settings holds.
  QString settingsDevice_;
  int hook_ = 0;
  bool fitToPaper_ = true;
  QStringList twoSidedPrinters_;
};

// The global printer object. Throws when the component is not initialised.
TQxPrinter& QxPrinter();

// Initialisation and finalisation of the component, counted: the first instance creates
// the global printer object over the system's spooler, the last frees it. The program
// holds one for its whole run, from before the first window until after the last.
class QxPrintersUnit {
 public:
  QxPrintersUnit();
  ~QxPrintersUnit();
  QxPrintersUnit(const QxPrintersUnit&) = delete;
  QxPrintersUnit& operator=(const QxPrintersUnit&) = delete;
};

// Puts another printer object in place of the global one for its lifetime (tests, runs
// that print to a chosen target), then puts the previous one back.
class ScopedQxPrinter {
 public:
  explicit ScopedQxPrinter(std::unique_ptr<TQxPrinter> printer);
  // A printer object over the given spooler with a framework printer of its own.
  explicit ScopedQxPrinter(std::shared_ptr<Spooler> spooler);
  ~ScopedQxPrinter();
  ScopedQxPrinter(const ScopedQxPrinter&) = delete;
  ScopedQxPrinter& operator=(const ScopedQxPrinter&) = delete;

  TQxPrinter& Get() { return *printer_; }

 private:
  std::unique_ptr<TQxPrinter> printer_;
  TQxPrinter* previous_;
};

// Linux announces no printer changes: the system's queues are read again on a slow timer
// (started once the application object exists) and when the main window is activated.
// Both do nothing while the global printer object runs over another spooler.
void WatchPrinterChanges(int intervalMs = 5000);
void CheckForPrinterChanges();
// Takes the first reading of the system's queues if it is there; if it is not, the program
// goes on with the PDF printer and the server counts as not answering (its queues appear
// when it answers).
void SettleFirstPrinterRead();
// The files the built-in PDF printer has written so far, oldest first (to tell the user);
// empty while the global printer object runs over another spooler.
QStringList PdfPrinterFilesWritten();
// A print of many pages to the built-in PDF printer as one file: when the printer in force
// is that printer, its jobs from now on become the pages of one file named `stem` (see
// CupsSpooler::CollectPdfRun), and true. FinishPdfPrinterRun puts it in place and returns
// its path (throws as CupsSpooler::FinishPdfRun); DropPdfPrinterRun gives it up.
bool CollectPdfPrinterRun(const QString& stem);
QString FinishPdfPrinterRun();
void DropPdfPrinterRun();
// Pages that share sheets: when the printer in force prints both sides, its pages from now
// on go as one job (each job starting on a fresh sheet), and true. SendGatheredPrinterJob
// sends them under `title` (throws as a job of one page does); DropGatheredPrinterJob gives
// them up.
bool GatherPrinterJob();
void SendGatheredPrinterJob(const QString& title);
void DropGatheredPrinterJob();
// What the print jobs since the last call have to tell the teacher, each once (a paused
// queue that holds them); empty while the global printer object runs over another spooler.
QStringList TakePrintNotices();

// Makes the printer object over the system's spooler (CUPS queues and the PDF printer).
std::unique_ptr<TQxPrinter> MakeSystemQxPrinter();

}  // namespace tamariko
