#pragma once

#include <atomic>
#include <functional>

namespace tamariko {

// Runs work on a thread of its own and waits for it at most timeoutMs. On the GUI thread
// the windows keep repainting and answering meanwhile. Returns true when the work ended in
// time (an exception it threw is thrown here); false when the wait gave up, after telling
// the work through cancel, which it must heed soon. The work must hold what it touches by
// value or shared pointer: it may outlive the call.
bool RunOffThread(std::function<void(const std::atomic<bool>& cancel)> work, int timeoutMs);

// Ends every RunOffThread wait under way now, as if its time were up: the program is closing
// and what they wait for is no longer wanted. Later waits are not affected.
void GiveUpWaitsUnderWay();

}  // namespace tamariko
