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
  std::atomic<bool> cancel{false};
};

// Counts the calls of GiveUpWaitsUnderWay; a wait gives up when it moves.
std::atomic<int> g_givenUp{0};

bool OnGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

}  // namespace

bool RunOffThread(std::function<void(const std::atomic<bool>& cancel)> work, int timeoutMs) {
  auto shared = std::make_shared<Shared>();
  std::thread([shared, work = std::move(work)] {
    std::exception_ptr failure;
    try {
      work(shared->cancel);
    } catch (...) {
      failure = std::current_exception();
    }
    const std::lock_guard lock(shared->mutex);
    shared->failure = failure;
    shared->finished = true;
    shared->done.notify_all();
  }).detach();

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  const bool gui = OnGuiThread();
  const int givenUp = g_givenUp;
  std::unique_lock lock(shared->mutex);
  while (!shared->finished && std::chrono::steady_clock::now() < deadline && g_givenUp == givenUp) {
    if (gui) {
      lock.unlock();
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      lock.lock();
      shared->done.wait_for(lock, std::chrono::milliseconds(10));
    } else {
      shared->done.wait_until(lock, deadline);
    }
  }
  if (!shared->finished) {
    shared->cancel = true;
    return false;
  }
  if (shared->failure) std::rethrow_exception(shared->failure);
  return true;
}

void GiveUpWaitsUnderWay() { ++g_givenUp; }

}  // namespace tamariko
