#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/cups_queues.h"
#include "platform/spooler.h"

class QObject;
class QTimer;

namespace tamariko {

class StagedFile;

// The name of the printer that writes PDF files and exists on every machine.
inline constexpr char kPdfPrinterName[] = "PDF";
// Every printer is driven at this density: jobs travel as vector PDF, so it is only the
// unit of the drawing coordinates.
inline constexpr int kPrinterDpi = 300;

// A queue's input tray as a bin of the device mode.
struct CupsBin {
  std::int16_t number = 0;
  QString keyword;  // what the job names as its media-source
  QString name;     // what the teacher reads
};
// The trays of a queue as bins: the classic number where the keyword has one, else 256
// plus the tray's place in the list, so a tray keeps its number from one read to the next.
// Named in Japanese where the keyword is known, else as the print system names it.
std::vector<CupsBin> BinsOfTrays(const std::vector<CupsTray>& trays);

// The documents folder: where the PDF printer writes unless told another. A fresh account
// may not have it yet; it is made when a file first goes there.
QString DocumentsFolder();
bool IsDocumentsFolder(const QString& folder);
// Makes the PDF printer's folder where it is missing; throws Error with the plain reason.
void MakePdfFolder(const QString& folder);

// A job a queue took.
struct CupsSentJob {
  QString queue;
  QString title;
  int id = 0;
  bool queueStopped = false;  // the queue was paused when it took the job
};

// The spooler over the CUPS queues (libcups, through the server that CUPS_SERVER names or
// the system's own) plus the built-in PDF printer. A CUPS queue called like the built-in
// one is left out, so that names stay unique.
//
// Every question about the queues is answered from a cache that reads on a thread of its
// own fill; nothing here waits on the server on the calling thread except Refresh, which
// is bounded. Until the first read, and without one, only the PDF printer is known: a run
// that only writes files never contacts the server.
class CupsSpooler : public Spooler {
 public:
  enum class ServerState { NotAsked, Reading, Answering, NotAnswering };

  CupsSpooler();
  ~CupsSpooler() override;

  // Starts reading the queues in the background, unless a read is under way. The result is
  // taken on this object's thread by its event loop, or by TakeFinishedRead.
  void BeginRead();
  // Takes a read that has finished; false when none has.
  bool TakeFinishedRead();
  // Reads now and waits at most timeoutMs; whether the server answered.
  bool Refresh(int timeoutMs);
  // The first read has not finished: go on as with a server that does not answer (said
  // once; its queues appear when a later read succeeds).
  void GiveUpWaitingForServer();
  ServerState State() const { return state_; }
  QString ServerFailure() const { return failure_; }
  const std::vector<CupsQueue>& Queues() const { return queues_; }
  // Takes a reading made elsewhere as if the background read had brought it (tests).
  void Adopt(const CupsReading& reading) { Apply(reading); }
  // The media-source keyword of a printer's bin; empty for the printer's own choice.
  QString TrayOfBin(const QString& printer, int bin) const;
  // Told once when the server stops answering (until it answers again), with the reason.
  std::function<void(const QString& reason)> OnServerLost;

  // The folder the PDF printer writes into: the documents folder unless set.
  QString PdfOutputFolder() const;
  void SetPdfOutputFolder(const QString& folder);
  // Files written by the PDF printer so far, oldest first.
  const QStringList& PdfFilesWritten() const { return pdfFiles_; }
  void RecordPdf(const QString& path);

  // What the jobs so far have to tell the teacher (a paused queue holds them), each once;
  // taking them starts afresh. The batch says each in English too.
  QStringList TakeNotices(bool withEnglish = false);
  // A job went to a queue that is paused.
  void QueuePaused(const QString& printer);
  // The jobs the queues took since the last call, oldest first.
  std::vector<CupsSentJob> TakeSentJobs();
  void JobSent(const CupsSentJob& job) {
    sent_.push_back(job);
    lastJobId_ = std::max(lastJobId_, job.id);
  }
  // The highest job number a queue gave so far, 0 before the first.
  int LastJobId() const { return lastJobId_; }

  // From now on every job of the PDF printer becomes the next page of this one file, which
  // appears only when FinishPdfCollection succeeds (written under a temporary name, then
  // renamed). Throws Error when the folder cannot be written.
  void CollectPdfJobs(const QString& file);
  // The same into a file the caller staged (a stream, say).
  void CollectPdfJobs(std::unique_ptr<StagedFile> file);
  // Writes the collected pages; returns the page count. Throws Error when nothing was
  // printed or the file cannot be written; no partial file is left.
  int FinishPdfCollection();
  // Throws Error with the plain reason when writing the collected file has failed so far,
  // so that a long run stops at the page where the disk filled up.
  void CheckPdfCollection();
  // Ends the collection with the file complete and checked but not yet in place, for a
  // caller that puts it in place together with other files. Throws as above.
  std::unique_ptr<StagedFile> EndPdfCollection();
  bool CollectingPdf() const;
  // A print of many pages as one file of the PDF printer: collected as above into its
  // folder, then put there as `stem`.pdf, or "`stem` (2).pdf" when that exists, never over
  // a file; returns the path. Throws Error as above, leaving nothing under a final name.
  void CollectPdfRun(const QString& stem);
  QString FinishPdfRun();
  // Drops a collection, its temporary with it.
  void DropPdfCollection();

  // From now on the pages printed on a queue become the pages of one job, which
  // SendGatheredJob sends: on both sides of the sheets when `twoSided`, with a blank back
  // after an odd last page so that whatever is printed next starts on a sheet of its own.
  void GatherJob(bool twoSided);
  // Sends the gathered pages as one job under `title`; throws as a job of one page does.
  // Nothing gathered sends nothing.
  void SendGatheredJob(const QString& title);
  void DropGatheredJob();
  bool Gathering() const { return gathered_ != nullptr; }

  // Re-reads the queues in the background; a completed read that differs from the cache
  // sends the "printers changed" notification. Runs on a slow timer, which also starts the
  // first read at once; the main window also calls it when it is activated.
  void CheckForChanges();
  void StartWatching(int intervalMs = 5000);

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

  struct Collection;

 private:
  struct Reader;
  struct Gathered;
  bool Exists(const QString& name) const;
  const CupsQueue* Find(const QString& name) const;
  void Apply(const CupsReading& reading);
  void ServerLost(const QString& reason);

  QString pdfFolder_;
  QStringList pdfFiles_;
  std::vector<std::pair<QString, QString>> notices_;  // Japanese, English
  std::vector<CupsSentJob> sent_;
  int lastJobId_ = 0;
  std::vector<CupsQueue> queues_;
  ServerState state_ = ServerState::NotAsked;
  QString failure_;
  bool outage_ = false;  // said, and not over yet
  std::shared_ptr<Reader> reader_;
  std::unique_ptr<QObject> receiver_;
  std::unique_ptr<QTimer> timer_;
  std::unique_ptr<Collection> collection_;
  std::unique_ptr<Gathered> gathered_;
};

}  // namespace tamariko
