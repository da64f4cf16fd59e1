#pragma once
// Shared pieces of the locking tests: a child process that takes locks and
// holds them until told to let go, talking to the test through two pipes.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "data/tarnwick/lock_space.h"
#include "platform/file.h"

namespace zor::tarnwick::testing {

// Runs `body` in a forked process. The body signals that it is ready with a
// byte of its choice (its answer), then waits for the parent's go-ahead
// before it ends with its exit code.
class LockHolder {
 public:
  using Body = std::function<int(LockHolder& self)>;

  explicit LockHolder(Body body) {
    int up[2], down[2];
    if (::pipe(up) != 0 || ::pipe(down) != 0) std::abort();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(up[0]);
      ::close(down[1]);
      toParent_ = up[1];
      fromParent_ = down[0];
      ::_exit(body(*this));
    }
    ::close(up[1]);
    ::close(down[0]);
    fromChild_ = up[0];
    toChild_ = down[1];
  }
  ~LockHolder() { finish(); }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  // Child side.
  void ready(char answer) { (void)!::write(toParent_, &answer, 1); }
  void awaitRelease() {
    char byte;
    (void)!::read(fromParent_, &byte, 1);
  }

  // Parent side: lets the child go on past its current awaitRelease().
  void proceed() {
    const char go = 1;
    (void)!::write(toChild_, &go, 1);
  }
  // Parent side: the child's answer (-1 when it ended without one).
  int answer() {
    char byte;
    return ::read(fromChild_, &byte, 1) == 1 ? byte : -1;
  }
  // Lets the child end and answers its exit code.
  int finish() {
    if (pid_ <= 0) return exitCode_;
    proceed();
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ::close(fromChild_);
    ::close(toChild_);
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 255;
    return exitCode_;
  }

 private:
  pid_t pid_ = -1;
  int toParent_ = -1, fromParent_ = -1, fromChild_ = -1, toChild_ = -1;
  int exitCode_ = -1;
};

inline platform::File openShared(const std::string& path) {
  platform::File file;
  file.open(path, platform::Access::ReadWrite, platform::Share::DenyNone,
            platform::Disposition::OpenAlways);
  return file;
}

// A child that opens the file and holds one lock until released; its
// answer is the result of the take.
inline LockHolder holdInChild(const std::string& path, LockMode mode, uint64_t number = 0,
                              uint32_t slot = 0) {
  return LockHolder([=](LockHolder& self) {
    platform::File file = openShared(path);
    LockSpace space(file, true);
    space.setReaderSlot(slot);
    self.ready(static_cast<char>(space.take(mode, number, false)));
    self.awaitRelease();
    return 0;
  });
}

}  // namespace zor::tarnwick::testing
