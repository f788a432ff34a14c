#include "platform/spooler.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

namespace tamariko {

MemoryBlock::MemoryBlock(std::size_t size)
    : size_(size), bytes_(std::make_unique<std::byte[]>(std::max<std::size_t>(size, 1))) {
  if (size_ >= sizeof(DevMode)) new (bytes_.get()) DevMode{};
}

std::byte* MemoryBlock::Lock() {
  ++locks_;
  return bytes_.get();
}

void MemoryBlock::Unlock() {
  if (locks_ > 0) --locks_;
}

DevMode* MemoryBlock::AsDevMode() {
  return size_ >= sizeof(DevMode) ? std::launder(reinterpret_cast<DevMode*>(bytes_.get()))
                                  : nullptr;
}

int Spooler::Subscribe(std::function<void()> listener) {
  const int id = nextListener_++;
  listeners_.emplace_back(id, std::move(listener));
  return id;
}

void Spooler::Unsubscribe(int id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void Spooler::NotifyPrintersChanged() {
  // A listener may unsubscribe while it runs.
  const auto listeners = listeners_;
  for (const auto& entry : listeners) entry.second();
}

PrinterHandle Spooler::NewHandle(const QString& name) {
  const PrinterHandle handle = nextHandle_++;
  open_[handle] = name;
  return handle;
}

bool Spooler::HandleOpenOn(PrinterHandle handle, const QString& device) const {
  const auto open = open_.find(handle);
  return open != open_.end() && open->second == device;
}

QString ShownPrinterName(Spooler& spooler, const QString& printer) {
  PrinterInfo2 info;
  if (!spooler.GetPrinterInfo2(printer, info)) return printer;
  const QString description = info.description.trimmed();
  if (description.isEmpty() || description == printer) return printer;
  return QStringLiteral("%1（%2）").arg(description, printer);
}

void SetDevModeName(DevMode& devMode, const QString& name) {
  std::memset(devMode.dmDeviceName, 0, sizeof devMode.dmDeviceName);
  QByteArray utf8 = name.toUtf8();
  // Never cut inside a UTF-8 sequence.
  qsizetype n = std::min<qsizetype>(utf8.size(), sizeof devMode.dmDeviceName - 1);
  while (n > 0 && n < utf8.size() && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
  std::memcpy(devMode.dmDeviceName, utf8.constData(), static_cast<std::size_t>(n));
}

DevModeHandle DriverDefaults(Spooler& spooler, const QString& device) {
  const PrinterHandle handle = spooler.OpenPrinter(device);
  if (handle == 0) {
    throw EOSError(QStringLiteral("プリンタ「%1」を開けません").arg(device).toStdString());
  }
  DevModeHandle block;
  std::exception_ptr failure;
  try {
    const int size = spooler.DocumentProperties(handle, device, nullptr, nullptr, 0);
    if (size < static_cast<int>(sizeof(DevMode))) {
      throw EOSError(QStringLiteral("プリンタ「%1」の設定を読めません").arg(device).toStdString());
    }
    block = std::make_shared<MemoryBlock>(static_cast<std::size_t>(size));
    // Written only while locked, as the spooler's blocks are.
    block->Lock();
    const int read =
        spooler.DocumentProperties(handle, device, block->AsDevMode(), nullptr, DM_OUT_BUFFER);
    block->Unlock();
    if (read < 0) {
      throw EOSError(QStringLiteral("プリンタ「%1」の設定を読めません").arg(device).toStdString());
    }
  } catch (...) {
    failure = std::current_exception();
  }
  spooler.ClosePrinter(handle);
  if (failure) std::rethrow_exception(failure);
  return block;
}

}  // namespace tamariko
