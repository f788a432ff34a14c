#include "platform/cups_spooler.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "platform/off_thread.h"
#include "platform/qpainter_canvas.h"
#include "platform/spooler_paper.h"
#include "platform/staged_file.h"

namespace tamariko {

// Text is sized in the printer's whole pixels on every device (platform/qpainter_canvas.h).
static_assert(kTextDpi == kPrinterDpi, "the canvas sizes text at another density than the printer");

namespace {

constexpr std::uint32_t kSupportedFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH |
                                           DM_PAPERWIDTH | DM_COPIES | DM_DEFAULTSOURCE |
                                           DM_PRINTQUALITY | DM_YRESOLUTION | DM_COLLATE;
constexpr int kCupsMaxCopies = 9999;  // cupsd's own default limit
// How much longer than the bound a silent job may take, all told.
constexpr int kSilenceGraceMs = 2000;

bool IsPdfPrinter(const QString& name) { return name == QLatin1String(kPdfPrinterName); }
const QString kPdfPort = QStringLiteral("PDF:");

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

int Hundredths(double mm) { return static_cast<int>(std::lround(mm * 100)); }

// The queue's hardware margins for a paper, as CUPS gives them for that size.
Margins QueueMargins(const CupsQueue* queue, const QPageSize& paper,
                     QPageLayout::Orientation orientation) {
  Margins m;
  const QSizeF mm = paper.size(QPageSize::Millimeter);
  if (const CupsMedia* media =
          queue ? queue->PaperOfSize(Hundredths(mm.width()), Hundredths(mm.height())) : nullptr) {
    m = {HundredthsToPixels(media->left), HundredthsToPixels(media->top),
         HundredthsToPixels(media->right), HundredthsToPixels(media->bottom)};
  }
  if (orientation == QPageLayout::Landscape) m = {m.bottom, m.left, m.top, m.right};
  return m;
}

QPageSize PageSizeOfMedia(const CupsMedia& media) {
  return QPageSize(QSizeF(media.width / 100.0, media.length / 100.0), QPageSize::Millimeter,
                   QString(), QPageSize::FuzzyMatch);
}

// The queue's default paper, as a paper number (256 with the size when it has none).
void QueueDefaultPaper(const CupsQueue* queue, DevMode& dm) {
  dm.dmPaperSize = DMPAPER_A4;
  if (queue == nullptr || !queue->defaultPaper) return;
  const CupsMedia& size = *queue->defaultPaper;
  const int number = PaperNumberOfPageSize(PageSizeOfMedia(size).id());
  if (number != 0) {
    dm.dmPaperSize = static_cast<std::int16_t>(number);
  } else {
    dm.dmPaperSize = DMPAPER_USER;
    dm.dmPaperWidth = static_cast<std::int16_t>(size.width / 10);
    dm.dmPaperLength = static_cast<std::int16_t>(size.length / 10);
  }
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

// Puts a finished file in `folder` under the first free name of `stem`.
QString PutInPlaceAsNew(StagedFile& file, const QString& folder, const QString& stem) {
  for (int n = 1; n < 10000; ++n) {
    const QString fileName =
        n == 1 ? stem + QStringLiteral(".pdf") : QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
    const QString path = QDir(folder).filePath(fileName);
    if (file.PutInPlaceAsNew(path)) return path;
  }
  throw Error(QStringLiteral("「%1」には同じ名前のPDFが多すぎます").arg(folder).toStdString());
}

// Creates a new file named after the title, never replacing one: "名前.pdf", "名前 (2).pdf"...
// The file is written and checked under a temporary name first, so a failure leaves nothing.
QString WriteNewPdf(const QString& folder, const QString& title, const QByteArray& bytes) {
  MakePdfFolder(folder);
  const QString stem = SafeFileStem(title);
  // Staged in `folder` itself, where it is put, even when the first name is a link.
  const auto file = StagedFile::Written(QDir(folder).filePath(stem + QStringLiteral(".pdf")), bytes,
                                        StagedFile::Links::Replace);
  return PutInPlaceAsNew(*file, folder, stem);
}

// Sends a PDF to a queue on a thread of its own, the windows repainting meanwhile; a server
// that falls silent, before or in the middle of sending, ends the job with an error within
// the bound.
CupsJobResult SendToQueue(const QString& queue, const QString& title, const DevMode& dm,
                          const QString& tray, const QByteArray& pdf, bool twoSided = false) {
  CupsJobOptions options;
  const QSizeF mm = PaperOf(dm).size(QPageSize::Millimeter);
  options.media = CupsMedia{Hundredths(mm.width()), Hundredths(mm.height())};
  options.copies = dm.dmCopies;
  options.tray = tray;
  options.twoSided = twoSided;
  const int timeoutMs = CupsTimeoutMs();
  auto result = std::make_shared<CupsJobResult>();
  auto track = std::make_shared<CupsJobTrack>();
  // The worker bounds each silence itself; this wait, which also moves with the worker's
  // progress, only catches a call that ignores the bound, or a program that is closing.
  const bool ended = RunOffThread(
      [=](OffThreadLink& link) {
        *result = SendPdfToCups(
            queue, title, options, pdf, timeoutMs, &link.cancel, [&link] { link.Progress(); },
            track.get());
      },
      timeoutMs + kSilenceGraceMs);
  if (!ended) {
    EPrintServerSilent e(QStringLiteral("「%1」へ印刷できませんでした: %2")
                             .arg(queue, CupsNotAnsweringText(QStringLiteral("timed out")))
                             .toStdString());
    e.queue = queue;
    e.title = title;
    e.jobId = track->id;
    e.jobMayExist = track->asked;
    throw e;
  }
  return *result;
}

struct KnownTray {
  const char* keyword;
  std::int16_t bin;  // 0: none of the classic numbers
  const char* name;
};

// The media-source keywords printers report most, with the names Japanese drivers use.
constexpr KnownTray kKnownTrays[] = {
    {"auto", DMBIN_AUTO, "自動選択"},
    {"manual", DMBIN_MANUAL, "手差し"},
    {"by-pass-tray", DMBIN_MANUAL, "手差しトレイ"},
    {"main", DMBIN_UPPER, "メイントレイ"},
    {"top", DMBIN_UPPER, "上段トレイ"},
    {"upper", DMBIN_UPPER, "上段トレイ"},
    {"middle", DMBIN_MIDDLE, "中段トレイ"},
    {"bottom", DMBIN_LOWER, "下段トレイ"},
    {"lower", DMBIN_LOWER, "下段トレイ"},
    {"tray-1", DMBIN_UPPER, "トレイ1"},
    {"tray-2", DMBIN_LOWER, "トレイ2"},
    {"tray-3", DMBIN_MIDDLE, "トレイ3"},
    {"envelope", DMBIN_ENVELOPE, "封筒トレイ"},
    {"large-capacity", DMBIN_LARGECAPACITY, "大容量トレイ"},
    {"alternate", 0, "補助トレイ"},
    {"photo", 0, "写真用トレイ"},
    {"hagaki", 0, "はがきトレイ"},
    {"side", 0, "側面トレイ"},
    {"rear", 0, "背面トレイ"},
    {"disc", 0, "ディスクトレイ"},
};

QString TrayName(const CupsTray& tray, const KnownTray* known) {
  if (known != nullptr) return QString::fromUtf8(known->name);
  static const QRegularExpression numbered(QStringLiteral("^(tray|roll)-(\\d+)$"));
  const QRegularExpressionMatch match = numbered.match(tray.keyword);
  if (match.hasMatch()) {
    return (match.captured(1) == QLatin1String("tray") ? QStringLiteral("トレイ")
                                                       : QStringLiteral("ロール")) +
           match.captured(2);
  }
  return tray.name.isEmpty() ? tray.keyword : tray.name;
}

}  // namespace

std::vector<CupsBin> BinsOfTrays(const std::vector<CupsTray>& trays) {
  std::vector<CupsBin> bins;
  for (std::size_t i = 0; i < trays.size(); ++i) {
    const CupsTray& tray = trays[i];
    const KnownTray* known = nullptr;
    for (const KnownTray& k : kKnownTrays) {
      if (tray.keyword == QLatin1String(k.keyword)) known = &k;
    }
    auto taken = [&](std::int16_t n) {
      return std::any_of(bins.begin(), bins.end(), [n](const CupsBin& b) { return b.number == n; });
    };
    std::int16_t number = known != nullptr ? known->bin : std::int16_t{0};
    if (number == 0 || taken(number)) number = static_cast<std::int16_t>(DMBIN_USER + i);
    bins.push_back({number, tray.keyword, TrayName(tray, known)});
  }
  return bins;
}

struct CupsSpooler::Collection {
  // The pages stream into the staged file as they are printed; the painter goes first.
  explicit Collection(std::unique_ptr<StagedFile> staged)
      : file(std::move(staged)), writer(file.get()) {}
  // Into memory, for one job of many pages.
  explicit Collection(QIODevice* device) : writer(device) {}
  std::unique_ptr<StagedFile> file;
  QPdfWriter writer;
  std::unique_ptr<QPainterCanvas> canvas;
  int pages = 0;
};

struct CupsSpooler::Gathered {
  explicit Gathered(bool sides) : twoSided(sides) { buffer.open(QIODevice::WriteOnly); }
  bool twoSided;
  QBuffer buffer;
  Collection pages{&buffer};
  QString device;  // the queue and device mode of the first page, which the job takes
  DevMode devMode{};
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
             QString title, Margins margins = {})
      : spooler_(spooler), devMode_(dm), title_(std::move(title)), collection_(&collection) {
    collection.writer.setPageLayout(LayoutFor(dm, margins));
    if (!collection.canvas) {
      collection.writer.setResolution(kPrinterDpi);
      collection.writer.setCreator(QStringLiteral("タマリコ"));
      collection.writer.setTitle(title_);
      collection.canvas = std::make_unique<QPainterCanvas>(&collection.writer);
    } else if (!collection.writer.newPage()) {
      throw Error("PDFに次のページを足せません");
    } else {
      collection.canvas->StartAfresh();
    }
  }

