#include "platform/foundation/NSFileManager.h"

#include "platform/device/Device.h"
#include "platform/device/Process.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/objc/Class.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

KAVRO_OBJC_CLASS_IMPLEMENTATION(NSFileManager, NSObject, )

namespace {

// Where an iOS path lies on this machine: inside the device of the current
// simulated process, or as it is when no simulated process runs (tools and tests
// that work on a folder directly).
std::filesystem::path hostPath(const std::string& path) {
  if (kavro::platform::Process* process = kavro::platform::Process::currentOrNull())
    return process->device().resolve(path);
  return std::filesystem::path(path);
}

}  // namespace

std::shared_ptr<NSFileManager> NSFileManager::defaultManager() {
  if (kavro::platform::Process* process = kavro::platform::Process::currentOrNull())
    return process->singleton<NSFileManager>([] { return alloc<NSFileManager>(); });
  static const auto processless = alloc<NSFileManager>();
  return processless;
}

bool NSFileManager::fileExistsAtPath(const std::string& path) const {
  return fileExistsAtPath(path, nullptr);
}

bool NSFileManager::fileExistsAtPath(const std::string& path, bool* isDirectory) const {
  struct stat status {};
  // Like the platform, a symbolic link counts by what it points to.
  if (::stat(hostPath(path).c_str(), &status) != 0) return false;
  if (isDirectory) *isDirectory = S_ISDIR(status.st_mode);
  return true;
}

std::vector<std::string> NSFileManager::contentsOfDirectoryAtPath(const std::string& path) const {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator entries(hostPath(path), error), end;
       !error && entries != end; entries.increment(error))
    names.push_back(entries->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool NSFileManager::contentsAtPath(const std::string& path, std::vector<unsigned char>& bytes) const {
  bytes.clear();
  kavro::platform::foundation::FileDescriptor file(::open(hostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.isOpen()) return false;
  struct stat status {};
  bool ok = ::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode);
  unsigned char buffer[65536];
  while (ok) {
    ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  if (!ok) bytes.clear();
  return ok;
}
