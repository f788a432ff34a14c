#pragma once

// The print spooler as the printer component sees it: printer and port enumeration,
// printer handles, the driver's device-mode record and capabilities, device caps, print
// jobs, and the "printers changed" notification. Numbers and bit values are those of the
// classic spooler interface, so that device modes read the same everywhere.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/dialog_answers.h"
#include "core/error.h"
#include "core/page_mapping.h"

namespace tamariko {

class TCanvas;

// A failure of the operating system's printing services.
class EOSError : public Error {
 public:
  using Error::Error;
};

// The print server stayed silent for the whole bound: a print run sends it nothing more,
// rather than wait that long again for every sheet.
class EPrintServerSilent : public EOSError {
 public:
  using EOSError::EOSError;
  // The job the server may hold all the same: once it was asked to make one, it may have
  // (jobId is its number when the server said it), and may print it when it wakes up.
  QString queue;
  QString title;
  int jobId = 0;
  bool jobMayExist = false;
};

inline constexpr std::uint32_t PRINTER_ENUM_LOCAL = 0x2;
inline constexpr std::uint32_t PRINTER_ENUM_CONNECTIONS = 0x4;
inline constexpr std::uint32_t PRINTER_ATTRIBUTE_DEFAULT = 0x4;
inline constexpr std::uint32_t PRINTER_ATTRIBUTE_NETWORK = 0x10;
inline constexpr std::uint32_t PRINTER_ATTRIBUTE_HIDDEN = 0x20;
inline constexpr std::uint32_t PRINTER_ATTRIBUTE_LOCAL = 0x40;

inline constexpr int DM_OUT_BUFFER = 2;
inline constexpr int DM_IN_BUFFER = 8;

inline constexpr std::uint32_t DM_ORIENTATION = 0x1;
inline constexpr std::uint32_t DM_PAPERSIZE = 0x2;
inline constexpr std::uint32_t DM_PAPERLENGTH = 0x4;
inline constexpr std::uint32_t DM_PAPERWIDTH = 0x8;
inline constexpr std::uint32_t DM_SCALE = 0x10;
inline constexpr std::uint32_t DM_COPIES = 0x100;
inline constexpr std::uint32_t DM_DEFAULTSOURCE = 0x200;
inline constexpr std::uint32_t DM_PRINTQUALITY = 0x400;
inline constexpr std::uint32_t DM_COLOR = 0x800;
inline constexpr std::uint32_t DM_DUPLEX = 0x1000;
inline constexpr std::uint32_t DM_YRESOLUTION = 0x2000;
inline constexpr std::uint32_t DM_TTOPTION = 0x4000;
inline constexpr std::uint32_t DM_COLLATE = 0x8000;
inline constexpr std::uint32_t DM_FORMNAME = 0x10000;
inline constexpr std::uint32_t DM_LOGPIXELS = 0x20000;

inline constexpr std::int16_t DMORIENT_PORTRAIT = 1;
inline constexpr std::int16_t DMORIENT_LANDSCAPE = 2;
inline constexpr std::int16_t DMPAPER_A4 = 9;
inline constexpr std::int16_t DMPAPER_B4 = 12;  // JIS B4, the paper the sheets are laid out on
inline constexpr std::int16_t DMPAPER_USER = 256;

inline constexpr std::int16_t DMBIN_UPPER = 1;
inline constexpr std::int16_t DMBIN_LOWER = 2;
inline constexpr std::int16_t DMBIN_MIDDLE = 3;
inline constexpr std::int16_t DMBIN_MANUAL = 4;
inline constexpr std::int16_t DMBIN_ENVELOPE = 5;
inline constexpr std::int16_t DMBIN_AUTO = 7;
inline constexpr std::int16_t DMBIN_LARGECAPACITY = 11;
inline constexpr std::int16_t DMBIN_USER = 256;

inline constexpr std::uint32_t PRINTER_STATUS_PAUSED = 0x1;
inline constexpr std::uint32_t PRINTER_STATUS_PRINTING = 0x400;
inline constexpr std::uint32_t PRINTER_STATUS_SERVER_UNKNOWN = 0x800000;

inline constexpr int DC_PAPERS = 2;
inline constexpr int DC_BINS = 6;
inline constexpr int DC_BINNAMES = 12;
inline constexpr int DC_ENUMRESOLUTIONS = 13;
inline constexpr int DC_PAPERNAMES = 16;
inline constexpr int DC_COPIES = 18;
inline constexpr int DC_DUPLEX = 7;  // 1 when the printer prints both sides of a sheet

inline constexpr int HORZRES = 8;   // printable width in pixels
inline constexpr int VERTRES = 10;  // printable height in pixels
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int PHYSICALWIDTH = 110;  // the paper's width in pixels
inline constexpr int PHYSICALHEIGHT = 111;
inline constexpr int PHYSICALOFFSETX = 112;
inline constexpr int PHYSICALOFFSETY = 113;

// The fixed part of a device mode. A driver may append private bytes (dmDriverExtra); the
// whole record is copied byte for byte, so it must stay trivially copyable.
struct DevMode {
  char dmDeviceName[32];
  std::uint16_t dmSpecVersion;
  std::uint16_t dmDriverVersion;
  std::uint16_t dmSize;
  std::uint16_t dmDriverExtra;
  std::uint32_t dmFields;
  std::int16_t dmOrientation;
  std::int16_t dmPaperSize;
  std::int16_t dmPaperLength;  // tenths of a millimetre
  std::int16_t dmPaperWidth;   // tenths of a millimetre
  std::int16_t dmScale;
  std::int16_t dmCopies;
  std::int16_t dmDefaultSource;
  std::int16_t dmPrintQuality;
  std::int16_t dmColor;
  std::int16_t dmDuplex;
  std::int16_t dmYResolution;
  std::int16_t dmTTOption;
  std::int16_t dmCollate;
  char dmFormName[32];
  std::uint16_t dmLogPixels;
};

// Movable memory with a size, locked before use, like the blocks the spooler hands out.
class MemoryBlock {
 public:
  explicit MemoryBlock(std::size_t size);
  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;

