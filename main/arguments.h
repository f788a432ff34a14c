#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tamariko {

// What the window's command line asks before any window opens.
struct WindowArguments {
  bool help = false;
  bool version = false;
  std::optional<std::uint32_t> seed;
};

// A command line the window cannot take: the message names the argument and the reason.
struct WindowUsageError {
  QString message;
};

// Reads the window's arguments (program name first): Qt's own options with their values,
// --help and --version. Throws WindowUsageError for anything else.
WindowArguments ParseWindowArguments(const QStringList& arguments);

QString WindowHelpText();

// Runs before the application object exists: answers --help and --version, refuses what
// the window cannot take, and keeps --seed for the start-up. Returns the exit status when
// the program should end here.
std::optional<int> AnswerBeforeWindow(int argc, char** argv);

}  // namespace tamariko
