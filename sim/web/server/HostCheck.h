#pragma once
// Whom a request addresses, and which page a WebSocket comes from.
//
// A request's Host header must be exactly a loopback name (127.0.0.1, localhost
// or [::1]; the name in any case) with an optional port, numeric from 1 to
// 65535. The port need not be the one the server listens on: a port forwarded to
// it (ssh -L 9000:127.0.0.1:8080) is named by the browser as it was reached, and
// it is the name that keeps out another site's page reaching the server through a
// name of its own (DNS rebinding). A Host that does not parse as a name and port
// is malformed (400); one that names another host is refused (403); a request
// with no Host header, or more than one, is malformed (HTTP/1.1 requires one).
//
// A WebSocket's Origin header, which browsers send, must be the origin the
// handshake addressed: "http://" and the Host's name and port (80 where either
// leaves the port out), so that a page served on another port or under another
// name, even of this machine, cannot drive the phone. Clients that are no browser
// send none and are let in. An Origin that does not parse as scheme://name[:port],
// or more than one, is malformed (400); another origin, "null" included, is
// refused (403).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::sim {

// A host as Host and Origin headers carry it.
struct Authority {
  // In lower case; an IPv6 address keeps its brackets ("[::1]").
  std::string name;
  // 1 to 65535, when given.
  std::optional<int> port;

  int portOr(int fallback) const { return port.value_or(fallback); }
  friend bool operator==(const Authority&, const Authority&) = default;
};

// "name" or "name:port". A name is a run of letters, digits, '-', '.', '_' and
// '~', or an IPv6 address in brackets (hexadecimal digits, ':' and '.'); a port
// is 1 to 5 digits with a value from 1 to 65535. Nothing else may follow.
// nullopt when malformed.
std::optional<Authority> parseAuthority(std::string_view text);

struct Origin {
  std::string scheme;  // in lower case
  Authority authority;
};
// "scheme://name[:port]", with no path, as browsers serialise an origin; nullopt
// when malformed (an opaque origin, "null", included).
std::optional<Origin> parseOrigin(std::string_view text);

// Whether an authority's name (lower case) is one of this machine's loopback names.
bool isLoopbackName(std::string_view name);

// The Host a request addressed, given the values of every Host header it carries.
// Throws RequestError: 400 unless exactly one well-formed Host, 403 when it names
// another host.
Authority checkHost(const std::vector<std::string>& hosts);

// Checks the values of every Origin header of a WebSocket handshake that
// addressed `host`. Throws RequestError: 400 for more than one, or a malformed
// one; 403 for another origin.
void checkOrigin(const std::vector<std::string>& origins, const Authority& host);

}  // namespace kavro::sim