  TCanvas& Canvas() override { return collection_ ? *collection_->canvas : *canvas_; }
  void SetPageTransform(const PageTransform& transform) override {
    (collection_ ? *collection_->canvas : *canvas_).SetPageTransform(transform);
  }

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
      const CupsJobResult sent =
          SendToQueue(device_, title_, devMode_,
                      spooler_.TrayOfBin(device_, devMode_.dmDefaultSource), buffer_.data());
      if (sent.queueStopped) spooler_.QueuePaused(device_);
      spooler_.JobSent({device_, title_, sent.id, sent.queueStopped});
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

// The background read: one at a time; its result waits here until the spooler's thread
// takes it. The thread may outlive the spooler, so it holds only this.
struct CupsSpooler::Reader {
  std::mutex mutex;
  std::condition_variable finished;
  bool running = false;
  std::optional<CupsReading> result;
  QObject* receiver = nullptr;  // told of a result; cleared when the spooler goes
  std::atomic<bool> cancel{false};
};

CupsSpooler::CupsSpooler()
    : reader_(std::make_shared<Reader>()), receiver_(std::make_unique<QObject>()) {
  reader_->receiver = receiver_.get();
}

CupsSpooler::~CupsSpooler() {
  std::unique_lock lock(reader_->mutex);
  reader_->receiver = nullptr;
  reader_->cancel = true;
  // The reader heeds the cancel within a fraction of a second; never wait longer than that.
  reader_->finished.wait_for(lock, std::chrono::seconds(2), [this] { return !reader_->running; });
}

void CupsSpooler::BeginRead() {
  {
    const std::lock_guard lock(reader_->mutex);
    if (reader_->running) return;
    reader_->running = true;
  }
  if (state_ == ServerState::NotAsked) state_ = ServerState::Reading;
  // The result is handed over through the receiver, which lives and dies with this object:
  // Qt drops the call when the receiver is gone.
  // Only queues that are new or changed are read in full; the rest keep what is known.
  std::thread([reader = reader_, self = this, timeoutMs = CupsTimeoutMs(), known = queues_] {
    CupsReading reading = ReadCupsQueues(timeoutMs, &reader->cancel, &known);
    const std::lock_guard lock(reader->mutex);
    reader->result = std::move(reading);
    reader->running = false;
    reader->finished.notify_all();
    if (reader->receiver != nullptr) {
      QMetaObject::invokeMethod(
          reader->receiver, [self] { self->TakeFinishedRead(); }, Qt::QueuedConnection);
    }
  }).detach();
}

bool CupsSpooler::TakeFinishedRead() {
  std::optional<CupsReading> reading;
  {
    const std::lock_guard lock(reader_->mutex);
    reading.swap(reader_->result);
  }
  if (!reading) return false;
  Apply(*reading);
  return true;
}

bool CupsSpooler::Refresh(int timeoutMs) {
  BeginRead();
  {
    std::unique_lock lock(reader_->mutex);
    reader_->finished.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return !reader_->running; });
  }
  if (!TakeFinishedRead()) {
    ServerLost(QStringLiteral("timed out"));
    return false;
  }
  return state_ == ServerState::Answering;
}

