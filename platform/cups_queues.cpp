#include "platform/cups_queues.h"

#include <cups/cups.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/error.h"
#include "platform/spooler.h"

namespace tamariko {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultTimeoutMs = 20000;
constexpr qsizetype kSendChunk = 32 * 1024;
// How often libcups hands back control while it waits, so that the bound and a cancel
// are seen.
constexpr double kPollSeconds = 0.25;
// CUPS takes sizes this close as the same paper (driver files round them to points).
constexpr int kMediaEpsilon = 176;

// A call into libcups on the GUI thread would freeze the window as long as the server is
// silent; tests make that fatal so that no such path can slip in.
void CheckOffGuiThread() {
  static const bool check = qEnvironmentVariableIntValue("TAMARIKO_CHECK_CUPS_THREAD") == 1;
  if (!check) return;
  const QCoreApplication* app = QCoreApplication::instance();
  if (app != nullptr && QThread::currentThread() == app->thread()) {
    qFatal("libcups called on the GUI thread");
  }
}

// Never ask for a password on a terminal from a worker thread.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

// Gives up a wait once the deadline has passed or the caller cancelled. Progress moves
// the deadline, so a long but moving job is not cut off.
struct Watch {
  Clock::time_point deadline;
  std::chrono::milliseconds bound;
  const std::atomic<bool>* cancel;
  bool expired = false;

  Watch(int timeoutMs, const std::atomic<bool>* c)
      : deadline(Clock::now() + std::chrono::milliseconds(timeoutMs)),
        bound(timeoutMs),
        cancel(c) {}
  void Progress() { deadline = Clock::now() + bound; }
  bool KeepWaiting() {
    if ((cancel != nullptr && cancel->load()) || Clock::now() >= deadline) expired = true;
    return !expired;
  }
};

int KeepWaiting(http_t*, void* data) { return static_cast<Watch*>(data)->KeepWaiting() ? 1 : 0; }

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpCloser>;

struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

QString LastError() { return QString::fromUtf8(cupsLastErrorString()); }

// A connection of its own to the server, bounded in connecting and in every wait after.
Http Connect(Watch& watch, QString& failure) {
  cupsSetPasswordCB2(NoPassword, nullptr);
  const int msec = static_cast<int>(watch.bound.count());
  int cancel = 0;
  Http http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, msec,
                         &cancel));
  if (!http) {
    failure = LastError();
    if (failure.isEmpty() || failure == QLatin1String("Success")) {
      failure = QString::fromLocal8Bit(std::strerror(errno));
    }
    return http;
  }
  httpSetTimeout(http.get(), kPollSeconds, KeepWaiting, &watch);
  return http;
}

QString WhyNoAnswer(const Watch& watch) {
  return watch.expired ? QStringLiteral("timed out") : LastError();
}

// A broken connection, as opposed to a server that answered "no".
bool ConnectionLost(http_t* http) {
  const ipp_status_t status = cupsLastError();
  return httpError(http) != 0 || status == IPP_STATUS_ERROR_INTERNAL ||
         status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
}

QString Text(ipp_t* ipp, const char* name) {
  ipp_attribute_t* attr = ippFindAttribute(ipp, name, IPP_TAG_ZERO);
  return attr ? QString::fromUtf8(ippGetString(attr, 0, nullptr)) : QString();
}

CupsMedia MediaOf(const cups_size_t& size) {
  return {size.width, size.length, size.left, size.top, size.right, size.bottom};
}

// The queue the user chose as theirs (LPDEST, PRINTER, lpoptions), if any; else none.
QString UserDefault() {
  for (const char* variable : {"LPDEST", "PRINTER"}) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && value != QLatin1String("lp")) return value.section(u'/', 0, 0);
  }
  const QString home = QDir::homePath();
  for (const QString& path :
       {home + QStringLiteral("/.cups/lpoptions"), QStringLiteral("/etc/cups/lpoptions")}) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    while (!file.atEnd()) {
      const QString line = QString::fromUtf8(file.readLine()).trimmed();
      if (line.startsWith(QLatin1String("Default "), Qt::CaseInsensitive)) {
        return line.mid(8).trimmed().section(u' ', 0, 0).section(u'/', 0, 0);
      }
    }
  }
  return QString();
}

