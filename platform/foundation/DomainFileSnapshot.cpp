#include "platform/foundation/DomainFileSnapshot.h"

#include "platform/foundation/NSPropertyListSerialization.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kavro::platform::foundation {

namespace {

// A file that keeps changing while it is read is read this many times before the
// last reading is taken as it is.
constexpr int kReadAttempts = 5;

bool sameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool later(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

bool sameVersion(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         sameTime(a.st_mtim, b.st_mtim) && sameTime(a.st_ctim, b.st_ctim);
}

// The clock the kernel stamps change times with.
struct timespec fileClockNow() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return now;
}

}  // namespace

DomainFileSnapshot::DomainFileSnapshot(std::filesystem::path path) : path_(std::move(path)) {}

bool DomainFileSnapshot::isCurrent(const struct stat& status) const {
  return file_.isOpen() && sameVersion(status, identity_);
}

void DomainFileSnapshot::refresh() {
  struct stat status {};
  if (::lstat(path_.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      setMissing();
    else
      setUnreadable(std::strerror(errno));
    return;
  }
  if (!S_ISREG(status.st_mode)) return setNotAFile(status);
  if (!isCurrent(status))
    load();
  else if (!settled_)
    revalidate();
}

bool DomainFileSnapshot::readContents(int fd, std::size_t size, std::vector<std::uint8_t>& bytes) {
  // One byte more than the size, to notice a file that grew meanwhile.
  bytes.resize(size + 1);
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return true;
}

void DomainFileSnapshot::load() {
  for (int attempt = 1;; ++attempt) {
    // Neither following a link nor waiting for a FIFO's writer, should the path
    // have changed since it was looked at.
    FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isOpen()) {
      struct stat status {};
      if (errno == ENOENT)
        setMissing();
      else if (errno == ELOOP && ::lstat(path_.c_str(), &status) == 0)
        setNotAFile(status);
      else
        setUnreadable(std::strerror(errno));
      return;
    }
    const struct timespec clockBeforeRead = fileClockNow();
    struct stat before {}, after {};
    if (::fstat(file.get(), &before) != 0) return setUnreadable(std::strerror(errno));
    if (!S_ISREG(before.st_mode)) return setNotAFile(before);
    std::vector<std::uint8_t> bytes;
    if (static_cast<std::uint64_t>(before.st_size) > NSPropertyListSerialization::kMaximumFileSize) {
      bytes.clear();
    } else if (!readContents(file.get(), static_cast<std::size_t>(before.st_size), bytes)) {
      return setUnreadable(std::strerror(errno));
    }
    if (::fstat(file.get(), &after) != 0) return setUnreadable(std::strerror(errno));
    const bool steady = sameVersion(before, after);
    if (!steady && attempt < kReadAttempts) continue;
    file_ = std::move(file);
    identity_ = after;
    settled_ = false;
    problemReported_ = false;
    if (static_cast<std::uint64_t>(before.st_size) > NSPropertyListSerialization::kMaximumFileSize) {
      state_ = State::corrupt;
      problem_ = "it is larger than " +
                 std::to_string(NSPropertyListSerialization::kMaximumFileSize >> 20) + " MiB";
      bytes_.clear();
      values_.clear();
      return;
    }
    interpret(std::move(bytes));
    // A file that was still changing stays unsettled, to be read again next time.
    if (steady) settleIfClockPassed(clockBeforeRead);
    return;
  }
}

void DomainFileSnapshot::revalidate() {
  // A file over the limit reads as corrupt whatever it holds; its bytes are never read.
  if (static_cast<std::uint64_t>(identity_.st_size) > NSPropertyListSerialization::kMaximumFileSize) {
    settled_ = true;
    return;
  }
  const struct timespec clockBeforeRead = fileClockNow();
  std::vector<std::uint8_t> bytes;
  struct stat after {};
  if (!readContents(file_.get(), static_cast<std::size_t>(identity_.st_size), bytes) ||
      ::fstat(file_.get(), &after) != 0 || !sameVersion(after, identity_)) {
    load();
    return;
  }
  if (bytes != bytes_) {
    problemReported_ = false;
    interpret(std::move(bytes));
  }
  settleIfClockPassed(clockBeforeRead);
}

void DomainFileSnapshot::settleIfClockPassed(const struct timespec& clockBeforeRead) {
  // Any later change is stamped with a time at or after the clock reading, so once
  // that reading is past the file's change time, a later change cannot look alike.
  // A change time of whole seconds suggests a file system that keeps no more, where
  // the whole second has to pass.
  struct timespec changed = identity_.st_ctim;
  if (changed.tv_nsec == 0) changed.tv_nsec = 999'999'999;
  settled_ = later(clockBeforeRead, changed);
}

void DomainFileSnapshot::interpret(std::vector<std::uint8_t> bytes) {
  bytes_ = std::move(bytes);
  values_.clear();
  problem_.clear();
  std::string error;
  auto value = NSPropertyListSerialization::propertyListWithData(bytes_, &error);
  if (!value) {
    state_ = State::corrupt;
    problem_ = error;
  } else if (!value->isDictionary()) {
    state_ = State::corrupt;
    problem_ = std::string("its root is ") + PlistValue::typeName(value->type()) +
               ", not a dictionary";
  } else {
    state_ = State::loaded;
    values_ = std::move(*value->asDictionary());
  }
}

void DomainFileSnapshot::adopt(FileDescriptor file, std::vector<std::uint8_t> bytes,
                               PlistValue::Dictionary values) {
  struct stat status {};
  const struct timespec clockNow = fileClockNow();
  if (::fstat(file.get(), &status) != 0) {
    // Without the file's identity the next read loads it afresh.
    forget();
    return;
  }
  file_ = std::move(file);
  identity_ = status;
  bytes_ = std::move(bytes);
  values_ = std::move(values);
  state_ = State::loaded;
  problem_.clear();
  problemReported_ = false;
  settleIfClockPassed(clockNow);
}

void DomainFileSnapshot::forget() { setMissing(); }

void DomainFileSnapshot::setMissing() {
  file_.reset();
  settled_ = false;
  bytes_.clear();
  values_.clear();
  state_ = State::missing;
  problem_.clear();
  problemReported_ = false;
}

void DomainFileSnapshot::setNotAFile(const struct stat& status) {
  const char* kind = S_ISDIR(status.st_mode)    ? "a folder"
                     : S_ISLNK(status.st_mode)  ? "a symbolic link"
                     : S_ISFIFO(status.st_mode) ? "a FIFO"
                     : S_ISSOCK(status.st_mode) ? "a socket"
                                                : "a device";
  setProblem(State::notAFile, std::string("it is ") + kind + ", not a regular file");
}

void DomainFileSnapshot::setUnreadable(const std::string& problem) { setProblem(State::unreadable, problem); }

void DomainFileSnapshot::setProblem(State state, const std::string& problem) {
  // The same problem again is not reported again.
  const bool sameProblem = state_ == state && problem_ == problem;
  file_.reset();
  settled_ = false;
  bytes_.clear();
  values_.clear();
  state_ = state;
  problem_ = problem;
  if (!sameProblem) problemReported_ = false;
}

}  // namespace kavro::platform::foundation
