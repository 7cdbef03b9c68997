// A sink that keeps everything the reader hands on, for the tests to compare.
#pragma once

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
  static constexpr const char* kKinds[] = {"unknown", "malformed", "arc", "cycle", "comment"};
  return std::string(kKinds[static_cast<int>(notice.kind)]) + "@" + std::to_string(notice.line) +
         ":" + notice.word;
}

inline std::vector<std::string> Describe(const std::vector<Notice>& notices) {
  std::vector<std::string> out;
  for (const Notice& notice : notices) out.push_back(Describe(notice));
  return out;
}

}  // namespace kelvora::motion::testing
