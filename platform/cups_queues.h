#pragma once

// What the program knows of the CUPS queues, and the two conversations it has with the
// print server: reading the queues, and sending one PDF job. Both block and are bounded
// in time; they must never run on the GUI thread (a silent server would freeze the
// window), which tests check (TAMARIKO_CHECK_CUPS_THREAD=1 makes a call there fatal).

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace tamariko {

// Hundredths of a millimetre, as IPP gives them.
struct CupsMedia {
  int width = 0;
  int length = 0;
  int left = 0, top = 0, right = 0, bottom = 0;  // hardware margins

  bool operator==(const CupsMedia&) const = default;
};

// One input tray: the IPP keyword and the name to show.
struct CupsTray {
  QString keyword;
  QString name;

  bool operator==(const CupsTray&) const = default;
};

struct CupsQueue {
  QString name;
  QString port;  // the device URI
  bool isDefault = false;
  bool remote = false;
  int state = 3;  // IPP printer-state: 3 idle, 4 processing, 5 stopped
  QString stateMessage;
  bool accepting = true;
  // When the server last changed the queue's set-up (printer-config-change-time), -1 when
  // it does not say; and the server's time when the details below were read, so that a
  // change within that same second is not missed.
  long long configTime = -1;
  long long detailsReadAt = -1;
  QString makeAndModel;
  QString location;
  QString info;
  std::vector<CupsMedia> papers;  // each with the margins CUPS gives for that size
  std::optional<CupsMedia> defaultPaper;
  std::vector<CupsTray> trays;
  QString defaultTray;
  bool twoSided = false;  // sides-supported has two-sided-long-edge

  // The queue's paper closest to this size, if one is close enough to count as the same.
  const CupsMedia* PaperOfSize(int width, int length) const;
};

// The result of one read: whether the server answered, and if so every queue.
struct CupsReading {
  bool answered = false;
  QString failure;  // why it did not, in the server's or the system's words
  std::vector<CupsQueue> queues;
};

// How long a conversation with the server may stay silent before it is given up:
// TAMARIKO_CUPS_TIMEOUT_MS when set (tests shorten it), else 20 s.
int CupsTimeoutMs();

// Reads the queues over a connection of its own: their state with one light question,
// and their description, papers, margins and trays only for those that are new or whose
// set-up changed since `known` was read (every queue when there is nothing known). A
// server that stays silent for longer than the bound gives answered == false.
CupsReading ReadCupsQueues(int timeoutMs, const std::atomic<bool>* cancel = nullptr,
                           const std::vector<CupsQueue>* known = nullptr);

struct CupsJobOptions {
  std::optional<CupsMedia> media;
  int copies = 1;
  QString tray;  // IPP keyword, empty for the printer's choice
  // Both sides of the sheet, turned on the long edge; copies then go collated, so that
  // each copy's pages share their sheets.
  bool twoSided = false;
};

// What the server said of a job it took.
struct CupsJobResult {
  int id = 0;
  bool queueStopped = false;  // the queue is paused: the job waits until it is resumed
};

// How far a send got, for the caller that gives up waiting on it: whether the server was
// asked to make the job, and the job's number once it said it.
struct CupsJobTrack {
  std::atomic<bool> asked{false};
  std::atomic<int> id{0};
};

// Sends one PDF as a job; throws Error with the reason when the server refuses it or goes
// away, EPrintServerSilent when it stays silent for longer than the bound (also in the
// middle of sending).
// `progress` is told each time the server takes or answers something.
CupsJobResult SendPdfToCups(const QString& queue, const QString& title,
                            const CupsJobOptions& options, const QByteArray& pdf, int timeoutMs,
                            const std::atomic<bool>* cancel,
                            const std::function<void()>& progress = {},
                            CupsJobTrack* track = nullptr);

// What the server says of one job of ours.
struct CupsJobState {
  enum class Stage { Waiting, Printing, Completed, Cancelled, Aborted, Unknown };
  Stage stage = Stage::Unknown;  // Unknown: the server no longer knows the job
  bool queueStopped = false;     // waiting on a queue the server has stopped
  bool retrying = false;         // held after the printer failed: tried again later
  QString message;               // the server's words on it, if any
};

// A job given up on while the server was silent: its number when the server said it, else
// the queue and title to look for it by among ours made since `since` (seconds since the
// epoch) and numbered after `after` (the server numbers jobs in order: one the program saw
// taken before is not it).
struct CupsJobLeft {
  QString queue;
  QString title;
  int id = 0;
  long long since = 0;
  int after = 0;
};

// What became of such a job once the server answered again.
enum class CupsLeftOutcome {
  NotAnswered,   // still silent: ask again later
  WillNotPrint,  // never made, or ended or cancelled before it printed
  HandedOn,      // the server handed it on to the printer
  Unknown,       // it cannot be told (no trace of it, or cancelled while printing)
};

struct CupsJobsReading {
  bool answered = false;
  QString failure;
  std::map<int, CupsJobState> jobs;   // by job number
  std::vector<CupsLeftOutcome> left;  // in the order asked
};

// Asks the server over one connection about the jobs `ids`, and settles the jobs `left`:
// each one still waiting is cancelled. A server silent for longer than the bound gives
// answered == false (and NotAnswered for every job left not settled yet).
CupsJobsReading FollowCupsJobs(const std::vector<int>& ids, const std::vector<CupsJobLeft>& left,
                               int timeoutMs, const std::atomic<bool>* cancel = nullptr);

// Cancel-Job; whether the server said it did.
bool CancelCupsJob(int id, int timeoutMs, const std::atomic<bool>* cancel = nullptr);

// The plain words for a server that does not answer, for messages.
QString CupsNotAnsweringText(const QString& reason);
QString CupsWentAwayText(const QString& reason);

}  // namespace tamariko
