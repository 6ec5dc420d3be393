#include "Lines.h"

#include <cstdio>
#include <sstream>

namespace radalt_bench {

std::string FormatClientResult(const ClientResult& r) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "writes=%ld refused=%ld p50_us=%.2f p99_us=%.2f error=", r.writes, r.refused,
                r.p50, r.p99);
  std::string error = r.error;
  for (char& c : error)
    if (c == '\n' || c == '\r') c = ' ';
  return buf + error;
}

ClientResult ParseClientResult(const std::string& text) {
  ClientResult r;
  const auto at = text.rfind("writes=");
  if (at == std::string::npos) {
    r.error = "no result line";
    return r;
  }
  const auto end = text.find('\n', at);
  const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  const auto errorAt = line.find(" error=");
  if (errorAt != std::string::npos) r.error = line.substr(errorAt + 7);
  std::istringstream in(line.substr(0, errorAt));
  std::string field;
  try {
    while (in >> field) {
      const auto eq = field.find('=');
      if (eq == std::string::npos) continue;
      const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
      if (key == "writes") r.writes = std::stol(value);
      else if (key == "refused") r.refused = std::stol(value);
      else if (key == "p50_us") r.p50 = std::stod(value);
      else if (key == "p99_us") r.p99 = std::stod(value);
    }
  } catch (const std::exception&) {
    if (r.error.empty()) r.error = "unreadable result line: " + line;
  }
  return r;
}

std::string FormatKeyValues(const std::map<std::string, std::string>& values) {
  std::string out;
  for (const auto& [key, value] : values) out += key + "=" + value + "\n";
  return out;
}

std::map<std::string, std::string> ParseKeyValues(const std::string& text) {
  std::map<std::string, std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos && eq > 0) out[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return out;
}

double NumberOf(const std::map<std::string, std::string>& values, const std::string& key) {
  auto it = values.find(key);
  if (it == values.end()) return NAN;
  try {
    std::size_t used = 0;
    const double v = std::stod(it->second, &used);
    return used == it->second.size() ? v : NAN;
  } catch (const std::exception&) {
    return NAN;
  }
}

namespace {

// A JSON string starting at text[at] (a quote); at moves past its closing quote.
bool ReadJsonString(const std::string& text, std::size_t& at, std::string& out) {
  if (at >= text.size() || text[at] != '"') return false;
  out.clear();
  for (++at; at < text.size(); ++at) {
    char c = text[at];
    if (c == '"') {
      ++at;
      return true;
    }
    if (c == '\\' && at + 1 < text.size()) {
      c = text[++at];
      switch (c) {
        case 'n': c = '\n'; break;
        case 't': c = '\t'; break;
        case 'r': c = '\r'; break;
        case 'u': c = '?'; at += 4; break;  // the peers print no such characters
        default: break;
      }
    }
    out += c;
  }
  return false;
}

bool ParseOneJsonLine(const std::string& line, std::map<std::string, std::string>& out) {
  std::size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '{') return false;
  auto skip = [&] {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  };
  ++at;
  skip();
  if (at < line.size() && line[at] == '}') return true;
  while (at < line.size()) {
    std::string key, value;
    if (!ReadJsonString(line, at, key)) return false;
    skip();
    if (at >= line.size() || line[at] != ':') return false;
    ++at;
    skip();
    if (at < line.size() && line[at] == '"') {
      if (!ReadJsonString(line, at, value)) return false;
    } else {
      const std::size_t end = line.find_first_of(",} \t", at);
      if (end == std::string::npos) return false;
      value = line.substr(at, end - at);
      if (value.empty()) return false;
      if (value == "null") value.clear();
      at = end;
    }
    out[key] = value;
    skip();
    if (at < line.size() && line[at] == '}') return true;
    if (at >= line.size() || line[at] != ',') return false;
    ++at;
    skip();
  }
  return false;
}

}  // namespace

std::map<std::string, std::string> ParseJsonLine(const std::string& text) {
  std::map<std::string, std::string> last;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::map<std::string, std::string> members;
    if (ParseOneJsonLine(line, members)) last = std::move(members);
  }
  return last;
}

}  // namespace radalt_bench
