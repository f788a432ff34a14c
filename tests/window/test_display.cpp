#include "tests/window/test_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QStandardPaths>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

extern char** environ;

namespace tamariko::testing {
namespace {

pid_t xvfb = 0;
pid_t windowManager = 0;
std::string missing = "no X display was started";

bool OnPath(const char* program) {
  return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

// Runs `argv` with its output thrown away (descriptors opened without close-on-exec stay
// open in it); 0 when it could not start.
pid_t Spawn(std::vector<std::string> argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed ? 0 : pid;
}

void End(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (waitpid(pid, nullptr, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = 0;
}

}  // namespace

std::string TestDisplay::Start() {
  if (!OnPath("Xvfb")) return missing = "Xvfb is not installed (Debian package xvfb)";
  int fds[2];
  if (pipe(fds) != 0) return missing = std::string("pipe: ") + std::strerror(errno);
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  // Xvfb picks a free display and writes its number on the pipe once it accepts clients.
  xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1600x1200x24",
                "-nolisten", "tcp"});
  close(fds[1]);
  std::string number;
  if (xvfb) {
    pollfd wait{fds[0], POLLIN, 0};
    char c;
    while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    End(xvfb);
    return missing = "Xvfb did not start";
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  missing.clear();
  return {};
}

void TestDisplay::Stop() {
  End(windowManager);
  End(xvfb);
}

const std::string& TestDisplay::Missing() { return missing; }

std::string TestDisplay::StartWindowManager() {
  if (!missing.empty()) return missing;
  if (windowManager) return {};
  if (!OnPath("openbox")) return "openbox is not installed (Debian package openbox)";
  // openbox runs the start-up command once it manages the screen.
  const std::filesystem::path ready =
      std::filesystem::temp_directory_path() / ("tamariko-wm-" + std::to_string(getpid()));
  std::filesystem::remove(ready);
  windowManager = Spawn({"openbox", "--sm-disable", "--startup", "touch " + ready.string()});
  for (int i = 0; i < 500 && windowManager && !std::filesystem::exists(ready); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const bool up = std::filesystem::exists(ready);
  std::filesystem::remove(ready);
  if (!up) {
    End(windowManager);
    return "openbox did not start";
  }
  return {};
}

}  // namespace tamariko::testing
