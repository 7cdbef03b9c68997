// The fixture of the tests that need LinuxCNC's rs274: skips with the reason
// where it is not installed (and on Windows, where it does not run), but fails
// when KELVORA_REQUIRE_RS274=1 asks for it, so that no such test passes because
// it did not run.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "motion/canon_calls.h"
#include "motion/gcode_reader.h"
#include "motion/rs274_runner.h"

namespace kelvora::motion::testing {

class Rs274Test : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP()
        << "rs274 (LinuxCNC's interpreter) runs on Linux only; the Linux build checks this";
#endif
    rs274_ = FindRs274();
    if (rs274_.empty()) {
      if (Rs274Required()) {
        FAIL() << "rs274 is not installed but KELVORA_REQUIRE_RS274=1 asks for it";
      }
      GTEST_SKIP() << "rs274 (LinuxCNC's interpreter, Debian linuxcnc-uspace) is not installed";
    }
  }

  // rs274 reads `program` to its end, and its calls are the reader's (`scale`:
  // millimetres per program unit). `run`, when given, receives rs274's reading.
  ::testing::AssertionResult ReadsAlike(const std::string& program, double scale = 1.0,
                                        Rs274Run* run = nullptr) const {
    Rs274Run mine = RunRs274(rs274_, program);
    if (!mine.ended) {
      return ::testing::AssertionFailure() << "rs274 stopped before the end:\n" << mine.output;
    }
    CanonSink ours(scale);
    ReadProgram(program, ours);
    const std::string difference = FirstCanonDifference(ours.calls, mine.calls);
    if (!difference.empty()) {
      return ::testing::AssertionFailure() << "reader against rs274: " << difference << "\n"
                                           << mine.output;
    }
    if (run != nullptr) *run = std::move(mine);
    return ::testing::AssertionSuccess();
  }

  std::string rs274_;  // its path
};

}  // namespace kelvora::motion::testing
