#pragma once

// What the program knows of the CUPS queues, and the two conversations it has with the
// print server: reading every queue, and sending one PDF job. Both block and are bounded
// in time; they must never run on the GUI thread (a silent server would freeze the
// window), which tests check (TAMARIKO_CHECK_CUPS_THREAD=1 makes a call there fatal).

#include <QByteArray>
#include <QString>
#include <atomic>
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
  QString makeAndModel;
  QString location;
  QString info;
  std::vector<CupsMedia> papers;  // each with the margins CUPS gives for that size
  std::optional<CupsMedia> defaultPaper;
  std::vector<CupsTray> trays;
  QString defaultTray;

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

// Reads every queue with its papers, margins and trays over a connection of its own.
// A server that does not answer within the bound gives answered == false.
CupsReading ReadCupsQueues(int timeoutMs, const std::atomic<bool>* cancel = nullptr);

struct CupsJobOptions {
  std::optional<CupsMedia> media;
  int copies = 1;
  QString tray;  // IPP keyword, empty for the printer's choice
};

// Sends one PDF as a job; throws Error with the reason when the server refuses it, stops
// answering for longer than the bound, or goes away.
void SendPdfToCups(const QString& queue, const QString& title, const CupsJobOptions& options,
                   const QByteArray& pdf, int timeoutMs, const std::atomic<bool>* cancel);

// The plain words for a server that does not answer, for messages.
QString CupsNotAnsweringText(const QString& reason);
QString CupsWentAwayText(const QString& reason);

}  // namespace tamariko
