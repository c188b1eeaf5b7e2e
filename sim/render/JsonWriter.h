#pragma once
// JSON text written straight into one string, value by value, with the commas
// between members and elements put in by the writer. A render tree goes out up to
// a hundred times a second (one every 10 ms while something moves), and a
// document object per view would cost more than the walk over the views.
//
// Numbers are rounded to 3 decimals (whole where they are whole, never "-0", 0 for
// what is not finite); strings that are not UTF-8 show U+FFFD where they are not;
// colours are "#RRGGBBAA".

#include "platform/coregraphics/CGGeometry.h"
#include "platform/uikit/UIColor.h"

#include <string>
#include <string_view>

namespace kavro::sim {

class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // The name of the next member of the object being written.
  JsonWriter& key(std::string_view name);

  JsonWriter& number(double value);
  JsonWriter& string(std::string_view text);
  JsonWriter& boolean(bool value);
  JsonWriter& color(const UIColor::RGBA& color);
  // [x, y, width, height]
  JsonWriter& rect(CGRect rect);
  // Text that is one JSON value already.
  JsonWriter& raw(std::string_view json);

  // key(name) and the value, for the members written most.
  JsonWriter& member(std::string_view name, double value) { return key(name).number(value); }
  JsonWriter& member(std::string_view name, std::string_view text) { return key(name).string(text); }
  JsonWriter& member(std::string_view name, const char* text) { return key(name).string(text); }
  JsonWriter& member(std::string_view name, bool value) { return key(name).boolean(value); }
  JsonWriter& member(std::string_view name, const UIColor::RGBA& value) { return key(name).color(value); }
  JsonWriter& member(std::string_view name, CGRect value) { return key(name).rect(value); }

 private:
  // Before a value: a comma when it follows another in the same object or array.
  void separate();

  std::string& out_;
  bool afterValue_ = false;
};

}  // namespace kavro::sim
