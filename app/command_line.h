#pragma once

// The command line and standard output, as the window's start and the batch both read and
// write them.

#include <QByteArray>
#include <QStringList>

namespace tamariko {

// Writes `text` to standard output and flushes it; on failure throws Error with the reason.
void WriteStandardOutputOrThrow(const QByteArray& text);
// The same, saying a failure on standard error and returning false instead.
bool WriteStandardOutput(const QByteArray& text);
// The command line as text, program name first.
QStringList ArgumentList(int argc, char** argv);

}  // namespace tamariko
