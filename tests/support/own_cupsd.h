#pragma once

// A CUPS server of one test's own, which the test may stop (SIGSTOP), resume or kill
// without disturbing the shared test server that other tests use at the same time.

#include <cups/cups.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <map>
#include <vector>

namespace tamariko::testing {

class OwnCupsd {
 public:
  static constexpr char kQueue[] = "own-queue";
  // What the failing backend says.
  static constexpr char kFailure[] = "the test printer is out of order";

  // Empty when the server runs; otherwise why it could not start (the test skips).
  QString Start() {
    if (geteuid() != 0) return QStringLiteral("cupsd needs root");
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    if (!QFileInfo(QStringLiteral("/usr/sbin/cupsd")).isExecutable() ||
        !QFileInfo(QStringLiteral("/usr/sbin/lpadmin")).isExecutable() ||
        !QFileInfo(ppd).isReadable()) {
      return QStringLiteral("cups, cups-client or printer-driver-cups-pdf is not installed");
    }
    if (!dir_.isValid()) return QStringLiteral("no temporary folder");
    const QString d = dir_.path();
    for (const char* sub : {"root", "spool/tmp", "cache", "state", "log", "bin/backend"}) {
      QDir().mkpath(d + QLatin1Char('/') + QLatin1String(sub));
    }
    const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadOther | QFileDevice::ExeOther | QFileDevice::ReadGroup |
                      QFileDevice::ExeGroup;
    for (const char* sub : {"", "/bin", "/bin/backend"}) QFile::setPermissions(d + sub, open);
    // The server's programs are the system's, plus a backend that always fails ("fail:/").
    for (const char* sub : {"cgi-bin", "daemon", "driver", "filter", "monitor", "notifier"}) {
      QFile::link(QStringLiteral("/usr/lib/cups/") + sub, d + QStringLiteral("/bin/") + sub);
    }
    const QDir backends(QStringLiteral("/usr/lib/cups/backend"));
    for (const QString& name : backends.entryList(QDir::Files | QDir::System)) {
      QFile::link(backends.filePath(name), d + QStringLiteral("/bin/backend/") + name);
    }
    Write(d + QStringLiteral("/bin/backend/fail"),
          QStringLiteral("#!/bin/sh\n[ $# -eq 0 ] && exit 0\n"
                         "echo 'ERROR: %1' >&2\nexit 1\n")
              .arg(QLatin1String(kFailure)));
    QFile::setPermissions(d + QStringLiteral("/bin/backend/fail"), open);
    socket_ = d + QStringLiteral("/cups.sock");
    Write(d + QStringLiteral("/root/cupsd.conf"),
          QStringLiteral(
              "Listen %1\nLogLevel warn\nAccessLogLevel all\nWebInterface No\nBrowsing No\n"
              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
              "</Policy>\n")
              .arg(socket_));
    Write(d + QStringLiteral("/root/cups-files.conf"),
          QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                         "CacheDir %1/cache\nStateDir %1/state\nServerBin %1/bin\n"
                         "DataDir /usr/share/cups\nAccessLog %1/log/access_log\n"
                         "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n"
                         "SystemGroup root\nUser lp\nGroup lp\nFileDevice Yes\n")
              .arg(d));
    server_.setProgram(QStringLiteral("/usr/sbin/cupsd"));
    server_.setArguments({"-f", "-c", d + "/root/cupsd.conf", "-s", d + "/root/cups-files.conf"});
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start();
    if (!server_.waitForStarted(10000)) return QStringLiteral("cupsd did not start");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000 &&
           !Admin({"-p", kQueue, "-E", "-v", "file:///dev/null", "-P", ppd})) {
      if (server_.state() != QProcess::Running) {
        return QStringLiteral("cupsd ended: ") + QString::fromLocal8Bit(server_.readAll());
      }
      QThread::msleep(100);
    }
    return clock.elapsed() < 15000 ? QString() : QStringLiteral("cupsd did not answer");
  }

  ~OwnCupsd() {
    if (server_.state() == QProcess::Running) {
      Resume();
      server_.kill();
      server_.waitForFinished(10000);
    }
  }

  QString Socket() const { return socket_; }
  // Another queue on this server, driven by the given driver file.
  bool AddQueue(const QString& name, const QString& ppd) {
    return Admin({"-p", name, "-E", "-v", "file:///dev/null", "-P", ppd});
  }
  // Another queue on one of the server's own drivers ("drv:///sample.drv/laserjet.ppd")
  // whose printer data goes into a file.
  bool AddDriverQueue(const QString& name, const QString& model, const QString& outputFile) {
    return Admin({"-p", name, "-E", "-v", "file://" + outputFile, "-m", model});
  }
  // A queue whose backend fails every job, with an error policy for it ("abort-job"), or
  // the server's default one.
  bool AddFailingQueue(const QString& name, const QString& policy = {}) {
    QStringList arguments = {
        "-p", name, "-E", "-v", "fail:/", "-P", "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"};
    if (!policy.isEmpty())
      arguments << "-o"
                << "printer-error-policy=" + policy;
    return Admin(arguments);
  }
  // How many requests of an operation ("Get-Job-Attributes") the server has had so far.
  int Requests(const QString& operation) const {
    QFile log(dir_.path() + QStringLiteral("/log/access_log"));
    if (!log.open(QIODevice::ReadOnly)) return 0;
    return static_cast<int>(QString::fromUtf8(log.readAll()).count(QLatin1Char(' ') + operation));
  }
  // lpadmin with these arguments on this server.
  bool Admin(const QStringList& arguments) {
    return Run(QStringLiteral("/usr/sbin/lpadmin"), arguments);
  }
  // cupsdisable: the queue takes jobs and holds them.
  bool Pause(const QString& queue) { return Run(QStringLiteral("/usr/sbin/cupsdisable"), {queue}); }
  // The server's records of every job so far, as it keeps them (the attributes the job
  // was sent with among them).
  QByteArray JobRecords() const {
    QByteArray all;
    const QDir spool(dir_.path() + QStringLiteral("/spool"));
    for (const QString& name : spool.entryList({QStringLiteral("c*")}, QDir::Files)) {
      QFile file(spool.filePath(name));
      if (file.open(QIODevice::ReadOnly)) all += file.readAll();
    }
    return all;
  }
  // The documents of every job so far, as the server received them.
  QStringList JobDocuments() const {
    QStringList paths;
    const QDir spool(dir_.path() + QStringLiteral("/spool"));
    for (const QString& name : spool.entryList({QStringLiteral("d*")}, QDir::Files, QDir::Name)) {
      paths << spool.filePath(name);
    }
    return paths;
  }
  // Every job the server holds, oldest first: the attributes asked for, as text.
  std::vector<std::map<QString, QString>> Jobs(const std::vector<const char*>& names) const {
    std::vector<std::map<QString, QString>> jobs;
    http_t* http = httpConnect2(socket_.toLocal8Bit().constData(), 0, nullptr, AF_UNSPEC,
                                HTTP_ENCRYPTION_NEVER, 1, 10000, nullptr);
    if (http == nullptr) return jobs;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 "ipp://localhost/");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
    std::vector<const char*> asked = names;
    asked.push_back("job-id");
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(asked.size()), nullptr, asked.data());
    ipp_t* response = cupsDoRequest(http, request, "/");
    std::map<int, std::map<QString, QString>> byId;
    std::map<QString, QString> job;
    int id = 0;
    for (ipp_attribute_t* a = response ? ippFirstAttribute(response) : nullptr;;
         a = ippNextAttribute(response)) {
      if (a != nullptr && ippGetGroupTag(a) != IPP_TAG_JOB && ippGetName(a) != nullptr) continue;
      if (a == nullptr || ippGetName(a) == nullptr) {
        if (id != 0) byId[id] = job;
        job.clear();
        id = 0;
        if (a == nullptr) break;
        continue;
      }
      char value[1024];
      ippAttributeString(a, value, sizeof value);
      if (QLatin1String(ippGetName(a)) == QLatin1String("job-id")) id = ippGetInteger(a, 0);
      job[QString::fromUtf8(ippGetName(a))] = QString::fromUtf8(value);
    }
    ippDelete(response);
    httpClose(http);
    for (auto& [number, attributes] : byId) jobs.push_back(attributes);
    return jobs;
  }
  void Stop() { ::kill(static_cast<pid_t>(server_.processId()), SIGSTOP); }
  void Resume() { ::kill(static_cast<pid_t>(server_.processId()), SIGCONT); }
  void Kill() {
    Resume();
    server_.kill();
    server_.waitForFinished(10000);
  }

 private:
  static void Write(const QString& path, const QString& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text.toUtf8());
  }

  bool Run(const QString& program, const QStringList& arguments) {
    QProcess admin;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), socket_);
    admin.setProcessEnvironment(env);
    admin.start(program, arguments);
    return admin.waitForFinished(10000) && admin.exitStatus() == QProcess::NormalExit &&
           admin.exitCode() == 0;
  }

  QTemporaryDir dir_{QStringLiteral("/tmp/tamariko-own-cupsd.XXXXXX")};
  QString socket_;
  QProcess server_;
};

}  // namespace tamariko::testing
