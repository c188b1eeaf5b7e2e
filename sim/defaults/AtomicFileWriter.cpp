#include "sim/defaults/AtomicFileWriter.h"

#include "platform/foundation/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kavro::defaults {

namespace {

namespace fs = std::filesystem;
using kavro::platform::foundation::FileDescriptor;

std::string systemError() { return std::strerror(errno); }

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

// The file a path names once symbolic links are followed, as far as they lead.
fs::path resolvedTarget(const fs::path& path) {
  std::error_code error;
  fs::path target = fs::weakly_canonical(fs::absolute(path, error), error);
  return error ? path : target;
}

}  // namespace

bool AtomicFileWriter::writeTemporary(const fs::path& temporary, const std::vector<std::uint8_t>& bytes,
                                      const fs::path& target, std::string& error) {
  // A temporary of this name can only be left over from a process that had this
  // one's number and died.
  ::unlink(temporary.c_str());
  FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!file.isOpen()) {
    error = "cannot create a file in " + temporary.parent_path().string() + " to replace " + target.string() +
            " with: " + systemError() + "; nothing was written";
    return false;
  }
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) ::fchmod(file.get(), existing.st_mode & 0777);
  if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0) {
    error = "cannot write " + temporary.string() + " to replace " + target.string() + " with: " + systemError() +
            "; nothing was written";
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool AtomicFileWriter::write(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  const fs::path target = resolvedTarget(path);
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    error = path.string() + " is not a regular file; nothing was written";
    return false;
  }
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const fs::path temporary = folder / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()));
  if (!writeTemporary(temporary, bytes, target, error)) return false;
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    error = "cannot replace " + path.string() + ": " + systemError() + "; nothing was written";
    ::unlink(temporary.c_str());
    return false;
  }
  FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!directory.isOpen() || ::fsync(directory.get()) != 0) {
    error = "wrote " + path.string() + " but could not flush its folder: " + systemError();
    return false;
  }
  return true;
}

}  // namespace kavro::defaults
