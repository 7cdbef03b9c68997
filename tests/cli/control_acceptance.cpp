#include "cli/control_acceptance.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>

namespace kelvora::acceptance {
namespace {

// GRBL reads a line into an 80-byte buffer that also holds its end: at most 79
// characters; grblHAL's buffer is larger.
constexpr std::size_t kGrblLineLength = 79;
constexpr std::size_t kGrblHalLineLength = 256;

constexpr double kMillimetresPerInch = 25.4;

// The arc end radius check: a difference up to 0.005 mm always passes; above
// it, one over 0.5 mm or over 0.1 % of the radius is refused.
constexpr double kArcSmallDifference = 0.005;
constexpr double kArcLargeDifference = 0.5;
constexpr double kArcRelativeDifference = 0.001;

enum class Group {
  kNonModal,
  kMotion,
  kPlane,
  kDistance,
  kArcDistance,
  kFeedMode,
  kUnits,
  kCutterComp,
  kToolLength,
  kCoordSystem,
  kControlMode,
  kReturnMode,
  kStop,
  kSpindle,
  kCoolant,
  kToolChange,
  kOverride,
};

struct Code {
  int hundredths;  // G38.2 is 3820
  Group group;
  bool halOnly;
};

// GRBL 1.1's G codes with their modal groups, and what grblHAL adds.
constexpr Code kGCodes[] = {
    {0, Group::kMotion, false},
    {100, Group::kMotion, false},
    {200, Group::kMotion, false},
    {300, Group::kMotion, false},
    {400, Group::kNonModal, false},
    {1000, Group::kNonModal, false},
    {1700, Group::kPlane, false},
    {1800, Group::kPlane, false},
    {1900, Group::kPlane, false},
    {2000, Group::kUnits, false},
    {2100, Group::kUnits, false},
    {2800, Group::kNonModal, false},
    {2810, Group::kNonModal, false},
    {3000, Group::kNonModal, false},
    {3010, Group::kNonModal, false},
    {3820, Group::kMotion, false},
    {3830, Group::kMotion, false},
    {3840, Group::kMotion, false},
    {3850, Group::kMotion, false},
    {4000, Group::kCutterComp, false},
    {4310, Group::kToolLength, false},
    {4900, Group::kToolLength, false},
    {5300, Group::kNonModal, false},
    {5400, Group::kCoordSystem, false},
    {5500, Group::kCoordSystem, false},
    {5600, Group::kCoordSystem, false},
    {5700, Group::kCoordSystem, false},
    {5800, Group::kCoordSystem, false},
    {5900, Group::kCoordSystem, false},
    {6100, Group::kControlMode, false},
    {8000, Group::kMotion, false},
    {9000, Group::kDistance, false},
    {9100, Group::kDistance, false},
    {9110, Group::kArcDistance, false},
    {9200, Group::kNonModal, false},
    {9210, Group::kNonModal, false},
    {9300, Group::kFeedMode, false},
    {9400, Group::kFeedMode, false},
    // grblHAL: drilling cycles and their retract modes, G43 with a tool table.
    {4300, Group::kToolLength, true},
    {7300, Group::kMotion, true},
    {8100, Group::kMotion, true},
    {8200, Group::kMotion, true},
    {8300, Group::kMotion, true},
    {8500, Group::kMotion, true},
    {8600, Group::kMotion, true},
    {8900, Group::kMotion, true},
    {9800, Group::kReturnMode, true},
    {9900, Group::kReturnMode, true},
};

constexpr Code kMCodes[] = {
    {0, Group::kStop, false},
    {100, Group::kStop, false},
    {200, Group::kStop, false},
    {3000, Group::kStop, false},
    {300, Group::kSpindle, false},
    {400, Group::kSpindle, false},
    {500, Group::kSpindle, false},
    {700, Group::kCoolant, false},
    {800, Group::kCoolant, false},
    {900, Group::kCoolant, false},
    // grblHAL: the tool change and the override control.
    {600, Group::kToolChange, true},
    {5600, Group::kOverride, true},
};

std::optional<Group> GroupOf(const Code* begin, const Code* end, int hundredths, Flavour flavour) {
  for (const Code* c = begin; c != end; ++c) {
    if (c->hundredths == hundredths && (!c->halOnly || flavour == Flavour::kGrblHal)) {
      return c->group;
    }
  }
  return std::nullopt;
}

bool IsCycle(int motion) {
  return motion == 7300 || (motion >= 8100 && motion <= 8900 && motion != 8000);
}

bool IsArc(int motion) {
  return motion == 200 || motion == 300;
}

// The axes the control moves, in the order of its position.
constexpr std::array<char, 6> kAxes = {'X', 'Y', 'Z', 'A', 'B', 'C'};

bool IsLinearAxis(int axis) {
  return axis >= 0 && axis < 3;
}

std::string Number(double value) {
  std::string text = std::to_string(value);
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// Pieces put together by appending: GCC 12 at -O3 warns falsely (-Wrestrict)
// on a literal added in front of a temporary string.
std::string Cat(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) text.append(piece);
  return text;
}

std::string CodeText(char letter, int hundredths) {
  std::string text = std::string(1, letter) + std::to_string(hundredths / 100);
  const int fraction = std::abs(hundredths % 100);
  if (fraction != 0) {
    text += '.';
    text += std::to_string(fraction / 10);
    if (fraction % 10 != 0) text += std::to_string(fraction % 10);
  }
  return text;
}

// What the control keeps from line to line.
struct State {
  int motion = 0;  // G0 after power-up
  int plane = 1700;
  bool incremental = false;
  bool inch = false;
  bool inverseTime = false;
  int coordSystem = 5400;
  double feed = 0;                                           // 0: not set
  std::array<std::optional<double>, kAxes.size()> position;  // millimetres, degrees
};

// One line's words after the control's own clean-up: blanks and control
// characters dropped, comments removed, letters in upper case.
struct Block {
  std::map<Group, int> g;  // the G code of each group
  std::map<Group, int> m;
  bool explicitMotion = false;    // a motion G word is on the line
  std::map<char, double> values;  // every other letter
  bool Has(char letter) const { return values.count(letter) != 0; }
};

// The first byte of the line the control takes out of the stream as a
// real-time command: any byte from 0x80 up, wherever it stands (overrides,
// safety door, jog cancel), and '?', '!' and '~' outside comments (status,
// feed hold, cycle start). Nothing when the line holds none.
std::optional<std::string> RealTimeByte(std::string_view line) {
  bool inParentheses = false;
  bool inComment = false;  // after ';'
  for (const char c : line) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
      char text[48];
      std::snprintf(text, sizeof text, "byte 0x%02X is a real-time command", u);
      return std::string(text);
    }
    if (inComment) continue;
    if (inParentheses) {
      inParentheses = c != ')';
      continue;
    }
    if (c == '(') inParentheses = true;
    if (c == ';') inComment = true;
    if (c == '?' || c == '!' || c == '~') {
      return Cat({"'", std::string(1, c), "' is a real-time command"});
    }
  }
  return std::nullopt;
}

