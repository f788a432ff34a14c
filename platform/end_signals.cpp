#include "platform/end_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

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

EndSignals::EndSignals() {
  // Without a pipe the signals keep their usual effect: the program still runs.
  if (pipeFds[0] >= 0 || pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  installed_ = true;
  received.reset();
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
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
  return QStringLiteral("%1 を受けて止まりました (stopped by %1)").arg(named);
}

void StopIfEndSignalReceived() {
  if (const auto number = ReceivedEndSignal()) throw EndSignalReceived{*number};
}

EndSignalsHeld::EndSignalsHeld() {
  const sigset_t set = EndSignalSet();
  held_ = pthread_sigmask(SIG_BLOCK, &set, &previous_) == 0;
}

EndSignalsHeld::~EndSignalsHeld() {
  if (held_) pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace tamariko
