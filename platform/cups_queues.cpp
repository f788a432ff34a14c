#include "platform/cups_queues.h"

#include <cups/cups.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

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

// Gives up a wait once the server has been silent for the bound or the caller cancelled.
// Every answer, and every piece of a job the server takes, moves the deadline, so a long
// but moving conversation is not cut off.
struct Watch {
  Clock::time_point deadline;
  std::chrono::milliseconds bound;
  const std::atomic<bool>* cancel;
  std::function<void()> onProgress;
  bool expired = false;

  Watch(int timeoutMs, const std::atomic<bool>* c, std::function<void()> progress = {})
      : deadline(Clock::now() + std::chrono::milliseconds(timeoutMs)),
        bound(timeoutMs),
        cancel(c),
        onProgress(std::move(progress)) {}
  void Progress() {
    deadline = Clock::now() + bound;
    if (onProgress) onProgress();
  }
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

// Why a call on this connection failed, read at once, before any other call can overwrite
// it: the wait given up, else the connection's own error, else what the server said.
QString Why(http_t* http, const Watch& watch) {
  if (watch.expired) return QStringLiteral("timed out");
  if (const int error = http != nullptr ? httpError(http) : 0; error != 0) {
    return qt_error_string(error);
  }
  const QString said = LastError();
  return said.isEmpty() ? QStringLiteral("no answer") : said;
}

// A connection of its own to the server, bounded in connecting and in every wait after.
Http Connect(Watch& watch, QString& failure) {
  cupsSetPasswordCB2(NoPassword, nullptr);
  const char* server = cupsServer();
  // Made without connecting, so that a failed connect leaves its reason on this connection.
  Http http(httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 0, nullptr));
  if (!http) {
    failure = QStringLiteral("cannot find the server '%1'").arg(QString::fromUtf8(server));
    return http;
  }
  int never = 0;
  if (httpReconnect2(http.get(), static_cast<int>(watch.bound.count()), &never) != 0) {
    watch.KeepWaiting();  // a connection that took the whole bound is a silent server
    failure = Why(http.get(), watch);
    http.reset();
    return http;
  }
  httpSetTimeout(http.get(), kPollSeconds, KeepWaiting, &watch);
  return http;
}

// The server's verdict on a request: taken (with the response), refused (it answered no)
// or not answered at all; the reason is read at the moment of the failure.
struct Verdict {
  Ipp response;
  QString failure;
  bool answered = true;

  bool ok() const { return failure.isEmpty(); }
  void Failed(http_t* http, const Watch& watch) {
    failure = Why(http, watch);
    // Without a response, libcups says a lost connection with these two.
    const ipp_status_t status = cupsLastError();
    answered = !watch.expired && (response != nullptr ||
                                  (httpError(http) == 0 && status != IPP_STATUS_ERROR_INTERNAL &&
                                   status != IPP_STATUS_ERROR_SERVICE_UNAVAILABLE));
  }
};

Verdict Ask(http_t* http, Watch& watch, ipp_t* request, const char* resource) {
  Verdict verdict;
  verdict.response.reset(cupsDoRequest(http, request, resource));
  if (verdict.response && !watch.expired &&
      ippGetStatusCode(verdict.response.get()) <= IPP_STATUS_OK_CONFLICTING) {
    watch.Progress();
  } else {
    verdict.Failed(http, watch);
  }
  return verdict;
}

void AddUser(ipp_t* request) {
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
}

// CUPS-Get-Printers for some attributes of every queue. A server without queues answers
// "not found": no response and no failure.
Verdict GetPrinters(http_t* http, Watch& watch, const std::vector<const char*>& wanted) {
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  AddUser(request);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(wanted.size()), nullptr, wanted.data());
  Verdict verdict = Ask(http, watch, request, "/");
  if (verdict.response && !watch.expired &&
      ippGetStatusCode(verdict.response.get()) == IPP_STATUS_ERROR_NOT_FOUND) {
    verdict.response.reset();
    verdict.failure.clear();
    watch.Progress();
  }
  return verdict;
}

