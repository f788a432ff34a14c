#include "window/shutdown_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace tamariko {
namespace {

std::optional<int> ended;

void ReadSignals() {
  if (const auto number = ReceivedEndSignal(); number && !ended) ended = 128 + *number;
  // exit() ends every running loop (a modal dialog's too) and marks the thread so that a
  // loop entered later returns at once; only exec() forgets it, hence `ended`.
  if (ended) QCoreApplication::exit(*ended);
}

}  // namespace

ShutdownSignals::ShutdownSignals() { ended.reset(); }

ShutdownSignals::~ShutdownSignals() {
  delete notifier_;
  ended.reset();
}

void ShutdownSignals::Watch() {
  if (!signals_.Installed()) return;
  notifier_ = new QSocketNotifier(EndSignals::ReadFd(), QSocketNotifier::Read,
                                  QCoreApplication::instance());
  QObject::connect(notifier_, &QSocketNotifier::activated, [] { ReadSignals(); });
}

std::optional<int> SignalledEnd() { return ended; }

}  // namespace tamariko
