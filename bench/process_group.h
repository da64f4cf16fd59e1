#pragma once
// Runs one piece of work in several forked processes at once and times them
// by the wall clock: every process first prepares (opens its files), then
// all start together, and the time runs until the last one has ended. Each
// process reports through memory shared with the parent, so a process that
// hangs can be placed (the statement it is in) and killed after a time-out.

#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace zor::bench {

// What one process reports while it runs.
struct ChildReport {
  std::atomic<int32_t> statement{0};  // what it is carrying out now (the caller's numbering)
  std::atomic<int32_t> error{0};      // the answer of its first failure, 0 when none
  std::atomic<int32_t> failedStatement{0};
  std::atomic<uint64_t> done{0};     // operations completed
  std::atomic<uint64_t> retries{0};  // operations repeated after a busy answer
  std::atomic<uint64_t> seen{0};     // records seen (scans)
  std::atomic<uint64_t> micros{0};   // its own time from the start to its last operation
  std::atomic<uint64_t> flushes{0};  // flushes it made (where it can count them)

  void fail(int32_t what, int32_t answer) {
    if (error.load() != 0) return;
    failedStatement = what;
    error = answer;
  }
};

// Passed to the work of each process; the work calls wait() once, after
// preparing and before its timed part.
class StartGate {
 public:
  StartGate(int ready, int go) : ready_(ready), go_(go) {}
  void wait() {
    signalReady();
    char byte;
    while (read(go_, &byte, 1) > 0) {
    }
  }
  void signalReady() {
    if (signalled_) return;
    signalled_ = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(ready_, &byte, 1);
  }

 private:
  int ready_, go_;
  bool signalled_ = false;
};

struct GroupOutcome {
  double seconds = 0;  // wall time from the common start to the last end
  std::string fault;   // a process that did not end well, or the time-out
  std::vector<ChildReport*> reports;
};

class ProcessGroup {
 public:
  using Work = std::function<void(int index, ChildReport& report, StartGate& gate)>;

  explicit ProcessGroup(int count) : count_(count) {
    const size_t bytes = sizeof(ChildReport) * static_cast<size_t>(count);
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    reports_ = static_cast<ChildReport*>(memory);
    for (int i = 0; i < count; ++i) new (&reports_[i]) ChildReport;
  }
  ~ProcessGroup() {
    if (reports_ != nullptr) munmap(reports_, sizeof(ChildReport) * static_cast<size_t>(count_));
  }
  ProcessGroup(const ProcessGroup&) = delete;
  ProcessGroup& operator=(const ProcessGroup&) = delete;

  ChildReport& report(int index) { return reports_[index]; }

  // Runs `work` for processes 0 .. count-1. `names` turns a statement
  // number of ChildReport into text for the fault description.
  GroupOutcome run(const Work& work, double timeoutSeconds,
                   const std::function<const char*(int32_t)>& names) {
    GroupOutcome outcome;
    if (reports_ == nullptr) {
      outcome.fault = "cannot map the shared reports";
      return outcome;
    }
    int ready[2], go[2], done[2];
    if (pipe(ready) != 0 || pipe(go) != 0 || pipe(done) != 0) {
      outcome.fault = "cannot make pipes";
      return outcome;
    }
    std::fflush(nullptr);
    std::vector<pid_t> children;
    for (int i = 0; i < count_; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        close(ready[0]);
        close(go[1]);
        close(done[0]);
        StartGate gate(ready[1], go[0]);
        work(i, reports_[i], gate);
        gate.signalReady();
        _exit(0);
      }
      if (pid < 0) {
        outcome.fault = "fork failed";
        break;
      }
      children.push_back(pid);
    }
    close(ready[1]);
    close(go[0]);
    close(done[1]);
    const auto timeout = std::chrono::duration<double>(timeoutSeconds);
    // Every process prepared (or gave up), then all start at once.
    size_t readyCount = 0;
    while (readyCount < children.size() && waitReadable(ready[0], timeout)) {
      char bytes[16];
      const ssize_t n = read(ready[0], bytes, sizeof bytes);
      if (n <= 0) break;
      readyCount += static_cast<size_t>(n);
    }
    const auto start = std::chrono::steady_clock::now();
    close(go[1]);
    bool ended = false;
    while (waitReadable(done[0], timeout)) {
      char byte;
      if (read(done[0], &byte, 1) <= 0) {
        ended = true;
        break;
      }
    }
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(ready[0]);
    close(done[0]);
    if (!ended) {
      outcome.fault = "time-out after " + std::to_string(timeoutSeconds) + " s;";
      for (size_t i = 0; i < children.size(); ++i) {
        outcome.fault += " process " + std::to_string(i) + " in " +
                         names(reports_[i].statement.load()) + " after " +
                         std::to_string(reports_[i].done.load()) + " done;";
        kill(children[i], SIGKILL);
      }
    }
    for (size_t i = 0; i < children.size(); ++i) {
      int status = 0;
      waitpid(children[i], &status, 0);
      if (ended && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        outcome.fault += "process " + std::to_string(i) + " ended with " + describe(status) +
                         " in " + names(reports_[i].statement.load()) + "; ";
      }
      outcome.reports.push_back(&reports_[i]);
    }
    return outcome;
  }

 private:
  static std::string describe(int status) {
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "exit code " + std::to_string(WEXITSTATUS(status));
  }
  template <typename Duration>
  static bool waitReadable(int fd, Duration timeout) {
    pollfd entry{fd, POLLIN, 0};
    const int millis = static_cast<int>(std::chrono::duration<double, std::milli>(timeout).count());
    return poll(&entry, 1, millis) > 0;
  }

  int count_;
  ChildReport* reports_ = nullptr;
};

}  // namespace zor::bench
