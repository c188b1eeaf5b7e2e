#include "platform/foundation/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

namespace kavro::platform::foundation {

std::optional<FileLock> FileLock::acquire(const std::filesystem::path& path, std::string* error) {
  // Never through a link, never waiting on a FIFO that someone put in its place.
  FileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
  if (!file.isOpen()) {
    if (error) *error = "cannot open the lock file " + path.string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  int result;
  do {
    result = ::flock(file.get(), LOCK_EX);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    if (error) *error = "cannot lock " + path.string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  return FileLock(std::move(file));
}

}  // namespace kavro::platform::foundation
