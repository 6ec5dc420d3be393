// Just enough JSON for the console's answers: strings escaped, objects written field by field.
#pragma once

#include <sstream>
#include <string>

#include "JsonText.h"

namespace radaltconsole {

inline std::string Quote(const std::string& s) { return radalt::JsonQuote(s); }

// {"a":..., "b":...} built one field at a time.
class Object {
 public:
  Object& Str(const std::string& key, const std::string& value) { return Raw(key, Quote(value)); }
  Object& Num(const std::string& key, double value) {
    std::ostringstream o;
    o.precision(17);
    o << value;
    return Raw(key, o.str());
  }
  Object& Bool(const std::string& key, bool value) { return Raw(key, value ? "true" : "false"); }
  Object& Raw(const std::string& key, const std::string& json) {
    body_ += (body_.empty() ? "" : ",") + Quote(key) + ":" + json;
    return *this;
  }
  std::string Text() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

}  // namespace radaltconsole
