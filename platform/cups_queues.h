#pragma once

// What the program knows of the CUPS queues, and the two conversations it has with the
// print server: reading the queues, and sending one PDF job. Both block and are bounded
// in time; they must never run on the GUI thread (a silent server would freeze the
// window), which tests check (TAMARIKO_CHECK_CUPS_THREAD=1 makes a call there fatal).

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
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

// Sends one PDF as a job; throws Error with the reason when the server refuses it or goes
// away, EPrintServerSilent when it stays silent for longer than the bound (also in the
// middle of sending).
// `progress` is told each time the server takes or answers something.
CupsJobResult SendPdfToCups(const QString& queue, const QString& title,
                            const CupsJobOptions& options, const QByteArray& pdf, int timeoutMs,
                            const std::atomic<bool>* cancel,
                            const std::function<void()>& progress = {});

// The plain words for a server that does not answer, for messages.
QString CupsNotAnsweringText(const QString& reason);
QString CupsWentAwayText(const QString& reason);

}  // namespace tamariko
