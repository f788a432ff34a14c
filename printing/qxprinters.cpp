#include "printing/qxprinters.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "platform/cups_spooler.h"

namespace tamariko {

namespace {

[[noreturn]] void AssertionFailed(const char* text, int line) {
  throw EAssertionFailed(std::string(text) + " (QxPrinters, line " + std::to_string(line) + ")");
}

#define QX_ASSERT(condition, text)                     \
  do {                                                 \
    if (!(condition)) AssertionFailed(text, __LINE__); \
  } while (false)

constexpr char kPlainAssertion[] = "Assertion failure";

constexpr std::array<std::uint32_t, 17> kSupportedFieldTable = {
    DM_ORIENTATION,   DM_PAPERSIZE,    DM_PAPERLENGTH, DM_PAPERWIDTH, DM_SCALE,       DM_COPIES,
    DM_DEFAULTSOURCE, DM_PRINTQUALITY, DM_COLOR,       DM_DUPLEX,     DM_YRESOLUTION, DM_TTOPTION,
    DM_COLLATE,       DM_FORMNAME,     DM_LOGPIXELS,   0x8000000,     0x10000000};

// Runs body, then always the closing step; an exception of the closing step wins.
template <typename Body, typename Closing>
void Guarded(Body&& body, Closing&& closing) {
  std::exception_ptr failure;
  try {
    body();
  } catch (...) {
    failure = std::current_exception();
  }
  closing();
  if (failure) std::rethrow_exception(failure);
}

// The object the sheets reach, and the one the unit owns (they differ while overridden).
TQxPrinter* g_printer = nullptr;
TQxPrinter* g_unitPrinter = nullptr;
int g_unitCount = 0;

}  // namespace

TQxAllPrintersInfo::TQxAllPrintersInfo(Spooler& spooler) {
  // Linux stands with the NT family: local printers and connections.
  level_ = 4;
  records_ = spooler.EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS);
}

bool TQxAllPrintersInfo::Equals(const TQxAllPrintersInfo& other) const {
  if (Count() != other.Count()) return false;
  for (std::int32_t i = 0; i < Count(); ++i) {
    if (Names(i) != other.Names(i) || Attributes(i) != other.Attributes(i)) return false;
  }
  return true;
}

TQxPrinter::TQxPrinter(std::shared_ptr<Spooler> spooler, std::shared_ptr<FrameworkPrinter> printer)
    : spooler_(std::move(spooler)), printer_(std::move(printer)) {
  printersInfo_ = std::make_unique<TQxAllPrintersInfo>(*spooler_);
  hook_ = spooler_->Subscribe([this] { SettingsChangeHook(); });
}

TQxPrinter::~TQxPrinter() {
  spooler_->Unsubscribe(hook_);
  ClearSettings();
}

void TQxPrinter::CheckNoPrinter() {
  for (std::int32_t i = 0; i < printersInfo_->Count(); ++i) {
    if ((printersInfo_->Attributes(i) & PRINTER_ATTRIBUTE_HIDDEN) == 0) return;
  }
  printerIndexCache_ = -1;
  throw EQxPrinterNoPrinter("TQxPrinter.CheckNoPrinter: No Printer");
}

DevMode& TQxPrinter::SettingsRecord() {
  DevMode* record = settings_ ? settings_->AsDevMode() : nullptr;
  QX_ASSERT(record != nullptr, kPlainAssertion);
  return *record;
}

std::uint32_t TQxPrinter::SupportedFields() {
  CheckNoPrinter();
  if (!settings_) LoadSettings();
  const std::uint32_t fields = SettingsRecord().dmFields;
  std::uint32_t result = 0;
  for (std::size_t i = 0; i < kSupportedFieldTable.size(); ++i) {
    if ((fields & kSupportedFieldTable[i]) != 0) result |= 1u << i;
  }
  return result;
}

void TQxPrinter::CheckSupported(int field, const QString& message) {
  if (field < 0 || field > 31 || (SupportedFields() & (1u << field)) == 0) {
    throw EQxPrinterNotSupported(message.toStdString());
  }
}

void TQxPrinter::LockDevMode(DeviceRecord& record) {
  printer_->GetPrinter(record.device, record.driver, record.port, record.devModeHandle);
  if (!record.devModeHandle) {
    printer_->SetPrinterIndex(printer_->PrinterIndex());
    printer_->GetPrinter(record.device, record.driver, record.port, record.devModeHandle);
  }
  QX_ASSERT(record.devModeHandle != nullptr, kPlainAssertion);
  record.devModeHandle->Lock();
  record.devMode = record.devModeHandle->AsDevMode();
}

