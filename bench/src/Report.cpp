#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace radalt_bench {

std::string FormatMicros(double us) {
  if (!std::isfinite(us)) return "-";
  char buf[32];
  if (us < 1000)
    std::snprintf(buf, sizeof buf, us < 100 ? "%.1f us" : "%.0f us", us);
  else if (us < 1e6)
    std::snprintf(buf, sizeof buf, us < 1e4 ? "%.2f ms" : "%.1f ms", us / 1e3);
  else
    std::snprintf(buf, sizeof buf, "%.2f s", us / 1e6);
  return buf;
}

std::string FormatRatio(double ratio) {
  if (!std::isfinite(ratio) || ratio <= 0) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, ratio < 10 ? "x%.2f" : "x%.0f", ratio);
  return buf;
}

std::string FormatCount(double value) {
  if (!std::isfinite(value)) return "-";
  const long long n = std::llround(value);
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

std::string FormatKib(long kib) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f MiB", static_cast<double>(kib) / 1024.0);
  return buf;
}

double Round(double v, int digits) {
  if (!std::isfinite(v)) return v;
  const double scale = std::pow(10.0, digits);
  return std::round(v * scale) / scale;
}

Table::Table(std::string title, std::vector<std::string> headings)
    : title_(std::move(title)), headings_(std::move(headings)) {}

void Table::AddRow(std::vector<std::string> cells) {
  cells.resize(headings_.size());
  lines_.push_back({std::move(cells), ""});
}

void Table::AddSkipped(const std::string& label, const std::string& reason) {
  lines_.push_back({{label}, "skipped: " + reason});
}

void Table::AddNote(const std::string& note) { notes_.push_back(note); }

std::string Table::Render() const {
  std::vector<std::size_t> width(headings_.size(), 0);
  for (std::size_t c = 0; c < headings_.size(); ++c) width[c] = headings_[c].size();
  for (const auto& line : lines_)
    for (std::size_t c = 0; c < line.cells.size() && c < width.size(); ++c)
      if (line.span.empty() || c == 0) width[c] = std::max(width[c], line.cells[c].size());

  std::ostringstream out;
  auto cell = [&](std::ostream& o, const std::string& text, std::size_t c) {
    const std::size_t pad = width[c] > text.size() ? width[c] - text.size() : 0;
    if (c == 0)
      o << text << std::string(pad, ' ');
    else
      o << "  " << std::string(pad, ' ') << text;
  };
  out << title_ << "\n";
  std::ostringstream head;
  for (std::size_t c = 0; c < headings_.size(); ++c) cell(head, headings_[c], c);
  const std::string headText = head.str();
  out << "  " << headText << "\n  " << std::string(headText.size(), '-') << "\n";
  for (const auto& line : lines_) {
    out << "  ";
    if (!line.span.empty()) {
      cell(out, line.cells[0], 0);
      out << "  " << line.span << "\n";
      continue;
    }
    for (std::size_t c = 0; c < headings_.size(); ++c) cell(out, line.cells[c], c);
    out << "\n";
  }
  for (const auto& n : notes_) out << "  note: " << n << "\n";
  return out.str();
}

Report::Report() : root_(Json::Object()) {}

Table& Report::Section(const std::string& title, const std::vector<std::string>& headings) {
  for (auto& t : tables_)
    if (t.Title() == title) return t;
  tables_.emplace_back(title, headings);
  return tables_.back();
}

std::string Report::RenderTables() const {
  // Sections print in the order of their numbers, whatever order they were measured in.
  std::vector<const Table*> order;
  for (const auto& t : tables_) order.push_back(&t);
  auto number = [](const Table* t) { return std::atoi(t->Title().c_str()); };
  std::stable_sort(order.begin(), order.end(), [&](const Table* a, const Table* b) { return number(a) < number(b); });
  std::string out;
  for (const Table* t : order) out += t->Render() + "\n";
  return out;
}

Json SkippedRow(const std::string& label, const std::string& reason,
                const std::vector<std::string>& figureKeys) {
  Json row = Json::Object();
  row.Set("label", label);
  for (const auto& k : figureKeys) row.Set(k, nullptr);
  row.Set("skipped", reason);
  return row;
}

}  // namespace radalt_bench
