#include "sim/core/SampleDevice.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/foundation/FileDescriptor.h"

namespace kavro::sim {

namespace fs = std::filesystem;
using kavro::platform::foundation::FileDescriptor;

namespace {

// The bundle's files, installed under their own names.
constexpr const char* kBundleFiles[] = {"Info.plist", "Root.plist", "constellation-dark.png",
                                        "constellation-light.png", "icon.png"};
constexpr const char* kSettingsEntryFile = "kavroprefs.plist";
// Documentation of the sample, not part of a device.
constexpr const char* kSampleReadme = "README.md";
constexpr const char* kCreatingInfix = ".creating-";

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error) {
  throw std::runtime_error(what + " " + path.string() + ": " + std::strerror(error));
}

[[noreturn]] void fail(const std::string& what, const fs::path& path,
                       const std::error_code& error) {
  throw std::runtime_error(what + " " + path.string() + ": " + error.message());
}

// Creates every missing folder of `path` with mode 0755, whatever the umask.
void makeFolders(const fs::path& path) {
  fs::path current;
  for (const fs::path& part : path.lexically_normal()) {
    current /= part;
    if (part.empty()) continue;
    struct stat status;
    if (::stat(current.c_str(), &status) == 0) {
      if (!S_ISDIR(status.st_mode)) fail("cannot create the folder", current, ENOTDIR);
      continue;
    }
    if (::mkdir(current.c_str(), 0755) != 0 && errno != EEXIST)
      fail("cannot create the folder", current, errno);
    ::chmod(current.c_str(), 0755);
  }
}

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::string readRequiredFile(const fs::path& path, const std::string& what) {
  std::optional<std::string> bytes = readFile(path);
  if (!bytes) {
    std::error_code error;
    fail("cannot read " + what, path, fs::exists(path, error) ? EIO : ENOENT);
  }
  return *bytes;
}

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      fail("cannot write", path, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void writeFile(const fs::path& path, std::string_view bytes, bool durable) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.isOpen()) fail("cannot write", path, errno);
  writeAll(fd.get(), bytes, path);
  if (durable && ::fsync(fd.get()) != 0) fail("cannot write", path, errno);
}

void syncFolder(const fs::path& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.isOpen()) ::fsync(fd.get());
}

// Writes a temporary file beside `target` and renames it over the target, so that a
// reader sees the old file or the new one, never a part of either.
void replaceFile(const fs::path& target, std::string_view bytes) {
  fs::path temporary = target.parent_path() /
                       ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()));
  try {
    writeFile(temporary, bytes, true);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    int error = errno;
    ::unlink(temporary.c_str());
    fail("cannot replace", target, error);
  }
  syncFolder(target.parent_path());
}

// Copies `bytes` to `target` unless the target already holds exactly them.
void installFile(const fs::path& target, const std::string& bytes) {
  if (readFile(target) == bytes) return;
  makeFolders(target.parent_path());
  replaceFile(target, bytes);
}

bool isEmptyFolder(const fs::path& folder) {
  std::error_code error;
  return fs::is_empty(folder, error) && !error;
}

// Walks the sample's files (its README left out), making each folder under
// `destination` and handing `copy` each file with its place there.
template <class Copy>
void forEachSampleFile(const fs::path& sample, const fs::path& destination, Copy&& copy) {
  std::error_code error;
  fs::recursive_directory_iterator entries(sample, error);
  if (error) fail("cannot read the sample device", sample, error);
  for (auto end = fs::recursive_directory_iterator(); entries != end; entries.increment(error)) {
    if (error) fail("cannot read the sample device", sample, error);
    const fs::directory_entry& entry = *entries;
    fs::path relative = entry.path().lexically_relative(sample);
    if (entries.depth() == 0 && relative == kSampleReadme) continue;
    fs::path target = destination / relative;
    if (entry.is_directory(error))
      makeFolders(target);
    else if (entry.is_regular_file(error))
      copy(entry.path(), target);
  }
}

// Copies the sample into a fresh folder.
void copySample(const fs::path& sample, const fs::path& destination) {
  forEachSampleFile(sample, destination, [](const fs::path& source, const fs::path& target) {
    writeFile(target, readRequiredFile(source, "the sample device file"), false);
  });
}

