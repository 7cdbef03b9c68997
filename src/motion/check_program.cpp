#include <algorithm>
#include <cstring>

#include "motion/gcode_reader.h"
#include "motion/report.h"

namespace kelvora::motion {

std::uint64_t CountProgramLines(std::string_view program) {
  if (program.empty()) return 0;
  auto count = static_cast<std::uint64_t>(std::count(program.begin(), program.end(), '\n'));
  if (std::memchr(program.data(), '\r', program.size()) != nullptr) {
    for (std::size_t i = 0; i < program.size(); ++i) {
      if (program[i] == '\r' && (i + 1 == program.size() || program[i + 1] != '\n')) ++count;
    }
  }
  const char last = program.back();
  if (last != '\n' && last != '\r') ++count;
  return count;
}

Report CheckProgram(std::string_view program, const Machine& machine, const CheckOptions& options) {
  ReportBuilder builder(machine, options);
  ReadProgram(program, builder);
  return builder.Finish(CountProgramLines(program));
}

}  // namespace kelvora::motion