void TQxPrinter::UnlockDevMode(DeviceRecord& record) {
  if (record.devModeHandle && record.devMode != nullptr) {
    record.devModeHandle->Unlock();
    record.devMode = nullptr;
  }
}

void TQxPrinter::LoadSettings() {
  settings_.reset();
  DeviceRecord record;
  LockDevMode(record);
  Guarded(
      [&] {
        const std::size_t size = record.devModeHandle->Size();
        // A block shorter than the fixed record cannot be read as one.
        QX_ASSERT(size > 0 && record.devMode != nullptr, kPlainAssertion);
        settings_ = std::make_unique<MemoryBlock>(size);
        std::memcpy(settings_->Lock(), record.devMode, size);
        settings_->Unlock();
        settingsPort_ = record.port.left(511);
        settingsDevice_ = record.device;
      },
      [&] { UnlockDevMode(record); });
}

void TQxPrinter::ClearSettings() {
  settings_.reset();
  settingsChanged_ = false;
}

void TQxPrinter::RefreshCapabilities() {
  const int index = printer_->PrinterIndex();
  if (index == printerIndexCache_) return;
  printerIndexCache_ = index;
  SupportedFields();
  capabilityFlags_ = 0;

  auto withDevMode = [this](auto&& read) {
    DeviceRecord record;
    LockDevMode(record);
    Guarded([&] { read(record); }, [&] { UnlockDevMode(record); });
  };

  // Papers and bins alike: the count, then the numbers and their names, cut to the length
  // the driver interface gives a name.
  auto readNumbered = [&](int numbersQuery, int namesQuery, std::uint8_t flag,
                          std::vector<std::uint16_t>& numbers, QStringList& names,
                          qsizetype nameLength) {
    withDevMode([&](DeviceRecord& r) {
      const int count =
          spooler_->DeviceCapabilities(r.device, r.port, numbersQuery, nullptr, r.devMode);
      if (count == -1 || count == 0) return;
      capabilityFlags_ |= flag;
      CapabilityOutput numbered, named;
      numbers.clear();
      spooler_->DeviceCapabilities(r.device, r.port, numbersQuery, &numbered, r.devMode);
      numbers = numbered.numbers;
      numbers.resize(static_cast<std::size_t>(count));
      names.clear();
      spooler_->DeviceCapabilities(r.device, r.port, namesQuery, &named, r.devMode);
      for (const QString& name : named.names) names.append(name.left(nameLength));
    });
  };
  readNumbered(DC_PAPERS, DC_PAPERNAMES, kHasPapers, paperNumbers_, paperNames_, 64);
  readNumbered(DC_BINS, DC_BINNAMES, kHasBins, binNumbers_, binNames_, 24);
  withDevMode([this](DeviceRecord& r) {
    resolutionCount_ =
        spooler_->DeviceCapabilities(r.device, r.port, DC_ENUMRESOLUTIONS, nullptr, r.devMode);
    if (resolutionCount_ > 0) {
      capabilityFlags_ |= kHasResolutions;
      CapabilityOutput out;
      resolutions_.clear();
      const int again =
          spooler_->DeviceCapabilities(r.device, r.port, DC_ENUMRESOLUTIONS, &out, r.devMode);
      QX_ASSERT(again != -1, kPlainAssertion);
      resolutions_ = out.resolutions;
      resolutions_.resize(static_cast<std::size_t>(resolutionCount_));
    } else {
      resolutionCount_ = 0;
    }
  });
  withDevMode([this](DeviceRecord& r) {
    const int copies =
        spooler_->DeviceCapabilities(r.device, r.port, DC_COPIES, nullptr, r.devMode);
    if (copies > 0) {
      capabilityFlags_ |= kHasCopies;
      maxCopies_ = copies;
    }
  });
}

void TQxPrinter::ResetPrinter() {
  ClearSettings();
  printerIndexCache_ = -1;
  RefreshCapabilities();
}

void TQxPrinter::SetPaperSizeNumber(std::int32_t paper) {
  CheckNoPrinter();
  CheckSupported(1, QStringLiteral("TQxPrinter.SetPaperSizeNumber: PaperSize is not Supported"));
  RefreshCapabilities();
  if (!settings_) LoadSettings();
  DevMode& record = SettingsRecord();
  if (record.dmPaperSize == paper) return;
  record.dmPaperSize = static_cast<std::int16_t>(paper);
  if (paper != DMPAPER_USER) record.dmFields &= ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
  settingsChanged_ = true;
}

