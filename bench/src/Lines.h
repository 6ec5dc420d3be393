// What the bench's helper programs hand back to the driver, as text.
#pragma once

#include <cmath>
#include <map>
#include <string>

namespace radalt_bench {

// One throughput client's result, on one line:
//   writes=N refused=N p50_us=X p99_us=X error=TEXT   (TEXT may hold blanks; it ends the line)
struct ClientResult {
  long writes = 0;
  long refused = 0;
  double p50 = NAN;
  double p99 = NAN;
  std::string error;
};
std::string FormatClientResult(const ClientResult& r);
// The last result line in text (a client's whole output); error says so when there is none.
ClientResult ParseClientResult(const std::string& text);

// "key=value" lines (a value may hold '=' and blanks, not a line break).
std::string FormatKeyValues(const std::map<std::string, std::string>& values);
std::map<std::string, std::string> ParseKeyValues(const std::string& text);
// The members of a one-line JSON object whose values are numbers, strings, booleans or null
// (as the peer clients print them): strings unquoted, null as an empty text. The last such
// line of text counts; an empty map when there is none.
std::map<std::string, std::string> ParseJsonLine(const std::string& text);

// The number under key; NaN when it is absent or no number.
double NumberOf(const std::map<std::string, std::string>& values, const std::string& key);

}  // namespace radalt_bench
