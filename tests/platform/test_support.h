#pragma once
// Helpers of the platform tests: a private temporary folder and a child
// process that holds something (an open file, a lock) until told to let go.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace zor::platform::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zor-platform-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Runs `body` in a forked child and answers its exit code (or 128 + signal).
inline int runInChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A child that runs `setup` (its result, 0 to 255, is sent back), then keeps
// whatever it took until release() or destruction.
class HoldingChild {
 public:
  explicit HoldingChild(const std::function<int()>& setup) {
    int toParent[2], toChild[2];
    if (pipe(toParent) != 0 || pipe(toChild) != 0) std::abort();
    pid_ = fork();
    if (pid_ == 0) {
      ::close(toParent[0]);
      ::close(toChild[1]);
      const unsigned char result = static_cast<unsigned char>(setup());
      if (::write(toParent[1], &result, 1) != 1) _exit(2);
      char ignored;
      while (::read(toChild[0], &ignored, 1) < 0) {
      }
      _exit(0);
    }
    ::close(toParent[1]);
    ::close(toChild[0]);
    release_ = toChild[1];
    unsigned char result = 255;
    if (::read(toParent[0], &result, 1) != 1) result = 255;
    ::close(toParent[0]);
    setupResult_ = result;
  }
  ~HoldingChild() { release(); }
  HoldingChild(const HoldingChild&) = delete;
  HoldingChild& operator=(const HoldingChild&) = delete;

  int setupResult() const { return setupResult_; }
  void release() {
    if (pid_ <= 0) return;
    ::close(release_);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  int setupResult_ = 255;
};

}  // namespace zor::platform::testing