// Calls take(attribute name, attribute) for every attribute of every printer of a
// response, and done() after each printer.
template <typename Take, typename Done>
void ForEachPrinter(ipp_t* response, Take take, Done done) {
  if (response == nullptr) return;
  for (ipp_attribute_t* attr = ippFirstAttribute(response); attr != nullptr;) {
    while (attr != nullptr && ippGetGroupTag(attr) != IPP_TAG_PRINTER) {
      attr = ippNextAttribute(response);
    }
    if (attr == nullptr) break;
    for (; attr != nullptr && ippGetGroupTag(attr) == IPP_TAG_PRINTER;
         attr = ippNextAttribute(response)) {
      if (const char* name = ippGetName(attr)) take(std::string_view(name), attr);
    }
    done();
  }
}

QString StringOf(ipp_attribute_t* attr) {
  const char* text = ippGetString(attr, 0, nullptr);
  return text != nullptr ? QString::fromUtf8(text) : QString();
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
  if (ipp_attribute_t* sides = cupsFindDestSupported(http, &dest, info, "sides")) {
    queue.twoSided = ippContainsString(sides, "two-sided-long-edge") != 0;
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

namespace {

// What the idle window asks every few seconds: only what tells a change.
const std::vector<const char*> kStateAttributes = {"printer-name",
                                                   "printer-type",
                                                   "printer-state",
                                                   "printer-state-message",
                                                   "printer-is-accepting-jobs",
                                                   "printer-config-change-time"};
// What is read again only for a queue that is new or whose set-up changed.
const std::vector<const char*> kDescriptionAttributes = {
    "printer-name",     "device-uri",   "printer-make-and-model",
    "printer-location", "printer-info", "printer-uri-supported"};

// The server's clock at its last answer (its Date), else ours.
long long ServerTime(http_t* http) {
  const char* date = httpGetField(http, HTTP_FIELD_DATE);
  const time_t t = date != nullptr && *date != '\0' ? httpGetDateTime(date) : 0;
  return t > 0 ? static_cast<long long>(t) : static_cast<long long>(std::time(nullptr));
}

// The queues by name; hundreds are looked up on every read.
template <typename Queue>
QHash<QString, Queue*> ByName(const std::vector<Queue*>& queues) {
  QHash<QString, Queue*> index;
  index.reserve(static_cast<qsizetype>(queues.size()));
  for (Queue* queue : queues) index.insert(queue->name, queue);
  return index;
}

// Whether what was read of a queue still holds: its set-up has not changed since, and
// did not change in the very second it was read.
bool StillHolds(const CupsQueue& known, const CupsQueue& now) {
  return known.configTime >= 0 && known.configTime == now.configTime &&
         known.detailsReadAt > known.configTime;
}

void KeepDetails(const CupsQueue& known, CupsQueue& queue) {
  queue.port = known.port;
  queue.makeAndModel = known.makeAndModel;
  queue.location = known.location;
  queue.info = known.info;
  queue.papers = known.papers;
  queue.defaultPaper = known.defaultPaper;
  queue.trays = known.trays;
  queue.defaultTray = known.defaultTray;
  queue.twoSided = known.twoSided;
  queue.detailsReadAt = known.detailsReadAt;
}

}  // namespace

CupsReading ReadCupsQueues(int timeoutMs, const std::atomic<bool>* cancel,
                           const std::vector<CupsQueue>* known) {
  CheckOffGuiThread();
  CupsReading reading;
  Watch watch(timeoutMs, cancel);
  Http http = Connect(watch, reading.failure);
  if (!http) return reading;

  Verdict states = GetPrinters(http.get(), watch, kStateAttributes);
  if (!states.ok()) {
    reading.failure = states.failure;
    return reading;
  }
  const long long askedAt = ServerTime(http.get());
  QString serverDefault;
  CupsQueue queue;
  ForEachPrinter(
      states.response.get(),
      [&](std::string_view name, ipp_attribute_t* attr) {
        if (name == "printer-name") queue.name = StringOf(attr);
        if (name == "printer-state") queue.state = ippGetInteger(attr, 0);
        if (name == "printer-state-message") queue.stateMessage = StringOf(attr);
        if (name == "printer-is-accepting-jobs") queue.accepting = ippGetBoolean(attr, 0) != 0;
        if (name == "printer-config-change-time") queue.configTime = ippGetInteger(attr, 0);
        if (name == "printer-type") {
          const int type = ippGetInteger(attr, 0);
          queue.remote = (type & CUPS_PRINTER_REMOTE) != 0;
          queue.isDefault = (type & CUPS_PRINTER_DEFAULT) != 0;
        }
      },
      [&] {
        if (!queue.name.isEmpty()) {
          if (queue.isDefault) serverDefault = queue.name;
          reading.queues.push_back(queue);
        }
        queue = CupsQueue{};
      });

  std::vector<const CupsQueue*> knownQueues;
  if (known != nullptr) {
    for (const CupsQueue& q : *known) knownQueues.push_back(&q);
  }
  const QHash<QString, const CupsQueue*> before = ByName(knownQueues);
  QString chosen = UserDefault();
  const bool chosenListed = std::any_of(reading.queues.begin(), reading.queues.end(),
                                        [&](const CupsQueue& q) { return q.name == chosen; });
  if (!chosenListed) chosen = serverDefault;
  std::vector<CupsQueue*> changed;
  for (CupsQueue& q : reading.queues) {
    q.isDefault = q.name == chosen;
    const CupsQueue* earlier = before.value(q.name);
    if (earlier != nullptr && StillHolds(*earlier, q)) {
      KeepDetails(*earlier, q);
    } else {
      changed.push_back(&q);
    }
  }
  if (changed.empty()) {
    reading.answered = true;
    return reading;
  }

  Verdict descriptions = GetPrinters(http.get(), watch, kDescriptionAttributes);
  if (!descriptions.ok()) {
    reading.failure = descriptions.failure;
    return reading;
  }
  const QHash<QString, CupsQueue*> toDescribe = ByName(changed);
  QHash<QString, QByteArray> uris;
  CupsQueue described;
  QByteArray uri;
  ForEachPrinter(
      descriptions.response.get(),
      [&](std::string_view name, ipp_attribute_t* attr) {
        if (name == "printer-name") described.name = StringOf(attr);
        if (name == "device-uri") described.port = StringOf(attr);
        if (name == "printer-uri-supported") uri = StringOf(attr).toUtf8();
        if (name == "printer-make-and-model") described.makeAndModel = StringOf(attr);
        if (name == "printer-location") described.location = StringOf(attr);
        if (name == "printer-info") described.info = StringOf(attr);
      },
      [&] {
        if (CupsQueue* q = toDescribe.value(described.name)) {
          q->port = described.port.isEmpty() ? (uri.isEmpty() ? QStringLiteral("cups:") + q->name
                                                              : QString::fromUtf8(uri))
                                             : described.port;
          q->makeAndModel = described.makeAndModel;
          q->location = described.location;
          q->info = described.info;
          uris.insert(q->name, uri);
        }
        described = CupsQueue{};
        uri.clear();
      });

  for (CupsQueue* q : changed) {
    const QByteArray queueUri = uris.value(q->name);
    if (queueUri.isEmpty()) continue;
    if (ReadDetails(http.get(), q->name.toUtf8(), queueUri, *q)) {
      q->detailsReadAt = askedAt;
      watch.Progress();
    } else {
      // A queue that cannot describe itself is still listed, without papers, and asked
      // again next time; a server that stopped answering is not.
      Verdict verdict;
      verdict.Failed(http.get(), watch);
      if (!verdict.answered) {
        reading.failure = verdict.failure;
        return reading;
      }
    }
  }
  reading.answered = true;
  return reading;
}

CupsJobResult SendPdfToCups(const QString& queue, const QString& title,
                            const CupsJobOptions& options, const QByteArray& pdf, int timeoutMs,
                            const std::atomic<bool>* cancel, const std::function<void()>& progress,
                            CupsJobTrack* track) {
  CheckOffGuiThread();
  Watch watch(timeoutMs, cancel, progress);
  QString failure;
  Http http = Connect(watch, failure);
  bool asked = false;
  CupsJobResult result;
  auto silent = [&](const std::string& message) {
    EPrintServerSilent e(message);
    e.queue = queue;
    e.title = title;
    e.jobId = result.id;
    e.jobMayExist = asked;
    return e;
  };
  if (!http) {
    const std::string message = QStringLiteral("「%1」へ印刷できませんでした: %2")
                                    .arg(queue, CupsNotAnsweringText(failure))
                                    .toStdString();
    if (watch.expired) throw silent(message);
    throw EOSError(message);
  }

  const QByteArray name = queue.toUtf8();
  const QByteArray resource = "/printers/" + name;
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/printers/%s", name.constData());
  auto request = [&](ipp_op_t operation) {
    ipp_t* r = ippNewRequest(operation);
    ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    AddUser(r);
    return r;
  };

  ipp_t* create = request(IPP_OP_CREATE_JOB);
  ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
               title.toUtf8().constData());
  if (options.copies > 1) {
    ippAddInteger(create, IPP_TAG_JOB, IPP_TAG_INTEGER, "copies", options.copies);
  }
  if (options.twoSided) {
    ippAddString(create, IPP_TAG_JOB, IPP_TAG_KEYWORD, "sides", nullptr, "two-sided-long-edge");
    if (options.copies > 1) {
      // Uncollated, a sheet would carry one page on both its sides.
      ippAddString(create, IPP_TAG_JOB, IPP_TAG_KEYWORD, "multiple-document-handling", nullptr,
                   "separate-documents-collated-copies");
    }
  }
  // Paper and tray travel together as media-col: a driver-based queue turns only that
  // into its own tray command.
  if (options.media || !options.tray.isEmpty()) {
    Ipp media(ippNew());
    if (options.media) {
      Ipp size(ippNew());
      ippAddInteger(size.get(), IPP_TAG_ZERO, IPP_TAG_INTEGER, "x-dimension", options.media->width);
      ippAddInteger(size.get(), IPP_TAG_ZERO, IPP_TAG_INTEGER, "y-dimension",
                    options.media->length);
      ippAddCollection(media.get(), IPP_TAG_ZERO, "media-size", size.get());
    }
    if (!options.tray.isEmpty()) {
      ippAddString(media.get(), IPP_TAG_ZERO, IPP_TAG_KEYWORD, "media-source", nullptr,
                   options.tray.toUtf8().constData());
    }
    ippAddCollection(create, IPP_TAG_JOB, "media-col", media.get());
  }
  // From here on the server may make the job, whether or not its answer comes.
  asked = true;
  if (track != nullptr) track->asked = true;
  Verdict verdict = Ask(http.get(), watch, create, resource.constData());
  if (verdict.ok()) {
    ipp_attribute_t* id = ippFindAttribute(verdict.response.get(), "job-id", IPP_TAG_INTEGER);
    result.id = id != nullptr ? ippGetInteger(id, 0) : 0;
    if (track != nullptr) track->id = result.id;

    // The document in pieces; the server taking each one is progress.
    verdict = Verdict{};
    if (cupsStartDocument(http.get(), name.constData(), result.id, title.toUtf8().constData(),
                          CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) {
      verdict.Failed(http.get(), watch);
    }
    for (qsizetype at = 0; verdict.ok() && at < pdf.size(); at += kSendChunk) {
      const qsizetype n = std::min(kSendChunk, pdf.size() - at);
      if (cupsWriteRequestData(http.get(), pdf.constData() + at, static_cast<size_t>(n)) !=
          HTTP_STATUS_CONTINUE) {
        verdict.Failed(http.get(), watch);
      } else {
        watch.Progress();
      }
    }
    if (verdict.ok()) {
      // Not cupsFinishDocument: it says "successful" for a response that never came.
      verdict.response.reset(cupsGetResponse(http.get(), resource.constData()));
      if (!verdict.response || watch.expired ||
          ippGetStatusCode(verdict.response.get()) > IPP_STATUS_OK_CONFLICTING) {
        verdict.Failed(http.get(), watch);
      }
    }
  }
  if (verdict.ok()) {
    // A paused queue takes the job and holds it: the teacher is told so. No answer here
    // does not undo a job the server has taken.
    ipp_t* ask = request(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(ask, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-state");
    const Verdict state = Ask(http.get(), watch, ask, resource.constData());
    ipp_attribute_t* attr =
        state.ok() ? ippFindAttribute(state.response.get(), "printer-state", IPP_TAG_ENUM)
                   : nullptr;
    result.queueStopped = attr != nullptr && ippGetInteger(attr, 0) == IPP_PSTATE_STOPPED;
    return result;
  }

  QString reason;
  if (watch.expired) {
    reason = CupsNotAnsweringText(verdict.failure);
  } else if (!verdict.answered) {
    reason = CupsWentAwayText(verdict.failure);
  } else {
    // Refused: a job already made is taken back.
    if (result.id != 0) cupsCancelJob2(http.get(), name.constData(), result.id, 0);
    reason = QStringLiteral("印刷サーバーが断りました (the print server refused the job: %1)")
                 .arg(verdict.failure);
  }
  const std::string message =
      QStringLiteral("「%1」へ印刷できませんでした: %2").arg(queue, reason).toStdString();
  if (watch.expired) throw silent(message);
  throw EOSError(message);
}

namespace {

QByteArray JobUri(int id) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/jobs/%d", id);
  return QByteArray(uri);
}

CupsJobState::Stage StageOf(int ippState) {
  switch (ippState) {
    case IPP_JSTATE_PROCESSING:
      return CupsJobState::Stage::Printing;
    case IPP_JSTATE_CANCELED:
      return CupsJobState::Stage::Cancelled;
    case IPP_JSTATE_ABORTED:
      return CupsJobState::Stage::Aborted;
    case IPP_JSTATE_COMPLETED:
      return CupsJobState::Stage::Completed;
    default:  // pending, held, processing-stopped
      return CupsJobState::Stage::Waiting;
  }
}

// The job's state from the attributes of one job group of a response, from `attr` on;
// `attr` is left on the first attribute after the group (nullptr at the end).
CupsJobState JobStateOf(ipp_t* response, ipp_attribute_t*& attr, QString* name = nullptr,
                        long long* created = nullptr, int* id = nullptr) {
  CupsJobState state;
  for (; attr != nullptr && ippGetGroupTag(attr) == IPP_TAG_JOB;
       attr = ippNextAttribute(response)) {
    const std::string_view n = ippGetName(attr) != nullptr ? ippGetName(attr) : "";
    if (n == "job-state") {
      const int s = ippGetInteger(attr, 0);
      state.stage = StageOf(s);
      if (s == IPP_JSTATE_STOPPED) state.queueStopped = true;
    } else if (n == "job-state-reasons") {
      if (ippContainsString(attr, "printer-stopped") != 0) state.queueStopped = true;
      if (ippContainsString(attr, "resources-are-not-ready") != 0) state.retrying = true;
    } else if (n == "job-printer-state-message") {
      state.message = StringOf(attr);
    } else if (n == "job-name" && name != nullptr) {
      *name = StringOf(attr);
    } else if (n == "time-at-creation" && created != nullptr) {
      *created = ippGetInteger(attr, 0);
    } else if (n == "job-id" && id != nullptr) {
      *id = ippGetInteger(attr, 0);
    }
  }
  if (state.stage != CupsJobState::Stage::Waiting) state.queueStopped = state.retrying = false;
  return state;
}

const char* const kJobAttributes[] = {
    "job-id",   "job-state",       "job-state-reasons", "job-printer-state-message",
    "job-name", "time-at-creation"};

// One job's state; nullopt when the server did not answer.
std::optional<CupsJobState> AskJob(http_t* http, Watch& watch, int id, QString& failure) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, JobUri(id).constData());
  AddUser(request);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kJobAttributes)), nullptr, kJobAttributes);
  Verdict verdict = Ask(http, watch, request, "/jobs/");
  if (!verdict.answered) {
    failure = verdict.failure;
    return std::nullopt;
  }
  if (!verdict.ok()) return CupsJobState{};  // not found: the server no longer knows it
  ipp_t* response = verdict.response.get();
  ipp_attribute_t* attr = ippFirstAttribute(response);
  while (attr != nullptr && ippGetGroupTag(attr) != IPP_TAG_JOB) attr = ippNextAttribute(response);
  return JobStateOf(response, attr);
}

