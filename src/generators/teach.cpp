#include "generators/teach.h"

#include <cmath>
#include <optional>

#include "generators/program_writer.h"
#include "text/csv.h"
#include "text/encodings.h"
#include "text/files.h"
#include "text/parse.h"

namespace kelvora::generators {
namespace {

constexpr std::array<std::string_view, kTeachCellCount> kWordLetters = {"X", "Y", "Z", "A",
                                                                        "B", "C", "F"};
constexpr std::size_t kFeedCell = 6;

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// What the control holds in force between the program's lines, as far as feed
// moves go: the motion mode (-1: none) and whether a feed above 0 is set.
struct FeedState {
  int motion = -1;
  bool feed = false;
};

// Motion modes that move at the feed: G1, G2, G3 and the drilling cycles.
bool FeedMotion(int mode) {
  return mode == 1 || mode == 2 || mode == 3 || mode == 73 || (mode >= 81 && mode <= 89);
}

// Follows one line of program text: its G and F words, comments left out.
// False when the line moves (holds an axis or arc word) in a feed motion with
// no feed above 0 in force, not even one set on the line itself.
bool FollowLine(std::string_view line, FeedState& state) {
  bool moves = false;
  int motion = state.motion;
  std::optional<bool> feed;
  for (std::size_t i = 0; i < line.size();) {
    const char c = line[i];
    if (c == ';') break;
    if (c == '(') {
      const std::size_t close = line.find(')', i);
      if (close == std::string_view::npos) break;
      i = close + 1;
      continue;
    }
    if (!IsLetter(c)) {
      ++i;
      continue;
    }
    const char letter = Upper(c);
    std::size_t j = i + 1;
    while (j < line.size() && line[j] == ' ') ++j;
    const std::size_t start = j;
    if (j < line.size() && (line[j] == '+' || line[j] == '-')) ++j;
    while (j < line.size() && ((line[j] >= '0' && line[j] <= '9') || line[j] == '.')) ++j;
    const auto value = text::ParseDouble(line.substr(start, j - start));
    i = j > start ? j : i + 1;
    if (!value) continue;
    if (letter == 'G') {
      const double g = *value;
      if (g == 0 || g == 1 || g == 2 || g == 3 || g == 73 ||
          (g >= 81 && g <= 89 && g == std::floor(g))) {
        motion = static_cast<int>(g);
      } else if (g == 80) {
        motion = -1;
      }
    } else if (letter == 'F') {
      feed = *value > 0;
    } else if (std::string_view("XYZABCUVWIJKR").find(letter) != std::string_view::npos) {
      moves = true;
    }
  }
  state.motion = motion;
  if (feed) state.feed = *feed;
  return !(moves && FeedMotion(motion) && !state.feed);
}

// Follows a block of one or more lines; false when one of them moves at a feed
// with none in force.
bool FollowBlock(std::string_view block, FeedState& state) {
  bool sound = true;
  while (!block.empty()) {
    const std::size_t end = block.find_first_of("\r\n");
    sound = FollowLine(block.substr(0, end), state) && sound;
    if (end == std::string_view::npos) break;
    block.remove_prefix(end + 1);
  }
  return sound;
}

}  // namespace

std::string DefaultTeachDefinition(std::size_t number) {
  const std::string n = std::to_string(number);
  return "Op" + n + "*Op" + n + "Val";
}

std::pair<std::string, std::string> SplitTeachDefinition(std::string_view definition) {
  const std::size_t star = definition.find('*');
  if (star == std::string_view::npos) return {std::string(definition), std::string()};
  const std::string_view rest = definition.substr(star + 1);
  return {std::string(definition.substr(0, star)), std::string(rest.substr(0, rest.find('*')))};
}

const std::string* TeachOpLists::ValueOf(std::string_view name) const {
  for (const auto& [n, v] : Oplist) {
    if (n == name) return &v;
  }
  return nullptr;
}

int TeachOpLists::PositionOf(std::string_view name) const {
  for (std::size_t i = 0; i < tempOpList.size(); ++i) {
    if (tempOpList[i] == name) return static_cast<int>(i);
  }
  return -1;
}

TeachOpLists updateTchGrid(TeachDefinitions& definitions) {
  TeachOpLists lists;
  lists.Oplist.reserve(kTeachOperationCount);
  lists.tempOpList.reserve(kTeachOperationCount);
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    if (definitions[i].empty()) definitions[i] = DefaultTeachDefinition(i + 1);
    auto op = SplitTeachDefinition(definitions[i]);
    lists.tempOpList.push_back(op.first);
    lists.Oplist.push_back(std::move(op));
  }
  return lists;
}

void UpdateTeachDefinition(TeachDefinitions& definitions, std::optional<std::size_t> selected,
                           std::string_view name, std::string_view value) {
  if (!selected || *selected >= definitions.size()) return;
  std::string& d = definitions[*selected];
  d.assign(name);
  d += '*';
  d += value;
}