void CupsSpooler::GiveUpWaitingForServer() {
  if (state_ == ServerState::Reading) ServerLost(QStringLiteral("timed out"));
}

void CupsSpooler::ServerLost(const QString& reason) {
  state_ = ServerState::NotAnswering;
  failure_ = reason;
  if (outage_) return;
  outage_ = true;
  if (OnServerLost) OnServerLost(reason);
}

void CupsSpooler::Apply(const CupsReading& reading) {
  if (!reading.answered) {
    // The queues last seen stay: a printer that was there is not silently dropped.
    ServerLost(reading.failure);
    return;
  }
  const bool first = state_ != ServerState::Answering && queues_.empty();
  state_ = ServerState::Answering;
  failure_.clear();
  outage_ = false;
  std::vector<CupsQueue> queues;
  for (const CupsQueue& queue : reading.queues) {
    if (!IsPdfPrinter(queue.name)) queues.push_back(queue);
  }
  // The first answer has nothing to compare with; the listeners compare with their own
  // snapshot, so telling them once costs only a re-read of the cache. A queue that only
  // went busy or idle, or got another message or comment, is no change of the printers.
  auto same = [](const CupsQueue& a, const CupsQueue& b) {
    return a.name == b.name && a.port == b.port && a.remote == b.remote &&
           a.makeAndModel == b.makeAndModel && a.papers == b.papers &&
           a.defaultPaper == b.defaultPaper && a.trays == b.trays &&
           a.defaultTray == b.defaultTray && a.twoSided == b.twoSided;
  };
  const bool changed =
      first || !std::equal(queues.begin(), queues.end(), queues_.begin(), queues_.end(), same);
  queues_ = std::move(queues);
  if (changed) NotifyPrintersChanged();
}

