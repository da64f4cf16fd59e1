#include "ui/qt/display_probe.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace zor::ui::qt {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool connects(int domain, const sockaddr* address, socklen_t length) {
  int fd = ::socket(domain, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = ::connect(fd, address, length) == 0;
  ::close(fd);
  return ok;
}

bool unixSocketAnswers(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() +
                                       (abstract ? 0 : 1));
  return connects(AF_UNIX, reinterpret_cast<const sockaddr*>(&address), length);
}

bool tcpAnswers(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool ok = false;
  for (addrinfo* at = found; at && !ok; at = at->ai_next) {
    ok = connects(at->ai_family, at->ai_addr, at->ai_addrlen);
  }
  ::freeaddrinfo(found);
  return ok;
}

// DISPLAY is [host]:number[.screen]; a local display listens on a socket
// in /tmp/.X11-unix (and on the abstract socket of the same name).
bool xDisplayAnswers(const std::string& display) {
  size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = display.substr(0, colon);
  std::string number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  if (host.empty() || host == "unix") {
    std::string path = "/tmp/.X11-unix/X" + number;
    return unixSocketAnswers(path, true) || unixSocketAnswers(path, false);
  }
  return tcpAnswers(host, 6000 + std::stoi(number));
}

}  // namespace

bool displayAvailable() {
  if (!environment("QT_QPA_PLATFORM").empty()) return true;
  std::string x = environment("DISPLAY");
  return !x.empty() && xDisplayAnswers(x);
}

}  // namespace zor::ui::qt
