// libFuzzer target for the property-list readers (binary, XML and old-style text)
// and the round trips: any bytes are read without a crash, a hang or undefined
// behaviour, and whatever is read writes back in the binary format and reads back
// the same, bit for bit. Text that is not UTF-8 is the one thing the binary writer
// refuses; repaired, it writes too. What was read as old-style text also writes
// back in that form and reads back the same.
//
//   make fuzz [FUZZ_SECONDS=N]   builds this with clang and runs it
//
// Inputs that once failed go to tests/fuzz/regressions/, which the unit tests read.

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/OldStylePropertyListWriter.h"
#include "platform/foundation/Utf8Text.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <vector>

namespace {

// Equality that tells reals and dates by their bits, so that NaN equals itself.
bool same(const PlistValue& a, const PlistValue& b) {
  if (a.type() != b.type()) return false;
  if (const double* x = a.asReal()) return std::bit_cast<std::uint64_t>(*x) == std::bit_cast<std::uint64_t>(*b.asReal());
  if (const NSDate* x = a.asDate())
    return std::bit_cast<std::uint64_t>(x->timeIntervalSinceReferenceDate) ==
           std::bit_cast<std::uint64_t>(b.asDate()->timeIntervalSinceReferenceDate);
  if (const auto* x = a.asArray()) {
    const auto* y = b.asArray();
    if (x->size() != y->size()) return false;
    for (std::size_t i = 0; i < x->size(); ++i)
      if (!same((*x)[i], (*y)[i])) return false;
    return true;
  }
  if (const auto* x = a.asDictionary()) {
    const auto* y = b.asDictionary();
    if (x->size() != y->size()) return false;
    for (auto i = x->begin(), j = y->begin(); i != x->end(); ++i, ++j)
      if (i->first != j->first || !same(i->second, j->second)) return false;
    return true;
  }
  return a == b;
}

bool holdsInvalidText(const PlistValue& value) {
  if (const std::string* text = value.asString()) return !kavro::platform::foundation::isValidUtf8(*text);
  if (const auto* array = value.asArray())
    for (const auto& element : *array)
      if (holdsInvalidText(element)) return true;
  if (const auto* dictionary = value.asDictionary())
    for (const auto& [key, element] : *dictionary)
      if (!kavro::platform::foundation::isValidUtf8(key) || holdsInvalidText(element)) return true;
  return false;
}

[[noreturn]] void failure(const char* what, const std::string& error) {
  std::fprintf(stderr, "property-list fuzzer: %s: %s\n", what, error.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  std::string error;
  NSPropertyListFormat format = NSPropertyListFormat::binary;
  auto value = NSPropertyListSerialization::propertyListWithData(bytes, &error, &format);
  if (!value) {
    if (error.empty()) failure("a refusal without a reason", "");
    return 0;
  }
  if (format == NSPropertyListFormat::openStep && !holdsInvalidText(*value)) {
    const std::string text = kavro::platform::foundation::OldStylePropertyListWriter::write(*value);
    auto again = NSPropertyListSerialization::propertyListWithData({text.begin(), text.end()}, &error);
    if (!again) failure("old-style text that was written could not be read back", error);
    if (!same(*again, *value)) failure("old-style text that was written read back different", "");
  }
  auto written = NSPropertyListSerialization::dataWithPropertyList(*value, NSPropertyListFormat::binary, &error);
  if (!written) {
    if (!holdsInvalidText(*value)) failure("a value that was read could not be written", error);
    return 0;
  }
  auto again = NSPropertyListSerialization::propertyListWithData(*written, &error);
  if (!again) failure("what was written could not be read back", error);
  if (!same(*again, *value)) failure("what was written read back different", "");
  // XML holds less (whole seconds, no NUL), but writing it must never crash.
  NSPropertyListSerialization::dataWithPropertyList(*value, NSPropertyListFormat::xml, &error);
  return 0;
}
