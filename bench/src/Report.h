// The bench's result: one table per section for people, one JSON document for programs.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "Json.h"

namespace radalt_bench {

// "48.2 us", "1.23 ms", "2.41 s": a duration given in microseconds.
std::string FormatMicros(double us);
// "x1.9" (a ratio), "-" when it cannot be formed.
std::string FormatRatio(double ratio);
// "12,345": a count with thousands separators.
std::string FormatCount(double value);
// "52.3 MiB" from kibibytes.
std::string FormatKib(long kib);
// v rounded to digits after the decimal point (for the JSON figures).
double Round(double v, int digits);

// A section of the printed table: a title, column headings, rows of cells and notes.
class Table {
 public:
  Table(std::string title, std::vector<std::string> headings);
  void AddRow(std::vector<std::string> cells);
  // A row whose figures could not be measured: the label, then the reason across the row.
  void AddSkipped(const std::string& label, const std::string& reason);
  void AddNote(const std::string& note);
  const std::string& Title() const { return title_; }
  std::string Render() const;

 private:
  struct Line {
    std::vector<std::string> cells;
    std::string span;  // a skipped row's text after the label
  };
  std::string title_;
  std::vector<std::string> headings_;
  std::vector<Line> lines_;
  std::vector<std::string> notes_;
};

class Report {
 public:
  Report();
  // The section's table (created on first use, kept in order of creation).
  Table& Section(const std::string& title, const std::vector<std::string>& headings);
  // The JSON object of a section ("floor", "writes", ...), created on first use.
  Json& Data() { return root_; }
  std::string RenderTables() const;

 private:
  std::deque<Table> tables_;  // a deque keeps the references Section hands out
  Json root_;
};

// The JSON of a row whose figures are absent: every figure null, and why.
Json SkippedRow(const std::string& label, const std::string& reason,
                const std::vector<std::string>& figureKeys);

}  // namespace radalt_bench
