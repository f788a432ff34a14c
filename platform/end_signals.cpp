#include "platform/end_signals.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace tamariko {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

int pipeFds[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> previous{};
std::optional<int> received;

// Runs in the signal: only write(2), and errno left as it was.
void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  // A full pipe already holds a request to end; losing this one changes nothing.
  [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
  errno = saved;
}

sigset_t EndSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int number : kSignals) sigaddset(&set, number);
  return set;
}

}  // namespace

EndSignals::EndSignals(Calls calls) {
  // Without a pipe the signals keep their usual effect: the program still runs.
  if (pipeFds[0] >= 0 || pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  installed_ = true;
  received.reset();
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = calls == Calls::Restart ? SA_RESTART : 0;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], nullptr, &previous[i]);
    if (previous[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
  }
}

EndSignals::~EndSignals() {
  if (!installed_) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous[i], nullptr);
  close(pipeFds[0]);
  close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
  received.reset();
}

int EndSignals::ReadFd() { return pipeFds[0]; }

std::optional<int> ReceivedEndSignal() {
  if (pipeFds[0] < 0) return received;
  unsigned char bytes[16];
  ssize_t n;
  while ((n = read(pipeFds[0], bytes, sizeof bytes)) > 0) {
    if (!received) received = bytes[0];
  }
  return received;
}

QString EndSignalReceived::Message() const {
  const char* name = signal == SIGTERM  ? "SIGTERM"
                     : signal == SIGHUP ? "SIGHUP"
                     : signal == SIGINT ? "SIGINT"
                                        : nullptr;
  const QString named = name ? QString::fromLatin1(name) : QStringLiteral("signal %1").arg(signal);
  return QStringLiteral("%1 を受けて止まりました (stopped by %1)").arg(named) +
         (done.isEmpty() ? QString() : QStringLiteral("。") + done);
}

void StopIfEndSignalReceived() {
  if (const auto number = ReceivedEndSignal()) throw EndSignalReceived{*number};
}

int WriteUnlessEnded(int fd, const char* data, std::size_t size) {
  struct stat info {};
  // A pipe or FIFO with room takes up to PIPE_BUF bytes without waiting: a larger write
  // could wait for a reader that never reads with the signal already handled.
  const bool file = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  while (size > 0) {
    StopIfEndSignalReceived();
    pollfd waits[2] = {{fd, POLLOUT, 0}, {pipeFds[0], POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (waits[0].revents == 0) continue;  // a signal: seen above
    const ssize_t n = ::write(fd, data, file ? size : std::min<std::size_t>(size, PIPE_BUF));
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

EndSignalsHeld::EndSignalsHeld() {
  const sigset_t set = EndSignalSet();
  held_ = pthread_sigmask(SIG_BLOCK, &set, &previous_) == 0;
}

EndSignalsHeld::~EndSignalsHeld() {
  if (held_) pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace tamariko
