#include "sim/web/server/HostCheck.h"

#include "sim/web/server/RequestError.h"

#include <algorithm>
#include <charconv>

namespace kavro::sim {

namespace {

bool isAsciiLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool isNameCharacter(char c) { return isAsciiLetterOrDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }

bool isAddressCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

std::string asciiLowered(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return lowered;
}

// The length of the name at the start of `text`, or 0 when none is there.
std::size_t nameLength(std::string_view text) {
  if (!text.empty() && text[0] == '[') {
    std::size_t close = text.find(']');
    if (close == std::string_view::npos || close == 1) return 0;
    bool address = std::all_of(text.begin() + 1, text.begin() + close, isAddressCharacter);
    return address ? close + 1 : 0;
  }
  return std::find_if_not(text.begin(), text.end(), isNameCharacter) - text.begin();
}

std::optional<int> parsePort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  int port = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

}  // namespace

std::optional<Authority> parseAuthority(std::string_view text) {
  std::size_t length = nameLength(text);
  if (length == 0) return std::nullopt;
  Authority authority{asciiLowered(text.substr(0, length)), std::nullopt};
  std::string_view rest = text.substr(length);
  if (rest.empty()) return authority;
  if (rest[0] != ':') return std::nullopt;
  authority.port = parsePort(rest.substr(1));
  if (!authority.port) return std::nullopt;
  return authority;
}

std::optional<Origin> parseOrigin(std::string_view text) {
  std::size_t separator = text.find("://");
  if (separator == 0 || separator == std::string_view::npos) return std::nullopt;
  std::string_view scheme = text.substr(0, separator);
  bool wellFormed = (scheme[0] >= 'a' && scheme[0] <= 'z') || (scheme[0] >= 'A' && scheme[0] <= 'Z');
  wellFormed = wellFormed && std::all_of(scheme.begin(), scheme.end(), [](char c) {
                 return isAsciiLetterOrDigit(c) || c == '+' || c == '-' || c == '.';
               });
  if (!wellFormed) return std::nullopt;
  auto authority = parseAuthority(text.substr(separator + 3));
  if (!authority) return std::nullopt;
  return Origin{asciiLowered(scheme), std::move(*authority)};
}

bool isLoopbackName(std::string_view name) { return name == "127.0.0.1" || name == "localhost" || name == "[::1]"; }

Authority checkHost(const std::vector<std::string>& hosts) {
  if (hosts.empty()) throw RequestError(400, "a request must name its Host");
  if (hosts.size() > 1) throw RequestError(400, "a request must name one Host, not " + std::to_string(hosts.size()));
  auto host = parseAuthority(hosts[0]);
  if (!host) throw RequestError(400, "the Host header is not a host name and port");
  // Another site's page, reached through a name that resolves here, is refused.
  if (!isLoopbackName(host->name)) throw RequestError(403, "requests must be addressed to 127.0.0.1 or localhost");
  return *host;
}

void checkOrigin(const std::vector<std::string>& origins, const Authority& host) {
  if (origins.empty()) return;
  if (origins.size() > 1) throw RequestError(400, "a request may name one Origin, not " + std::to_string(origins.size()));
  // Browsers let any page open a WebSocket anywhere: only this server's own page,
  // at the address the handshake went to, may drive the phone.
  if (origins[0] == "null") throw RequestError(403, "only the simulator's own page may connect");
  auto origin = parseOrigin(origins[0]);
  if (!origin) throw RequestError(400, "the Origin header is not an origin");
  bool same = origin->scheme == "http" && origin->authority.name == host.name &&
              origin->authority.portOr(80) == host.portOr(80);
  if (!same) throw RequestError(403, "only the simulator's own page may connect");
}

}  // namespace kavro::sim
