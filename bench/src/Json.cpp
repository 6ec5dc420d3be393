#include "Json.h"

#include "JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace radalt_bench {

Json& Json::Set(const std::string& key, Json value) {
  for (auto& m : members_) {
    if (m.first == key) {
      m.second = std::move(value);
      return *this;
    }
  }
  members_.emplace_back(key, std::move(value));
  return *this;
}

Json& Json::Push(Json value) {
  items_.push_back(std::move(value));
  return *this;
}

const Json& Json::Get(const std::string& key) const {
  static const Json null;
  for (const auto& m : members_)
    if (m.first == key) return m.second;
  return null;
}

double Json::AsNumber() const {
  if (kind_ == Kind::Integer) return static_cast<double>(int_);
  if (kind_ == Kind::Number) return number_;
  return NAN;
}

std::string JsonQuote(const std::string& text) { return radalt::JsonQuote(text); }

std::string Json::Dump(int indent) const {
  std::string out;
  Write(out, indent, 0);
  if (indent > 0) out += "\n";
  return out;
}

void Json::Write(std::string& out, int indent, int depth) const {
  auto newline = [&](int level) {
    if (indent <= 0) return;
    out += "\n";
    out.append(static_cast<std::size_t>(indent * level), ' ');
  };
  switch (kind_) {
    case Kind::Null:
      out += "null";
      break;
    case Kind::Bool:
      out += bool_ ? "true" : "false";
      break;
    case Kind::Integer:
      out += std::to_string(int_);
      break;
    case Kind::Number: {
      if (!std::isfinite(number_)) {
        out += "null";
        break;
      }
      char buf[32];
      auto res = std::to_chars(buf, buf + sizeof buf, number_);
      out.append(buf, res.ptr);
      break;
    }
    case Kind::String:
      out += JsonQuote(string_);
      break;
    case Kind::Array:
      out += "[";
      for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i) out += ",";
        newline(depth + 1);
        items_[i].Write(out, indent, depth + 1);
      }
      if (!items_.empty()) newline(depth);
      out += "]";
      break;
    case Kind::Object:
      out += "{";
      for (std::size_t i = 0; i < members_.size(); ++i) {
        if (i) out += ",";
        newline(depth + 1);
        out += JsonQuote(members_[i].first);
        out += indent > 0 ? ": " : ":";
        members_[i].second.Write(out, indent, depth + 1);
      }
      if (!members_.empty()) newline(depth);
      out += "}";
      break;
  }
}

}  // namespace radalt_bench
