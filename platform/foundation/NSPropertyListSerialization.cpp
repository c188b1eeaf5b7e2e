#include "platform/foundation/NSPropertyListSerialization.h"

#include "platform/foundation/BinaryPropertyListReader.h"
#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/LibplistConversion.h"
#include "platform/foundation/OldStylePropertyListReader.h"
#include "platform/foundation/Utf8Text.h"
#include "platform/foundation/XmlPropertyListScanner.h"
#include "platform/foundation/XmlPropertyListWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

using kavro::platform::foundation::BinaryPropertyListReader;
using kavro::platform::foundation::BinaryPropertyListWriter;
using kavro::platform::foundation::FileDescriptor;
using kavro::platform::foundation::LibplistConversion;
using kavro::platform::foundation::OldStylePropertyListReader;
using kavro::platform::foundation::PlistNode;
using kavro::platform::foundation::XmlPropertyListScanner;
using kavro::platform::foundation::XmlPropertyListWriter;

namespace {

std::optional<PlistValue> failure(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return std::nullopt;
}

// Whether arrays and dictionaries are nested more than `limit` deep, found
// without recursion and without looking below the limit.
bool isDeeperThan(const PlistValue& root, int limit) {
  std::vector<std::pair<const PlistValue*, int>> pending{{&root, 0}};
  while (!pending.empty()) {
    auto [value, depth] = pending.back();
    pending.pop_back();
    if (value->isArray() || value->isDictionary()) {
      if (depth + 1 > limit) return true;
      if (const auto* array = value->asArray())
        for (const auto& element : *array) pending.emplace_back(&element, depth + 1);
      if (const auto* dictionary = value->asDictionary())
        for (const auto& [key, element] : *dictionary) pending.emplace_back(&element, depth + 1);
    }
  }
  return false;
}

std::string depthError() {
  return "it is nested deeper than " + std::to_string(NSPropertyListSerialization::kMaximumDepth) +
         " levels";
}

std::optional<PlistValue> parseBinary(const std::vector<std::uint8_t>& data, std::string& error) {
  BinaryPropertyListReader reader(data, {NSPropertyListSerialization::kMaximumDepth,
                                         NSPropertyListSerialization::kMaximumObjectCount});
  auto value = reader.read(&error);
  if (!value) error = "not a valid binary property list: " + error;
  return value;
}

std::optional<PlistValue> parseXml(std::string_view text, std::string& error) {
  XmlPropertyListScanner scanner(text, NSPropertyListSerialization::kMaximumDepth);
  if (!scanner.scan(&error)) {
    error = "not a valid XML property list: " + error;
    return std::nullopt;
  }
  plist_t parsed = nullptr;
  plist_from_xml(text.data(), static_cast<std::uint32_t>(text.size()), &parsed);
  PlistNode node(parsed);
  if (!node) {
    error = "not a valid property list: libplist could not parse it as XML";
    return std::nullopt;
  }
  auto value = LibplistConversion::fromNode(parsed, scanner.dates(), scanner.integers(), &error);
  if (!value) {
    error = "not a valid property list: " + error;
    return std::nullopt;
  }
  // The scanner counts every element, leaves included, with some slack; the depth
  // of containers is checked exactly here. The binary reader checks it as it reads.
  if (isDeeperThan(*value, NSPropertyListSerialization::kMaximumDepth)) {
    error = "not a property list: " + depthError();
    return std::nullopt;
  }
  return value;
}

std::optional<PlistValue> parseOldStyle(std::string_view text, std::string& error) {
  OldStylePropertyListReader reader(text, {NSPropertyListSerialization::kMaximumDepth,
                                           NSPropertyListSerialization::kMaximumObjectCount});
  auto value = reader.read(&error);
  if (!value) error = "not a valid old-style property list: " + error;
  return value;
}

// The text of a property list that is not binary, as UTF-8: a UTF-8 byte-order
// mark removed, UTF-16 after its mark converted into `storage`. Text without a
// mark is UTF-8, as on the platform: UTF-16 is not guessed at.
std::optional<std::string_view> textOf(const std::vector<std::uint8_t>& data, std::string& storage,
                                       std::string& error) {
  const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
  if (bytes.starts_with("\xEF\xBB\xBF")) return bytes.substr(3);
  const bool bigEndian = bytes.starts_with("\xFE\xFF");
  if (!bigEndian && !bytes.starts_with("\xFF\xFE")) return bytes;
  bool oddByte = false;
  storage = kavro::platform::foundation::utf8FromUtf16(bytes.substr(2), bigEndian, &oddByte);
  if (oddByte) {
    error = "not a property list: its UTF-16 text ends in half a character (an odd number of bytes)";
    return std::nullopt;
  }
  return std::string_view(storage);
}

// Whether text starts, after white space, as an XML document or element does.
bool isXml(std::string_view text) {
  const auto start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return false;
  text.remove_prefix(start);
  for (std::string_view opening : {"<?xml", "<!DOCTYPE", "<!--", "<plist"})
    if (text.starts_with(opening)) return true;
  for (std::string_view element :
       {"dict", "array", "string", "data", "date", "integer", "real", "true", "false", "key"}) {
    if (text.size() <= element.size() + 1 || text[0] != '<' || text.substr(1, element.size()) != element) continue;
    const char after = text[element.size() + 1];
    if (after == '>' || after == '/' || after == ' ' || after == '\t' || after == '\r' || after == '\n') return true;
  }
  return false;
}

// UTF-16 without a byte-order mark shows a NUL beside its first ASCII character;
// such text is refused with a reason that says what it seems to be.
bool looksLikeUtf16WithoutMark(const std::vector<std::uint8_t>& data) {
  return data.size() >= 2 && data.size() % 2 == 0 && ((data[0] == 0) != (data[1] == 0));
}

}  // namespace

