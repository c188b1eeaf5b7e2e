#pragma once
// A request target ("/api/frame?after=3") split into its path and its query
// parameters, and the percent escapes of a URL path decoded.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavro::sim {

class RequestTarget {
 public:
  // Everything before the first '?' is the path, as sent (not decoded); after it,
  // "name=value" pairs separated by '&' (a pair without '=' has an empty value).
  // Parameters are not decoded either: the server's own take digits only.
  explicit RequestTarget(std::string_view target);

  const std::string& path() const { return path_; }
  const std::vector<std::pair<std::string, std::string>>& parameters() const { return parameters_; }
  // The first parameter called `name`, or nullptr.
  const std::string* parameter(std::string_view name) const;
  // The parameter `name` as a whole number from 0, or nullopt when absent.
  // Throws RequestError (400) when it is anything else.
  std::optional<std::uint64_t> wholeNumber(std::string_view name) const;

 private:
  std::string path_;
  std::vector<std::pair<std::string, std::string>> parameters_;
};

// A URL path with its %XX escapes decoded; nullopt when an escape is malformed or
// decodes to a NUL.
std::optional<std::string> decodePercentEscapes(std::string_view path);

}  // namespace kavro::sim
