#include "app/command_line.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/error.h"
#include "platform/end_signals.h"
#include "platform/staged_file.h"

namespace tamariko {

void WriteStandardOutputOrThrow(const QByteArray& text) {
  errno = 0;
  int err = std::fflush(stdout) == 0 ? 0 : errno;
  // Past the stdio buffer, so that an end signal is seen while a reader takes nothing.
  if (err == 0) {
    err = WriteUnlessEnded(STDOUT_FILENO, text.constData(), static_cast<std::size_t>(text.size()));
  }
  if (err == 0) return;
  throw Error(QStringLiteral("標準出力に書けませんでした (cannot write to standard output%1)")
                  .arg(err ? QStringLiteral(": ") + PlainReason(err) : QString())
                  .toStdString());
}

bool WriteStandardOutput(const QByteArray& text) {
  try {
    WriteStandardOutputOrThrow(text);
    return true;
  } catch (const Error& e) {
    std::fprintf(stderr, "tamariko: %s\n", e.what());
    return false;
  } catch (const EndSignalReceived& e) {
    std::fprintf(stderr, "tamariko: %s\n", e.Message().toLocal8Bit().constData());
    return false;
  }
}

QStringList ArgumentList(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

}  // namespace tamariko
