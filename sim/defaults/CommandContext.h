#pragma once
// What every kavro-defaults command works with: its output and error streams,
// standard input, the device the store is opened on, and the exit statuses with the
// messages that go with them.
//
// Exit status: 0 on success, 1 when a domain, key or file does not exist, a stored
// value or a file is not what the command needs, or the store fails; 2 for bad
// arguments, which are followed by the usage (the whole of it when the command
// itself is wrong, a line pointing to `help` when only its arguments are).

#include "platform/foundation/PreferenceDomainStore.h"

#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace kavro::defaults {

using Arguments = std::span<const std::string>;

class CommandContext {
 public:
  static constexpr int kSuccess = 0;
  static constexpr int kFailure = 1;
  static constexpr int kBadArguments = 2;

  CommandContext(std::ostream& out, std::ostream& err, std::istream& in, std::optional<std::string> deviceOption)
      : out_(out), err_(err), in_(in), deviceOption_(std::move(deviceOption)) {}

  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }
  std::istream& in() { return in_; }

  // Says what is wrong with the arguments and points to `help`; returns
  // kBadArguments.
  int badArguments(const std::string& problem);
  // Says what is wrong, then the whole usage; returns kBadArguments.
  int badCommand(const std::string& problem);
  // Says what failed; returns kFailure.
  int failure(const std::string& problem);
  // The status of a store operation that returned `ok`: a refusal a change gave
  // (`refused`) is said here, the store has already said why anything else failed.
  int storeResult(bool ok, bool refused);

  // False, with the status set, when `domain` cannot name a domain file.
  bool checkDomainName(const std::string& domain, int& status);
  // The store of the chosen device, opened at the first call; nullptr, with the
  // status set and a message, when no device folder can be chosen or it does not
  // exist.
  kavro::platform::foundation::PreferenceDomainStore* store(int& status);
  // The store, once `domain` is found to name a domain file; nullptr, with the
  // status set, when either fails.
  kavro::platform::foundation::PreferenceDomainStore* storeForDomain(const std::string& domain, int& status) {
    return checkDomainName(domain, status) ? store(status) : nullptr;
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::istream& in_;
  std::optional<std::string> deviceOption_;
  std::unique_ptr<kavro::platform::foundation::PreferenceDomainStore> store_;
};

}  // namespace kavro::defaults
