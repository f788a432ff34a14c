#pragma once

#include <signal.h>

#include <QString>
#include <cstddef>
#include <optional>

namespace tamariko {

// SIGTERM, SIGHUP and SIGINT (a kill, a logout, Ctrl+C) turned into a request that the
// program reads where it can stop cleanly: the handler only writes the signal's number
// into a pipe. A signal ignored at start stays ignored (nohup, a background job's SIGINT).
class EndSignals {
 public:
  // Whether a call the signal interrupts goes on (Restart) or fails with EINTR (Interrupt),
  // so that no wait outlasts a signal: what a run without a window asks for.
  enum class Calls { Restart, Interrupt };
  // Catches the signals from now on, unless another EndSignals already does.
  explicit EndSignals(Calls calls = Calls::Restart);
  // Restores the earlier handling.
  ~EndSignals();
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  bool Installed() const { return installed_; }
  // Readable when a signal has come, for a notifier; -1 when not installed.
  static int ReadFd();

 private:
  bool installed_ = false;
};

// The first end signal received while the handlers are installed; none otherwise.
std::optional<int> ReceivedEndSignal();

// Thrown where work stops for an end signal. Not an Error: nothing may take it for a
// failure to report and go on.
struct EndSignalReceived {
  int signal;
  // What had been done when it came, for the message ("「a.pdf」を置きました ..."); none
  // said when empty.
  QString done = {};
  // "SIGTERM を受けて止まりました (stopped by SIGTERM)", then `done`.
  QString Message() const;
};

// Throws EndSignalReceived once an end signal has come.
void StopIfEndSignalReceived();

// Writes all `size` bytes into `fd` (a pipe, a FIFO, a device or a file), waiting for room
// to write in while watching for the end signals: throws EndSignalReceived once one has
// come, also while the reader takes nothing. Returns 0, or the error number of a failed
// write.
int WriteUnlessEnded(int fd, const char* data, std::size_t size);

// Holds the end signals back on this thread while it lives, so that what it guards is done
// whole; one that comes meanwhile is handled after.
class EndSignalsHeld {
 public:
  EndSignalsHeld();
  ~EndSignalsHeld();
  EndSignalsHeld(const EndSignalsHeld&) = delete;
  EndSignalsHeld& operator=(const EndSignalsHeld&) = delete;

 private:
  bool held_ = false;
  sigset_t previous_{};
};

}  // namespace tamariko