  std::size_t Size() const { return size_; }
  std::byte* Lock();
  void Unlock();
  int LockCount() const { return locks_; }
  // The record inside, for blocks big enough to hold one; nullptr otherwise.
  DevMode* AsDevMode();

 private:
  std::size_t size_;
  std::unique_ptr<std::byte[]> bytes_;
  int locks_ = 0;
};

using DevModeHandle = std::shared_ptr<MemoryBlock>;

// One record of the level-4 printer enumeration.
struct PrinterInfo4 {
  QString printerName;
  QString serverName;
  std::uint32_t attributes = 0;
};

// The level-2 record of one printer: what a set-up dialog shows of it.
struct PrinterInfo2 {
  QString printerName;
  QString portName;
  QString driverName;   // make and model
  QString description;  // the name the print system gives it for people, if any
  QString comment;
  QString location;
  std::uint32_t status = 0;  // PRINTER_STATUS_* bits; 0 is ready
  QString statusMessage;     // the print system's own words on the state, if any
};

// What DeviceCapabilities writes, by capability: papers and bins as numbers, their names,
// resolutions as (x, y) pairs.
struct CapabilityOutput {
  std::vector<std::uint16_t> numbers;
  QStringList names;
  std::vector<std::pair<std::int32_t, std::int32_t>> resolutions;
};

// One print job of one page; the canvas draws on that page.
class PrintJob {
 public:
  virtual ~PrintJob() = default;
  virtual TCanvas& Canvas() = 0;
  // Where what is drawn from now on lands on the page.
  virtual void SetPageTransform(const PageTransform& transform) = 0;
  // Finishes the page and sends the job, processing pending events meanwhile.
  virtual void End() = 0;
};

using PrinterHandle = std::uintptr_t;

class Spooler {
 public:
  virtual ~Spooler() = default;

  // Throws EOSError when the spooler cannot be asked.
  virtual std::vector<PrinterInfo4> EnumPrinters(std::uint32_t flags) = 0;
  virtual std::vector<QString> EnumPorts() = 0;
  virtual QString DefaultPrinter() = 0;
  virtual QString PortOf(const QString& printer) = 0;
  // False when the printer is unknown. Answers from what the spooler already knows, so a
  // dialog may ask it on the GUI thread.
  virtual bool GetPrinterInfo2(const QString& printer, PrinterInfo2& out) = 0;

  // 0 when the printer cannot be opened.
  virtual PrinterHandle OpenPrinter(const QString& name) = 0;
  virtual void ClosePrinter(PrinterHandle handle) = 0;
  // mode 0: the size the device mode needs; DM_OUT_BUFFER: the driver's defaults into out;
  // DM_IN_BUFFER | DM_OUT_BUFFER: in validated and merged into out (in may equal out).
  // Negative on failure.
  virtual int DocumentProperties(PrinterHandle handle, const QString& device, DevMode* out,
                                 const DevMode* in, int mode) = 0;
  // out == nullptr asks for the count; -1 on failure or an unknown capability.
  virtual int DeviceCapabilities(const QString& device, const QString& port, int capability,
                                 CapabilityOutput* out, const DevMode* devMode) = 0;
  virtual int DeviceCaps(const QString& device, const DevMode& devMode, int index) = 0;
  // title is already cut to what the spooler keeps.
  virtual std::unique_ptr<PrintJob> StartDoc(const QString& device, const DevMode& devMode,
                                             const QString& title) = 0;

  // The "printers changed" notification; listeners run on the GUI thread.
  int Subscribe(std::function<void()> listener);
  void Unsubscribe(int id);

 protected:
  void NotifyPrintersChanged();
  // The open printer handles: a new one on `name`, its end, whether it is open on `device`.
  PrinterHandle NewHandle(const QString& name);
  void ForgetHandle(PrinterHandle handle) { open_.erase(handle); }
  bool HandleOpenOn(PrinterHandle handle, const QString& device) const;
  int OpenHandleCount() const { return static_cast<int>(open_.size()); }

 private:
  std::map<PrinterHandle, QString> open_;
  PrinterHandle nextHandle_ = 1;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
  int nextListener_ = 1;
};

// A printer as the teacher knows it: its description with its name,
// "職員室レーザー（q1）", or the name alone when it has no other.
QString ShownPrinterName(Spooler& spooler, const QString& printer);

// Writes the device name into a record, cut to what the field holds.
void SetDevModeName(DevMode& devMode, const QString& name);

// The driver's default device mode of a printer, in a block of the size the driver asks
// for. Throws EOSError naming the printer when it cannot be opened or read.
DevModeHandle DriverDefaults(Spooler& spooler, const QString& device);

}  // namespace tamariko