// Completes a device with the sample's files it lacks; no file already there is touched.
void addMissingSampleFiles(const fs::path& sample, const fs::path& destination) {
  forEachSampleFile(sample, destination, [](const fs::path& source, const fs::path& target) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(target, error))) return;
    std::string bytes = readRequiredFile(source, "the sample device file");
    makeFolders(target.parent_path());
    replaceFile(target, bytes);
  });
}

bool processIsRunning(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// Temporary siblings left by a creation whose process has gone: never renamed into
// place, so nothing refers to them.
void removeAbandonedCreations(const fs::path& parent, const std::string& name) {
  std::string prefix = "." + name + kCreatingInfix;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(parent, error)) {
    std::string sibling = entry.path().filename().string();
    if (sibling.rfind(prefix, 0) != 0) continue;
    char* end = nullptr;
    long pid = std::strtol(sibling.c_str() + prefix.size(), &end, 10);
    if (end && *end == '\0' && pid > 0 && pid != ::getpid() &&
        processIsRunning(static_cast<pid_t>(pid)))
      continue;
    std::error_code ignored;
    fs::remove_all(entry.path(), ignored);
  }
}

void markCreated(const fs::path& device) {
  writeFile(device / kCreatedMarkName, "Made from the kavroprefs sample device.\n", true);
}

// Builds the device in a temporary sibling and renames it into place: the device
// folder appears complete or not at all. An empty folder there is replaced.
void createFromSample(const fs::path& folder, const fs::path& sample) {
  fs::path parent = folder.parent_path().empty() ? fs::path(".") : folder.parent_path();
  std::string name = folder.filename().string();
  makeFolders(parent);
  removeAbandonedCreations(parent, name);
  fs::path temporary = parent / ("." + name + kCreatingInfix + std::to_string(::getpid()));
  std::error_code error;
  fs::remove_all(temporary, error);
  try {
    makeFolders(temporary);
    copySample(sample, temporary);
    markCreated(temporary);
  } catch (...) {
    fs::remove_all(temporary, error);
    throw;
  }
  if (::rename(temporary.c_str(), folder.c_str()) != 0) {
    int renameError = errno;
    fs::remove_all(temporary, error);
    // Another process made the device first: use that one.
    if ((renameError == ENOTEMPTY || renameError == EEXIST) && fs::is_directory(folder, error))
      return;
    fail("cannot create the device folder", folder, renameError);
  }
  syncFolder(parent);
}

}  // namespace

void installKavroBundle(const fs::path& folder, const fs::path& resources) {
  const fs::path bundle = folder / kInstalledBundlePath;
  makeFolders(bundle);
  std::vector<std::string> names(std::begin(kBundleFiles), std::end(kBundleFiles));
  // Further icon sizes (icon@2x.png, icon@3x.png) go along when resources/ has them.
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(resources, error)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("icon@", 0) == 0 && entry.path().extension() == ".png") names.push_back(name);
  }
  if (error) fail("cannot read the bundle resources", resources, error);
  for (const std::string& name : names) {
    installFile(bundle / name, readRequiredFile(resources / name, "the bundle resource"));
  }
  installFile(folder / kSettingsEntryPath,
              readRequiredFile(resources / kSettingsEntryFile, "the bundle resource"));
}

DeviceSources DeviceSources::fromSourceTree() {
  fs::path root(KAVRO_SOURCE_DIR);
  return {root / "sim" / "sample-device", root / "resources"};
}

void prepareDevice(const fs::path& folder) {
  prepareDevice(folder, DeviceSources::fromSourceTree());
}

void prepareDevice(const fs::path& requestedFolder, const DeviceSources& sources) {
  // "device/" names the folder "device", not an empty name inside it.
  fs::path folder = requestedFolder.lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  std::error_code error;
  fs::file_status status = fs::status(folder, error);
  bool exists = fs::exists(status);
  if (exists && !fs::is_directory(status)) fail("cannot use the device folder", folder, ENOTDIR);
  bool created = exists && fs::exists(folder / kCreatedMarkName, error);
  if (!created) {
    if (!fs::is_directory(sources.sampleDevice, error)) {
      throw std::runtime_error("cannot create a device: the sample device " +
                               sources.sampleDevice.string() + " is missing");
    }
    if (!exists || isEmptyFolder(folder)) {
      createFromSample(folder, sources.sampleDevice);
    } else {
      addMissingSampleFiles(sources.sampleDevice, folder);
      markCreated(folder);
    }
  }
  installKavroBundle(folder, sources.resources);
  makeFolders(folder / kPreferencesPath);
}

}  // namespace kavro::sim