QString DocumentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return documents.isEmpty() ? QDir::homePath() : documents;
}

bool IsDocumentsFolder(const QString& folder) {
  return QDir::cleanPath(folder) == QDir::cleanPath(DocumentsFolder());
}

void MakePdfFolder(const QString& folder) {
  if (!QDir().mkpath(folder)) {
    throw Error(QStringLiteral("PDFの保存先「%1」を作れません (cannot create the folder '%1')")
                    .arg(folder)
                    .toStdString());
  }
}

QString CupsSpooler::PdfOutputFolder() const {
  return pdfFolder_.isEmpty() ? DocumentsFolder() : pdfFolder_;
}

void CupsSpooler::SetPdfOutputFolder(const QString& folder) { pdfFolder_ = folder; }

void CupsSpooler::RecordPdf(const QString& path) { pdfFiles_.append(path); }

QStringList CupsSpooler::TakeNotices(bool withEnglish) {
  QStringList said;
  for (const auto& [japanese, english] : std::exchange(notices_, {})) {
    said << (withEnglish ? QStringLiteral("%1 (%2)").arg(japanese, english) : japanese);
  }
  return said;
}

std::vector<CupsSentJob> CupsSpooler::TakeSentJobs() { return std::exchange(sent_, {}); }

void CupsSpooler::QueuePaused(const QString& printer) {
  const QString shown = ShownPrinterName(*this, printer);
  std::pair<QString, QString> notice{
      QStringLiteral("%1 は一時停止中です。印刷は再開まで待ちます").arg(shown),
      QStringLiteral("%1 is paused; the jobs wait until it is resumed").arg(shown)};
  if (std::find(notices_.begin(), notices_.end(), notice) == notices_.end()) {
    notices_.push_back(std::move(notice));
  }
}