std::string Cleaned(std::string_view line) {
  std::string out;
  bool inParentheses = false;
  for (const char c : line) {
    if (inParentheses) {
      if (c == ')') inParentheses = false;
      continue;
    }
    const auto u = static_cast<unsigned char>(c);
    if (u <= ' ' || c == '/') continue;  // blanks, control characters, block delete
    if (c == '(') {
      inParentheses = true;
      continue;
    }
    if (c == ';') break;
    out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return out;
}

// A number as the control reads it: a sign, digits and one decimal point, at
// least one digit; no exponent.
std::optional<double> ReadNumber(const std::string& text, std::size_t& at) {
  const std::size_t start = at;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  bool digits = false;
  bool point = false;
  while (at < text.size()) {
    const char c = text[at];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    ++at;
  }
  if (!digits) return std::nullopt;
  return std::strtod(text.substr(start, at - start).c_str(), nullptr);
}

struct Reader {
  Flavour flavour;
  State state;

  std::string_view Letters() const {
    return flavour == Flavour::kGrbl ? "FGIJKLMNPRSTXYZ" : "ABCFGIJKLMNPQRSTXYZ";
  }

  std::optional<Refusal> Parse(int line, const std::string& text, Block& block) const {
    auto refuse = [line](Why why, std::string reason) {
      return std::optional<Refusal>(Refusal{line, why, std::move(reason)});
    };
    std::size_t at = 0;
    while (at < text.size()) {
      const char letter = text[at];
      if (letter < 'A' || letter > 'Z') {
        return refuse(Why::kNotAWord,
                      Cat({"'", std::string(1, letter), "' where a letter belongs"}));
      }
      ++at;
      const auto value = ReadNumber(text, at);
      if (!value) return refuse(Why::kNotAWord, std::string(1, letter) + " without a number");
      if (Letters().find(letter) == std::string_view::npos) {
        return refuse(Why::kLetter, Cat({"the letter ", std::string(1, letter), " is not read"}));
      }
      if (letter == 'G' || letter == 'M') {
        const double scaled = *value * 100;
        const auto hundredths = static_cast<int>(std::lround(scaled));
        const bool whole = std::fabs(scaled - hundredths) < 1e-6 && std::fabs(scaled) < 1e7;
        const bool isG = letter == 'G';
        const auto group =
            !whole ? std::nullopt
            : isG  ? GroupOf(std::begin(kGCodes), std::end(kGCodes), hundredths, flavour)
                   : GroupOf(std::begin(kMCodes), std::end(kMCodes), hundredths, flavour);
        const std::string word =
            whole ? CodeText(letter, hundredths) : std::string(1, letter) + Number(*value);
        if (!group) {
          return refuse(isG ? Why::kGCode : Why::kMCode, word + " is not a code this control runs");
        }
        auto& codes = isG ? block.g : block.m;
        if (codes.count(*group) != 0) {
          return refuse(Why::kModalGroup, word + " and " + CodeText(letter, codes[*group]) +
                                              " are of one modal group");
        }
        codes[*group] = hundredths;
        if (isG && *group == Group::kMotion && hundredths != 8000) block.explicitMotion = true;
        continue;
      }
      if (block.Has(letter)) {
        return refuse(Why::kRepeatedWord, Cat({"the letter ", std::string(1, letter), " twice"}));
      }
      if (*value < 0 && std::string_view("FNPST").find(letter) != std::string_view::npos) {
        return refuse(Why::kNegativeValue,
                      std::string(1, letter) + Number(*value) + " is below zero");
      }
      block.values[letter] = *value;
    }
    return std::nullopt;
  }

  // The block's length word in millimetres.
  double Length(const Block& block, char letter, bool inch) const {
    const double v = block.values.at(letter);
    return inch ? v * kMillimetresPerInch : v;
  }

  // Checks the block against the state; nothing when the control runs it.
  std::optional<Refusal> Check(int line, const Block& block) const {
    auto refuse = [line](Why why, std::string reason) {
      return std::optional<Refusal>(Refusal{line, why, std::move(reason)});
    };
    const auto modal = [&](Group group, int current) {
      const auto it = block.g.find(group);
      return it == block.g.end() ? current : it->second;
    };
    const int motion = modal(Group::kMotion, state.motion);
    const int plane = modal(Group::kPlane, state.plane);
    const bool incremental = modal(Group::kDistance, state.incremental ? 9100 : 9000) == 9100;
    const bool inch = modal(Group::kUnits, state.inch ? 2000 : 2100) == 2000;
    const bool inverseTime = modal(Group::kFeedMode, state.inverseTime ? 9300 : 9400) == 9300;
    const int nonModal = modal(Group::kNonModal, -1);

    bool axisWords = false;
    for (const char axis : kAxes) axisWords = axisWords || block.Has(axis);

    std::set<char> used;
    if (nonModal == 400) {
      if (!block.Has('P')) return refuse(Why::kDwellWithoutP, "G4 without P");
      used.insert('P');
    }
    const bool nonModalAxes =
        nonModal == 1000 || nonModal == 2800 || nonModal == 3000 || nonModal == 9200;
    if (nonModalAxes && block.explicitMotion) {
      return refuse(Why::kAxisConflict,
                    CodeText('G', nonModal) + " and a motion code both take the axis words");
    }
    if (nonModal == 1000) used.insert({'L', 'P'});
    if (nonModal == 9200 && !axisWords) {
      return refuse(Why::kAxisWordsMissing, "G92 without axis words");
    }
    if (nonModal == 5300 && motion != 0 && motion != 100) {
      return refuse(Why::kG53Motion, Cat({"G53 with ", CodeText('G', motion)}));
    }

    // After G80 no command may take axis words, not even G92's.
    if (motion == 8000 && axisWords) {
      return refuse(Why::kAxisWordsUnused, "axis words with no motion mode (G80)");
    }
    // A motion code on the line is a motion command even without axis words:
    // its feed rate is checked, and an arc still needs its end.
    const bool motionCommand = !nonModalAxes && (axisWords || block.explicitMotion);
    if (motionCommand && motion != 8000) {
      if (motion != 0) {
        const double feed = block.Has('F') ? block.values.at('F') : (inverseTime ? 0 : state.feed);
        if (feed <= 0) {
          return refuse(Why::kFeedNotSet,
                        CodeText('G', motion) + " before any feed rate (F) is set");
        }
      }
      if (IsArc(motion)) {
        if (auto arc = CheckArc(line, block, motion, plane, incremental, inch)) return arc;
        used.insert({'I', 'J', 'K', 'R'});
      }
      if (IsCycle(motion) && axisWords) {
        const bool starts = state.motion != motion;
        const bool peck = motion == 7300 || motion == 8300;
        if (starts && (!block.Has('Z') || !block.Has('R') || (peck && !block.Has('Q')))) {
          return refuse(Why::kCycleWords, CodeText('G', motion) + " starts without Z and R" +
                                              std::string(peck ? " and Q" : ""));
        }
        used.insert({'R', 'Q', 'P', 'L'});
      }
    }
    for (const char letter : std::string_view("IJKLPQR")) {
      if (block.Has(letter) && used.count(letter) == 0) {
        return refuse(Why::kUnusedValueWord,
                      Cat({"the ", std::string(1, letter), " word is not used by any command"}));
      }
    }
    return std::nullopt;
  }

  std::optional<Refusal> CheckArc(int line, const Block& block, int motion, int plane,
                                  bool incremental, bool inch) const {
    auto refuse = [line](Why why, std::string reason) {
      return std::optional<Refusal>(Refusal{line, why, std::move(reason)});
    };
    // The plane's two axes (X Y for G17, Z X for G18, Y Z for G19); the centre
    // offset of an axis is I, J or K in the order X, Y, Z.
    const int first = plane == 1700 ? 0 : plane == 1800 ? 2 : 1;
    const int second = plane == 1700 ? 1 : plane == 1800 ? 0 : 2;
    const char offsetOf[] = {'I', 'J', 'K'};
    const std::string arc = CodeText('G', motion);
    if (!block.Has(kAxes[first]) && !block.Has(kAxes[second])) {
      return refuse(Why::kArcNoPlaneAxis, arc + " with no end word in its plane");
    }
    // The end's offsets from the start in the plane, where they can be known.
    std::array<std::optional<double>, 2> delta;
    bool returnsToStart = true;
    for (int i = 0; i < 3; ++i) {
      std::optional<double> d = 0.0;
      if (block.Has(kAxes[i])) {
        const double v = Length(block, kAxes[i], inch);
        if (incremental) {
          d = v;
        } else if (state.position[i]) {
          d = v - *state.position[i];
        } else {
          d = std::nullopt;
        }
      }
      if (!d || *d != 0.0) returnsToStart = false;
      if (i == first) delta[0] = d;
      if (i == second) delta[1] = d;
    }
    if (block.Has('R')) {
      const double r = Length(block, 'R', inch);
      if (returnsToStart) return refuse(Why::kArcRadius, arc + " with R ends where it starts");
      if (delta[0] && delta[1]) {
        const double x = *delta[0];
        const double y = *delta[1];
        if (4 * r * r - x * x - y * y < 0) {
          return refuse(Why::kArcRadius, arc + " with R" + Number(r) + " cannot reach its end");
        }
      }
      return std::nullopt;
    }
    const char i0 = offsetOf[first];
    const char i1 = offsetOf[second];
    if (!block.Has(i0) && !block.Has(i1)) {
      return refuse(Why::kArcNoOffsets, arc + " with neither " + std::string(1, i0) + " nor " +
                                            std::string(1, i1) + " nor R");
    }
    if (!delta[0] || !delta[1]) return std::nullopt;  // a start the check cannot know
    const double c0 = block.Has(i0) ? Length(block, i0, inch) : 0.0;
    const double c1 = block.Has(i1) ? Length(block, i1, inch) : 0.0;
    const double startRadius = std::hypot(c0, c1);
    const double endRadius = std::hypot(*delta[0] - c0, *delta[1] - c1);
    const double difference = std::fabs(endRadius - startRadius);
    if (difference > kArcSmallDifference &&
        (difference > kArcLargeDifference || difference > kArcRelativeDifference * startRadius)) {
      return refuse(Why::kArcRadius, arc + " ends " + Number(difference) +
                                         " mm off its circle (radius " + Number(startRadius) +
                                         " mm)");
    }
    return std::nullopt;
  }

  void ForgetPosition() {
    for (auto& p : state.position) p.reset();
  }

  // The block's effect on the state, once the control has taken it.
  void Apply(const Block& block) {
    const auto modal = [&](Group group, int current) {
      const auto it = block.g.find(group);
      return it == block.g.end() ? current : it->second;
    };
    state.motion = modal(Group::kMotion, state.motion);
    state.plane = modal(Group::kPlane, state.plane);
    state.incremental = modal(Group::kDistance, state.incremental ? 9100 : 9000) == 9100;
    state.inch = modal(Group::kUnits, state.inch ? 2000 : 2100) == 2000;
    state.inverseTime = modal(Group::kFeedMode, state.inverseTime ? 9300 : 9400) == 9300;
    if (block.Has('F') && !state.inverseTime) state.feed = block.values.at('F');
    const int coordSystem = modal(Group::kCoordSystem, state.coordSystem);
    if (coordSystem != state.coordSystem) ForgetPosition();
    state.coordSystem = coordSystem;
    if (block.g.count(Group::kToolLength) != 0) state.position[2].reset();

    const int nonModal = modal(Group::kNonModal, -1);
    auto length = [&](char letter, int axis) {
      const double v = block.values.at(letter);
      return state.inch && IsLinearAxis(axis) ? v * kMillimetresPerInch : v;
    };
    if (nonModal == 9200) {
      for (std::size_t a = 0; a < kAxes.size(); ++a) {
        if (block.Has(kAxes[a])) state.position[a] = length(kAxes[a], static_cast<int>(a));
      }
    } else if (nonModal == 1000 || nonModal == 2800 || nonModal == 3000 || nonModal == 9210) {
      ForgetPosition();
    } else {
      const bool machine = nonModal == 5300;
      const bool probe = state.motion >= 3820 && state.motion <= 3850;
      const bool cycle = IsCycle(state.motion);
      // A cycle's repeats step by the increments again and again.
      const double repeats =
          cycle && state.incremental && block.Has('L') ? block.values.at('L') : 1;
      for (std::size_t a = 0; a < kAxes.size(); ++a) {
        if (!block.Has(kAxes[a]) || state.motion == 8000) continue;
        auto& p = state.position[a];
        const double v = length(kAxes[a], static_cast<int>(a));
        if (machine || probe || (cycle && kAxes[a] == 'Z')) {
          p.reset();
        } else if (state.incremental) {
          if (p) p = *p + v * repeats;
        } else {
          p = v;
        }
      }
      // A cycle ends at its retract level, which this check does not follow.
      if (cycle) state.position[2].reset();
    }
    const auto stop = block.m.find(Group::kStop);
    if (stop != block.m.end() && (stop->second == 200 || stop->second == 3000)) {
      // Program end: the modes go back to their defaults.
      state.motion = 100;
      state.plane = 1700;
      state.incremental = false;
      state.inverseTime = false;
      if (state.coordSystem != 5400) ForgetPosition();
      state.coordSystem = 5400;
    }
  }
};

}  // namespace