void TQxPrinter::SetCopies(std::int32_t copies) {
  CheckNoPrinter();
  if (copies != 1) {
    CheckSupported(5, QStringLiteral("TQxPrinter.SetCopies: Copies is not Supported"));
  }
  if (!settings_) LoadSettings();
  DevMode& record = SettingsRecord();
  if (record.dmCopies == copies) return;
  record.dmCopies = static_cast<std::int16_t>(copies);
  settingsChanged_ = true;
}

void TQxPrinter::ApplySettings() {
  if (!settingsChanged_) return;
  QX_ASSERT(settings_ != nullptr, "TQxPrinter.ApplySettings; No Setteing Info");
  DeviceRecord record;
  LockDevMode(record);
  Guarded(
      [&] {
        const std::size_t size = record.devModeHandle->Size();
        QX_ASSERT(size > 0, "TQxPrinter.ApplySettings; Devmode Size Should be greater than 0");
        // One driver's device mode is garbage to another: settings read from a printer that
        // is no longer the selected one, or of another size, are dropped, not copied.
        if (settings_->Size() == size && settingsDevice_ == record.device) {
          std::memcpy(record.devMode, settings_->Lock(), size);
          settings_->Unlock();
          record.port = settingsPort_;
        }
        ClearSettings();
        printerIndexCache_ = -1;
      },
      [&] { CommitDevMode(record); });
}

void TQxPrinter::CommitDevMode(DeviceRecord& record) {
  Guarded(
      [&] {
        const PrinterHandle handle = spooler_->OpenPrinter(record.device);
        QX_ASSERT(handle != 0, kPlainAssertion);
        Guarded(
            [&] {
              // A block too short to hold a record has nothing the driver could merge.
              if (record.devMode == nullptr) return;
              const int result =
                  spooler_->DocumentProperties(handle, record.device, record.devMode,
                                               record.devMode, DM_IN_BUFFER | DM_OUT_BUFFER);
              QX_ASSERT(result >= 0, kPlainAssertion);
            },
            [&] { spooler_->ClosePrinter(handle); });
      },
      [&] {
        UnlockDevMode(record);
        printer_->SetPrinter(record.device, record.driver, record.port, record.devModeHandle);
      });
}

PixelPair TQxPrinter::GetPixelsPerInch() {
  CheckNoPrinter();
  return {printer_->DeviceCaps(LOGPIXELSX), printer_->DeviceCaps(LOGPIXELSY)};
}

PixelPair TQxPrinter::GetPageOffset() {
  CheckNoPrinter();
  if (!PageTransformInForce().IsIdentity()) return {0, 0};
  return {printer_->DeviceCaps(PHYSICALOFFSETX), printer_->DeviceCaps(PHYSICALOFFSETY)};
}

PageTransform TQxPrinter::PageTransformInForce() {
  if (!fitToPaper_) return {};
  CheckNoPrinter();
  return FitPageTransform(
      GetPixelsPerInch(),
      {printer_->DeviceCaps(PHYSICALWIDTH), printer_->DeviceCaps(PHYSICALHEIGHT)},
      {printer_->DeviceCaps(HORZRES), printer_->DeviceCaps(VERTRES)});
}

bool TQxPrinter::HasPaper(std::int32_t paper) {
  CheckNoPrinter();
  RefreshCapabilities();
  if ((capabilityFlags_ & kHasPapers) == 0) return true;
  return std::find(paperNumbers_.begin(), paperNumbers_.end(), paper) != paperNumbers_.end();
}

std::int32_t TQxPrinter::UseSheetPaper(std::int32_t paper) {
  if (paper == 0) {
    paper = DMPAPER_B4;
    if (!HasPaper(DMPAPER_B4)) {
      QString device, driver, port;
      DevModeHandle ignored;
      printer_->GetPrinter(device, driver, port, ignored);
      paper = HasPaper(DMPAPER_A4) ? DMPAPER_A4
                                   : DriverDefaults(*spooler_, device)->AsDevMode()->dmPaperSize;
    }
  }
  SetPaperSizeNumber(paper);
  ApplySettings();
  fitToPaper_ = true;
  return paper;
}

const QStringList& TQxPrinter::GetPorts() {
  ports_.clear();
  for (const QString& port : spooler_->EnumPorts()) {
    if (!ports_.contains(port)) ports_.append(port);
  }
  return ports_;
}

TCanvas& TQxPrinter::Canvas() { return printer_->Canvas(); }

