#include "platform/cups_spooler.h"

#include <cups/cups.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSizeF>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/qpainter_canvas.h"
#include "platform/spooler_paper.h"
#include "platform/staged_file.h"

namespace tamariko {

namespace {

constexpr std::uint32_t kSupportedFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH |
                                           DM_PAPERWIDTH | DM_COPIES | DM_PRINTQUALITY |
                                           DM_YRESOLUTION | DM_COLLATE;
constexpr int kCupsMaxCopies = 9999;  // cupsd's own default limit
constexpr qsizetype kSendChunk = 32 * 1024;

bool IsPdfPrinter(const QString& name) { return name == QLatin1String(kPdfPrinterName); }

struct Margins {
  int left = 0, top = 0, right = 0, bottom = 0;  // device pixels
};

int HundredthsToPixels(int hundredthsMm) {
  return static_cast<int>(std::lround(hundredthsMm / 2540.0 * kPrinterDpi));
}

QPageSize PaperOf(const DevMode& dm) {
  QPageSize size = PageSizeOfDevMode(dm.dmPaperSize, dm.dmPaperLength, dm.dmPaperWidth);
  return size.isValid() ? size : QPageSize(QPageSize::A4);
}

QPageLayout::Orientation OrientationOf(const DevMode& dm) {
  return dm.dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The queue's hardware margins for a paper, from its media database.
Margins QueueMargins(const QString& queue, const QPageSize& paper,
                     QPageLayout::Orientation orientation) {
  Margins m;
  const QByteArray name = queue.toUtf8();
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
  if (dest == nullptr) return m;
  if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
    const QSizeF mm = paper.size(QPageSize::Millimeter);
    cups_size_t size{};
    if (cupsGetDestMediaBySize(
            CUPS_HTTP_DEFAULT, dest, info, static_cast<int>(std::lround(mm.width() * 100)),
            static_cast<int>(std::lround(mm.height() * 100)), CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
      m = {HundredthsToPixels(size.left), HundredthsToPixels(size.top),
           HundredthsToPixels(size.right), HundredthsToPixels(size.bottom)};
    }
    cupsFreeDestInfo(info);
  }
  cupsFreeDests(1, dest);
  if (orientation == QPageLayout::Landscape) m = {m.bottom, m.left, m.top, m.right};
  return m;
}

// The queue's default paper, as a paper number (256 with the size when it has none).
void QueueDefaultPaper(const QString& queue, DevMode& dm) {
  dm.dmPaperSize = 9;
  const QByteArray name = queue.toUtf8();
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
  if (dest == nullptr) return;
  if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
    cups_size_t size{};
    if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size) &&
        size.width > 0 && size.length > 0) {
      const QPageSize page(QSizeF(size.width / 100.0, size.length / 100.0), QPageSize::Millimeter,
                           QString(), QPageSize::FuzzyMatch);
      const int number = PaperNumberOfPageSize(page.id());
      if (number != 0) {
        dm.dmPaperSize = static_cast<std::int16_t>(number);
      } else {
        dm.dmPaperSize = DMPAPER_USER;
        dm.dmPaperWidth = static_cast<std::int16_t>(size.width / 10);
        dm.dmPaperLength = static_cast<std::int16_t>(size.length / 10);
      }
    }
    cupsFreeDestInfo(info);
  }
  cupsFreeDests(1, dest);
}

void FillPaperDimensions(DevMode& dm) {
  if (dm.dmPaperSize == DMPAPER_USER) return;
  const QPageSize size = PaperOf(dm);
  const QSizeF mm = size.size(QPageSize::Millimeter);
  dm.dmPaperWidth = static_cast<std::int16_t>(std::lround(mm.width() * 10));
  dm.dmPaperLength = static_cast<std::int16_t>(std::lround(mm.height() * 10));
}

QPageLayout LayoutFor(const DevMode& dm, const Margins& m) {
  // Margins in exact device pixels, so that the drawing origin is the printable corner.
  const double mmPerPixel = 25.4 / kPrinterDpi;
  return QPageLayout(PaperOf(dm), OrientationOf(dm),
                     QMarginsF(m.left * mmPerPixel, m.top * mmPerPixel, m.right * mmPerPixel,
                               m.bottom * mmPerPixel),
                     QPageLayout::Millimeter);
}

