#include "platform/foundation/LibplistConversion.h"

#include <cstdint>
#include <cstdlib>

namespace kavro::platform::foundation {

namespace {

bool fail(std::string* error, const std::string& reason) {
  if (error && error->empty()) *error = reason;
  return false;
}

// Calls `visit` with each child of an array or dictionary node, in order, walking
// with libplist's iterators: fetching array items by index walks the list from its
// start each time.
template <class Visit>
bool forEachChild(plist_t node, Visit&& visit) {
  if (plist_get_node_type(node) == PLIST_ARRAY) {
    plist_array_iter iterator = nullptr;
    plist_array_new_iter(node, &iterator);
    bool ok = true;
    for (;;) {
      plist_t child = nullptr;
      plist_array_next_item(node, iterator, &child);
      if (!child) break;
      if (!(ok = visit(static_cast<const char*>(nullptr), child))) break;
    }
    std::free(iterator);
    return ok;
  }
  plist_dict_iter iterator = nullptr;
  plist_dict_new_iter(node, &iterator);
  bool ok = true;
  for (;;) {
    char* key = nullptr;
    plist_t child = nullptr;
    plist_dict_next_item(node, iterator, &key, &child);
    if (child) ok = visit(static_cast<const char*>(key), child);
    std::free(key);
    if (!child || !ok) break;
  }
  std::free(iterator);
  return ok;
}

struct NodeCounts {
  std::size_t dates = 0;
  std::size_t integers = 0;
};

void countNodes(plist_t node, NodeCounts& counts) {
  switch (plist_get_node_type(node)) {
    case PLIST_DATE: ++counts.dates; break;
    case PLIST_UINT: ++counts.integers; break;
    case PLIST_ARRAY:
    case PLIST_DICT:
      forEachChild(node, [&](const char*, plist_t child) {
        countNodes(child, counts);
        return true;
      });
      break;
    default: break;
  }
}

class NodeReader {
 public:
  NodeReader(const std::vector<std::optional<double>>& exactDates,
             const std::vector<std::optional<PlistValue>>& exactIntegers, const NodeCounts& counts)
      : exactDates_(exactDates),
        exactIntegers_(exactIntegers),
        useExactDates_(counts.dates == exactDates.size()),
        useExactIntegers_(counts.integers == exactIntegers.size()) {}

  // Reads `node` into `out`; false, with the reason in `error`, for a node of a
  // type property lists do not have.
  bool read(plist_t node, PlistValue& out, std::string* error) {
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        out = PlistValue(value != 0);
        return true;
      }
      case PLIST_UINT: out = nextInteger(node); return true;
      case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        out = PlistValue(value);
        return true;
      }
      case PLIST_STRING:
      case PLIST_KEY: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        out = PlistValue(std::string(text ? text : "", text ? length : 0));
        return true;
      }
      case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        NSData data;
        if (bytes) data.bytes.assign(bytes, bytes + length);
        out = PlistValue(std::move(data));
        return true;
      }
      case PLIST_DATE: out = PlistValue(NSDate{nextDate(node)}); return true;
      case PLIST_UID: {
        // As the platform shows a keyed archiver's reference in XML.
        std::uint64_t value = 0;
        plist_get_uid_val(node, &value);
        PlistValue::Dictionary reference;
        reference["CF$UID"] = PlistValue(static_cast<unsigned long long>(value));
        out = PlistValue(std::move(reference));
        return true;
      }
      case PLIST_ARRAY: return readArray(node, out, error);
      case PLIST_DICT: return readDictionary(node, out, error);
      default: return fail(error, "it holds a node of unknown type");
    }
  }

 private:
  bool readArray(plist_t node, PlistValue& out, std::string* error) {
    PlistValue::Array array;
    array.reserve(plist_array_get_size(node));
    bool ok = forEachChild(node, [&](const char*, plist_t child) { return read(child, array.emplace_back(), error); });
    if (ok) out = PlistValue(std::move(array));
    return ok;
  }

  bool readDictionary(plist_t node, PlistValue& out, std::string* error) {
    PlistValue::Dictionary dictionary;
    bool ok = forEachChild(node, [&](const char* key, plist_t child) {
      // A key given twice keeps its last value, as the platform's reader does.
      PlistValue element;
      if (!read(child, element, error)) return false;
      if (key) dictionary.insert_or_assign(key, std::move(element));
      return true;
    });
    if (ok) out = PlistValue(std::move(dictionary));
    return ok;
  }

  PlistValue nextInteger(plist_t node) {
    if (useExactIntegers_ && nextInteger_ < exactIntegers_.size()) {
      const auto& exact = exactIntegers_[nextInteger_++];
      if (exact) return *exact;
    }
    // libplist's own value: 64 bits, read as signed.
    std::uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return PlistValue(static_cast<long long>(value));
  }

  double nextDate(plist_t node) {
    std::optional<double> exact;
    if (useExactDates_ && nextDate_ < exactDates_.size()) exact = exactDates_[nextDate_++];
    if (exact) return *exact;
    // libplist's own value: microseconds are a magnitude, with the sign of the seconds.
    std::int32_t seconds = 0, microseconds = 0;
    plist_get_date_val(node, &seconds, &microseconds);
    return seconds + (seconds < 0 ? -microseconds : microseconds) / 1e6;
  }

  const std::vector<std::optional<double>>& exactDates_;
  const std::vector<std::optional<PlistValue>>& exactIntegers_;
  bool useExactDates_;
  bool useExactIntegers_;
  std::size_t nextDate_ = 0;
  std::size_t nextInteger_ = 0;
};

}  // namespace

std::optional<PlistValue> LibplistConversion::fromNode(plist_t node, const std::vector<std::optional<double>>& exactDates,
                                                      const std::vector<std::optional<PlistValue>>& exactIntegers,
                                                      std::string* error) {
  NodeCounts counts;
  countNodes(node, counts);
  NodeReader reader(exactDates, exactIntegers, counts);
  PlistValue value;
  if (!reader.read(node, value, error)) return std::nullopt;
  return value;
}

}  // namespace kavro::platform::foundation
