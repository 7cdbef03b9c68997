// The steps the circle, grid and surface jobs share: the pattern's inputs, then
// the program's, a check of the limits before anything is built, the list, and
// its program.
#pragma once

#include <optional>
#include <string>

#include "generators/inputs.h"
#include "geometry/draw_obj.h"
#include "text/outcome.h"

namespace kelvora::generators {

template <class Pattern, class Program>
struct PatternJobSteps {
  Outcome<Pattern> (*readPattern)(const TextLookup& texts);
  Outcome<Program> (*readProgram)(const TextLookup& texts);
  // The refusal when the list or its program would be too large.
  std::optional<Failure> (*check)(const Pattern& pattern, const Program& program);
  geometry::DrawList (*build)(const Pattern& pattern);
  Outcome<std::string> (*emit)(const geometry::DrawList& list, const Program& program);
};

// Runs the steps in order and stops at the first refusal; `sink`, when given,
// receives the list once its program is made.
template <class Pattern, class Program>
Outcome<std::string> RunPatternJob(const PatternJobSteps<Pattern, Program>& steps,
                                   const TextLookup& texts, const ListSink& sink) {
  const auto pattern = steps.readPattern(texts);
  if (!pattern) return pattern.failure();
  const auto program = steps.readProgram(texts);
  if (!program) return program.failure();
  if (auto f = steps.check(*pattern, *program)) return *f;
  const geometry::DrawList list = steps.build(*pattern);
  auto text = steps.emit(list, *program);
  if (text && sink) sink(list);
  return text;
}

}  // namespace kelvora::generators