std::vector<Refusal> GrblAccepts(std::string_view program, Flavour flavour) {
  std::vector<Refusal> refusals;
  Reader reader{flavour, {}};
  const std::size_t limit = flavour == Flavour::kGrbl ? kGrblLineLength : kGrblHalLineLength;
  int number = 0;
  std::size_t at = 0;
  while (at < program.size()) {
    // A line ends at LF, CR or CR LF.
    std::size_t end = at;
    while (end < program.size() && program[end] != '\n' && program[end] != '\r') ++end;
    const std::string_view raw = program.substr(at, end - at);
    at = end;
    if (at < program.size() && program[at] == '\r') {
      ++at;
      if (at < program.size() && program[at] == '\n') ++at;
    } else if (at < program.size()) {
      ++at;  // LF
    }
    ++number;
    if (raw.size() > limit) {
      refusals.push_back({number, Why::kLineTooLong,
                          std::to_string(raw.size()) + " characters, over the " +
                              std::to_string(limit) + " the control reads"});
      continue;
    }
    if (const auto realTime = RealTimeByte(raw)) {
      refusals.push_back({number, Why::kRealTimeByte, *realTime});
      continue;
    }
    const std::string text = Cleaned(raw);
    if (!text.empty() && text.front() == '%') {
      refusals.push_back({number, Why::kPercent, "a '%' line"});
      continue;
    }
    Block block;
    auto refusal = reader.Parse(number, text, block);
    if (!refusal) refusal = reader.Check(number, block);
    if (refusal) {
      refusals.push_back(std::move(*refusal));
      continue;  // the control discards the line
    }
    reader.Apply(block);
  }
  return refusals;
}

std::set<std::string> CodesUsed(std::string_view program, char letter) {
  std::set<std::string> codes;
  std::size_t at = 0;
  while (at < program.size()) {
    std::size_t end = program.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = program.size();
    const std::string text = Cleaned(program.substr(at, end - at));
    at = end + 1;
    for (std::size_t i = 0; i < text.size();) {
      const char c = text[i++];
      std::size_t after = i;
      const auto value = ReadNumber(text, after);
      if (!value) continue;
      i = after;
      if (c == letter) codes.insert(CodeText(letter, static_cast<int>(std::lround(*value * 100))));
    }
  }
  return codes;
}

std::string Describe(const std::vector<Refusal>& refusals) {
  std::string text;
  for (const Refusal& r : refusals) {
    text += Cat({"line ", std::to_string(r.line), ": ", r.reason, "\n"});
  }
  return text;
}

}  // namespace kelvora::acceptance
