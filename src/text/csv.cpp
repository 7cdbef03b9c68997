#include "text/csv.h"

namespace kelvora::text {
namespace {

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// The line end at or after `from`: where it starts and where the next line
// begins (both the content's size when there is none).
struct LineEnd {
  std::size_t at;
  std::size_t next;
};

LineEnd FindLineEnd(std::string_view content, std::size_t from) {
  const std::size_t at = content.find_first_of("\r\n", from);
  if (at == std::string_view::npos) return {content.size(), content.size()};
  std::size_t next = at + 1;
  if (content[at] == '\r' && next < content.size() && content[next] == '\n') ++next;
  return {at, next};
}

// Where the record starting at `start` ends: the first line end outside quotes,
// or the content's end. Counts the line ends it passes inside quotes; nullopt
// when a quote is still open at the end of the content.
std::optional<std::size_t> RecordEnd(std::string_view content, std::size_t start,
                                     std::size_t& innerLineEnds) {
  bool fieldStart = true;
  bool quoted = false;
  std::size_t i = start;
  while (i < content.size()) {
    const char c = content[i];
    if (quoted) {
      if (c == '"') {
        const bool doubled = i + 1 < content.size() && content[i + 1] == '"';
        quoted = doubled;
        i += doubled ? 2 : 1;
      } else if (IsLineEnd(c)) {
        i = FindLineEnd(content, i).next;
        ++innerLineEnds;
      } else {
        ++i;
      }
      continue;
    }
    if (IsLineEnd(c)) return i;
    // A quote opens a quoted field only as the field's first character, as
    // SplitCsvLine reads it.
    if (c == '"' && fieldStart) quoted = true;
    fieldStart = c == ',';
    ++i;
  }
  if (quoted) return std::nullopt;
  return i;
}

}  // namespace

std::optional<std::vector<std::string>> SplitCsvLine(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (true) {
    std::string field;
    if (i < line.size() && line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          closed = true;
          ++i;
          break;
        }
        field += line[i++];
      }
      if (!closed) return std::nullopt;
      if (i < line.size() && line[i] != ',') return std::nullopt;
    } else {
      const std::size_t comma = line.find(',', i);
      const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
      field.assign(line.substr(i, end - i));
      i = end;
    }
    fields.push_back(std::move(field));
    if (i >= line.size()) break;
    ++i;  // the comma
    if (i == line.size()) {
      fields.emplace_back();
      break;
    }
  }
  return fields;
}

std::string JoinCsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) line += ',';
    const std::string& f = fields[k];
    if (f.find_first_of(",\"\r\n") == std::string::npos) {
      line += f;
      continue;
    }
    line += '"';
    for (char c : f) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line;
}

std::vector<std::string> SplitLines(std::string_view content) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < content.size();) {
    const LineEnd end = FindLineEnd(content, start);
    lines.emplace_back(content.substr(start, end.at - start));
    start = end.next;
  }
  return lines;
}

std::size_t CountLines(std::string_view content) {
  std::size_t count = 0;
  for (std::size_t start = 0; start < content.size(); start = FindLineEnd(content, start).next) {
    ++count;
  }
  return count;
}

std::vector<CsvLine> SplitCsvRecords(std::string_view content) {
  std::vector<CsvLine> records;
  std::size_t line = 1;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t innerLineEnds = 0;
    const std::optional<std::size_t> end = RecordEnd(content, start, innerLineEnds);
    if (!end) {
      const LineEnd own = FindLineEnd(content, start);
      records.push_back({std::string(content.substr(start, own.at - start)), line});
      ++line;
      start = own.next;
      continue;
    }
    records.push_back({std::string(content.substr(start, *end - start)), line});
    line += 1 + innerLineEnds;
    start = FindLineEnd(content, *end).next;
  }
  return records;
}

}  // namespace kelvora::text
