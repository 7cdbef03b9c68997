#include "text/csv.h"

namespace kelvora::text {

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
    if (f.find_first_of(",\"") == std::string::npos) {
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
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = content.size();
    std::string_view line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (last) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace kelvora::text
