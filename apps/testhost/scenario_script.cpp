#include "scenario.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <sstream>
#include <utility>

namespace kelvora::testhost {

namespace {

// What "\" followed by the letter stands for in a quoted word; elsewhere "\"
// stands for itself, so Windows paths are written as they are.
constexpr std::pair<char, char> kEscapes[] = {
    {'r', '\r'}, {'n', '\n'}, {'t', '\t'}, {'"', '"'}, {'\\', '\\'}};

const std::pair<char, char>* EscapeOf(char letter) {
  for (const auto& escape : kEscapes) {
    if (escape.first == letter) return &escape;
  }
  return nullptr;
}

}  // namespace

Outcome<std::vector<Step>> ParseScenario(const std::string& script) {
  std::vector<Step> steps;
  std::istringstream lines(script);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Step step{number, {}};
    std::size_t i = 0;
    while (i < line.size()) {
      if (line[i] == ' ' || line[i] == '\t') {
        ++i;
        continue;
      }
      if (line[i] == '#' && step.words.empty()) break;
      std::string word;
      if (line[i] == '"') {
        ++i;
        bool closed = false;
        while (i < line.size()) {
          char c = line[i++];
          if (c == '"') {
            closed = true;
            break;
          }
          if (c != '\\') {
            word += c;
            continue;
          }
          const auto* escape = EscapeOf(i < line.size() ? line[i] : '\0');
          if (escape == nullptr) {
            word += '\\';
            continue;
          }
          word += escape->second;
          ++i;
        }
        if (!closed) return Failure{"unclosed quote", std::to_string(number)};
      } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
      }
      step.words.push_back(std::move(word));
    }
    if (!step.words.empty()) steps.push_back(std::move(step));
  }
  return steps;
}

// Shows texts quoted, with their control characters and quotes escaped as a
// scenario writes them; a backslash is shown as it is.
std::string Shown(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                      [c](const auto& e) { return e.second == c; });
    if (c != '\\' && escape != std::end(kEscapes)) {
      out += '\\';
      out += escape->first;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string ShownBytes(const std::optional<std::string>& bytes) {
  if (!bytes) return "(no file)";
  if (bytes->size() > 400)
    return Shown(bytes->substr(0, 400)) + "… (" + std::to_string(bytes->size()) + " bytes)";
  return Shown(*bytes);
}

// Where two texts first differ, for a short failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t i = 0;
  while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
  auto around = [i](const std::string& text) {
    std::size_t from = i > 20 ? i - 20 : 0;
    return Shown(text.substr(from, 60));
  };
  return "first difference at byte " + std::to_string(i) + ": expected …" + around(expected) +
         ", got …" + around(actual) + " (" + std::to_string(expected.size()) + " and " +
         std::to_string(actual.size()) + " bytes)";
}

std::optional<long> ParseWhole(const std::string& text) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(const std::string& text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::filesystem::path> ParseHostArguments(int argc, char** argv,
                                                        RunOptions& options) {
  std::string scenario;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--plugin" || arg == "--data" || arg == "--work") && i + 1 < argc) {
      std::string value = argv[++i];
      if (arg == "--plugin") options.library = value;
      if (arg == "--data") options.data = value;
      if (arg == "--work") options.work = value;
    } else if (scenario.empty() && arg.rfind("--", 0) != 0) {
      scenario = arg;
    } else {
      return std::nullopt;
    }
  }
  if (scenario.empty() || options.library.empty() || options.work.empty()) return std::nullopt;
  return std::filesystem::path(scenario);
}

}  // namespace kelvora::testhost
