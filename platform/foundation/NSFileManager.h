#pragma once
// File-system queries on the simulated device: iOS paths resolve inside its folder.

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>
#include <vector>

class NSFileManager : public NSObject {
  KAVRO_OBJC_CLASS(NSFileManager)
 public:
  static std::shared_ptr<NSFileManager> defaultManager();

  bool fileExistsAtPath(const std::string& path) const;
  bool fileExistsAtPath(const std::string& path, bool* isDirectory) const;
  // Names of the entries of a folder, sorted; empty when it cannot be read.
  std::vector<std::string> contentsOfDirectoryAtPath(const std::string& path) const;
  // The bytes of a file, or nothing when it cannot be read.
  bool contentsAtPath(const std::string& path, std::vector<unsigned char>& bytes) const;
};
