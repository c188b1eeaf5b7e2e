#include "platform/foundation/NSURL.h"

#include "platform/objc/Class.h"

#include <cctype>

KAVRO_OBJC_CLASS_IMPLEMENTATION(NSURL, NSObject, )

std::shared_ptr<NSURL> NSURL::URLWithString(const std::string& string) {
  auto colon = string.find(':');
  if (colon == std::string::npos || colon == 0) return nullptr;
  if (!std::isalpha(static_cast<unsigned char>(string[0]))) return nullptr;
  for (std::size_t i = 0; i < colon; ++i) {
    char c = string[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return nullptr;
  }
  for (char c : string)
    if (std::isspace(static_cast<unsigned char>(c))) return nullptr;
  auto url = alloc<NSURL>();
  url->string_ = string;
  return url;
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(const std::string& path) {
  auto url = alloc<NSURL>();
  url->string_ = "file://" + path;
  return url;
}

std::string NSURL::scheme() const { return string_.substr(0, string_.find(':')); }

std::string NSURL::resourceSpecifier() const { return string_.substr(string_.find(':') + 1); }

std::string NSURL::path() const {
  std::string rest = resourceSpecifier();
  if (rest.rfind("//", 0) == 0) {
    auto slash = rest.find('/', 2);
    return slash == std::string::npos ? "" : rest.substr(slash);
  }
  return rest;
}
