#include "platform/mobilecoreservices/FileIdentity.h"

#include "platform/foundation/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kavro::platform::mobilecoreservices {

namespace {

bool sameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool earlier(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

FileIdentity fromStatus(const struct stat& status) {
  FileIdentity identity;
  identity.device = status.st_dev;
  identity.inode = status.st_ino;
  identity.mode = status.st_mode;
  identity.size = status.st_size;
  identity.modified = status.st_mtim;
  identity.changed = status.st_ctim;
  return identity;
}

}  // namespace

bool operator==(const FileIdentity& a, const FileIdentity& b) {
  return a.device == b.device && a.inode == b.inode && a.mode == b.mode && a.size == b.size &&
         sameTime(a.modified, b.modified) && sameTime(a.changed, b.changed);
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return fromStatus(status);
}

std::optional<FileIdentity> fileIdentity(int fileDescriptor) {
  struct stat status {};
  if (::fstat(fileDescriptor, &status) != 0) return std::nullopt;
  return fromStatus(status);
}

namespace {
struct timespec (*fileClockOverride)() = nullptr;
}  // namespace

struct timespec fileClockNow() {
  if (fileClockOverride) return fileClockOverride();
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

void setFileClockForTesting(struct timespec (*clock)()) { fileClockOverride = clock; }

bool isSettled(const FileIdentity& identity, const struct timespec& clockBeforeRead) {
  return earlier(identity.changed, clockBeforeRead);
}

std::optional<FileReading> readFile(const std::string& path, std::size_t maximumSize, std::string& problem,
                                    int* errorNumber) {
  auto fail = [&](int error, std::string reason) {
    if (errorNumber) *errorNumber = error;
    problem = std::move(reason);
    return std::nullopt;
  };
  FileReading reading;
  const struct timespec clockBeforeRead = fileClockNow();
  // Without O_NONBLOCK a FIFO put where a file was expected would block the opener
  // until someone writes to it; it is refused below as no regular file.
  kavro::platform::foundation::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.isOpen()) return fail(errno, std::strerror(errno));
  std::optional<FileIdentity> identity = fileIdentity(file.get());
  if (!identity) return fail(errno, std::strerror(errno));
  if (!identity->isRegularFile()) return fail(0, "not a regular file");
  const std::string tooLarge = "larger than " + std::to_string(maximumSize) + " bytes";
  if (static_cast<std::uintmax_t>(identity->size) > maximumSize) return fail(0, tooLarge);
  // One byte more than stat() gave, so that a short read says the end was reached
  // and a file grown since is read to its end.
  reading.bytes.resize(static_cast<std::size_t>(identity->size) + 1);
  std::size_t filled = 0;
  while (true) {
    ssize_t got = ::read(file.get(), reading.bytes.data() + filled, reading.bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return fail(errno, std::strerror(errno));
    filled += static_cast<std::size_t>(got);
    if (filled > maximumSize) return fail(0, tooLarge);
    if (filled < reading.bytes.size()) break;
    reading.bytes.resize(filled + 1 + filled / 2);
  }
  reading.bytes.resize(filled);
  // A change made while the file was read came after the clock reading, so it moved
  // the change time past it: the identity from before the read differs from what the
  // next stat() shows, and the file is read again then.
  reading.identity = *identity;
  reading.settled = isSettled(*identity, clockBeforeRead);
  return reading;
}

}  // namespace kavro::platform::mobilecoreservices
