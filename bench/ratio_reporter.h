// A console reporter that also keeps each benchmark's mean time per iteration,
// by wall time and by CPU time, so that a program can print throughputs and
// the ratio of a measurement to its reference from the same run. On a busy
// machine the CPU figures are the steadier ones.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace kelvora::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      // Repetitions, or only their mean when aggregates alone are reported (the
      // mean's times are per repetition, like one repetition's).
      const bool mean = r.run_type == Run::RT_Aggregate && r.aggregate_name == "mean";
      if ((r.run_type != Run::RT_Iteration && !mean) || r.error_occurred || r.iterations == 0) {
        continue;
      }
      const double iterations = static_cast<double>(r.iterations);
      Times& t = times_[r.run_name.function_name];
      t.wall += r.real_accumulated_time / iterations;
      t.cpu += r.cpu_accumulated_time / iterations;
      ++t.runs;
    }
  }
  // Seconds per iteration, mean of the repetitions; 0 when the benchmark did not run.
  double Wall(const std::string& name) const { return Mean(name, &Times::wall); }
  double Cpu(const std::string& name) const { return Mean(name, &Times::cpu); }

 private:
  struct Times {
    double wall = 0, cpu = 0;
    int runs = 0;
  };
  double Mean(const std::string& name, double Times::*field) const {
    const auto it = times_.find(name);
    return it == times_.end() ? 0.0 : it->second.*field / it->second.runs;
  }
  std::map<std::string, Times> times_;
};

}  // namespace kelvora::bench
