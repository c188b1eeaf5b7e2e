#pragma once
// What a domain file held when it was last read, and the means to tell in one
// stat() whether that is still what the file holds.
//
// The file last read is kept open. As long as it is, its inode number cannot be
// given to another file, so a replacement by rename always shows as a different
// st_ino, even when size and modification time are the same. An edit in place
// changes the change time (st_ctim), which nobody can set back. The change time
// comes from a clock that ticks only every few milliseconds, though, so an edit
// within the same tick as the change we read would look the same: while the
// file's change time has not yet fallen behind the clock, the snapshot counts as
// unsettled and each read compares the bytes as well.
//
// Only regular files are read. Anything else at the path (a FIFO, whose opening
// would block, a folder, a symbolic link that may lead out of the device) is told
// apart by lstat() and never opened; a file larger than the size limit is never
// read into memory, whichever way it is looked at.

#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/PlistValue.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kavro::platform::foundation {

class DomainFileSnapshot {
 public:
  enum class State {
    missing,     // there is no file
    loaded,      // the file holds a dictionary
    corrupt,     // the file exists but is no property list with a dictionary at its root
    notAFile,    // the path holds a folder, FIFO, symbolic link or the like: never opened
    unreadable,  // the file exists but could not be read (permissions, I/O errors)
  };

  explicit DomainFileSnapshot(std::filesystem::path path);

  // Brings the snapshot up to date: a single stat() when the file has not changed.
  void refresh();
  // After the store put `file` (holding `bytes`, that is `values`) in place.
  void adopt(FileDescriptor file, std::vector<std::uint8_t> bytes, PlistValue::Dictionary values);
  // After the store removed the file.
  void forget();

  const std::filesystem::path& path() const { return path_; }
  State state() const { return state_; }
  // The stored values; empty unless the state is `loaded`.
  const PlistValue::Dictionary& values() const { return values_; }
  // Why the file is corrupt, not a file or unreadable.
  const std::string& problem() const { return problem_; }
  // Whether the current problem has been reported; reset when the file changes.
  bool problemReported() const { return problemReported_; }
  void setProblemReported() { problemReported_ = true; }

 private:
  bool isCurrent(const struct stat& status) const;
  void load();
  void revalidate();
  bool readContents(int fd, std::size_t size, std::vector<std::uint8_t>& bytes);
  void interpret(std::vector<std::uint8_t> bytes);
  void settleIfClockPassed(const struct timespec& clockBeforeRead);
  void setMissing();
  void setNotAFile(const struct stat& status);
  void setUnreadable(const std::string& problem);
  void setProblem(State state, const std::string& problem);

  std::filesystem::path path_;
  FileDescriptor file_;
  struct stat identity_ {};
  bool settled_ = false;
  std::vector<std::uint8_t> bytes_;
  PlistValue::Dictionary values_;
  State state_ = State::missing;
  std::string problem_;
  bool problemReported_ = false;
};

}  // namespace kavro::platform::foundation
