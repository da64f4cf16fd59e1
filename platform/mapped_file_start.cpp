#include "platform/mapped_file_start.h"

#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

namespace zor::platform {

namespace {

// A page of a mapping that lies wholly past the end of its file answers a
// read with SIGBUS. A read of a mapped file start runs with this thread's
// guard set: the handler then jumps back and the read answers false. Any
// other SIGBUS goes to the action that was set before, by returning with it
// restored, so that the faulting instruction meets it again.
thread_local sigjmp_buf* tGuard = nullptr;
struct sigaction gPrevious {};

void onBusError(int signal, siginfo_t*, void*) {
  if (sigjmp_buf* guard = tGuard) siglongjmp(*guard, 1);
  sigaction(signal, &gPrevious, nullptr);
}

// Installed on every map, unless it is the action in place: whoever set
// another since then is chained to in turn.
bool installHandler() {
  static std::mutex mutex;
  const std::lock_guard lock(mutex);
  struct sigaction current {};
  if (sigaction(SIGBUS, nullptr, &current) != 0) return false;
  if ((current.sa_flags & SA_SIGINFO) != 0 && current.sa_sigaction == onBusError) return true;
  struct sigaction action {};
  action.sa_sigaction = onBusError;
  // Not blocked while it runs: the jump back leaves the mask as it was.
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  return sigaction(SIGBUS, &action, &gPrevious) == 0;
}

size_t pageSize() {
  static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

MappedFileStart::~MappedFileStart() {
  unmap();
}

bool MappedFileStart::map(const File& file, size_t length) {
  unmap();
  if (!file.isOpen() || length == 0 || length > pageSize() || !installHandler()) return false;
  // The mapping holds on to the open file it maps. It maps one of its own,
  // so that the handle's byte-range locks (which belong to the handle's
  // open file) still go when the handle closes.
  const std::string own = "/proc/self/fd/" + std::to_string(file.nativeHandle());
  const int fd = ::open(own.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  void* address = mmap(nullptr, pageSize(), PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  if (address == MAP_FAILED) return false;
  base_ = static_cast<const unsigned char*>(address);
  length_ = length;
  return true;
}

void MappedFileStart::unmap() {
  if (base_ != nullptr) munmap(const_cast<unsigned char*>(base_), pageSize());
  base_ = nullptr;
  length_ = 0;
}

bool MappedFileStart::read(void* out, size_t length) const {
  if (base_ == nullptr || length > length_) return false;
  sigjmp_buf guard;
  if (sigsetjmp(guard, 0) != 0) {
    tGuard = nullptr;
    return false;
  }
  tGuard = &guard;
  // The copy must happen between setting the guard and clearing it.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(out, base_, length);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  tGuard = nullptr;
  return true;
}

}  // namespace zor::platform