QString SafeFileStem(const QString& title) {
  QString stem = title;
  for (QChar& c : stem) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) c = QLatin1Char('_');
  }
  while (stem.startsWith(QLatin1Char('.'))) stem.remove(0, 1);
  return stem.trimmed().isEmpty() ? QStringLiteral("印刷") : stem.trimmed();
}

// Creates a new file named after the title, never replacing one: "名前.pdf", "名前 (2).pdf"...
// The file is written and checked under a temporary name first, so a failure leaves nothing.
QString WriteNewPdf(const QString& folder, const QString& title, const QByteArray& bytes) {
  if (!QDir().mkpath(folder)) {
    throw Error(QStringLiteral("PDFの保存先「%1」を作れません (cannot create the folder '%1')")
                    .arg(folder)
                    .toStdString());
  }
  const QString stem = SafeFileStem(title);
  const auto file =
      StagedFile::Written(QDir(folder).filePath(stem + QStringLiteral(".pdf")), bytes);
  for (int n = 1; n < 10000; ++n) {
    const QString fileName =
        n == 1 ? stem + QStringLiteral(".pdf") : QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
    const QString path = QDir(folder).filePath(fileName);
    if (file->PutInPlaceAsNew(path)) return path;
  }
  throw Error(QStringLiteral("「%1」には同じ名前のPDFが多すぎます").arg(folder).toStdString());
}

// Sends a PDF to a queue over a connection of its own, a piece at a time, letting the
// windows repaint between pieces.
void SendToQueue(const QString& queue, const QString& title, const DevMode& dm,
                 const QByteArray& pdf) {
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              30000, nullptr);
  if (http == nullptr) {
    throw EOSError(QStringLiteral("印刷サーバーにつながりません: %1")
                       .arg(QString::fromUtf8(cupsLastErrorString()))
                       .toStdString());
  }
  const QByteArray name = queue.toUtf8();
  const QByteArray jobTitle = title.toUtf8();
  cups_option_t* options = nullptr;
  int count = 0;
  const QSizeF mm = PaperOf(dm).size(QPageSize::Millimeter);
  if (pwg_media_t* media = pwgMediaForSize(static_cast<int>(std::lround(mm.width() * 100)),
                                           static_cast<int>(std::lround(mm.height() * 100)))) {
    count = cupsAddOption("media", media->pwg, count, &options);
  }
  if (dm.dmCopies > 1) count = cupsAddIntegerOption("copies", dm.dmCopies, count, &options);

  QString failure;
  const int job = cupsCreateJob(http, name.constData(), jobTitle.constData(), count, options);
  if (job == 0) {
    failure = QString::fromUtf8(cupsLastErrorString());
  } else if (cupsStartDocument(http, name.constData(), job, jobTitle.constData(), CUPS_FORMAT_PDF,
                               1) != HTTP_STATUS_CONTINUE) {
    failure = QString::fromUtf8(cupsLastErrorString());
  } else {
    for (qsizetype at = 0; at < pdf.size(); at += kSendChunk) {
      const qsizetype n = std::min(kSendChunk, pdf.size() - at);
      if (cupsWriteRequestData(http, pdf.constData() + at, static_cast<size_t>(n)) !=
          HTTP_STATUS_CONTINUE) {
        failure = QString::fromUtf8(cupsLastErrorString());
        break;
      }
      QCoreApplication::processEvents();
    }
    const ipp_status_t status = cupsFinishDocument(http, name.constData());
    if (failure.isEmpty() && status > IPP_STATUS_OK_CONFLICTING) {
      failure = QString::fromUtf8(cupsLastErrorString());
    }
  }
  if (!failure.isEmpty() && job != 0) cupsCancelJob2(http, name.constData(), job, 0);
  cupsFreeOptions(count, options);
  httpClose(http);
  if (!failure.isEmpty()) {
    throw EOSError(
        QStringLiteral("「%1」へ印刷できませんでした: %2").arg(queue, failure).toStdString());
  }
}

}  // namespace

struct CupsSpooler::Collection {
  // The pages stream into the staged file as they are printed; the painter goes first.
  explicit Collection(const QString& path)
      : file(std::make_unique<StagedFile>(path)), writer(file.get()) {}
  std::unique_ptr<StagedFile> file;
  QPdfWriter writer;
  std::unique_ptr<QPainterCanvas> canvas;
  int pages = 0;
};

