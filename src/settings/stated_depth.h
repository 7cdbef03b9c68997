// The depth a job's inputs say the tool goes to, for the pre-flight check that
// flags a program going below it (a program edited by hand, or a job whose
// inputs were changed after it was generated).
#pragma once

#include <optional>

#include "generators/inputs.h"
#include "motion/report.h"
#include "settings/settings_keys.h"

namespace kelvora::settings {

// The lowest Z of the job's cuts as its program writes it (three decimals): the
// depth below the surface as a negative Z, or the last full pass when the
// remainder below it is too small to cut; a negative depth input is a height
// above the surface and gives a positive Z. Jobs that cut at no depth of their
// own (the thread, whose infeed is radial, the teach table, the point grid, and
// the window's and the machine's settings) state none, and so does a job whose
// depth inputs do not convert.
std::optional<double> StatedDepth(JobInputs job, const generators::TextLookup& texts);

// What the pre-flight checks of a job's program hold it to: its stated depth,
// and the stock-top checks except for the thread, which turns the part on A with
// Z running along it rather than into it.
motion::CheckOptions JobCheckOptions(JobInputs job, const generators::TextLookup& texts);

}  // namespace kelvora::settings
