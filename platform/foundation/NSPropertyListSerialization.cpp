#include "platform/foundation/NSPropertyListSerialization.h"

#include "platform/foundation/BinaryPropertyListScanner.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/LibplistConversion.h"
#include "platform/foundation/XmlPropertyListScanner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

using kavro::foundation::BinaryPropertyListScanner;
using kavro::foundation::FileDescriptor;
using kavro::foundation::LibplistConversion;
using kavro::foundation::PlistNode;
using kavro::foundation::XmlPropertyListScanner;

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

PlistNode parseBinary(const std::vector<std::uint8_t>& data,
                      std::vector<std::optional<double>>& exactDates, std::string& error) {
  BinaryPropertyListScanner scanner(data, NSPropertyListSerialization::kMaximumDepth,
                                    NSPropertyListSerialization::kMaximumObjectCount);
  if (!scanner.scan(&error)) {
    error = "not a valid binary property list: " + error;
    return nullptr;
  }
  exactDates.assign(scanner.dates().begin(), scanner.dates().end());
  plist_t node = nullptr;
  plist_from_bin(reinterpret_cast<const char*>(data.data()), static_cast<std::uint32_t>(data.size()),
                 &node);
  if (!node) error = "not a valid binary property list: libplist refused it";
  return PlistNode(node);
}

PlistNode parseXml(const std::vector<std::uint8_t>& data,
                   std::vector<std::optional<double>>& exactDates, std::string& error) {
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  XmlPropertyListScanner scanner(text, NSPropertyListSerialization::kMaximumDepth);
  if (!scanner.scan(&error)) {
    error = "not a valid XML property list: " + error;
    return nullptr;
  }
  exactDates = scanner.dates();
  plist_t node = nullptr;
  plist_from_xml(text.data(), static_cast<std::uint32_t>(text.size()), &node);
  if (!node) error = "not a valid property list: libplist could not parse it as XML";
  return PlistNode(node);
}

}  // namespace

std::optional<PlistValue> NSPropertyListSerialization::propertyListWithData(
    const std::vector<std::uint8_t>& data, std::string* error, NSPropertyListFormat* format) {
  if (data.empty()) return failure(error, "not a property list: the data is empty");
  if (data.size() > std::numeric_limits<std::uint32_t>::max())
    return failure(error, "not a property list: the data is larger than 4 GiB");
  const bool binary = data.size() >= 6 && std::memcmp(data.data(), "bplist", 6) == 0;
  std::vector<std::optional<double>> exactDates;
  std::string reason;
  PlistNode node = binary ? parseBinary(data, exactDates, reason) : parseXml(data, exactDates, reason);
  if (!node) return failure(error, reason);
  auto value = LibplistConversion::fromNode(static_cast<plist_t>(node.get()), exactDates, &reason);
  if (!value) return failure(error, "not a valid property list: " + reason);
  if (isDeeperThan(*value, kMaximumDepth)) return failure(error, "not a property list: " + depthError());
  if (format) *format = binary ? NSPropertyListFormat::binary : NSPropertyListFormat::xml;
  if (error) error->clear();
  return value;
}

std::optional<std::vector<std::uint8_t>> NSPropertyListSerialization::dataWithPropertyList(
    const PlistValue& value, NSPropertyListFormat format, std::string* error) {
  auto refuse = [&](const std::string& reason) {
    if (error) *error = "cannot write the property list: " + reason;
    return std::nullopt;
  };
  if (isDeeperThan(value, kMaximumDepth)) return refuse(depthError());
  std::string reason;
  PlistNode node = LibplistConversion::toNode(value, &reason);
  if (!node) return refuse(reason);
  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (format == NSPropertyListFormat::binary)
    plist_to_bin(static_cast<plist_t>(node.get()), &bytes, &length);
  else
    plist_to_xml(static_cast<plist_t>(node.get()), &bytes, &length);
  if (!bytes) return refuse("libplist produced no output");
  std::vector<std::uint8_t> result(bytes, bytes + length);
  if (format == NSPropertyListFormat::binary)
    plist_to_bin_free(bytes);
  else
    plist_to_xml_free(bytes);
  if (error) error->clear();
  return result;
}

std::optional<PlistValue> NSPropertyListSerialization::propertyListWithContentsOfFile(
    const std::filesystem::path& path, std::string* error) {
  auto unreadable = [&](const std::string& what) {
    return failure(error, "cannot read " + path.string() + ": " + what);
  };
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
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
  auto value = propertyListWithData(data, &reason);
  if (!value) return unreadable(reason);
  if (error) error->clear();
  return value;
}