void CupsSpooler::CollectPdfJobs(const QString& file) {
  CollectPdfJobs(std::make_unique<StagedFile>(file));
}

void CupsSpooler::CollectPdfJobs(std::unique_ptr<StagedFile> file) {
  collection_ = std::make_unique<Collection>(std::move(file));
}

void CupsSpooler::CheckPdfCollection() {
  if (collection_) collection_->file->ThrowIfFailed();
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

void CupsSpooler::CollectPdfRun(const QString& stem) {
  const QString folder = PdfOutputFolder();
  MakePdfFolder(folder);
  CollectPdfJobs(std::make_unique<StagedFile>(
      QDir(folder).filePath(SafeFileStem(stem) + QStringLiteral(".pdf")),
      StagedFile::Links::Replace));
}

void CupsSpooler::DropPdfCollection() { collection_.reset(); }

QString CupsSpooler::FinishPdfRun() {
  const std::unique_ptr<StagedFile> file = EndPdfCollection();
  const QFileInfo first(file->FinalPath());
  const QString path = PutInPlaceAsNew(*file, first.path(), first.completeBaseName());
  pdfFiles_.append(path);
  return path;
}

int CupsSpooler::FinishPdfCollection() {
  const int pages = collection_ ? collection_->pages : 0;
  const std::unique_ptr<StagedFile> file = EndPdfCollection();
  file->PutInPlace();
  pdfFiles_.append(file->FinalPath());
  return pages;
}

const CupsQueue* CupsSpooler::Find(const QString& name) const {
  for (const CupsQueue& queue : queues_) {
    if (queue.name == name) return &queue;
  }
  return nullptr;
}

QString CupsSpooler::TrayOfBin(const QString& printer, int bin) const {
  if (const CupsQueue* queue = Find(printer)) {
    for (const CupsBin& b : BinsOfTrays(queue->trays)) {
      if (b.number == bin) return b.keyword;
    }
  }
  return QString();
}

bool CupsSpooler::Exists(const QString& name) const {
  return IsPdfPrinter(name) || Find(name) != nullptr;
}

void CupsSpooler::CheckForChanges() { BeginRead(); }

void CupsSpooler::StartWatching(int intervalMs) {
  if (!timer_) {
    timer_ = std::make_unique<QTimer>();
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { BeginRead(); });
  }
  timer_->start(intervalMs);
  BeginRead();
}

