#pragma once
// The engine under NSUserDefaults: preference domains kept as property-list files
// "DIRECTORY/DOMAIN.plist", shared with any other process that uses the same folder.
//
// Reads see what any process wrote last, and a read of an unchanged file costs a
// stat(). Every write happens under an exclusive lock on "DOMAIN.plist.lock"
// (never renamed or removed), starts from the file as it is now, and replaces the
// file atomically and durably: a temporary file in the same folder, fsync, rename
// over the domain file, fsync of the folder. A file that cannot be parsed, and
// anything at its path that is not a regular file, reads as an empty domain, and
// the next write moves it aside to "DOMAIN.plist.corrupt-N" rather than destroying
// it. Every file the store reads it can write back with every value intact, but
// for text that is not UTF-8, which the format cannot hold: it is written with
// U+FFFD in place of each ill-formed sequence, and the file as it was is kept at
// "DOMAIN.plist.original-N". Errors are kept in lastError() and written to
// standard error.
//
// One store serves one thread; processes share domains through the files.

#include "platform/foundation/DomainFileSnapshot.h"
#include "platform/foundation/FileLock.h"
#include "platform/foundation/PlistValue.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::platform::foundation {

class PreferenceDomainStore {
 public:
  // Changes the domain's values in place; returns false, with the reason in
  // `error`, to write nothing.
  using Change = std::function<bool(PlistValue::Dictionary& values, std::string& error)>;

  explicit PreferenceDomainStore(std::filesystem::path directory);
  PreferenceDomainStore(const PreferenceDomainStore&) = delete;
  PreferenceDomainStore& operator=(const PreferenceDomainStore&) = delete;

  const std::filesystem::path& directory() const { return directory_; }

  // A domain name must be usable as a plain file name: not empty, no "/", no NUL,
  // not starting with "." and at most 200 bytes.
  static bool isValidDomainName(std::string_view domain, std::string* reason);
  // The domain's file; an empty path when the name is refused.
  std::filesystem::path fileForDomain(const std::string& domain);

  // The value under `key`, or nil (also for a refused name or an unreadable file).
  PlistValue value(const std::string& key, const std::string& domain);
  // The whole domain; empty when it has no file or the file cannot be read.
  PlistValue::Dictionary values(const std::string& domain);
  // Whether the domain has a file.
  bool domainExists(const std::string& domain);
  // Names of the domains that have a file, sorted.
  std::vector<std::string> domainNames();

  // Applies `change` to the domain as stored now, under the lock, and writes the
  // result. A change that leaves the values as they were writes nothing (unless the
  // file is corrupt and must be moved aside), so a domain without a file keeps
  // having none.
  bool update(const std::string& domain, const Change& change);
  // Stores `value` under `key`; nil removes the key.
  bool setValue(const std::string& key, const PlistValue& value, const std::string& domain);
  // Replaces every value of the domain.
  bool replaceDomain(const PlistValue::Dictionary& values, const std::string& domain);
  // Removes the domain's file (a corrupt one is moved aside instead).
  bool removeDomain(const std::string& domain);
  // Whether the folder can take domain files (or does not exist yet).
  bool isUsable();

  // Why the latest operation failed, or why the latest read found no values in an
  // existing file; empty after a plain success.
  const std::string& lastError() const { return lastError_; }

 private:
  // The snapshot of a domain, brought up to date; nullptr for a refused name.
  DomainFileSnapshot* currentSnapshot(const std::string& domain, const char* whatHappensInstead);
  void noteReadProblem(const std::string& domain, DomainFileSnapshot& snapshot);
  bool fail(const std::string& message);
  bool succeed();
  bool moveAside(DomainFileSnapshot& snapshot, const std::string& domain, bool keepOriginalName);
  // Before the domain is written with its ill-formed text repaired: keeps the file
  // as it was at "DOMAIN.plist.original-N" when the text came from it, and says so.
  bool keepBeforeRepair(DomainFileSnapshot& snapshot, const std::string& domain, std::size_t repairs);
  // Replaces the domain file with `bytes` and lets `lock` go before the folder is
  // flushed.
  bool writeDurably(DomainFileSnapshot& snapshot, std::vector<std::uint8_t> bytes, PlistValue::Dictionary values,
                    std::optional<FileLock>& lock);
  bool syncFolder(std::string* error);

  std::filesystem::path directory_;
  std::map<std::string, DomainFileSnapshot> snapshots_;
  std::string lastError_;
};

}  // namespace kavro::platform::foundation
