#pragma once
// Replaces a file the way the store replaces a domain file: a temporary file in the
// same folder, fsync, rename over the target, fsync of the folder, so a reader
// sees the old file or the new one and never a part of either, and the new one
// survives a crash once the call returns.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kavro::defaults {

class AtomicFileWriter {
 public:
  // Writes `bytes` to `path`. A symbolic link at `path` is followed, so the file it
  // leads to is replaced and the link kept; a target that exists and is not a
  // regular file is refused. An existing file keeps its permissions. False, with
  // the reason in `error`, when nothing was written.
  static bool write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string& error);

 private:
  static bool writeTemporary(const std::filesystem::path& temporary, const std::vector<std::uint8_t>& bytes,
                             const std::filesystem::path& target, std::string& error);
};

}  // namespace kavro::defaults