// Cancel-Job on a connection; whether the server did it; nullopt when it did not answer.
std::optional<bool> Cancel(http_t* http, Watch& watch, int id) {
  ipp_t* request = ippNewRequest(IPP_OP_CANCEL_JOB);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, JobUri(id).constData());
  AddUser(request);
  const Verdict verdict = Ask(http, watch, request, "/jobs/");
  if (!verdict.answered) return std::nullopt;
  return verdict.ok();
}

// Our jobs on a queue, every state: (number, name, made at, state). nullopt: no answer.
struct ListedJob {
  int id = 0;
  QString name;
  long long created = 0;
  CupsJobState state;
};
std::optional<std::vector<ListedJob>> OurJobs(http_t* http, Watch& watch, const QString& queue) {
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/printers/%s", queue.toUtf8().constData());
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  AddUser(request);
  ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 1);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kJobAttributes)), nullptr, kJobAttributes);
  Verdict verdict = Ask(http, watch, request, "/");
  if (!verdict.answered) return std::nullopt;
  std::vector<ListedJob> jobs;
  ipp_t* response = verdict.response.get();
  if (!verdict.ok() || response == nullptr) return jobs;
  for (ipp_attribute_t* attr = ippFirstAttribute(response); attr != nullptr;) {
    if (ippGetGroupTag(attr) != IPP_TAG_JOB) {
      attr = ippNextAttribute(response);
      continue;
    }
    ListedJob job;
    job.state = JobStateOf(response, attr, &job.name, &job.created, &job.id);
    if (job.id != 0) jobs.push_back(job);
  }
  return jobs;
}