namespace {

class PdfPageJob : public PrintJob {
 public:
  // A job of its own: the page goes to memory, then to a file or a queue.
  PdfPageJob(CupsSpooler& spooler, QString device, const DevMode& dm, QString title,
             Margins margins)
      : spooler_(spooler), device_(std::move(device)), devMode_(dm), title_(std::move(title)) {
    buffer_.open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(&buffer_);
    writer_->setResolution(kPrinterDpi);
    writer_->setTitle(title_);
    writer_->setCreator(QStringLiteral("タマリコ"));
    writer_->setPageLayout(LayoutFor(dm, margins));
    canvas_ = std::make_unique<QPainterCanvas>(writer_.get());
  }
  // The next page of a collected file.
  PdfPageJob(CupsSpooler& spooler, CupsSpooler::Collection& collection, const DevMode& dm,
             QString title)
      : spooler_(spooler), devMode_(dm), title_(std::move(title)), collection_(&collection) {
    collection.writer.setPageLayout(LayoutFor(dm, Margins{}));
    if (!collection.canvas) {
      collection.writer.setResolution(kPrinterDpi);
      collection.writer.setCreator(QStringLiteral("タマリコ"));
      collection.writer.setTitle(title_);
      collection.canvas = std::make_unique<QPainterCanvas>(&collection.writer);
    } else if (!collection.writer.newPage()) {
      throw Error("PDFに次のページを足せません");
    }
  }

  TCanvas& Canvas() override { return collection_ ? *collection_->canvas : *canvas_; }

  void End() override {
    if (collection_) {
      ++collection_->pages;
      QCoreApplication::processEvents();
      return;
    }
    if (!canvas_->End()) throw Error("印刷ページを仕上げられませんでした");
    if (IsPdfPrinter(device_)) {
      spooler_.RecordPdf(WriteNewPdf(spooler_.PdfOutputFolder(), title_, buffer_.data()));
      QCoreApplication::processEvents();
    } else {
      SendToQueue(device_, title_, devMode_, buffer_.data());
    }
  }

 private:
  CupsSpooler& spooler_;
  QString device_;
  DevMode devMode_;
  QString title_;
  CupsSpooler::Collection* collection_ = nullptr;
  QBuffer buffer_;
  std::unique_ptr<QPdfWriter> writer_;
  std::unique_ptr<QPainterCanvas> canvas_;
};

}  // namespace

CupsSpooler::CupsSpooler() = default;
CupsSpooler::~CupsSpooler() = default;

QString CupsSpooler::PdfOutputFolder() const {
  if (!pdfFolder_.isEmpty()) return pdfFolder_;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return documents.isEmpty() ? QDir::homePath() : documents;
}

void CupsSpooler::SetPdfOutputFolder(const QString& folder) { pdfFolder_ = folder; }

void CupsSpooler::RecordPdf(const QString& path) { pdfFiles_.append(path); }

void CupsSpooler::CollectPdfJobs(const QString& file) {
  collection_ = std::make_unique<Collection>(file);
}

bool CupsSpooler::CollectingPdf() const { return collection_ != nullptr; }

std::unique_ptr<StagedFile> CupsSpooler::EndPdfCollection() {
  if (!collection_) throw Error("PDFをまとめていません");
  std::unique_ptr<Collection> collection = std::move(collection_);
  const QString path = collection->file->FinalPath();
  if (collection->pages == 0 || !collection->canvas) {
    throw Error(
        QStringLiteral("PDF「%1」に印刷したページがありません (nothing was printed into '%1')")
            .arg(path)
            .toStdString());
  }
  const bool painted = collection->canvas->End();
  std::unique_ptr<StagedFile> file = std::move(collection->file);
  collection.reset();
  file->Finish();  // a write that failed is reported here, with its reason
  if (!painted) {
    throw Error(QStringLiteral("PDF「%1」を仕上げられませんでした (could not finish '%1')")
                    .arg(path)
                    .toStdString());
  }
  return file;
}

int CupsSpooler::FinishPdfCollection() {
  const int pages = collection_ ? collection_->pages : 0;
  const std::unique_ptr<StagedFile> file = EndPdfCollection();
  file->PutInPlace();
  pdfFiles_.append(file->FinalPath());
  return pages;
}