std::optional<PlistValue> NSPropertyListSerialization::propertyListWithData(
    const std::vector<std::uint8_t>& data, std::string* error, NSPropertyListFormat* format) {
  if (data.empty()) return failure(error, "not a property list: the data is empty");
  if (data.size() > std::numeric_limits<std::uint32_t>::max())
    return failure(error, "not a property list: the data is larger than 4 GiB");
  std::string reason;
  std::optional<PlistValue> value;
  NSPropertyListFormat found = NSPropertyListFormat::binary;
  std::string storage;
  if (data.size() >= 6 && std::memcmp(data.data(), "bplist", 6) == 0) {
    value = parseBinary(data, reason);
  } else if (auto text = textOf(data, storage, reason)) {
    found = isXml(*text) ? NSPropertyListFormat::xml : NSPropertyListFormat::openStep;
    value = found == NSPropertyListFormat::xml ? parseXml(*text, reason) : parseOldStyle(*text, reason);
    if (!value && found == NSPropertyListFormat::openStep && looksLikeUtf16WithoutMark(data))
      reason = "not a property list: the text looks like UTF-16 without a byte-order mark, which is not read (" +
               reason + ")";
  }
  if (!value) return failure(error, reason);
  if (format) *format = found;
  if (error) error->clear();
  return value;
}

std::optional<std::vector<std::uint8_t>> NSPropertyListSerialization::dataWithPropertyList(
    const PlistValue& value, NSPropertyListFormat format, std::string* error) {
  auto refuse = [&](const std::string& reason) {
    if (error) *error = "cannot write the property list: " + reason;
    return std::nullopt;
  };
  if (format == NSPropertyListFormat::openStep)
    return refuse("the old-style text form is read only: it has no numbers, booleans or dates");
  if (isDeeperThan(value, kMaximumDepth)) return refuse(depthError());
  std::string reason;
  auto bytes = format == NSPropertyListFormat::binary ? BinaryPropertyListWriter::write(value, &reason)
                                                      : XmlPropertyListWriter::write(value, &reason);
  if (!bytes) return refuse(reason);
  if (error) error->clear();
  return bytes;
}

std::optional<PlistValue> NSPropertyListSerialization::propertyListWithContentsOfFile(
    const std::filesystem::path& path, std::string* error, NSPropertyListFormat* format) {
  auto unreadable = [&](const std::string& what) {
    return failure(error, "cannot read " + path.string() + ": " + what);
  };
  // Not blocking: a FIFO in place of the file must not hold the reader up.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.isOpen()) return unreadable(std::strerror(errno));
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return unreadable(std::strerror(errno));
  if (!S_ISREG(status.st_mode)) return unreadable("it is not a regular file");
  if (static_cast<std::uint64_t>(status.st_size) > kMaximumFileSize)
    return unreadable("it is larger than " + std::to_string(kMaximumFileSize >> 20) + " MiB");
  std::vector<std::uint8_t> data(static_cast<std::size_t>(status.st_size));
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t got = ::pread(file.get(), data.data() + done, data.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return unreadable(std::strerror(errno));
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  data.resize(done);
  std::string reason;
  auto value = propertyListWithData(data, &reason, format);
  if (!value) return unreadable(reason);
  if (error) error->clear();
  return value;
}
