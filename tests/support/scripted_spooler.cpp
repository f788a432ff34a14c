#include "tests/support/scripted_spooler.h"

#include <QRect>
#include <algorithm>
#include <cstring>

namespace tamariko {

class ScriptedJob : public PrintJob {
 public:
  ScriptedJob(ScriptedSpooler& spooler, std::size_t index) : spooler_(spooler), index_(index) {}

  TCanvas& Canvas() override { return *spooler_.jobs_[index_].page; }
  void SetPageTransform(const PageTransform& transform) override {
    spooler_.jobs_[index_].transform = transform;
  }
  void End() override {
    if (spooler_.endDocFails) throw EOSError("印刷ジョブを送れませんでした（試験用の故障）");
    if (spooler_.sending) spooler_.sending(spooler_.jobs_[index_]);
    spooler_.jobs_[index_].ended = true;
  }

 private:
  ScriptedSpooler& spooler_;
  std::size_t index_;
};

ScriptedSpooler::ScriptedSpooler(std::vector<Printer> printers, QString defaultPrinter)
    : printers_(std::move(printers)), default_(std::move(defaultPrinter)) {}

void ScriptedSpooler::AddPrinter(Printer printer) {
  printers_.push_back(std::move(printer));
  NotifyPrintersChanged();
}

void ScriptedSpooler::RemovePrinter(const QString& name) {
  std::erase_if(printers_, [&](const Printer& p) { return p.name == name; });
  NotifyPrintersChanged();
}

void ScriptedSpooler::SetPort(const QString& printer, const QString& port) {
  if (Printer* p = Find(printer)) p->port = port;
  NotifyPrintersChanged();
}

ScriptedSpooler::Printer* ScriptedSpooler::Find(const QString& name) {
  for (Printer& p : printers_) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

std::vector<PrinterInfo4> ScriptedSpooler::EnumPrinters(std::uint32_t /*flags*/) {
  if (enumerationFails) throw EOSError("プリンタの一覧を読めません（試験用の故障）");
  std::vector<PrinterInfo4> result;
  for (const Printer& p : printers_) result.push_back({p.name, QString(), p.attributes});
  return result;
}

std::vector<QString> ScriptedSpooler::EnumPorts() {
  if (portEnumerationFails) throw EOSError("ポートの一覧を読めません（試験用の故障）");
  std::vector<QString> result;
  for (const Printer& p : printers_) result.push_back(p.port);
  for (const QString& port : extraPorts) result.push_back(port);
  return result;
}

QString ScriptedSpooler::DefaultPrinter() {
  return default_.isEmpty() && !printers_.empty() ? printers_.front().name : default_;
}

QString ScriptedSpooler::PortOf(const QString& printer) {
  const Printer* p = Find(printer);
  return p ? p->port : QString();
}

bool ScriptedSpooler::GetPrinterInfo2(const QString& printer, PrinterInfo2& out) {
  const Printer* p = Find(printer);
  if (p == nullptr) return false;
  out = p->info;
  out.printerName = p->name;
  out.portName = p->port;
  return true;
}

PrinterHandle ScriptedSpooler::OpenPrinter(const QString& name) {
  const Printer* p = Find(name);
  if (p == nullptr || p->cannotOpen) return 0;
  return NewHandle(name);
}

void ScriptedSpooler::ClosePrinter(PrinterHandle handle) { ForgetHandle(handle); }

int ScriptedSpooler::DocumentProperties(PrinterHandle handle, const QString& device, DevMode* out,
                                        const DevMode* in, int mode) {
  if (!HandleOpenOn(handle, device)) return -1;
  const Printer* p = Find(device);
  if (p == nullptr) return -1;
  const int size = static_cast<int>(sizeof(DevMode)) + p->driverExtra;
  if (mode == 0) return size;
  if ((mode & DM_OUT_BUFFER) == 0 || out == nullptr) return -1;
  if ((mode & DM_IN_BUFFER) != 0) {
    if (in == nullptr) return -1;
    ++mergeCalls_;
    if (p->documentPropertiesFails) return -1;
    const DevMode merged = *in;
    *out = merged;
    out->dmFields &= p->fields;
    if (out->dmCopies < 1) out->dmCopies = 1;
  } else {
    DevMode defaults{};
    SetDevModeName(defaults, device);
    defaults.dmSpecVersion = 0x401;
    defaults.dmSize = sizeof(DevMode);
    defaults.dmDriverExtra = p->driverExtra;
    defaults.dmFields = p->fields;
    defaults.dmOrientation = DMORIENT_PORTRAIT;
    defaults.dmPaperSize = p->paperSize;
    defaults.dmDefaultSource = p->defaultBin;
    defaults.dmCopies = 1;
    defaults.dmPrintQuality = static_cast<std::int16_t>(p->dpiX);
    defaults.dmYResolution = static_cast<std::int16_t>(p->dpiY);
    *out = defaults;
    std::memset(reinterpret_cast<std::byte*>(out) + sizeof(DevMode), 0xA5, p->driverExtra);
  }
  return IDOK;
}

int ScriptedSpooler::DeviceCapabilities(const QString& device, const QString& /*port*/,
                                        int capability, CapabilityOutput* out,
                                        const DevMode* /*devMode*/) {
  const Printer* p = Find(device);
  if (p == nullptr) return -1;
  switch (capability) {
    case DC_PAPERS:
      if (out) out->numbers = p->papers;
      return static_cast<int>(p->papers.size());
    case DC_PAPERNAMES:
      if (out) out->names = p->paperNames;
      return static_cast<int>(p->paperNames.size());
    case DC_BINS:
      if (out) out->numbers = p->bins;
      return static_cast<int>(p->bins.size());
    case DC_BINNAMES:
      if (out) out->names = p->binNames;
      return static_cast<int>(p->binNames.size());
    case DC_ENUMRESOLUTIONS:
      if (out) {
        if (p->secondResolutionQueryFails) return -1;
        out->resolutions = p->resolutions;
      }
      return static_cast<int>(p->resolutions.size());
    case DC_COPIES:
      return p->maxCopies;
    case DC_DUPLEX:
      return p->duplex ? 1 : 0;
    default:
      return -1;
  }
}

int ScriptedSpooler::DeviceCaps(const QString& device, const DevMode& /*devMode*/, int index) {
  const Printer* p = Find(device);
  if (p == nullptr) return 0;
  switch (index) {
    case LOGPIXELSX:
      return p->dpiX;
    case LOGPIXELSY:
      return p->dpiY;
    case PHYSICALOFFSETX:
      return p->offsetX;
    case PHYSICALOFFSETY:
      return p->offsetY;
    default:
      return 0;
  }
}

std::unique_ptr<PrintJob> ScriptedSpooler::StartDoc(const QString& device, const DevMode& devMode,
                                                    const QString& title) {
  if (startDocFails) throw EOSError("印刷を始められません（試験用の故障）");
  const Printer* p = Find(device);
  if (p == nullptr)
    throw EOSError(QStringLiteral("プリンタ「%1」がありません").arg(device).toStdString());
  // B4 at the printer's resolution, less the offsets on both sides.
  const int w = static_cast<int>(257 / 25.4 * p->dpiX) - 2 * p->offsetX;
  const int h = static_cast<int>(364 / 25.4 * p->dpiY) - 2 * p->offsetY;
  jobs_.push_back(
      Job{device, title, devMode, std::make_shared<RecordingCanvas>(QRect(0, 0, w, h)), {}, false});
  return std::make_unique<ScriptedJob>(*this, jobs_.size() - 1);
}

}  // namespace tamariko
