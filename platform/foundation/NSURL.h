#pragma once
// URLs, kept as their string, with the scheme and resource specifier split out.

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

class NSURL : public NSObject {
  KAVRO_OBJC_CLASS(NSURL)
 public:
  // nullptr for a string that is not a URL (empty, or no "scheme:").
  static std::shared_ptr<NSURL> URLWithString(const std::string& string);
  static std::shared_ptr<NSURL> fileURLWithPath(const std::string& path);

  const std::string& absoluteString() const { return string_; }
  std::string scheme() const;
  // What follows "scheme:".
  std::string resourceSpecifier() const;
  std::string path() const;
  bool isFileURL() const { return scheme() == "file"; }
  std::string description() const override { return string_; }

 private:
  std::string string_;
};