// The cached queues, then the PDF printer.
std::vector<PrinterInfo4> CupsSpooler::EnumPrinters(std::uint32_t /*flags*/) {
  std::vector<PrinterInfo4> result;
  for (const CupsQueue& q : queues_) {
    result.push_back(
        {q.name, QString(), q.remote ? PRINTER_ATTRIBUTE_NETWORK : PRINTER_ATTRIBUTE_LOCAL});
  }
  result.push_back({QLatin1String(kPdfPrinterName), QString(), PRINTER_ATTRIBUTE_LOCAL});
  return result;
}

std::vector<QString> CupsSpooler::EnumPorts() {
  std::vector<QString> ports;
  for (const CupsQueue& q : queues_) ports.push_back(q.port);
  ports.push_back(kPdfPort);
  return ports;
}

QString CupsSpooler::DefaultPrinter() {
  for (const CupsQueue& q : queues_) {
    if (q.isDefault) return q.name;
  }
  return QLatin1String(kPdfPrinterName);
}

QString CupsSpooler::PortOf(const QString& printer) {
  if (IsPdfPrinter(printer)) return kPdfPort;
  const CupsQueue* queue = Find(printer);
  return queue ? queue->port : QString();
}

bool CupsSpooler::GetPrinterInfo2(const QString& printer, PrinterInfo2& out) {
  out = PrinterInfo2{};
  out.printerName = printer;
  if (IsPdfPrinter(printer)) {
    out.portName = kPdfPort;
    out.driverName = QStringLiteral("PDFファイルに保存");
    out.location = PdfOutputFolder();
    out.comment = QStringLiteral("1枚ごとに、保存先のフォルダへPDFファイルを1つ書きます");
    return true;
  }
  const CupsQueue* queue = Find(printer);
  if (queue == nullptr) return false;
  out.portName = queue->port;
  out.driverName = queue->makeAndModel;
  out.comment = queue->info;
  out.description = queue->info;
  out.location = queue->location;
  if (queue->state == 4) out.status |= PRINTER_STATUS_PRINTING;
  if (queue->state == 5) out.status |= PRINTER_STATUS_PAUSED;
  // What the cache says may be old while the server is silent.
  if (state_ == ServerState::NotAnswering) out.status |= PRINTER_STATUS_SERVER_UNKNOWN;
  out.statusMessage = queue->stateMessage;
  return true;
}

PrinterHandle CupsSpooler::OpenPrinter(const QString& name) {
  if (!Exists(name)) return 0;
  return NewHandle(name);
}

void CupsSpooler::ClosePrinter(PrinterHandle handle) { ForgetHandle(handle); }

