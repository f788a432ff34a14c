#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

namespace tamariko::test {

struct Outcome {
  int exitCode = -1;  // -1: killed by a signal, or did not end in time
  QByteArray out;
  QString err;
};

// Runs the real executable (TAMARIKO_EXE) and waits for it, within bounds.
inline Outcome Tamariko(const QStringList& arguments, const QString& stdoutFile = {},
                        const std::optional<QProcessEnvironment>& environment = {},
                        int timeoutMs = 60000, const QString& workingDirectory = {}) {
  QProcess p;
  if (!workingDirectory.isEmpty()) p.setWorkingDirectory(workingDirectory);
  if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
  if (environment) p.setProcessEnvironment(*environment);
  p.start(QStringLiteral(TAMARIKO_EXE), arguments);
  Outcome run;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(5000);
    run.err = QStringLiteral("did not end within %1 ms").arg(timeoutMs);
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = p.readAllStandardOutput();
  run.err = QString::fromLocal8Bit(p.readAllStandardError());
  return run;
}

}  // namespace tamariko::test
