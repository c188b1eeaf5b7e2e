#pragma once
// Property lists to and from bytes, binary (as the platform writes them) or XML.
// The binary format is read and written by BinaryPropertyListReader/Writer, XML is
// parsed by libplist behind XmlPropertyListScanner and written by
// XmlPropertyListWriter. Reading never trusts its input: malformed, truncated,
// cyclic or too deeply nested data gives an error, never a crash.

#include "platform/foundation/PlistValue.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

enum class NSPropertyListFormat { xml, binary };

class NSPropertyListSerialization {
 public:
  // Arrays and dictionaries nested deeper than this are refused, on reading and on
  // writing: the parser below recurses once per level.
  static constexpr int kMaximumDepth = 512;
  // A binary property list may name one object from many places; the reader makes
  // a copy each time, so a few hundred bytes could otherwise expand into billions
  // of objects. Counted as a reader meets them, shared objects once per reference.
  static constexpr std::size_t kMaximumObjectCount = 1'000'000;
  // Files larger than this are not read.
  static constexpr std::size_t kMaximumFileSize = 64u << 20;

  static std::optional<PlistValue> propertyListWithData(const std::vector<std::uint8_t>& data,
                                                        std::string* error = nullptr,
                                                        NSPropertyListFormat* format = nullptr);
  static std::optional<std::vector<std::uint8_t>> dataWithPropertyList(
      const PlistValue& value, NSPropertyListFormat format, std::string* error = nullptr);

  // Reads a whole file; nothing on error (missing, unreadable or malformed).
  static std::optional<PlistValue> propertyListWithContentsOfFile(const std::filesystem::path& path,
                                                                  std::string* error = nullptr);
};
