#include "sim/defaults/FindCommand.h"

#include "platform/foundation/NSString.h"
#include "platform/foundation/OldStylePropertyListWriter.h"

#include <charconv>
#include <vector>

namespace kavro::defaults {

using kavro::platform::foundation::OldStylePropertyListWriter;

namespace {

// A number as `read` writes it.
std::string numberText(const PlistValue& value) {
  if (const std::uint64_t* large = value.asLargeUnsignedInteger()) return std::to_string(*large);
  if (const std::int64_t* integer = value.asInteger()) return std::to_string(*integer);
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, *value.asReal());
  return std::string(text, result.ptr);
}

}  // namespace

bool FindCommand::textContains(const std::string& text, const std::string& lowercaseWord) {
  return NSStringContains(NSStringLowercase(text), lowercaseWord);
}

bool FindCommand::valueContains(const PlistValue& root, const std::string& lowercaseWord) {
  // Without recursion: a stored value may nest as deep as the reader allows.
  std::vector<const PlistValue*> pending{&root};
  while (!pending.empty()) {
    const PlistValue* value = pending.back();
    pending.pop_back();
    if (const std::string* text = value->asString()) {
      if (textContains(*text, lowercaseWord)) return true;
    } else if (value->isInteger() || value->isReal()) {
      if (textContains(numberText(*value), lowercaseWord)) return true;
    } else if (const PlistValue::Array* array = value->asArray()) {
      for (const PlistValue& element : *array) pending.push_back(&element);
    } else if (const PlistValue::Dictionary* dictionary = value->asDictionary()) {
      for (const auto& [key, element] : *dictionary) {
        if (textContains(key, lowercaseWord)) return true;
        pending.push_back(&element);
      }
    }
  }
  return false;
}

int FindCommand::find(CommandContext& context, Arguments arguments) {
  if (arguments.size() != 1) return context.badArguments("find takes one WORD");
  if (arguments[0].empty()) return context.badArguments("find needs a word that is not empty");
  int status = CommandContext::kSuccess;
  auto* store = context.store(status);
  if (!store) return status;
  const std::string word = NSStringLowercase(arguments[0]);
  bool found = false;
  for (const std::string& domain : store->domainNames()) {
    const bool wholeDomain = textContains(domain, word);
    PlistValue::Dictionary matches;
    for (const auto& [key, value] : store->values(domain))
      if (wholeDomain || textContains(key, word) || valueContains(value, word)) matches.emplace(key, value);
    if (matches.empty()) continue;
    found = true;
    context.out() << "Found " << matches.size() << " keys in domain '" << domain
                  << "': " << OldStylePropertyListWriter::description(PlistValue(std::move(matches))) << "\n";
  }
  if (!found) context.out() << "No domain, key, nor value containing '" << arguments[0] << "'\n";
  return found ? CommandContext::kSuccess : CommandContext::kFailure;
}

}  // namespace kavro::defaults