void TQxPrinter::BeginDoc(const QString& title) {
  const PageTransform transform = PageTransformInForce();
  printer_->SetTitle(title);
  printer_->BeginDoc(transform);
}

void TQxPrinter::EndDoc() { printer_->EndDoc(); }

bool TQxPrinter::PrintsTwoSided() {
  QString device, driver, port;
  DevModeHandle devMode;
  printer_->GetPrinter(device, driver, port, devMode);
  return twoSidedPrinters_.contains(device) &&
         spooler_->DeviceCapabilities(device, port, DC_DUPLEX, nullptr, nullptr) > 0;
}

void TQxPrinter::SettingsChangeHook() {
  auto fresh = std::make_unique<TQxAllPrintersInfo>(*spooler_);
  if (fresh->Equals(*printersInfo_)) {
    fresh.reset();
    const QStringList before = ports_;
    const QStringList& after = GetPorts();
    if (after != before && OnChange) OnChange(*this);
    return;
  }
  printer_->Reset();
  printersInfo_ = std::move(fresh);
  printerIndexCache_ = -1;
  ClearSettings();
  if (OnChange) OnChange(*this);
}

TQxPrinter& QxPrinter() {
  if (g_printer == nullptr) throw Error("印刷の部品が準備されていません");
  return *g_printer;
}

QxPrintersUnit::QxPrintersUnit() {
  if (g_unitCount++ > 0) return;
  g_unitPrinter = MakeSystemQxPrinter().release();
  if (g_printer == nullptr) g_printer = g_unitPrinter;
}

QxPrintersUnit::~QxPrintersUnit() {
  if (--g_unitCount > 0) return;
  if (g_printer == g_unitPrinter) g_printer = nullptr;
  delete g_unitPrinter;
  g_unitPrinter = nullptr;
}

ScopedQxPrinter::ScopedQxPrinter(std::unique_ptr<TQxPrinter> printer)
    : printer_(std::move(printer)), previous_(g_printer) {
  g_printer = printer_.get();
}

ScopedQxPrinter::ScopedQxPrinter(std::shared_ptr<Spooler> spooler)
    : ScopedQxPrinter(
          std::make_unique<TQxPrinter>(spooler, std::make_shared<FrameworkPrinter>(spooler))) {}

ScopedQxPrinter::~ScopedQxPrinter() { g_printer = previous_ ? previous_ : g_unitPrinter; }

void WatchPrinterChanges(int intervalMs) {
  if (auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler())) {
    cups->StartWatching(intervalMs);
  }
}

void SettleFirstPrinterRead() {
  auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler());
  if (cups == nullptr) return;
  cups->TakeFinishedRead();
  cups->GiveUpWaitingForServer();
}

void CheckForPrinterChanges() {
  if (auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler())) cups->CheckForChanges();
}

QStringList PdfPrinterFilesWritten() {
  const auto* cups = dynamic_cast<const CupsSpooler*>(&QxPrinter().GetSpooler());
  return cups ? cups->PdfFilesWritten() : QStringList();
}

bool CollectPdfPrinterRun(const QString& stem) {
  auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler());
  QString device, driver, port;
  DevModeHandle devMode;
  QxPrinter().Framework().GetPrinter(device, driver, port, devMode);
  if (cups == nullptr || device != QLatin1String(kPdfPrinterName)) return false;
  cups->CollectPdfRun(stem);
  return true;
}

QString FinishPdfPrinterRun() {
  auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler());
  if (cups == nullptr) throw Error("PDFをまとめていません");
  return cups->FinishPdfRun();
}

void DropPdfPrinterRun() {
  if (auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler())) cups->DropPdfCollection();
}

bool GatherPrinterJob() {
  auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler());
  if (cups == nullptr || !QxPrinter().PrintsTwoSided()) return false;
  cups->GatherJob(true);
  return true;
}

void SendGatheredPrinterJob(const QString& title) {
  if (auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler())) {
    cups->SendGatheredJob(title);
  }
}

void DropGatheredPrinterJob() {
  if (auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler())) cups->DropGatheredJob();
}

QStringList TakePrintNotices() {
  auto* cups = dynamic_cast<CupsSpooler*>(&QxPrinter().GetSpooler());
  return cups ? cups->TakeNotices() : QStringList();
}

std::unique_ptr<TQxPrinter> MakeSystemQxPrinter() {
  auto spooler = std::make_shared<CupsSpooler>();
  return std::make_unique<TQxPrinter>(spooler, std::make_shared<FrameworkPrinter>(spooler));
}

}  // namespace tamariko
