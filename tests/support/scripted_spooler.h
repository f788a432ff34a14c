#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/canvas.h"
#include "platform/spooler.h"
#include "tests/support/recording_canvas.h"

namespace tamariko {

// A spooler that lives in memory, driven by tests and by runs that must not touch the
// system's printers: printers, ports, papers, resolutions and offsets as scripted, faults
// on demand, and every job kept for inspection.
class ScriptedSpooler : public Spooler {
 public:
  struct Printer {
    QString name;
    std::uint32_t attributes = PRINTER_ATTRIBUTE_LOCAL;
    QString port = QStringLiteral("LPT1:");
    std::vector<std::uint16_t> papers{9, 12, 1};
    QStringList paperNames{QStringLiteral("A4"), QStringLiteral("B4 (JIS)"),
                           QStringLiteral("Letter")};
    std::vector<std::uint16_t> bins{7};
    QStringList binNames{QStringLiteral("Automatic")};
    std::vector<std::pair<std::int32_t, std::int32_t>> resolutions{{600, 600}, {300, 300}};
    int maxCopies = 99;
    bool duplex = false;  // prints both sides (DC_DUPLEX)
    // What a set-up dialog shows of it.
    PrinterInfo2 info;
    int dpiX = 600;
    int dpiY = 600;
    int offsetX = 50;
    int offsetY = 60;
    // The driver's defaults.
    std::int16_t paperSize = 9;
    std::int16_t defaultBin = 7;
    std::uint32_t fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH |
                           DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_YRESOLUTION;
    std::uint16_t driverExtra = 16;
    // Faults.
    bool cannotOpen = false;
    bool documentPropertiesFails = false;
    bool secondResolutionQueryFails = false;
  };

  // A job with its page: every drawing call, with the pen and font in force, is kept.
  struct Job {
    QString device;
    QString title;
    DevMode devMode{};
    std::shared_ptr<RecordingCanvas> page;
    PageTransform transform;
    bool ended = false;
  };

  ScriptedSpooler() = default;
  explicit ScriptedSpooler(std::vector<Printer> printers, QString defaultPrinter = {});

  // Changes announce themselves like the system's settings-change broadcast.
  void AddPrinter(Printer printer);
  void RemovePrinter(const QString& name);
  void SetPort(const QString& printer, const QString& port);
  void BroadcastSettingsChange() { NotifyPrintersChanged(); }
  Printer* Find(const QString& name);
  void SetDefaultPrinter(const QString& name) { default_ = name; }

  bool enumerationFails = false;
  bool portEnumerationFails = false;
  bool startDocFails = false;
  bool endDocFails = false;
  // Runs as each job is sent, before it counts as ended; what it throws fails the send.
  std::function<void(const Job& job)> sending;
  // Extra ports beside those of the printers (a port may serve no printer).
  QStringList extraPorts;

  const std::vector<Job>& Jobs() const { return jobs_; }
  int OpenHandles() const { return OpenHandleCount(); }
  int MergeCalls() const { return mergeCalls_; }

  std::vector<PrinterInfo4> EnumPrinters(std::uint32_t flags) override;
  std::vector<QString> EnumPorts() override;
  QString DefaultPrinter() override;
  QString PortOf(const QString& printer) override;
  bool GetPrinterInfo2(const QString& printer, PrinterInfo2& out) override;
  PrinterHandle OpenPrinter(const QString& name) override;
  void ClosePrinter(PrinterHandle handle) override;
  int DocumentProperties(PrinterHandle handle, const QString& device, DevMode* out,
                         const DevMode* in, int mode) override;
  int DeviceCapabilities(const QString& device, const QString& port, int capability,
                         CapabilityOutput* out, const DevMode* devMode) override;
  int DeviceCaps(const QString& device, const DevMode& devMode, int index) override;
  std::unique_ptr<PrintJob> StartDoc(const QString& device, const DevMode& devMode,
                                     const QString& title) override;

 private:
  friend class ScriptedJob;
  std::vector<Printer> printers_;
  QString default_;
  int mergeCalls_ = 0;
  std::vector<Job> jobs_;
};

}  // namespace tamariko