// What becomes of one job given up on: cancelled while it waits, else as the server says.
std::optional<CupsLeftOutcome> SettleJob(http_t* http, Watch& watch, int id,
                                         const CupsJobState& state) {
  switch (state.stage) {
    case CupsJobState::Stage::Completed:
      return CupsLeftOutcome::HandedOn;
    case CupsJobState::Stage::Cancelled:
    case CupsJobState::Stage::Aborted:
      return CupsLeftOutcome::WillNotPrint;
    case CupsJobState::Stage::Unknown:
      return CupsLeftOutcome::Unknown;
    case CupsJobState::Stage::Waiting:
    case CupsJobState::Stage::Printing: {
      const std::optional<bool> cancelled = Cancel(http, watch, id);
      if (!cancelled) return std::nullopt;
      // A job that had begun may have printed in part.
      return *cancelled && state.stage == CupsJobState::Stage::Waiting
                 ? CupsLeftOutcome::WillNotPrint
                 : CupsLeftOutcome::Unknown;
    }
  }
  return CupsLeftOutcome::Unknown;
}

std::optional<CupsLeftOutcome> SettleLeft(http_t* http, Watch& watch, const CupsJobLeft& left,
                                          QString& failure) {
  if (left.id != 0) {
    const std::optional<CupsJobState> state = AskJob(http, watch, left.id, failure);
    if (!state) return std::nullopt;
    return SettleJob(http, watch, left.id, *state);
  }
  const auto jobs = OurJobs(http, watch, left.queue);
  if (!jobs) {
    failure = Why(http, watch);
    return std::nullopt;
  }
  // No trace proves nothing: the server may not have read the request yet.
  bool found = false, handedOn = false, unknown = false;
  for (const ListedJob& job : *jobs) {
    if (job.name != left.title || job.created < left.since || job.id <= left.after) continue;
    found = true;
    const std::optional<CupsLeftOutcome> outcome = SettleJob(http, watch, job.id, job.state);
    if (!outcome) {
      failure = Why(http, watch);
      return std::nullopt;
    }
    handedOn = handedOn || *outcome == CupsLeftOutcome::HandedOn;
    unknown = unknown || *outcome == CupsLeftOutcome::Unknown;
  }
  if (handedOn) return CupsLeftOutcome::HandedOn;
  return found && !unknown ? CupsLeftOutcome::WillNotPrint : CupsLeftOutcome::Unknown;
}

}  // namespace

