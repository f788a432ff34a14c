#include "platform/off_thread.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace tamariko {

namespace {

struct Shared {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::exception_ptr failure;
  OffThreadLink link;
};

// Counts the calls of GiveUpWaitsUnderWay; a wait gives up when it moves.
std::atomic<int> g_givenUp{0};

bool OnGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

}  // namespace

OffThreadLink::OffThreadLink()
    : last_(std::chrono::steady_clock::now().time_since_epoch().count()) {}

void OffThreadLink::Progress() {
  last_ = std::chrono::steady_clock::now().time_since_epoch().count();
}

std::chrono::steady_clock::time_point OffThreadLink::LastProgress() const {
  return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(last_.load()));
}

bool RunOffThread(std::function<void(OffThreadLink& link)> work, int silenceMs) {
  auto shared = std::make_shared<Shared>();
  std::thread([shared, work = std::move(work)] {
    std::exception_ptr failure;
    try {
      work(shared->link);
    } catch (...) {
      failure = std::current_exception();
    }
    const std::lock_guard lock(shared->mutex);
    shared->failure = failure;
    shared->finished = true;
    shared->done.notify_all();
  }).detach();

  const auto silence = std::chrono::milliseconds(silenceMs);
  auto deadline = [&] { return shared->link.LastProgress() + silence; };
  const bool gui = OnGuiThread();
  const int givenUp = g_givenUp;
  std::unique_lock lock(shared->mutex);
  while (!shared->finished && std::chrono::steady_clock::now() < deadline() &&
         g_givenUp == givenUp) {
    if (gui) {
      lock.unlock();
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      lock.lock();
      shared->done.wait_for(lock, std::chrono::milliseconds(10));
    } else {
      shared->done.wait_until(lock, deadline());
    }
  }
  if (!shared->finished) {
    shared->link.cancel = true;
    return false;
  }
  if (shared->failure) std::rethrow_exception(shared->failure);
  return true;
}

void GiveUpWaitsUnderWay() { ++g_givenUp; }

}  // namespace tamariko
