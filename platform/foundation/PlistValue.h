#pragma once
// A property-list value: what NSUserDefaults stores and property-list files hold.
// The null value stands for nil (an absent object). Conversions follow NSNumber and
// NSString: boolValue on a number is "not zero", on a string the platform's rules.
// Arrays and dictionaries are shared between copies until one of them is changed
// (copy on write), so handing a stored list around costs a reference, not a copy.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct NSData {
  std::vector<std::uint8_t> bytes;
  // The bytes as base64 text (RFC 4648, with padding, on one line).
  std::string base64EncodedString() const;
  friend bool operator==(const NSData&, const NSData&) = default;
};

struct NSDate {
  // Seconds since 2001-01-01 00:00:00 UTC, the platform's reference date.
  double timeIntervalSinceReferenceDate = 0;
  friend bool operator==(const NSDate&, const NSDate&) = default;
};

class PlistValue {
 public:
  enum class Type { nil, boolean, integer, real, string, data, date, array, dictionary };
  using Array = std::vector<PlistValue>;
  // Keys in sorted order, so that written files and dumps are reproducible.
  using Dictionary = std::map<std::string, PlistValue>;

  PlistValue() = default;
  PlistValue(std::nullptr_t) {}
  PlistValue(bool value) : value_(value) {}
  PlistValue(int value) : value_(static_cast<std::int64_t>(value)) {}
  PlistValue(long value) : value_(static_cast<std::int64_t>(value)) {}
  PlistValue(long long value) : value_(static_cast<std::int64_t>(value)) {}
  PlistValue(unsigned value) : value_(static_cast<std::int64_t>(value)) {}
  // Integers from 2^63 to 2^64 - 1 keep their value (as NSNumber does); smaller
  // ones are the same value as the signed integer.
  PlistValue(unsigned long value) : PlistValue(static_cast<unsigned long long>(value)) {}
  PlistValue(unsigned long long value) {
    if (value <= static_cast<unsigned long long>(INT64_MAX))
      value_ = static_cast<std::int64_t>(value);
    else
      value_ = LargeUnsigned{static_cast<std::uint64_t>(value)};
  }
  PlistValue(double value) : value_(value) {}
  PlistValue(const char* value) : value_(std::string(value ? value : "")) {}
  PlistValue(std::string value) : value_(std::move(value)) {}
  PlistValue(NSData value) : value_(std::move(value)) {}
  PlistValue(NSDate value) : value_(value) {}
  PlistValue(Array value) : value_(std::make_shared<Array>(std::move(value))) {}
  PlistValue(Dictionary value) : value_(std::make_shared<Dictionary>(std::move(value))) {}

  Type type() const {
    return value_.index() == kLargeUnsignedIndex ? Type::integer : static_cast<Type>(value_.index());
  }
  bool isNil() const { return type() == Type::nil; }
  explicit operator bool() const { return !isNil(); }
  bool isBoolean() const { return type() == Type::boolean; }
  bool isInteger() const { return type() == Type::integer; }
  bool isReal() const { return type() == Type::real; }
  bool isNumber() const { return isBoolean() || isInteger() || isReal(); }
  bool isString() const { return type() == Type::string; }
  bool isData() const { return type() == Type::data; }
  bool isDate() const { return type() == Type::date; }
  bool isArray() const { return type() == Type::array; }
  bool isDictionary() const { return type() == Type::dictionary; }

  // NSNumber / NSString conversions. Other types (and nil) give false / 0. An
  // integer of 2^63 or more gives its low 64 bits as integerValue, as
  // longLongValue does.
  bool boolValue() const;
  std::int64_t integerValue() const;
  double doubleValue() const;

  // Typed access: nullptr when the value is of another type. Not on temporaries:
  // the pointer would outlive the value.
  const bool* asBoolean() const& { return std::get_if<bool>(&value_); }
  // An integer from -2^63 to 2^63 - 1; nullptr for one of 2^63 or more.
  const std::int64_t* asInteger() const& { return std::get_if<std::int64_t>(&value_); }
  // An integer of 2^63 or more; nullptr for any other value.
  const std::uint64_t* asLargeUnsignedInteger() const& {
    auto large = std::get_if<LargeUnsigned>(&value_);
    return large ? &large->value : nullptr;
  }
  const double* asReal() const& { return std::get_if<double>(&value_); }
  const std::string* asString() const& { return std::get_if<std::string>(&value_); }
  const NSData* asData() const& { return std::get_if<NSData>(&value_); }
  const NSDate* asDate() const& { return std::get_if<NSDate>(&value_); }
  const Array* asArray() const& {
    auto shared = std::get_if<SharedArray>(&value_);
    return shared ? shared->get() : nullptr;
  }
  // Mutable access first gives this value a copy of its own, if it shares one.
  Array* asArray() & { return ownCopy<Array>(); }
  const Dictionary* asDictionary() const& {
    auto shared = std::get_if<SharedDictionary>(&value_);
    return shared ? shared->get() : nullptr;
  }
  Dictionary* asDictionary() & { return ownCopy<Dictionary>(); }
  const bool* asBoolean() const&& = delete;
  const std::int64_t* asInteger() const&& = delete;
  const std::uint64_t* asLargeUnsignedInteger() const&& = delete;
  const double* asReal() const&& = delete;
  const std::string* asString() const&& = delete;
  const NSData* asData() const&& = delete;
  const NSDate* asDate() const&& = delete;
  const Array* asArray() const&& = delete;
  const Dictionary* asDictionary() const&& = delete;

  // The string, or `fallback` for any other type.
  std::string stringOr(const std::string& fallback) const;
  // Dictionary look-up; nil when this is no dictionary or has no such key. On a
  // temporary the result is a copy.
  const PlistValue& operator[](const std::string& key) const&;
  PlistValue operator[](const std::string& key) && { return static_cast<const PlistValue&>(*this)[key]; }

  // Levels of arrays and dictionaries: 0 for a scalar, 1 for a flat array.
  int depth() const;

  static const char* typeName(Type type);

  friend bool operator==(const PlistValue& a, const PlistValue& b);

 private:
  using SharedArray = std::shared_ptr<Array>;
  using SharedDictionary = std::shared_ptr<Dictionary>;
  struct LargeUnsigned {
    std::uint64_t value = 0;
    friend bool operator==(const LargeUnsigned&, const LargeUnsigned&) = default;
  };
  // The index of LargeUnsigned in the variant below: last, so that the others
  // line up with Type.
  static constexpr std::size_t kLargeUnsignedIndex = 9;

  template <class Container>
  Container* ownCopy() {
    auto shared = std::get_if<std::shared_ptr<Container>>(&value_);
    if (!shared || !*shared) return nullptr;
    if (shared->use_count() > 1) *shared = std::make_shared<Container>(**shared);
    return shared->get();
  }

  std::variant<std::monostate, bool, std::int64_t, double, std::string, NSData, NSDate, SharedArray,
               SharedDictionary, LargeUnsigned>
      value_;
};