CupsJobsReading FollowCupsJobs(const std::vector<int>& ids, const std::vector<CupsJobLeft>& left,
                               int timeoutMs, const std::atomic<bool>* cancel) {
  CheckOffGuiThread();
  CupsJobsReading reading;
  reading.left.assign(left.size(), CupsLeftOutcome::NotAnswered);
  Watch watch(timeoutMs, cancel);
  Http http = Connect(watch, reading.failure);
  if (!http) return reading;
  for (std::size_t i = 0; i < left.size(); ++i) {
    const std::optional<CupsLeftOutcome> outcome =
        SettleLeft(http.get(), watch, left[i], reading.failure);
    if (!outcome) return reading;
    reading.left[i] = *outcome;
  }
  for (const int id : ids) {
    const std::optional<CupsJobState> state = AskJob(http.get(), watch, id, reading.failure);
    if (!state) return reading;
    reading.jobs[id] = *state;
  }
  reading.answered = true;
  return reading;
}

bool CancelCupsJob(int id, int timeoutMs, const std::atomic<bool>* cancel) {
  CheckOffGuiThread();
  Watch watch(timeoutMs, cancel);
  QString failure;
  Http http = Connect(watch, failure);
  if (!http) return false;
  return Cancel(http.get(), watch, id).value_or(false);
}

}  // namespace tamariko
