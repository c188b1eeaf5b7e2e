// The Host and Origin rules on generated headers, against an independent reading
// of the same rules as regular expressions: whatever is accepted names a loopback
// host with a valid port, and nothing else is.

#include "sim/web/server/HostCheck.h"
#include "sim/web/server/RequestError.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace kavro::sim {
namespace {

// A header near the rules' edges: either a few of `pieces` strung together, or
// `valid` changed in a few places (a piece put in, a character dropped, one
// character's case flipped), or left as it is.
std::string generatedHeader(std::mt19937& random, const std::vector<std::string>& pieces, const std::string& valid) {
  auto below = [&](std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random); };
  std::string text;
  if (below(2) == 0) {
    for (std::size_t count = below(6); count > 0; --count) text += pieces[below(pieces.size())];
    return text;
  }
  text = valid;
  for (std::size_t changes = below(4); changes > 0; --changes) {
    std::size_t at = below(text.size() + 1);
    switch (below(3)) {
      case 0: text.insert(at, pieces[below(pieces.size())]); break;
      case 1: if (at < text.size()) text.erase(at, 1); break;
      default:
        if (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at]))) text[at] ^= 0x20;
    }
  }
  return text;
}

// The status checkHost answers a Host with, 200 when it accepts it.
int hostStatus(const std::string& host, std::optional<Authority>* accepted = nullptr) {
  try {
    Authority authority = checkHost({host});
    if (accepted) *accepted = authority;
    return 200;
  } catch (const RequestError& error) {
    return error.status;
  }
}

bool portInRange(const std::smatch& match, std::size_t group) {
  return !match[group].matched || (std::stoi(match[group].str()) >= 1 && std::stoi(match[group].str()) <= 65535);
}

TEST(HostCheck, AcceptedHostsAreLoopbackNamesWithValidPortsAndNothingElseIs) {
  const std::vector<std::string> pieces = {"127.0.0.1", "localhost", "LocalHost", "[::1]", "[::2]", "[", "]", ":", "@",
                                           "evil.example", ".", "0", "1", "80", "65535", "65536", "99999", "x", "%2e",
                                           " ", "/", "-", "_", "~", "127.0.0.2", "\t", "é"};
  const std::regex loopback(R"(^(127\.0\.0\.1|localhost|\[::1\])(:([0-9]{1,5}))?$)", std::regex::icase);
  const std::regex wellFormed(R"(^([A-Za-z0-9._~-]+|\[[0-9A-Fa-f:.]+\])(:([0-9]{1,5}))?$)");
  std::mt19937 random(15);
  int accepted = 0, refused = 0;
  const std::vector<std::string> valid = {"127.0.0.1:8080", "localhost", "[::1]:1", "localhost:65535"};
  for (int i = 0; i < 20000; ++i) {
    std::string host = generatedHeader(random, pieces, valid[i % valid.size()]);
    std::optional<Authority> authority;
    int status = hostStatus(host, &authority);
    std::smatch match;
    bool isLoopback = std::regex_match(host, match, loopback) && portInRange(match, 3);
    bool parses = std::regex_match(host, match, wellFormed) && portInRange(match, 3);
    ASSERT_EQ(status, isLoopback ? 200 : parses ? 403 : 400) << "\"" << host << "\"";
    if (status == 200) {
      ++accepted;
      // It reads back as the same loopback name and port.
      EXPECT_TRUE(isLoopbackName(authority->name)) << host;
      std::string written = authority->name + (authority->port ? ":" + std::to_string(*authority->port) : "");
      EXPECT_EQ(parseAuthority(written), authority) << host;
    }
    if (status == 403) ++refused;
  }
  // The pieces reach every outcome often enough to mean something.
  EXPECT_GT(accepted, 200);
  EXPECT_GT(refused, 200);
}

TEST(HostCheck, AWebSocketsOriginMustBeTheOriginItAddressed) {
  const std::vector<std::string> pieces = {"http", "HTTP", "https", "ws", "://", ":/", "127.0.0.1", "localhost",
                                           ":", "8080", "08080", "80", "0", "/", "@", "null", "x", " "};
  struct Addressed {
    Authority host;
    std::string origin;
    std::regex same;
  };
  const std::vector<Addressed> hosts = {
      {{"127.0.0.1", 8080}, "http://127.0.0.1:8080", std::regex(R"(^http://127\.0\.0\.1:0?8080$)", std::regex::icase)},
      {{"localhost", std::nullopt}, "http://localhost",
       std::regex(R"(^http://localhost(:(0{0,3}80))?$)", std::regex::icase)},
  };
  std::mt19937 random(1515);
  for (const Addressed& addressed : hosts) {
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
      std::string origin = generatedHeader(random, pieces, addressed.origin);
      bool taken = true;
      try {
        checkOrigin({origin}, addressed.host);
      } catch (const RequestError& error) {
        taken = false;
        EXPECT_TRUE(error.status == 400 || error.status == 403) << origin;
      }
      ASSERT_EQ(taken, std::regex_match(origin, addressed.same)) << "\"" << origin << "\"";
      accepted += taken;
    }
    EXPECT_GT(accepted, 1000);
  }
}

TEST(HostCheck, NamesAreReadInLowerCaseAndAddressesKeepTheirBrackets) {
  EXPECT_EQ(parseAuthority("LOCALHOST:0080"), (Authority{"localhost", 80}));
  EXPECT_EQ(parseAuthority("[::1]:8080"), (Authority{"[::1]", 8080}));
  EXPECT_EQ(parseAuthority("[::1]"), (Authority{"[::1]", std::nullopt}));
  EXPECT_EQ(parseAuthority("[]"), std::nullopt);
  EXPECT_EQ(parseAuthority("[::1]]"), std::nullopt);
  auto origin = parseOrigin("HTTP://LocalHost:8080");
  ASSERT_TRUE(origin);
  EXPECT_EQ(origin->scheme, "http");
  EXPECT_EQ(origin->authority, (Authority{"localhost", 8080}));
  EXPECT_EQ(parseOrigin("null"), std::nullopt);
  EXPECT_EQ(parseOrigin("://localhost"), std::nullopt);
  EXPECT_EQ(parseOrigin("1http://localhost"), std::nullopt);
}

TEST(HostCheck, ARequestNamesExactlyOneHostAndAtMostOneOrigin) {
  EXPECT_THROW(checkHost({}), RequestError);
  EXPECT_THROW(checkHost({"127.0.0.1", "127.0.0.1"}), RequestError);
  Authority host{"127.0.0.1", 8080};
  EXPECT_NO_THROW(checkOrigin({}, host));
  EXPECT_THROW(checkOrigin({"http://127.0.0.1:8080", "http://127.0.0.1:8080"}, host), RequestError);
}

}  // namespace
}  // namespace kavro::sim
