#pragma once
// Property lists to and from bytes: binary (as the platform writes them), XML, and
// the old-style (OpenStep) text form, which is read only, as on the platform.
// The binary format is read and written by BinaryPropertyListReader/Writer, XML is
// parsed by libplist behind XmlPropertyListScanner and written by
// XmlPropertyListWriter, the text form is read by OldStylePropertyListReader.
// Reading never trusts its input: malformed, truncated, cyclic or too deeply
// nested data gives an error, never a crash.
//
// The format is told from the bytes: "bplist" is binary; text (UTF-8, or UTF-16
// or UTF-8 after a byte-order mark) that starts, after white space, with <?xml,
// <!DOCTYPE, <!--, <plist or a property-list element (<dict>, <array>, <string>...)
// is XML; any other text is the old-style form.

#include "platform/foundation/PlistValue.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// openStep is the old-style text form: read, never written.
enum class NSPropertyListFormat { xml, binary, openStep };

class NSPropertyListSerialization {
 public:
  // Arrays and dictionaries nested deeper than this are refused, on reading and on
  // writing: libplist, behind the XML reader, recurses once per level.
  static constexpr int kMaximumDepth = 512;
  // A binary property list may name one object from many places; the reader makes
  // a copy each time, so a few hundred bytes could otherwise expand into billions
  // of objects. Counted as a reader meets them, shared objects once per reference.
  // The old-style reader counts its values (keys included) against it too: "()," is
  // three bytes of text but a hundred bytes of memory.
  static constexpr std::size_t kMaximumObjectCount = 1'000'000;
  // Files larger than this are not read.
  static constexpr std::size_t kMaximumFileSize = 64u << 20;

  static std::optional<PlistValue> propertyListWithData(const std::vector<std::uint8_t>& data,
                                                        std::string* error = nullptr,
                                                        NSPropertyListFormat* format = nullptr);
  static std::optional<std::vector<std::uint8_t>> dataWithPropertyList(
      const PlistValue& value, NSPropertyListFormat format, std::string* error = nullptr);

  // Reads a whole file; nothing on error (missing, unreadable or malformed, not a
  // regular file, larger than kMaximumFileSize). `format`, when given, is set to
  // the format that was read.
  static std::optional<PlistValue> propertyListWithContentsOfFile(const std::filesystem::path& path,
                                                                  std::string* error = nullptr,
                                                                  NSPropertyListFormat* format = nullptr);
};