TeachCsvContent LoadTchCsv(std::string_view content, const TeachOpLists& lists) {
  TeachCsvContent out;
  const std::vector<text::CsvLine> lines = text::SplitCsvRecords(text::WithoutUtf8Bom(content));
  // Marks the non-empty lines after `from` (0-based) as not read.
  auto ignoreAfter = [&](std::size_t from) {
    for (std::size_t k = from + 1; k < lines.size(); ++k) {
      if (lines[k].text.empty()) continue;
      if (out.report.ignoredFirst == 0) out.report.ignoredFirst = static_cast<int>(lines[k].line);
      out.report.ignoredLast = static_cast<int>(lines[k].line);
    }
  };
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const int lineNumber = static_cast<int>(lines[i].line);
    if (lines[i].text.empty()) {
      ignoreAfter(i);
      if (out.report.ignoredFirst != 0) out.report.emptyLine = lineNumber;
      break;
    }
    const auto fields = text::SplitCsvLine(lines[i].text);
    if (!fields || fields->size() < 1 + kTeachCellCount) {
      out.report.skipped.push_back(lineNumber);
      continue;
    }
    const auto position = text::ParseInt32((*fields)[0]);
    if (!position || *position < 0 ||
        static_cast<std::size_t>(*position) >= lists.tempOpList.size()) {
      out.report.stoppedAt = lineNumber;
      break;
    }
    TeachRow row;
    row.operation = lists.tempOpList[static_cast<std::size_t>(*position)];
    for (std::size_t c = 0; c < kTeachCellCount; ++c) row.cells[c] = (*fields)[c + 1];
    out.rows.push_back(std::move(row));
    out.rowLines.push_back(lines[i].line);
  }
  return out;
}

Outcome<TeachCsvContent> LoadTchCsvFile(std::string_view path, const TeachOpLists& lists) {
  const std::string_view trimmed = text::TrimBlanks(path);
  if (trimmed.empty()) return Failure{"Please select csv file", {}};
  const auto bytes = text::ReadFileBytes(text::PathFromUtf8(trimmed));
  if (!bytes) return Failure{"Cannot read the file", std::string(trimmed)};
  return LoadTchCsv(*bytes, lists);
}

std::string WriteTchCsv(const std::vector<TeachRow>& rows, const TeachOpLists& lists) {
  std::string file(kTeachCsvHeader);
  file += kLineEnd;
  for (const TeachRow& r : rows) {
    if (r.operation.empty()) continue;
    std::vector<std::string> fields;
    fields.reserve(1 + kTeachCellCount);
    fields.push_back(std::to_string(lists.PositionOf(r.operation)));
    fields.insert(fields.end(), r.cells.begin(), r.cells.end());
    file += text::JoinCsvLine(fields);
    file += kLineEnd;
  }
  return file;
}

std::string TeachRowLeftOut(std::size_t rowNumber, std::string_view operation) {
  const std::string row = "Row " + std::to_string(rowNumber) + " left out: ";
  if (operation.empty()) return row + "it has no operation";
  return row + "the operation \"" + std::string(operation) + "\" is not defined";
}

namespace {

// The rotary columns the control has no axis for and that hold 0 on every
// motion row (or nothing): they write no word.
std::array<bool, kTeachCellCount> ColumnsLeftOut(const std::vector<TeachRow>& rows,
                                                 const TeachOpLists& lists,
                                                 const text::DialectRules& control) {
  std::array<bool, kTeachCellCount> leftOut{};
  constexpr std::size_t kFirstRotary = 3;  // A, B, C
  for (std::size_t c = kFirstRotary; c < kFirstRotary + 3; ++c) {
    const char letter = kWordLetters[c][0];
    const bool reads = (letter != 'A' || control.aAxis) && text::AcceptsWord(control, letter, 0.0);
    if (reads || lists.tempOpList.empty()) continue;
    leftOut[c] = true;
    for (const TeachRow& row : rows) {
      if (row.operation != lists.MotionName() || row.cells[c].empty()) continue;
      const std::optional<double> value = text::ParseDouble(row.cells[c]);
      if (!value || *value != 0.0) {
        leftOut[c] = false;
        break;
      }
    }
  }
  return leftOut;
}

}  // namespace

Outcome<TeachProgram> BuildTeachProgram(std::string_view prefix, std::string_view suffix,
                                        const std::vector<TeachRow>& rows,
                                        const TeachOpLists& lists,
                                        const text::DialectRules& control) {
  const std::array<bool, kTeachCellCount> leftOut = ColumnsLeftOut(rows, lists, control);
  TeachProgram out;
  std::string& p = out.text;
  p += prefix;
  p += kLineEnd;
  bool feedGiven = false;
  // The prefix may set the feed and the motion; a row that then moves at a feed
  // with none in force is refused, as a control refuses it.
  FeedState state;
  FollowBlock(prefix, state);
  std::string line;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TeachRow& row = rows[i];
    const std::string* value = row.operation.empty() ? nullptr : lists.ValueOf(row.operation);
    if (value == nullptr) {
      out.reports.push_back(TeachRowLeftOut(i + 1, row.operation));
      continue;
    }
    line = *value;
    if (!lists.tempOpList.empty() && row.operation == lists.MotionName()) {
      for (std::size_t c = 0; c < kTeachCellCount; ++c) {
        if (row.cells[c].empty() || leftOut[c]) continue;
        if (row.cells[c].find(',') != std::string::npos)
          return Failure{DataLineWrong(i + 1), {}, i};
        if (c == kFeedCell) {
          // A feed of 0 or below is no feed.
          const auto feed = text::ParseDouble(row.cells[c]);
          if (feed && !(*feed > 0)) return Failure{DataLineWrong(i + 1), {}, i};
          feedGiven = true;
        }
        line += kWordLetters[c];
        line += row.cells[c];
      }
    }
    if (!FollowBlock(line, state)) return Failure{DataLineWrong(i + 1), {}, i};
    p += line;
    p += kLineEnd;
  }
  if (!feedGiven) out.reports.emplace_back(kNoFeedrate);
  p += suffix;
  p += kLineEnd;
  return out;
}

TeachDefinitions ReadTeachDefinitions(const TextLookup& texts) {
  TeachDefinitions defs;
  for (std::size_t i = 0; i < defs.size(); ++i) defs[i] = texts("tchOp" + std::to_string(i + 1));
  return defs;
}

}  // namespace kelvora::generators
