// Other processes for the table engine's tests: the helper program run with arguments, a
// handshake through files (the helper writes a "ready" file once it holds what it was told
// to hold, and lets go when the test writes the "release" file).
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace xb::rdd::testing {

class ChildProcess {
 public:
  // Starts the helper program with these arguments.
  explicit ChildProcess(const std::vector<std::string>& args);
  ~ChildProcess();  // waits for the process (kills it first when it still runs and was told to)
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return started_; }
  // Waits for the end and returns the exit code (-1 when it could not be waited for).
  int Wait();
  // Ends the process at once, as a crash or a task kill would (POSIX only: SIGKILL).
  void Kill();

 private:
  bool started_ = false;
  bool waited_ = false;
  int exit_code_ = -1;
  long long handle_ = 0;
};

bool CanKillProcesses();

// Waits until a file exists; false after `timeout`.
bool WaitForFile(const std::string& path, std::chrono::milliseconds timeout = std::chrono::seconds(60));
void TouchFile(const std::string& path);

}  // namespace xb::rdd::testing
