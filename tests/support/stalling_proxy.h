#pragma once

// A relay in front of a print server's socket that calls `stall` once a given number of
// bytes has gone from the clients to the server, and from then on passes nothing either
// way (the test stops the server there, in the middle of whatever was being sent), or,
// told to hang up, closes every connection there as a server that went away.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QString>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace tamariko::testing {

class StallingProxy {
 public:
  StallingProxy(const QString& serverSocket, long long stallAfterBytes, std::function<void()> stall,
                bool hangUp = false)
      : server_(serverSocket.toStdString()),
        limit_(stallAfterBytes),
        stall_(std::move(stall)),
        hangUp_(hangUp) {
    socket_ = dir_.filePath(QStringLiteral("proxy.sock"));
    listen_ = Bind(socket_.toStdString());
    if (listen_ >= 0 && ::pipe(wake_) == 0) thread_ = std::thread([this] { Run(); });
  }
  ~StallingProxy() {
    if (thread_.joinable()) {
      (void)!::write(wake_[1], "x", 1);
      thread_.join();
    }
    for (const int fd : {listen_, wake_[0], wake_[1]}) {
      if (fd >= 0) ::close(fd);
    }
  }
  StallingProxy(const StallingProxy&) = delete;
  StallingProxy& operator=(const StallingProxy&) = delete;

  bool Listening() const { return thread_.joinable(); }
  QString Socket() const { return socket_; }
  bool Stalled() const { return stalled_; }
  // What has gone from the clients to the server so far.
  long long Passed() const { return sent_; }

 private:
  static int Bind(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0) {
      if (fd >= 0) ::close(fd);
      return -1;
    }
    return fd;
  }

  int ConnectServer() const {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, server_.c_str(), sizeof address.sun_path - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      return fd;
    }
    if (fd >= 0) ::close(fd);
    return -1;
  }

  // Each connection is a client and a server end; what arrives on one goes to the other.
  struct Pair {
    int fd[2];
    bool open[2] = {true, true};
  };

  void Run() {
    std::vector<Pair> pairs;
    std::array<char, 16384> buffer{};
    for (;;) {
      std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
      for (const Pair& pair : pairs) {
        for (int side = 0; side < 2; ++side) {
          // Closed ends and, once stalled, every end are left unread.
          fds.push_back({pair.open[side] && !stalled_ ? pair.fd[side] : -1, POLLIN, 0});
        }
      }
      if (::poll(fds.data(), fds.size(), -1) < 0) continue;
      if (fds[0].revents != 0) break;
      if (fds[1].revents & POLLIN) {
        const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        const int server = client >= 0 && !(stalled_ && hangUp_) ? ConnectServer() : -1;
        if (server >= 0) {
          pairs.push_back({{client, server}});
        } else if (client >= 0) {
          ::close(client);
        }
      }
      for (std::size_t i = 2; i < fds.size() && !stalled_; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        Pair& pair = pairs[(i - 2) / 2];
        const int side = static_cast<int>((i - 2) % 2);  // 0: from the client
        const int to = pair.fd[1 - side];
        long long n = ::read(fds[i].fd, buffer.data(), buffer.size());
        if (n <= 0) {
          pair.open[side] = false;
          ::shutdown(to, SHUT_WR);
          continue;
        }
        if (side == 0 && sent_ + n >= limit_) n = limit_ - sent_;
        for (long long at = 0; at < n;) {
          const auto w = ::write(to, buffer.data() + at, static_cast<size_t>(n - at));
          if (w <= 0) break;
          at += w;
        }
        if (side == 0) sent_ += n;
        if (side == 0 && sent_ >= limit_) {
          stalled_ = true;
          stall_();
        }
      }
      if (stalled_ && hangUp_) {
        for (const Pair& pair : pairs) {
          ::close(pair.fd[0]);
          ::close(pair.fd[1]);
        }
        pairs.clear();
      }
    }
    for (const Pair& pair : pairs) {
      ::close(pair.fd[0]);
      ::close(pair.fd[1]);
    }
  }

  QTemporaryDir dir_;
  QString socket_;
  std::string server_;
  long long limit_;
  std::function<void()> stall_;
  bool hangUp_;
  int listen_ = -1;
  int wake_[2] = {-1, -1};
  std::atomic<long long> sent_{0};
  std::atomic<bool> stalled_{false};
  std::thread thread_;
};

}  // namespace tamariko::testing
