// Just enough JSON for the console's answers: strings escaped, objects written field by field.
#pragma once

#include <sstream>
#include <string>

namespace radaltconsole {

inline std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

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