int CupsSpooler::DocumentProperties(PrinterHandle handle, const QString& device, DevMode* out,
                                    const DevMode* in, int mode) {
  if (!HandleOpenOn(handle, device)) return -1;
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
  result.dmDefaultSource = DMBIN_AUTO;
  const CupsQueue* queue = Find(device);
  const std::vector<CupsBin> bins = queue ? BinsOfTrays(queue->trays) : std::vector<CupsBin>{};
  if (IsPdfPrinter(device)) {
    result.dmPaperSize = DMPAPER_A4;
  } else {
    QueueDefaultPaper(queue, result);
    for (const CupsBin& bin : bins) {
      if (bin.keyword == queue->defaultTray) result.dmDefaultSource = bin.number;
    }
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
    const bool known = asked.dmDefaultSource == DMBIN_AUTO ||
                       std::any_of(bins.begin(), bins.end(), [&](const CupsBin& bin) {
                         return bin.number == asked.dmDefaultSource;
                       });
    if ((asked.dmFields & DM_DEFAULTSOURCE) != 0 && known) {
      result.dmDefaultSource = asked.dmDefaultSource;
    }
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
      const CupsQueue* queue = Find(device);
      if (queue == nullptr) return -1;
      for (const CupsMedia& paper : queue->papers) {
        const int number = PaperNumberOfPageSize(PageSizeOfMedia(paper).id());
        if (number != 0 && std::find(numbers.begin(), numbers.end(), number) == numbers.end()) {
          numbers.push_back(static_cast<std::uint16_t>(number));
        }
      }
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
    case DC_BINNAMES: {
      const CupsQueue* queue = Find(device);
      const std::vector<CupsBin> bins = queue ? BinsOfTrays(queue->trays) : std::vector<CupsBin>{};
      if (out != nullptr) {
        out->numbers.clear();
        out->names.clear();
        for (const CupsBin& bin : bins) {
          out->numbers.push_back(static_cast<std::uint16_t>(bin.number));
          out->names.append(bin.name);
        }
      }
      return static_cast<int>(bins.size());
    }
    case DC_ENUMRESOLUTIONS:
      if (out != nullptr) out->resolutions = {{kPrinterDpi, kPrinterDpi}};
      return 1;
    case DC_COPIES:
      return IsPdfPrinter(device) ? 1 : kCupsMaxCopies;
    case DC_DUPLEX: {
      const CupsQueue* queue = Find(device);
      return queue != nullptr && queue->twoSided ? 1 : 0;
    }
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
    case PHYSICALOFFSETY:
    case PHYSICALWIDTH:
    case PHYSICALHEIGHT:
    case HORZRES:
    case VERTRES: {
      const Margins m = IsPdfPrinter(device)
                            ? Margins{}
                            : QueueMargins(Find(device), PaperOf(devMode), OrientationOf(devMode));
      QSizeF mm = PaperOf(devMode).size(QPageSize::Millimeter);
      if (OrientationOf(devMode) == QPageLayout::Landscape) mm.transpose();
      const int width = static_cast<int>(std::lround(mm.width() / 25.4 * kPrinterDpi));
      const int height = static_cast<int>(std::lround(mm.height() / 25.4 * kPrinterDpi));
      switch (index) {
        case PHYSICALOFFSETX:
          return m.left;
        case PHYSICALOFFSETY:
          return m.top;
        case PHYSICALWIDTH:
          return width;
        case PHYSICALHEIGHT:
          return height;
        case HORZRES:
          return width - m.left - m.right;
        default:
          return height - m.top - m.bottom;
      }
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
  const Margins margins = QueueMargins(Find(device), PaperOf(devMode), OrientationOf(devMode));
  if (gathered_) {
    if (gathered_->pages.pages == 0) {
      gathered_->device = device;
      gathered_->devMode = devMode;
    } else if (gathered_->device != device) {
      throw EOSError("一つの印刷に二つのプリンタは使えません");
    }
    return std::make_unique<PdfPageJob>(*this, gathered_->pages, devMode, title, margins);
  }
  return std::make_unique<PdfPageJob>(*this, device, devMode, title, margins);
}

void CupsSpooler::GatherJob(bool twoSided) { gathered_ = std::make_unique<Gathered>(twoSided); }

void CupsSpooler::DropGatheredJob() { gathered_.reset(); }

void CupsSpooler::SendGatheredJob(const QString& title) {
  const std::unique_ptr<Gathered> job = std::move(gathered_);
  if (!job || job->pages.pages == 0 || !job->pages.canvas) return;
  // The blank back: the next job's first page must not land behind this one's last.
  if (job->twoSided && job->pages.pages % 2 == 1 && !job->pages.writer.newPage()) {
    throw Error("印刷ページを仕上げられませんでした");
  }
  if (!job->pages.canvas->End()) throw Error("印刷ページを仕上げられませんでした");
  const CupsJobResult sent = SendToQueue(job->device, title.left(31), job->devMode,
                                         TrayOfBin(job->device, job->devMode.dmDefaultSource),
                                         job->buffer.data(), job->twoSided);
  if (sent.queueStopped) QueuePaused(job->device);
  JobSent({job->device, title.left(31), sent.id, sent.queueStopped});
}

}  // namespace tamariko
