#pragma once
// What one stat() tells of a file, enough to know whether it has changed since it
// was read, without reading it again.
//
// A change to a file always moves its change time (st_ctim), which nobody can set
// back, and a replacement gives it another inode or change time. The change time
// comes from a clock that ticks only every few milliseconds, though: a second change
// within the tick of the change we saw would look the same. So a reading counts as
// settled only when the file's change time lies before the clock reading taken just
// before the file was read; until then, callers read the file again.

#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::mobilecoreservices {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  mode_t mode = 0;
  off_t size = 0;
  struct timespec modified {};
  struct timespec changed {};

  bool isRegularFile() const { return S_ISREG(mode); }
  bool isDirectory() const { return S_ISDIR(mode); }
  friend bool operator==(const FileIdentity& a, const FileIdentity& b);
};

// The identity of what `path` names (symbolic links followed); nothing when it does
// not exist or cannot be reached.
std::optional<FileIdentity> fileIdentity(const std::string& path);
// The identity of an open file.
std::optional<FileIdentity> fileIdentity(int fileDescriptor);

// The clock the kernel stamps change times with; read it before reading a file.
struct timespec fileClockNow();
// Replaces that clock (nullptr: the kernel's again). Tests use a clock far ahead to
// make every reading settled at once, where waiting for the clock to tick would be
// needed otherwise.
void setFileClockForTesting(struct timespec (*clock)());

// Whether a file read after `clockBeforeRead` was taken, and found as `identity`,
// cannot change again without its identity changing too.
bool isSettled(const FileIdentity& identity, const struct timespec& clockBeforeRead);

// A whole regular file as it was read, with the identity of what was read.
struct FileReading {
  std::vector<std::uint8_t> bytes;
  FileIdentity identity;
  bool settled = false;  // see isSettled
};

// Reads a regular file of at most `maximumSize` bytes. Nothing, with `problem`
// saying why, when it is missing, unreadable, no regular file or too large; then
// `errorNumber`, if given, is the errno of a failed system call, else 0.
std::optional<FileReading> readFile(const std::string& path, std::size_t maximumSize, std::string& problem,
                                    int* errorNumber = nullptr);

}  // namespace kavro::platform::mobilecoreservices