// Papers, margins, trays: what Get-Printer-Attributes says of one queue. False when the
// server did not answer.
bool ReadDetails(http_t* http, const QByteArray& name, const QByteArray& uri, CupsQueue& queue) {
  cups_option_t* options = nullptr;
  const int count = cupsAddOption("printer-uri-supported", uri.constData(), 0, &options);
  cups_dest_t dest{const_cast<char*>(name.constData()), nullptr, 0, count, options};
  cups_dinfo_t* info = cupsCopyDestInfo(http, &dest);
  if (info == nullptr) {
    cupsFreeOptions(count, options);
    return false;
  }
  const int media = cupsGetDestMediaCount(http, &dest, info, CUPS_MEDIA_FLAGS_DEFAULT);
  for (int i = 0; i < media; ++i) {
    cups_size_t size{};
    if (!cupsGetDestMediaByIndex(http, &dest, info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size)) continue;
    // The margins CUPS gives a page of this size, as a job of that size would get them.
    cups_size_t bySize{};
    if (cupsGetDestMediaBySize(http, &dest, info, size.width, size.length, CUPS_MEDIA_FLAGS_DEFAULT,
                               &bySize)) {
      size = bySize;
    }
    const CupsMedia paper = MediaOf(size);
    if (queue.PaperOfSize(paper.width, paper.length) == nullptr) queue.papers.push_back(paper);
  }
  cups_size_t fallback{};
  if (cupsGetDestMediaDefault(http, &dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &fallback) &&
      fallback.width > 0 && fallback.length > 0) {
    queue.defaultPaper = MediaOf(fallback);
  }
  if (ipp_attribute_t* sources = cupsFindDestSupported(http, &dest, info, "media-source")) {
    for (int i = 0; i < ippGetCount(sources); ++i) {
      const char* keyword = ippGetString(sources, i, nullptr);
      if (keyword == nullptr) continue;
      const char* shown = cupsLocalizeDestValue(http, &dest, info, "media-source", keyword);
      queue.trays.push_back(
          {QString::fromUtf8(keyword), QString::fromUtf8(shown != nullptr ? shown : keyword)});
    }
  }
  if (ipp_attribute_t* source = cupsFindDestDefault(http, &dest, info, "media-source")) {
    queue.defaultTray = QString::fromUtf8(ippGetString(source, 0, nullptr));
  }
  cupsFreeDestInfo(info);
  cupsFreeOptions(count, options);
  return true;
}

}  // namespace

const CupsMedia* CupsQueue::PaperOfSize(int width, int length) const {
  const CupsMedia* closest = nullptr;
  int distance = 2 * kMediaEpsilon + 1;
  for (const CupsMedia& paper : papers) {
    const int dw = std::abs(paper.width - width);
    const int dl = std::abs(paper.length - length);
    if (dw <= kMediaEpsilon && dl <= kMediaEpsilon && dw + dl < distance) {
      closest = &paper;
      distance = dw + dl;
    }
  }
  return closest;
}

int CupsTimeoutMs() {
  bool ok = false;
  const int ms = qEnvironmentVariableIntValue("TAMARIKO_CUPS_TIMEOUT_MS", &ok);
  return ok && ms > 0 ? ms : kDefaultTimeoutMs;
}

QString CupsNotAnsweringText(const QString& reason) {
  return QStringLiteral("印刷サーバー (CUPS) が応答しません (the print server does not answer%1)")
      .arg(reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
}

QString CupsWentAwayText(const QString& reason) {
  return QStringLiteral("印刷サーバー (CUPS) との接続が切れました (the print server went away%1)")
      .arg(reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
}

CupsReading ReadCupsQueues(int timeoutMs, const std::atomic<bool>* cancel) {
  CheckOffGuiThread();
  CupsReading reading;
  Watch watch(timeoutMs, cancel);
  Http http = Connect(watch, reading.failure);
  if (!http) return reading;

  static const char* const kWanted[] = {
      "printer-name",     "printer-type",          "device-uri",
      "printer-state",    "printer-state-message", "printer-make-and-model",
      "printer-location", "printer-info",          "printer-uri-supported"};
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kWanted)), nullptr, kWanted);
  Ipp response(cupsDoRequest(http.get(), request, "/"));
  // A server without queues answers "not found"; anything else above success is a failure.
  const ipp_status_t status = cupsLastError();
  if (status == IPP_STATUS_ERROR_NOT_FOUND) {
    reading.answered = true;
    return reading;
  }
  if (!response || status > IPP_STATUS_OK_CONFLICTING) {
    reading.failure = WhyNoAnswer(watch);
    return reading;
  }

  std::vector<QByteArray> uris;
  for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;) {
    while (attr != nullptr && ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
      attr = ippNextAttribute(response.get());
    }
    if (attr == nullptr) break;
    CupsQueue queue;
    QByteArray uri;
    for (; attr != nullptr && ippGetGroupTag(attr) == IPP_TAG_PRINTER;
         attr = ippNextAttribute(response.get())) {
      const char* name = ippGetName(attr);
      const char* text = ippGetString(attr, 0, nullptr);
      if (name == nullptr) continue;
      if (!std::strcmp(name, "printer-name") && text) queue.name = QString::fromUtf8(text);
      if (!std::strcmp(name, "device-uri") && text) queue.port = QString::fromUtf8(text);
      if (!std::strcmp(name, "printer-uri-supported") && text) uri = text;
      if (!std::strcmp(name, "printer-state")) queue.state = ippGetInteger(attr, 0);
      if (!std::strcmp(name, "printer-type")) {
        queue.remote = (ippGetInteger(attr, 0) & CUPS_PRINTER_REMOTE) != 0;
      }
      if (!std::strcmp(name, "printer-state-message") && text) {
        queue.stateMessage = QString::fromUtf8(text);
      }
      if (!std::strcmp(name, "printer-make-and-model") && text) {
        queue.makeAndModel = QString::fromUtf8(text);
      }
      if (!std::strcmp(name, "printer-location") && text) queue.location = QString::fromUtf8(text);
      if (!std::strcmp(name, "printer-info") && text) queue.info = QString::fromUtf8(text);
    }
    if (queue.name.isEmpty()) continue;
    if (queue.port.isEmpty()) {
      queue.port = uri.isEmpty() ? QStringLiteral("cups:") + queue.name : QString::fromUtf8(uri);
    }
    reading.queues.push_back(queue);
    uris.push_back(uri);
  }

  ipp_t* defaultRequest = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
  ippAddString(defaultRequest, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  Ipp defaultResponse(cupsDoRequest(http.get(), defaultRequest, "/"));
  const ipp_status_t defaultStatus = cupsLastError();
  if (defaultStatus > IPP_STATUS_OK_CONFLICTING && defaultStatus != IPP_STATUS_ERROR_NOT_FOUND) {
    reading.failure = WhyNoAnswer(watch);
    return reading;
  }
  QString chosen = UserDefault();
  const QString serverDefault =
      defaultResponse ? Text(defaultResponse.get(), "printer-name") : QString();
  const bool chosenExists = std::any_of(reading.queues.begin(), reading.queues.end(),
                                        [&](const CupsQueue& q) { return q.name == chosen; });
  if (!chosenExists) chosen = serverDefault;

  for (std::size_t i = 0; i < reading.queues.size(); ++i) {
    CupsQueue& queue = reading.queues[i];
    queue.isDefault = queue.name == chosen;
    if (uris[i].isEmpty()) continue;
    if (!ReadDetails(http.get(), queue.name.toUtf8(), uris[i], queue)) {
      // A queue that cannot describe itself is still listed, without papers; a server
      // that stopped answering is not.
      if (watch.expired || cupsLastError() == IPP_STATUS_ERROR_INTERNAL) {
        reading.failure = WhyNoAnswer(watch);
        return reading;
      }
    }
  }
  reading.answered = true;
  return reading;
}

