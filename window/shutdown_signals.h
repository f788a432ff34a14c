#pragma once

#include <QPointer>
#include <QSocketNotifier>
#include <optional>

#include "platform/end_signals.h"

namespace tamariko {

// Turns SIGTERM, SIGHUP and SIGINT (a kill, a logout, Ctrl+C) into a normal end of the
// message loop, so the shut-down runs and removes the carried font. The GUI thread reads
// the signals' pipe (EndSignals).
class ShutdownSignals {
 public:
  // Catches the signals from now on; one arriving before Watch() waits in the pipe.
  ShutdownSignals();
  // Restores the earlier handling.
  ~ShutdownSignals();
  ShutdownSignals(const ShutdownSignals&) = delete;
  ShutdownSignals& operator=(const ShutdownSignals&) = delete;

  // Starts reading the pipe on this thread; needs the application object, which takes the
  // reader with it if it goes first.
  void Watch();

 private:
  EndSignals signals_;
  QPointer<QSocketNotifier> notifier_;
};

// The exit status (128 + the signal) once a signal has asked the program to end. A signal
// read before the message loop runs cannot end a loop yet; this tells the start-up to skip it.
std::optional<int> SignalledEnd();

}  // namespace tamariko
