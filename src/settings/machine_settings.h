// The machine's limits as the profile stores them: one input table
// (JobInputs::kMachine) whose rows are the limits' keys, and its reading into
// the motion model's Machine.
#pragma once

#include <string>

#include "generators/inputs.h"
#include "motion/machine.h"
#include "settings/settings_profile.h"
#include "text/outcome.h"

namespace kelvora::settings {

// The machine of the texts the lookup gives for the machine table's keys (the
// stored texts, or the defaults where none is stored). A text that does not
// convert refuses the whole machine, naming its key.
// Velocities and accelerations must be above 0, the spin-up time not below 0,
// and each axis's minimum not above its maximum; a value outside is refused with
// "Parameters error" and the key.
Outcome<motion::Machine> ReadMachine(const generators::TextLookup& texts);

// The machine read from the plug-in's section of a host profile, each key
// missing from it taken at its default. A missing or malformed profile, or a
// value that does not convert, is refused with a message naming the file or key.
Outcome<motion::Machine> ReadMachineProfile(const std::string& profilePath);

// The machine the settings' typed values make (the keys' defaults where nothing
// else was read), and the machine put into them. Neither is ever refused: the
// values were checked when they were read.
motion::Machine MachineOf(const Settings& settings);
void StoreMachine(const motion::Machine& machine, Settings& settings);

}  // namespace kelvora::settings
