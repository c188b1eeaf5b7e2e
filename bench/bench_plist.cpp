// Reading property lists of 1 MiB and 16 MiB in the old-style text form, beside the
// binary reader on the same values in the same run. The values are what specifier
// lists and strings tables hold: dictionaries of short strings, arrays of
// identifiers, some data, some escapes and non-ASCII text. Bytes processed are each
// reader's own input, so the MB/s figures compare text and binary speed of the
// same content; "values" counts what both readers make.
//
//   build/default/bench/bench_plist

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/OldStylePropertyListWriter.h"

#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <stdexcept>
#include <string>

namespace {

using kavro::platform::foundation::OldStylePropertyListWriter;

PlistValue specifier(std::mt19937& random, int index) {
  static const char* const kCells[] = {"PSGroupCell", "PSSwitchCell", "PSLinkListCell", "PSEditTextCell", "PSButtonCell"};
  PlistValue::Dictionary entry{
      {"cell", kCells[random() % 5]},
      {"key", "setting" + std::to_string(index)},
      {"label", "Setting number " + std::to_string(index) + (random() % 4 == 0 ? " \xE2\x80\x94 caf\xC3\xA9" : "")},
      {"defaults", "com.qelm.kavroprefs"},
      {"footerText", "Shown below the group.\nTwo lines, with \"quotes\"."},
  };
  PlistValue::Array values;
  for (int n = static_cast<int>(random() % 6); n > 0; --n) values.push_back("com.apple.app" + std::to_string(random() % 1000));
  entry["validValues"] = std::move(values);
  if (random() % 8 == 0) entry["icon"] = NSData{std::vector<std::uint8_t>(32, static_cast<std::uint8_t>(index))};
  return PlistValue(std::move(entry));
}

// A specifier list whose text form is about `size` bytes.
PlistValue specifierList(std::size_t size) {
  std::mt19937 random(20261208);
  PlistValue::Array items;
  std::size_t written = 0;
  for (int index = 0; written < size; ++index) {
    items.push_back(specifier(random, index));
    written += OldStylePropertyListWriter::write(items.back()).size() + 6;
  }
  return PlistValue(PlistValue::Dictionary{{"title", "Kavro"}, {"items", std::move(items)}});
}

std::size_t valueCount(const PlistValue& value) {
  std::size_t count = 1;
  if (const auto* array = value.asArray())
    for (const auto& element : *array) count += valueCount(element);
  if (const auto* dictionary = value.asDictionary())
    for (const auto& [key, element] : *dictionary) count += 1 + valueCount(element);
  return count;
}

void readBytes(benchmark::State& state, const std::vector<std::uint8_t>& bytes, NSPropertyListFormat expected,
               std::size_t values) {
  for (auto _ : state) {
    NSPropertyListFormat format = NSPropertyListFormat::xml;
    std::string error;
    auto value = NSPropertyListSerialization::propertyListWithData(bytes, &error, &format);
    if (!value || format != expected) throw std::runtime_error("benchmark input not read: " + error);
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  state.counters["values"] = static_cast<double>(values);
  state.counters["input MiB"] = static_cast<double>(bytes.size()) / (1 << 20);
}

struct Inputs {
  std::vector<std::uint8_t> text;
  std::vector<std::uint8_t> binary;
  std::size_t values = 0;
};

const Inputs& inputs(std::size_t mebibytes) {
  static std::map<std::size_t, Inputs> made;
  auto& found = made[mebibytes];
  if (found.text.empty()) {
    const PlistValue list = specifierList(mebibytes << 20);
    const std::string text = OldStylePropertyListWriter::write(list);
    found.text.assign(text.begin(), text.end());
    found.binary = *NSPropertyListSerialization::dataWithPropertyList(list, NSPropertyListFormat::binary);
    found.values = valueCount(list);
  }
  return found;
}

void BM_ReadOldStyleText(benchmark::State& state) {
  const Inputs& input = inputs(static_cast<std::size_t>(state.range(0)));
  readBytes(state, input.text, NSPropertyListFormat::openStep, input.values);
}

void BM_ReadBinarySameValues(benchmark::State& state) {
  const Inputs& input = inputs(static_cast<std::size_t>(state.range(0)));
  readBytes(state, input.binary, NSPropertyListFormat::binary, input.values);
}

BENCHMARK(BM_ReadOldStyleText)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBinarySameValues)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