void SendPdfToCups(const QString& queue, const QString& title, const CupsJobOptions& options,
                   const QByteArray& pdf, int timeoutMs, const std::atomic<bool>* cancel) {
  CheckOffGuiThread();
  Watch watch(timeoutMs, cancel);
  QString failure;
  Http http = Connect(watch, failure);
  if (!http) throw EOSError(CupsNotAnsweringText(failure).toStdString());

  const QByteArray name = queue.toUtf8();
  const QByteArray jobTitle = title.toUtf8();
  cups_option_t* cupsOptions = nullptr;
  int count = 0;
  if (options.media) {
    if (pwg_media_t* media = pwgMediaForSize(options.media->width, options.media->length)) {
      count = cupsAddOption("media", media->pwg, count, &cupsOptions);
    }
  }
  if (options.copies > 1)
    count = cupsAddIntegerOption("copies", options.copies, count, &cupsOptions);
  if (!options.tray.isEmpty()) {
    count = cupsAddOption("media-source", options.tray.toUtf8().constData(), count, &cupsOptions);
  }

  const int job =
      cupsCreateJob(http.get(), name.constData(), jobTitle.constData(), count, cupsOptions);
  if (job == 0) {
    failure = WhyNoAnswer(watch);
  } else if (cupsStartDocument(http.get(), name.constData(), job, jobTitle.constData(),
                               CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) {
    failure = WhyNoAnswer(watch);
  } else {
    for (qsizetype at = 0; at < pdf.size(); at += kSendChunk) {
      const qsizetype n = std::min(kSendChunk, pdf.size() - at);
      if (cupsWriteRequestData(http.get(), pdf.constData() + at, static_cast<size_t>(n)) !=
          HTTP_STATUS_CONTINUE) {
        failure = WhyNoAnswer(watch);
        break;
      }
      watch.Progress();
    }
    const ipp_status_t status = cupsFinishDocument(http.get(), name.constData());
    if (failure.isEmpty() && status > IPP_STATUS_OK_CONFLICTING) failure = WhyNoAnswer(watch);
  }
  const bool silent = watch.expired;
  const bool lost = !silent && !failure.isEmpty() && ConnectionLost(http.get());
  if (!failure.isEmpty() && job != 0 && !silent && !lost) {
    cupsCancelJob2(http.get(), name.constData(), job, 0);
  }
  cupsFreeOptions(count, cupsOptions);
  if (failure.isEmpty()) return;
  QString reason;
  if (silent) {
    reason = CupsNotAnsweringText(failure);
  } else if (lost) {
    reason = CupsWentAwayText(failure);
  } else {
    reason = QStringLiteral("印刷サーバーが断りました (the print server refused the job: %1)")
                 .arg(failure);
  }
  throw EOSError(
      QStringLiteral("「%1」へ印刷できませんでした: %2").arg(queue, reason).toStdString());
}

}  // namespace tamariko
