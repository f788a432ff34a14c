#pragma once

#include <atomic>
#include <chrono>
#include <functional>

namespace tamariko {

// What the work and its waiting caller share: the cancel the work must heed soon, and
// the work's last sign of progress, which moves the caller's deadline.
class OffThreadLink {
 public:
  OffThreadLink();
  std::atomic<bool> cancel{false};
  void Progress();
  std::chrono::steady_clock::time_point LastProgress() const;

 private:
  std::atomic<std::chrono::steady_clock::rep> last_;
};

// Runs work on a thread of its own and waits for it until it has shown no progress for
// silenceMs. On the GUI thread the windows keep repainting and answering meanwhile.
// Returns true when the work ended in time (an exception it threw is thrown here); false
// when the wait gave up, after telling the work through the link's cancel. The work must
// hold what it touches by value or shared pointer: it may outlive the call.
bool RunOffThread(std::function<void(OffThreadLink& link)> work, int silenceMs);

// Ends every RunOffThread wait under way now, as if its time were up: the program is closing
// and what they wait for is no longer wanted. Later waits are not affected.
void GiveUpWaitsUnderWay();

}  // namespace tamariko
