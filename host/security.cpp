#include "host/security.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/exception.h"

namespace zq {

void SecureRandomBytes(void* buffer, size_t size) {
  auto* p = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t n = getrandom(p + done, size - done, 0);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  if (done == size) return;
  int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Exception("No secure random source available");
  while (done < size) {
    ssize_t n = read(fd, p + done, size - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (!(n < 0 && errno == EINTR)) {
      close(fd);
      throw Exception("No secure random source available");
    }
  }
  close(fd);
}

std::string SecureRandomHex(size_t bytes) {
  static const char* hex = "0123456789abcdef";
  std::string raw(bytes, '\0');
  SecureRandomBytes(raw.data(), bytes);
  std::string r;
  r.reserve(bytes * 2);
  for (unsigned char c : raw) {
    r.push_back(hex[c >> 4]);
    r.push_back(hex[c & 15]);
  }
  return r;
}

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace zq
