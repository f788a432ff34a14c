#include "platform/framework_printer.h"

#include <exception>

namespace tamariko {

namespace {

class BlockLock {
 public:
  explicit BlockLock(MemoryBlock& block) : block_(block) { block_.Lock(); }
  ~BlockLock() { block_.Unlock(); }
  BlockLock(const BlockLock&) = delete;
  BlockLock& operator=(const BlockLock&) = delete;

 private:
  MemoryBlock& block_;
};

}  // namespace

FrameworkPrinter::FrameworkPrinter(std::shared_ptr<Spooler> spooler)
    : spooler_(std::move(spooler)) {}

FrameworkPrinter::~FrameworkPrinter() = default;

void FrameworkPrinter::LoadPrinters() {
  if (printersLoaded_) return;
  QStringList names;
  for (const PrinterInfo4& info :
       spooler_->EnumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS)) {
    names.append(info.printerName);
  }
  printers_ = names;
  printersLoaded_ = true;
}

const QStringList& FrameworkPrinter::Printers() {
  LoadPrinters();
  return printers_;
}

int FrameworkPrinter::PrinterIndex() {
  if (index_ >= 0) return index_;
  LoadPrinters();
  if (printers_.isEmpty()) throw Error("There is no default printer currently selected");
  int index = keptDevice_.isEmpty() ? -1 : static_cast<int>(printers_.indexOf(keptDevice_));
  DevModeHandle kept = index >= 0 ? std::move(keptDevMode_) : nullptr;
  keptDevice_.clear();
  keptDevMode_.reset();
  if (index < 0) index = static_cast<int>(printers_.indexOf(spooler_->DefaultPrinter()));
  if (index < 0) index = 0;
  index_ = index;
  device_ = printers_[index];
  port_ = spooler_->PortOf(device_);
  devMode_ = std::move(kept);
  return index_;
}

void FrameworkPrinter::SetPrinterIndex(int index) {
  if (Printing()) throw Error("Printing in progress");
  LoadPrinters();
  if (index == -1) {
    index_ = -1;
    index = PrinterIndex();
  }
  if (index < 0 || index >= printers_.size()) throw Error("Printer index out of range");
  const QString device = printers_[index];
  DevModeHandle block = DriverDefaults(*spooler_, device);
  index_ = index;
  device_ = device;
  port_ = spooler_->PortOf(device);
  devMode_ = std::move(block);
}

void FrameworkPrinter::SelectPrinter(const QString& name) {
  const int index = static_cast<int>(Printers().indexOf(name));
  if (index < 0) {
    throw Error(QStringLiteral("プリンタ「%1」はありません").arg(name).toStdString());
  }
  SetPrinterIndex(index);
}

void FrameworkPrinter::GetPrinter(QString& device, QString& driver, QString& port,
                                  DevModeHandle& devMode) {
  PrinterIndex();
  device = device_;
  driver = QString();
  port = port_;
  devMode = devMode_;
}

void FrameworkPrinter::SetPrinter(const QString& device, const QString& /*driver*/,
                                  const QString& port, DevModeHandle devMode) {
  if (Printing()) throw Error("Printing in progress");
  LoadPrinters();
  int index = printers_.indexOf(device);
  if (index < 0) {
    printers_.append(device);
    index = static_cast<int>(printers_.size()) - 1;
  }
  index_ = index;
  device_ = device;
  port_ = port;
  devMode_ = std::move(devMode);
}

DevMode FrameworkPrinter::CurrentDevMode() {
  if (!devMode_) SetPrinterIndex(PrinterIndex());
  DevMode* record = devMode_->AsDevMode();
  if (record == nullptr) {
    throw EOSError(QStringLiteral("プリンタ「%1」の設定が壊れています").arg(device_).toStdString());
  }
  BlockLock lock(*devMode_);
  return *record;
}

void FrameworkPrinter::BeginDoc(const PageTransform& transform) {
  if (Printing()) throw Error("Printing in progress");
  const DevMode record = CurrentDevMode();
  // The spooler keeps at most 31 characters of a title.
  job_ = spooler_->StartDoc(device_, record, title_.left(31));
  job_->SetPageTransform(transform);
}

void FrameworkPrinter::EndDoc() {
  if (!Printing()) throw Error("Printer is not currently printing");
  std::unique_ptr<PrintJob> job = std::move(job_);
  std::exception_ptr failure;
  try {
    job->End();
  } catch (...) {
    failure = std::current_exception();
  }
  job.reset();
  if (resetAfterJob_) Reset();
  if (failure) std::rethrow_exception(failure);
}

TCanvas& FrameworkPrinter::Canvas() {
  if (!Printing()) throw Error("Printer is not currently printing");
  return job_->Canvas();
}

int FrameworkPrinter::DeviceCaps(int index) {
  const DevMode record = CurrentDevMode();
  return spooler_->DeviceCaps(device_, record, index);
}

void FrameworkPrinter::Reset() {
  if (Printing()) {
    resetAfterJob_ = true;
    return;
  }
  resetAfterJob_ = false;
  // The printer in force, with its paper, stays in force while it is installed: a list that
  // changes under the teacher (a queue added, a print server that answers again) must not
  // switch them to another.
  if (index_ >= 0) {
    keptDevice_ = device_;
    keptDevMode_ = devMode_;
  }
  printers_.clear();
  printersLoaded_ = false;
  index_ = -1;
  device_.clear();
  port_.clear();
  devMode_.reset();
}

}  // namespace tamariko
