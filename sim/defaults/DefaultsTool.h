#pragma once
// kavro-defaults: reads and writes the preference domains of a simulated device from
// the command line, in the manner of the platform's `defaults`.
//
// Exit status: 0 on success, 1 when a domain or key does not exist, a value is not
// what the command needs or the store fails, 2 for bad arguments (with the usage).

#include "platform/foundation/PreferenceDomainStore.h"

#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace kavro::defaults {

class DefaultsTool {
 public:
  static constexpr int kSuccess = 0;
  static constexpr int kFailure = 1;
  static constexpr int kBadArguments = 2;

  DefaultsTool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  // `arguments` without the program name.
  int run(const std::vector<std::string>& arguments);

 private:
  using Arguments = std::span<const std::string>;

  int read(Arguments arguments);
  int write(Arguments arguments);
  int arrayAdd(const std::string& domain, const std::string& key, Arguments values);
  int remove(Arguments arguments);
  int exportDomain(Arguments arguments);
  int domains(Arguments arguments);

  int badArguments(const std::string& problem);
  int failure(const std::string& problem);
  bool checkDomainName(const std::string& domain, int& status);
  // Opens the store of the chosen device; false (with a message) when the device
  // folder does not exist.
  bool openStore(int& status);

  std::ostream& out_;
  std::ostream& err_;
  std::optional<std::string> deviceOption_;
  std::unique_ptr<kavro::platform::foundation::PreferenceDomainStore> store_;
};

}  // namespace kavro::defaults