std::vector<CupsSpooler::Queue> CupsSpooler::ReadQueues() {
  std::vector<Queue> queues;
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& dest = dests[i];
    if (dest.instance != nullptr) continue;
    Queue queue;
    queue.name = QString::fromUtf8(dest.name);
    if (IsPdfPrinter(queue.name)) continue;
    const char* type = cupsGetOption("printer-type", dest.num_options, dest.options);
    const bool remote = type != nullptr && (std::atoi(type) & CUPS_PRINTER_REMOTE) != 0;
    queue.attributes = remote ? PRINTER_ATTRIBUTE_NETWORK : PRINTER_ATTRIBUTE_LOCAL;
    const char* uri = cupsGetOption("device-uri", dest.num_options, dest.options);
    if (uri == nullptr)
      uri = cupsGetOption("printer-uri-supported", dest.num_options, dest.options);
    queue.port = uri ? QString::fromUtf8(uri) : QStringLiteral("cups:") + queue.name;
    queue.isDefault = dest.is_default != 0;
    queues.push_back(queue);
  }
  cupsFreeDests(count, dests);
  Queue pdf;
  pdf.name = QLatin1String(kPdfPrinterName);
  pdf.port = QStringLiteral("PDF:");
  queues.push_back(pdf);
  return queues;
}

bool CupsSpooler::Exists(const QString& name) {
  if (IsPdfPrinter(name)) return true;
  const auto queues = ReadQueues();
  return std::any_of(queues.begin(), queues.end(), [&](const Queue& q) { return q.name == name; });
}

void CupsSpooler::CheckForChanges() {
  const std::vector<Queue> now = ReadQueues();
  auto same = [](const Queue& a, const Queue& b) {
    return a.name == b.name && a.port == b.port && a.attributes == b.attributes;
  };
  // The first reading has nothing to compare with; the listeners compare with their own
  // snapshot, so telling them once costs only a re-read.
  const bool changed =
      !seen_ || !std::equal(now.begin(), now.end(), lastSeen_.begin(), lastSeen_.end(), same);
  lastSeen_ = now;
  seen_ = true;
  if (changed) NotifyPrintersChanged();
}

void CupsSpooler::StartWatching(int intervalMs) {
  if (!timer_) {
    timer_ = std::make_unique<QTimer>();
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { CheckForChanges(); });
  }
  timer_->start(intervalMs);
}

std::vector<PrinterInfo4> CupsSpooler::EnumPrinters(std::uint32_t /*flags*/) {
  std::vector<PrinterInfo4> result;
  for (const Queue& q : ReadQueues()) result.push_back({q.name, QString(), q.attributes});
  return result;
}

std::vector<QString> CupsSpooler::EnumPorts() {
  std::vector<QString> ports;
  for (const Queue& q : ReadQueues()) ports.push_back(q.port);
  return ports;
}

QString CupsSpooler::DefaultPrinter() {
  for (const Queue& q : ReadQueues()) {
    if (q.isDefault) return q.name;
  }
  return QLatin1String(kPdfPrinterName);
}

QString CupsSpooler::PortOf(const QString& printer) {
  for (const Queue& q : ReadQueues()) {
    if (q.name == printer) return q.port;
  }
  return QString();
}

PrinterHandle CupsSpooler::OpenPrinter(const QString& name) {
  if (!Exists(name)) return 0;
  const PrinterHandle handle = nextHandle_++;
  open_[handle] = name;
  return handle;
}

void CupsSpooler::ClosePrinter(PrinterHandle handle) { open_.erase(handle); }

