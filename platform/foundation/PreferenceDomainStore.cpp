#include "platform/foundation/PreferenceDomainStore.h"

#include "platform/foundation/FileLock.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/Utf8Text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>

namespace kavro::platform::foundation {

namespace {

constexpr std::size_t kMaximumDomainNameLength = 200;
constexpr int kMaximumCorruptCopies = 10000;
constexpr std::string_view kDomainFileExtension = ".plist";

// The name as it can be shown in a message.
std::string printable(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (c == '\0')
      shown += "\\0";
    else
      shown += c;
  }
  return shown;
}

void report(const std::string& message) {
  std::fprintf(stderr, "NSUserDefaults: %s\n", message.c_str());
}

void reportMovedAside(const DomainFileSnapshot& snapshot, const std::string& domain,
                      const std::string& target) {
  report("the file of domain \"" + domain + "\", " + snapshot.path().string() +
         ", could not be read (" + snapshot.problem() + "); moved it aside to " + target);
}

// Whether any string or dictionary key in `value` is not valid UTF-8.
bool holdsInvalidText(const PlistValue& value);
bool holdsInvalidText(const PlistValue::Dictionary& dictionary) {
  return std::any_of(dictionary.begin(), dictionary.end(), [](const auto& entry) {
    return !isValidUtf8(entry.first) || holdsInvalidText(entry.second);
  });
}
bool holdsInvalidText(const PlistValue& value) {
  if (const std::string* text = value.asString()) return !isValidUtf8(*text);
  if (const auto* array = value.asArray())
    return std::any_of(array->begin(), array->end(), [](const PlistValue& element) { return holdsInvalidText(element); });
  if (const auto* dictionary = value.asDictionary()) return holdsInvalidText(*dictionary);
  return false;
}

// `value` with every ill-formed UTF-8 sequence in its text replaced by U+FFFD;
// `repairs` counts them. Keys that become equal keep the value of the last one.
PlistValue repairText(const PlistValue& value, std::size_t& repairs) {
  std::size_t count = 0;
  if (const std::string* text = value.asString()) {
    if (isValidUtf8(*text)) return value;
    PlistValue repaired(repairedUtf8(*text, &count));
    repairs += count;
    return repaired;
  }
  if (const auto* array = value.asArray()) {
    PlistValue::Array repaired;
    repaired.reserve(array->size());
    for (const PlistValue& element : *array) repaired.push_back(repairText(element, repairs));
    return PlistValue(std::move(repaired));
  }
  if (const auto* dictionary = value.asDictionary()) {
    PlistValue::Dictionary repaired;
    for (const auto& [key, element] : *dictionary) {
      std::string repairedKey = isValidUtf8(key) ? key : repairedUtf8(key, &count);
      repairs += count;
      count = 0;
      repaired.insert_or_assign(std::move(repairedKey), repairText(element, repairs));
    }
    return PlistValue(std::move(repaired));
  }
  return value;
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

PreferenceDomainStore::PreferenceDomainStore(std::filesystem::path directory)
    : directory_(std::move(directory)) {}

bool PreferenceDomainStore::isValidDomainName(std::string_view domain, std::string* reason) {
  const char* problem = nullptr;
  if (domain.empty())
    problem = "it is empty";
  else if (domain.find('\0') != std::string_view::npos)
    problem = "it contains a NUL character";
  else if (domain.find('/') != std::string_view::npos)
    problem = "it contains \"/\"";
  else if (domain.front() == '.')
    problem = "it starts with \".\"";
  else if (domain.size() > kMaximumDomainNameLength)
    problem = "it is longer than 200 bytes";
  if (problem && reason) *reason = problem;
  return problem == nullptr;
}

bool PreferenceDomainStore::fail(const std::string& message) {
  lastError_ = message;
  report(message);
  return false;
}

bool PreferenceDomainStore::succeed() {
  lastError_.clear();
  return true;
}

DomainFileSnapshot* PreferenceDomainStore::currentSnapshot(const std::string& domain,
                                                           const char* whatHappensInstead) {
  std::string reason;
  if (!isValidDomainName(domain, &reason)) {
    fail("refused the domain name \"" + printable(domain) + "\" (" + reason +
         "): a domain name must be a plain file name; " + whatHappensInstead);
    return nullptr;
  }
  auto entry = snapshots_.find(domain);
  if (entry == snapshots_.end())
    entry = snapshots_.try_emplace(domain, directory_ / (domain + std::string(kDomainFileExtension))).first;
  entry->second.refresh();
  return &entry->second;
}

void PreferenceDomainStore::noteReadProblem(const std::string& domain, DomainFileSnapshot& snapshot) {
  using State = DomainFileSnapshot::State;
  if (snapshot.state() == State::loaded || snapshot.state() == State::missing) {
    lastError_.clear();
    return;
  }
  lastError_ = "cannot read domain \"" + domain + "\" from " + snapshot.path().string() + ": " +
               snapshot.problem() + "; it reads as empty";
  if (snapshot.state() != State::unreadable) lastError_ += " until the next write moves it aside";
  if (!snapshot.problemReported()) {
    report(lastError_);
    snapshot.setProblemReported();
  }
}

std::filesystem::path PreferenceDomainStore::fileForDomain(const std::string& domain) {
  std::string reason;
  if (!isValidDomainName(domain, &reason)) {
    fail("refused the domain name \"" + printable(domain) + "\" (" + reason +
         "): a domain name must be a plain file name; it has no file");
    return {};
  }
  succeed();
  return directory_ / (domain + std::string(kDomainFileExtension));
}

PlistValue PreferenceDomainStore::value(const std::string& key, const std::string& domain) {
  DomainFileSnapshot* snapshot = currentSnapshot(domain, "it reads as nil");
  if (!snapshot) return PlistValue();
  noteReadProblem(domain, *snapshot);
  const auto& values = snapshot->values();
  auto found = values.find(key);
  return found == values.end() ? PlistValue() : found->second;
}

PlistValue::Dictionary PreferenceDomainStore::values(const std::string& domain) {
  DomainFileSnapshot* snapshot = currentSnapshot(domain, "it reads as empty");
  if (!snapshot) return {};
  noteReadProblem(domain, *snapshot);
  return snapshot->values();
}

bool PreferenceDomainStore::domainExists(const std::string& domain) {
  DomainFileSnapshot* snapshot = currentSnapshot(domain, "it has no file");
  if (!snapshot) return false;
  succeed();
  return snapshot->state() != DomainFileSnapshot::State::missing;
}

std::vector<std::string> PreferenceDomainStore::domainNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator entries(directory_, error), end; !error && entries != end;
       entries.increment(error)) {
    std::string name = entries->path().filename().string();
    if (!name.ends_with(kDomainFileExtension)) continue;
    name.resize(name.size() - kDomainFileExtension.size());
    std::error_code typeError;
    if (isValidDomainName(name, nullptr) && entries->is_regular_file(typeError))
      names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  succeed();
  return names;
}

bool PreferenceDomainStore::update(const std::string& domain, const Change& change) {
  // A change that alters nothing needs neither the lock nor the disk: it takes
  // effect at the moment of this read, as if it had been made then.
  DomainFileSnapshot* snapshot = currentSnapshot(domain, "nothing was written");
  if (!snapshot) return false;
  using State = DomainFileSnapshot::State;
  std::string refusal;
  if (snapshot->state() == State::loaded || snapshot->state() == State::missing) {
    PlistValue::Dictionary values = snapshot->values();
    if (!change(values, refusal)) {
      lastError_ = refusal;
      return false;
    }
    if (values == snapshot->values()) return succeed();
  }

  std::error_code folderError;
  std::filesystem::create_directories(directory_, folderError);
  if (folderError)
    return fail("cannot create the folder " + directory_.string() + ": " + folderError.message() +
                "; nothing was written");
  std::string lockError;
  auto lock = FileLock::acquire(snapshot->path().string() + ".lock", &lockError);
  if (!lock) return fail(lockError + "; nothing was written");

  // Under the lock, start again from the file as it is now.
  snapshot->refresh();
  if (snapshot->state() == State::unreadable)
    return fail("cannot read " + snapshot->path().string() + " (" + snapshot->problem() +
                "); not replacing a file that could not be read, nothing was written");
  const bool unusable = snapshot->state() == State::corrupt || snapshot->state() == State::notAFile;
  PlistValue root(snapshot->values());
  if (!change(*root.asDictionary(), refusal)) {
    lastError_ = refusal;
    return false;
  }
  if (!unusable && *root.asDictionary() == snapshot->values()) return succeed();
  std::string serializationError;
  auto bytes = NSPropertyListSerialization::dataWithPropertyList(root, NSPropertyListFormat::binary,
                                                                 &serializationError);
  // Text that is not UTF-8 has no form in the file format: it is written with
  // U+FFFD in its place, and a file that held such text is kept as it was.
  std::size_t repairs = 0;
  if (!bytes && holdsInvalidText(root)) {
    root = repairText(root, repairs);
    bytes = NSPropertyListSerialization::dataWithPropertyList(root, NSPropertyListFormat::binary, &serializationError);
  }
  if (!bytes)
    return fail("cannot store domain \"" + domain + "\": " + serializationError +
                "; nothing was written");
  if (unusable && !moveAside(*snapshot, domain, true)) return false;
  if (repairs > 0 && !keepBeforeRepair(*snapshot, domain, repairs)) return false;
  return writeDurably(*snapshot, std::move(*bytes), std::move(*root.asDictionary()), lock);
}

bool PreferenceDomainStore::setValue(const std::string& key, const PlistValue& value,
                                     const std::string& domain) {
  return update(domain, [&](PlistValue::Dictionary& values, std::string&) {
    if (value.isNil())
      values.erase(key);
    else
      values.insert_or_assign(key, value);
    return true;
  });
}

bool PreferenceDomainStore::replaceDomain(const PlistValue::Dictionary& replacement,
                                          const std::string& domain) {
  return update(domain, [&](PlistValue::Dictionary& values, std::string&) {
    values = replacement;
    return true;
  });
}

bool PreferenceDomainStore::removeDomain(const std::string& domain) {
  DomainFileSnapshot* snapshot = currentSnapshot(domain, "nothing was removed");
  if (!snapshot) return false;
  using State = DomainFileSnapshot::State;
  if (snapshot->state() == State::missing) return succeed();

  std::string lockError;
  auto lock = FileLock::acquire(snapshot->path().string() + ".lock", &lockError);
  if (!lock) return fail(lockError + "; nothing was removed");
  snapshot->refresh();
  switch (snapshot->state()) {
    case State::missing: return succeed();
    case State::unreadable:
      return fail("cannot read " + snapshot->path().string() + " (" + snapshot->problem() +
                  "); not removing a file that could not be read");
    case State::corrupt:
    case State::notAFile:
      if (!moveAside(*snapshot, domain, false)) return false;
      break;
    case State::loaded:
      if (::unlink(snapshot->path().c_str()) != 0 && errno != ENOENT)
        return fail("cannot remove " + snapshot->path().string() + ": " + std::strerror(errno));
      break;
  }
  snapshot->forget();
  std::string syncError;
  if (!syncFolder(&syncError))
    return fail("removed " + snapshot->path().string() + " but " + syncError +
                "; the removal may not survive a power loss");
  return succeed();
}

bool PreferenceDomainStore::isUsable() {
  struct stat status {};
  if (::stat(directory_.c_str(), &status) != 0) {
    // A folder that does not exist yet is made by the first write.
    if (errno == ENOENT) return succeed();
    return fail("cannot use the preferences folder " + directory_.string() + ": " +
                std::strerror(errno));
  }
  if (!S_ISDIR(status.st_mode))
    return fail("cannot use the preferences folder " + directory_.string() + ": it is not a folder");
  if (::access(directory_.c_str(), W_OK | X_OK) != 0)
    return fail("cannot write in the preferences folder " + directory_.string() + ": " +
                std::strerror(errno));
  return succeed();
}

bool PreferenceDomainStore::moveAside(DomainFileSnapshot& snapshot, const std::string& domain,
                                      bool keepOriginalName) {
  const std::string original = snapshot.path().string();
  // A folder cannot be linked and a link would be followed: what is not a regular
  // file is renamed. Under the lock no writer sees the gap; a reader sees no file,
  // which reads as the same empty domain as the thing that was there.
  const bool regularFile = snapshot.state() != DomainFileSnapshot::State::notAFile;
  for (int n = 1; n <= kMaximumCorruptCopies; ++n) {
    const std::string target = original + ".corrupt-" + std::to_string(n);
    // A hard link keeps the domain file in place until the new one is renamed over
    // it, and fails rather than replace an earlier copy.
    if (regularFile && ::link(original.c_str(), target.c_str()) == 0) {
      if (!keepOriginalName && ::unlink(original.c_str()) != 0)
        return fail("cannot remove " + original + " after copying it to " + target + ": " +
                    std::strerror(errno));
      reportMovedAside(snapshot, domain, target);
      return true;
    }
    if (regularFile && errno == EEXIST) continue;
    if (!regularFile || errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) {
      // Renamed instead (no hard links on this file system, or not a file); the
      // lock keeps other writers out.
      struct stat existing {};
      if (::lstat(target.c_str(), &existing) == 0) continue;
      if (::rename(original.c_str(), target.c_str()) == 0) {
        reportMovedAside(snapshot, domain, target);
        return true;
      }
    }
    return fail("cannot move the unreadable file " + original + " aside to " + target + ": " +
                std::strerror(errno) + "; nothing was written");
  }
  return fail("cannot move the unreadable file " + original + " aside: " +
              std::to_string(kMaximumCorruptCopies) + " earlier copies are in the way; nothing was written");
}

bool PreferenceDomainStore::keepBeforeRepair(DomainFileSnapshot& snapshot, const std::string& domain,
                                             std::size_t repairs) {
  const std::string original = snapshot.path().string();
  const std::string count = std::to_string(repairs) + " ill-formed UTF-8 sequence" + (repairs == 1 ? "" : "s");
  if (snapshot.state() != DomainFileSnapshot::State::loaded || !holdsInvalidText(snapshot.values())) {
    // The text came with this change, not from the file: nothing stored is lost.
    report("domain \"" + domain + "\": " + count + " in the text being stored were written as U+FFFD");
    return true;
  }
  for (int n = 1; n <= kMaximumCorruptCopies; ++n) {
    const std::string target = original + ".original-" + std::to_string(n);
    if (::link(original.c_str(), target.c_str()) == 0) {
      report("the file of domain \"" + domain + "\", " + original + ", held text that is not UTF-8, which " +
             "the file format cannot hold; wrote it with U+FFFD in place of " + count +
             " and kept the file as it was at " + target);
      return true;
    }
    if (errno == EEXIST) continue;
    return fail("cannot keep " + original + " (it holds text that is not UTF-8) at " + target + ": " +
                std::strerror(errno) + "; nothing was written");
  }
  return fail("cannot keep " + original + " aside: " + std::to_string(kMaximumCorruptCopies) +
              " earlier copies are in the way; nothing was written");
}

bool PreferenceDomainStore::writeDurably(DomainFileSnapshot& snapshot, std::vector<std::uint8_t> bytes,
                                         PlistValue::Dictionary values, std::optional<FileLock>& lock) {
  const std::string path = snapshot.path().string();
  // One temporary name per domain is enough: writers take turns under the lock, and
  // a leftover from a writer that died is simply replaced.
  const std::string temporary = path + ".tmp";
  auto abandon = [&](const std::string& step) {
    const int reason = errno;
    ::unlink(temporary.c_str());
    return fail("cannot write " + path + ": " + step + " failed (" + std::strerror(reason) +
                "); the file was left as it was");
  };
  ::unlink(temporary.c_str());
  FileDescriptor file(::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!file.isOpen()) return abandon("creating " + temporary);
  if (!writeAll(file.get(), bytes)) return abandon("writing " + temporary);
  if (::fsync(file.get()) != 0) return abandon("flushing " + temporary);
  if (::rename(temporary.c_str(), path.c_str()) != 0) return abandon("renaming " + temporary);
  snapshot.adopt(std::move(file), std::move(bytes), std::move(values));
  // The replacement is in place: the next writer may start while the folder is
  // flushed, and a writer that writes again at once cannot take the lock back
  // before the ones that waited wake up. The change is durable when this returns.
  lock.reset();
  std::string syncError;
  if (!syncFolder(&syncError))
    return fail("replaced " + path + " but " + syncError + "; the change may not survive a power loss");
  return succeed();
}

bool PreferenceDomainStore::syncFolder(std::string* error) {
  FileDescriptor folder(::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.isOpen() || ::fsync(folder.get()) != 0) {
    // Some file systems cannot flush a folder; their renames are as durable as they get.
    if (errno == EINVAL || errno == EROFS) return true;
    if (error) *error = "flushing the folder " + directory_.string() + " failed: " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace kavro::platform::foundation
