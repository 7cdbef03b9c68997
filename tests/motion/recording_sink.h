// A sink that keeps everything the reader hands on, for the tests to compare.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "motion/gcode_reader.h"
#include "motion/moves.h"

namespace kelvora::motion::testing {

class RecordingSink final : public MotionSink {
 public:
  void OnMove(const Move& move) override { moves.push_back(move); }
  void OnEvent(const Event& event) override { events.push_back(event); }
  void OnNotice(const Notice& notice) override { notices.push_back(notice); }

  std::vector<Move> moves;
  std::vector<Event> events;
  std::vector<Notice> notices;
};

inline RecordingSink Read(std::string_view program, const ReaderStart& start = {}) {
  RecordingSink sink;
  ReadProgram(program, sink, start);
  return sink;
}

// "12:X1,5" for a notice on line 12 quoting X1,5, to compare lists at a glance.
inline std::string Describe(const Notice& notice) {
  static constexpr const char* kKinds[] = {"unknown", "malformed", "arc",     "cycle",
                                           "comment", "host",      "foreign", "long"};
  return std::string(kKinds[static_cast<int>(notice.kind)]) + "@" + std::to_string(notice.line) +
         ":" + notice.word;
}

// A number with at most four decimals and no trailing zeros ("-12.7", "0").
inline std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", value);
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  if (out == "-0") out = "0";
  return out;
}

// "G1 10,20,-1,0 F100 @3" (end X,Y,Z,A, feed, line); arcs add "C cx,cy" and
// their extra turns "+n"; a canned cycle's move ends with "*".
inline std::string Describe(const Move& move) {
  static constexpr const char* kKinds[] = {"G0", "G1", "G2", "G3"};
  std::string out = std::string(kKinds[static_cast<int>(move.kind)]) + " " + Number(move.end.x) +
                    "," + Number(move.end.y) + "," + Number(move.end.z) + "," + Number(move.end.a);
  if (move.kind == MoveKind::kArcCw || move.kind == MoveKind::kArcCcw) {
    out += " C" + Number(move.centreX) + "," + Number(move.centreY);
    if (move.extraTurns != 0) out += " +" + std::to_string(move.extraTurns);
  }
  if (move.kind != MoveKind::kRapid) out += " F" + Number(move.feed);
  out += " @" + std::to_string(move.line);
  if (move.canned) out += "*";
  return out;
}

inline std::string Describe(const Event& event) {
  static constexpr const char* kKinds[] = {"M3", "M4", "M5", "dwell", "tool", "pause", "end"};
  return std::string(kKinds[static_cast<int>(event.kind)]) + " " + Number(event.value) + " @" +
         std::to_string(event.line);
}

template <typename T>
std::vector<std::string> DescribeAll(const std::vector<T>& items) {
  std::vector<std::string> out;
  for (const T& item : items) out.push_back(Describe(item));
  return out;
}

}  // namespace kelvora::motion::testing