int CupsSpooler::DocumentProperties(PrinterHandle handle, const QString& device, DevMode* out,
                                    const DevMode* in, int mode) {
  const auto open = open_.find(handle);
  if (open == open_.end() || open->second != device) return -1;
  if (mode == 0) return static_cast<int>(sizeof(DevMode));
  if ((mode & DM_OUT_BUFFER) == 0 || out == nullptr) return -1;

  DevMode result{};
  SetDevModeName(result, device);
  result.dmSpecVersion = 0x401;
  result.dmSize = sizeof(DevMode);
  result.dmFields = kSupportedFields;
  result.dmOrientation = DMORIENT_PORTRAIT;
  result.dmCopies = 1;
  result.dmCollate = 1;
  result.dmPrintQuality = kPrinterDpi;
  result.dmYResolution = kPrinterDpi;
  if (IsPdfPrinter(device)) {
    result.dmPaperSize = 9;
  } else {
    QueueDefaultPaper(device, result);
  }
  if ((mode & DM_IN_BUFFER) != 0) {
    if (in == nullptr) return -1;
    // What the caller set wins where it makes sense; the rest stays the driver's default.
    const DevMode asked = *in;
    result.dmFields = asked.dmFields & kSupportedFields;
    if (asked.dmOrientation == DMORIENT_PORTRAIT || asked.dmOrientation == DMORIENT_LANDSCAPE) {
      result.dmOrientation = asked.dmOrientation;
    }
    if (PageSizeOfDevMode(asked.dmPaperSize, asked.dmPaperLength, asked.dmPaperWidth).isValid()) {
      result.dmPaperSize = asked.dmPaperSize;
      result.dmPaperLength = asked.dmPaperLength;
      result.dmPaperWidth = asked.dmPaperWidth;
    }
    const int maxCopies = IsPdfPrinter(device) ? 1 : kCupsMaxCopies;
    result.dmCopies = static_cast<std::int16_t>(std::clamp<int>(asked.dmCopies, 1, maxCopies));
    result.dmCollate = asked.dmCollate;
  }
  FillPaperDimensions(result);
  *out = result;
  return IDOK;
}

int CupsSpooler::DeviceCapabilities(const QString& device, const QString& /*port*/, int capability,
                                    CapabilityOutput* out, const DevMode* /*devMode*/) {
  if (capability == DC_PAPERS || capability == DC_PAPERNAMES) {
    std::vector<std::uint16_t> numbers;
    if (IsPdfPrinter(device)) {
      numbers = KnownPaperNumbers();
    } else {
      const QByteArray name = device.toUtf8();
      cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
      if (dest == nullptr) return -1;
      if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        const int count =
            cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
        for (int i = 0; i < count; ++i) {
          cups_size_t size{};
          if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT,
                                       &size)) {
            continue;
          }
          const QPageSize page(QSizeF(size.width / 100.0, size.length / 100.0),
                               QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
          const int number = PaperNumberOfPageSize(page.id());
          if (number != 0 && std::find(numbers.begin(), numbers.end(), number) == numbers.end()) {
            numbers.push_back(static_cast<std::uint16_t>(number));
          }
        }
        cupsFreeDestInfo(info);
      }
      cupsFreeDests(1, dest);
    }
    if (out != nullptr) {
      if (capability == DC_PAPERS) {
        out->numbers = numbers;
      } else {
        out->names.clear();
        for (std::uint16_t n : numbers)
          out->names.append(QPageSize(*PageSizeOfPaperNumber(n)).name());
      }
    }
    return static_cast<int>(numbers.size());
  }
  if (!IsPdfPrinter(device) && !Exists(device)) return -1;
  switch (capability) {
    case DC_BINS:
    case DC_BINNAMES:
      return 0;  // CUPS chooses the tray itself
    case DC_ENUMRESOLUTIONS:
      if (out != nullptr) out->resolutions = {{kPrinterDpi, kPrinterDpi}};
      return 1;
    case DC_COPIES:
      return IsPdfPrinter(device) ? 1 : kCupsMaxCopies;
    default:
      return -1;
  }
}

int CupsSpooler::DeviceCaps(const QString& device, const DevMode& devMode, int index) {
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return kPrinterDpi;
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY: {
      if (IsPdfPrinter(device)) return 0;
      const Margins m = QueueMargins(device, PaperOf(devMode), OrientationOf(devMode));
      return index == PHYSICALOFFSETX ? m.left : m.top;
    }
    default:
      return 0;
  }
}

std::unique_ptr<PrintJob> CupsSpooler::StartDoc(const QString& device, const DevMode& devMode,
                                                const QString& title) {
  if (IsPdfPrinter(device)) {
    if (collection_) return std::make_unique<PdfPageJob>(*this, *collection_, devMode, title);
    return std::make_unique<PdfPageJob>(*this, device, devMode, title, Margins{});
  }
  if (!Exists(device)) {
    throw EOSError(QStringLiteral("プリンタ「%1」がありません").arg(device).toStdString());
  }
  return std::make_unique<PdfPageJob>(
      *this, device, devMode, title,
      QueueMargins(device, PaperOf(devMode), OrientationOf(devMode)));
}

}  // namespace tamariko
