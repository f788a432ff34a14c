#include "app/shutdown_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace tamariko {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

int pipeFds[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> previous{};
std::optional<int> ended;

// Runs in the signal: only write(2), and errno left as it was.
void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  // A full pipe already holds a request to end; losing this one changes nothing.
  [[maybe_unused]] const ssize_t n = write(pipeFds[1], &byte, 1);
  errno = saved;
}

void ReadSignals() {
  unsigned char bytes[16];
  ssize_t n;
  while ((n = read(pipeFds[0], bytes, sizeof bytes)) > 0) {
    if (!ended) ended = 128 + bytes[0];
  }
  // exit() ends every running loop (a modal dialog's too) and marks the thread so that a
  // loop entered later returns at once; only exec() forgets it, hence `ended`.
  if (ended) QCoreApplication::exit(*ended);
}

}  // namespace

ShutdownSignals::ShutdownSignals() {
  // Without a pipe the signals keep their usual effect: the program still runs.
  if (pipeFds[0] >= 0 || pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  installed_ = true;
  ended.reset();
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], nullptr, &previous[i]);
    // An ignored signal stays ignored: nohup, or a background job's SIGINT.
    if (previous[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
  }
}

ShutdownSignals::~ShutdownSignals() {
  if (!installed_) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous[i], nullptr);
  delete notifier_;
  close(pipeFds[0]);
  close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
  ended.reset();
}

void ShutdownSignals::Watch() {
  if (!installed_) return;
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier_, &QSocketNotifier::activated, [] { ReadSignals(); });
}

std::optional<int> SignalledEnd() { return ended; }

}  // namespace tamariko
