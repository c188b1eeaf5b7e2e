#pragma once
// What follows DOMAIN KEY in `write`: the value to store, or what to add to an
// array or a dictionary already stored.
//
//   VALUE                      a property list in text or XML form, else a string
//   -TYPE VALUE                one value of a type (ScalarArgument)
//   -array [ELEMENT...]        an array; -array-add: elements to append
//   -dict [KEY ELEMENT...]     a dictionary; -dict-add: keys to add or replace
//
// An ELEMENT is an untyped VALUE or a -TYPE VALUE pair. An element that starts
// with '-' without naming a type is an untyped value ("-5"); -array and -dict
// inside them are refused: a nested array or dictionary is given as text.

#include "platform/foundation/PlistValue.h"
#include "sim/defaults/CommandContext.h"

#include <optional>
#include <string>

namespace kavro::defaults {

struct ValueRequest {
  enum class Kind { set, arrayAdd, dictionaryAdd };
  Kind kind = Kind::set;
  // `set`: the value; `arrayAdd`: an array of the elements; `dictionaryAdd`: a
  // dictionary of the keys.
  PlistValue value;
};

class ValueArguments {
 public:
  // `arguments` are those after DOMAIN KEY; nothing, with what is wrong in
  // `problem`, when they give no value.
  static std::optional<ValueRequest> parse(Arguments arguments, std::string& problem);
  // The elements of -array and -array-add.
  static std::optional<PlistValue::Array> parseElements(Arguments arguments, std::string& problem);
  // The KEY ELEMENT pairs of -dict and -dict-add (a key given twice keeps its last
  // value).
  static std::optional<PlistValue::Dictionary> parsePairs(Arguments arguments, std::string& problem);

 private:
  // The element that starts at `next`, which moves past it.
  static std::optional<PlistValue> parseElement(Arguments arguments, std::size_t& next, std::string& problem);
  static std::optional<PlistValue> parseSingle(const std::string& type, Arguments values, std::string& problem);
};

}  // namespace kavro::defaults
