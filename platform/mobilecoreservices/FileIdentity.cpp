#include "platform/mobilecoreservices/FileIdentity.h"

#include "platform/foundation/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kavro::mobilecoreservices {

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

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
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

std::optional<FileReading> readFile(const std::filesystem::path& path, std::size_t maximumSize,
                                    std::string& problem) {
  FileReading reading;
  const struct timespec clockBeforeRead = fileClockNow();
  kavro::foundation::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) {
    problem = std::strerror(errno);
    return std::nullopt;
  }
  std::optional<FileIdentity> identity = fileIdentity(file.get());
  if (!identity) {
    problem = std::strerror(errno);
    return std::nullopt;
  }
  if (!identity->isRegularFile()) {
    problem = "not a regular file";
    return std::nullopt;
  }
  if (static_cast<std::uintmax_t>(identity->size) > maximumSize) {
    problem = "larger than " + std::to_string(maximumSize) + " bytes";
    return std::nullopt;
  }
  reading.bytes.resize(static_cast<std::size_t>(identity->size));
  std::size_t filled = 0;
  while (true) {
    // One byte more than the size stat() gave, so that a file grown since is noticed.
    if (filled == reading.bytes.size()) reading.bytes.resize(filled + 1 + filled / 2);
    ssize_t got = ::read(file.get(), reading.bytes.data() + filled, reading.bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      problem = std::strerror(errno);
      return std::nullopt;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
    if (filled > maximumSize) {
      problem = "larger than " + std::to_string(maximumSize) + " bytes";
      return std::nullopt;
    }
  }
  reading.bytes.resize(filled);
  // A file changed while it was read may hold a mixture: keep the identity from
  // before, and count the reading as unsettled, so that the next look reads it again.
  std::optional<FileIdentity> after = fileIdentity(file.get());
  reading.identity = *identity;
  reading.settled = after && *after == *identity && isSettled(*identity, clockBeforeRead);
  return reading;
}

}  // namespace kavro::mobilecoreservices
