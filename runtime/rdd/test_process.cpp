#include "runtime/rdd/test_process.h"

#include <filesystem>
#include <fstream>
#include <thread>

#if defined(_WIN32)
#include <process.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace xb::rdd::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& args) {
  std::vector<std::string> quoted;
  quoted.push_back(VDR_RDD_HELPER);
  for (const auto& a : args) quoted.push_back(a);
#if defined(_WIN32)
  // The C runtime joins the arguments with blanks: quote those that hold one.
  for (auto& a : quoted)
    if (a.find(' ') != std::string::npos) a = "\"" + a + "\"";
#endif
  std::vector<char*> argv;
  for (auto& a : quoted) argv.push_back(a.data());
  argv.push_back(nullptr);
#if defined(_WIN32)
  const intptr_t h = _spawnv(_P_NOWAIT, argv[0], argv.data());
  started_ = h != -1;
  handle_ = h;
#else
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  started_ = pid > 0;
  handle_ = pid;
#endif
}

ChildProcess::~ChildProcess() {
  if (started_ && !waited_) Wait();
}

int ChildProcess::Wait() {
  if (!started_) return -1;
  if (waited_) return exit_code_;
  waited_ = true;
#if defined(_WIN32)
  int status = 0;
  if (_cwait(&status, static_cast<intptr_t>(handle_), 0) == -1) return exit_code_ = -1;
  exit_code_ = status;
#else
  int status = 0;
  if (::waitpid(static_cast<pid_t>(handle_), &status, 0) < 0) return exit_code_ = -1;
  exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
  return exit_code_;
}

void ChildProcess::Kill() {
#if !defined(_WIN32)
  if (started_ && !waited_) ::kill(static_cast<pid_t>(handle_), SIGKILL);
#endif
}

bool CanKillProcesses() {
#if defined(_WIN32)
  return false;
#else
  return true;
#endif
}

bool WaitForFile(const std::string& path, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::error_code ec;
  while (!std::filesystem::exists(std::filesystem::path(path), ec)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void TouchFile(const std::string& path) { std::ofstream(path, std::ios::binary) << "x"; }

}  // namespace xb::rdd::testing
