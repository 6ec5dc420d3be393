// A small JSON document: null, booleans, numbers, strings, arrays and objects whose keys
// keep the order they were set in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace radalt_bench {

class Json {
 public:
  enum class Kind { Null, Bool, Integer, Number, String, Array, Object };

  Json() = default;
  Json(std::nullptr_t) {}
  Json(bool v) : kind_(Kind::Bool), bool_(v) {}
  Json(int v) : kind_(Kind::Integer), int_(v) {}
  Json(long v) : kind_(Kind::Integer), int_(v) {}
  Json(long long v) : kind_(Kind::Integer), int_(v) {}
  Json(unsigned v) : kind_(Kind::Integer), int_(v) {}
  Json(unsigned long v) : kind_(Kind::Integer), int_(static_cast<std::int64_t>(v)) {}
  Json(unsigned long long v) : kind_(Kind::Integer), int_(static_cast<std::int64_t>(v)) {}
  // A number that is not finite is written as null.
  Json(double v) : kind_(Kind::Number), number_(v) {}
  Json(const char* v) : kind_(Kind::String), string_(v) {}
  Json(std::string v) : kind_(Kind::String), string_(std::move(v)) {}

  static Json Array() { return Json(Kind::Array); }
  static Json Object() { return Json(Kind::Object); }

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }

  // Object: sets key (replacing an earlier value of the same key). Returns *this.
  Json& Set(const std::string& key, Json value);
  // Array: appends value. Returns *this.
  Json& Push(Json value);
  // Object: the value of key, or null when absent.
  const Json& Get(const std::string& key) const;
  double AsNumber() const;
  const std::string& AsString() const { return string_; }

  // The document as text, indented by indent spaces per level (0: on one line).
  std::string Dump(int indent = 2) const;

 private:
  explicit Json(Kind kind) : kind_(kind) {}
  void Write(std::string& out, int indent, int depth) const;

  Kind kind_ = Kind::Null;
  bool bool_ = false;
  std::int64_t int_ = 0;
  double number_ = 0;
  std::string string_;
  std::vector<Json> items_;
  std::vector<std::pair<std::string, Json>> members_;
};

// text quoted as a JSON string.
std::string JsonQuote(const std::string& text);

}  // namespace radalt_bench
