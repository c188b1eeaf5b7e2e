#pragma once
// An exclusive flock() on a lock file, held until the object goes. The lock file is
// opened anew for every lock: flock() belongs to the open file description, which
// a forked child would share if it were kept open between locks.

#include "platform/foundation/FileDescriptor.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kavro::platform::foundation {

class FileLock {
 public:
  // Creates the lock file if missing and waits until the lock is ours. Nothing,
  // with the reason in `error`, when the file cannot be opened or locked.
  static std::optional<FileLock> acquire(const std::filesystem::path& path, std::string* error);

 private:
  explicit FileLock(FileDescriptor file) : file_(std::move(file)) {}
  FileDescriptor file_;
};

}  // namespace kavro::platform::foundation
