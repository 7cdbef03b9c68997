#include "settings/machine_settings.h"

#include <array>
#include <string_view>

#include "settings/settings_keys.h"
#include "settings/xml_net_profile.h"

namespace kelvora::settings {
namespace {

// The keys of each axis: speed and acceleration limits, then travel (X, Y, Z).
struct AxisKeys {
  std::string_view velocity, acceleration, minimum, maximum;
};
constexpr std::array<AxisKeys, motion::kAxisCount> kAxisKeys{{
    {"MachXVel", "MachXAcc", "MachXMin", "MachXMax"},
    {"MachYVel", "MachYAcc", "MachYMin", "MachYMax"},
    {"MachZVel", "MachZAcc", "MachZMin", "MachZMax"},
    {"MachAVel", "MachAAcc", "", ""},
}};
constexpr std::size_t kTravelAxes = 3;
constexpr std::string_view kHasA = "MachHasA";
constexpr std::string_view kSoftLimits = "MachSoftLimits";
constexpr std::string_view kStockTop = "MachStockTop";
constexpr std::string_view kSpinUp = "MachSpinUp";
constexpr std::string_view kDialect = "MachDialect";
constexpr std::string_view kDwellMs = "MachDwellMs";
constexpr std::string_view kStatesModes = "MachStateModes";

Failure Refusal(std::string detail) {
  return Failure{std::string(generators::kParametersError), std::move(detail)};
}

// A machine whose numbers all converted may still hold values the run time and
// the checks cannot work with: a speed or acceleration of 0 (moves that never
// end), a negative wait, a travel whose ends are swapped.
std::optional<Failure> CheckRanges(const motion::Machine& m) {
  for (std::size_t axis = 0; axis < motion::kAxisCount; ++axis) {
    const AxisKeys& keys = kAxisKeys[axis];
    if (!(m.axes[axis].maxVelocity > 0.0)) {
      return Refusal(std::string(keys.velocity) + " must be above 0");
    }
    if (!(m.axes[axis].maxAcceleration > 0.0)) {
      return Refusal(std::string(keys.acceleration) + " must be above 0");
    }
  }
  for (std::size_t axis = 0; axis < kTravelAxes; ++axis) {
    if (m.minimum[axis] > m.maximum[axis]) {
      return Refusal(std::string(kAxisKeys[axis].minimum) + " is above " +
                     std::string(kAxisKeys[axis].maximum));
    }
  }
  if (m.spinUpSeconds < 0.0) return Refusal(std::string(kSpinUp) + " must not be below 0");
  return std::nullopt;
}

// The machine table's keys in table order, each with its text: the stored text
// where the profile has the key, the default otherwise.
generators::TextLookup ProfileTexts(const XMLNetProfile& profile) {
  return [&profile](std::string_view key) -> std::string {
    if (auto stored = profile.EntryText(key)) return *stored;
    const InputRow* row = FindInput(JobInputs::kMachine, key);
    return row ? std::string(row->defaultText) : std::string();
  };
}

}  // namespace

Outcome<motion::Machine> ReadMachine(const generators::TextLookup& texts) {
  motion::Machine m;
  generators::InputReader r(texts);
  for (std::size_t axis = 0; axis < motion::kAxisCount; ++axis) {
    r.Double(kAxisKeys[axis].velocity, m.axes[axis].maxVelocity)
        .Double(kAxisKeys[axis].acceleration, m.axes[axis].maxAcceleration);
  }
  r.Bool(kHasA, m.hasA).Bool(kSoftLimits, m.softLimits);
  for (std::size_t axis = 0; axis < kTravelAxes; ++axis) {
    r.Double(kAxisKeys[axis].minimum, m.minimum[axis])
        .Double(kAxisKeys[axis].maximum, m.maximum[axis]);
  }
  r.Double(kStockTop, m.stockTop).Double(kSpinUp, m.spinUpSeconds);
  std::string dialect;
  r.Text(kDialect, dialect).Bool(kDwellMs, m.dwellMilliseconds).Bool(kStatesModes, m.statesModes);
  if (!r.ok()) return r.failure();
  const auto named = text::DialectNamed(dialect);
  if (!named) return Refusal(std::string(kDialect));
  m.dialect = *named;
  if (auto refused = CheckRanges(m)) return *refused;
  return m;
}

Outcome<motion::Machine> ReadMachineProfile(const std::string& profilePath) {
  XMLNetProfile profile(profilePath, std::string(kSectionName), true);
  if (!profile.Load()) {
    return Failure{"The profile cannot be read: " + profilePath, profile.LastError()};
  }
  return ReadMachine(ProfileTexts(profile));
}

motion::Machine MachineOf(const Settings& settings) {
  motion::Machine m;
  for (std::size_t axis = 0; axis < motion::kAxisCount; ++axis) {
    m.axes[axis].maxVelocity = settings.Double(kAxisKeys[axis].velocity);
    m.axes[axis].maxAcceleration = settings.Double(kAxisKeys[axis].acceleration);
  }
  m.hasA = settings.Bool(kHasA);
  m.softLimits = settings.Bool(kSoftLimits);
  for (std::size_t axis = 0; axis < kTravelAxes; ++axis) {
    m.minimum[axis] = settings.Double(kAxisKeys[axis].minimum);
    m.maximum[axis] = settings.Double(kAxisKeys[axis].maximum);
  }
  m.stockTop = settings.Double(kStockTop);
  m.spinUpSeconds = settings.Double(kSpinUp);
  m.dialect = text::DialectNamed(settings.String(kDialect)).value_or(text::Dialect::kHost);
  m.dwellMilliseconds = settings.Bool(kDwellMs);
  m.statesModes = settings.Bool(kStatesModes);
  return m;
}

void StoreMachine(const motion::Machine& machine, Settings& settings) {
  for (std::size_t axis = 0; axis < motion::kAxisCount; ++axis) {
    settings.SetDouble(kAxisKeys[axis].velocity, machine.axes[axis].maxVelocity);
    settings.SetDouble(kAxisKeys[axis].acceleration, machine.axes[axis].maxAcceleration);
  }
  settings.SetBool(kHasA, machine.hasA);
  settings.SetBool(kSoftLimits, machine.softLimits);
  for (std::size_t axis = 0; axis < kTravelAxes; ++axis) {
    settings.SetDouble(kAxisKeys[axis].minimum, machine.minimum[axis]);
    settings.SetDouble(kAxisKeys[axis].maximum, machine.maximum[axis]);
  }
  settings.SetDouble(kStockTop, machine.stockTop);
  settings.SetDouble(kSpinUp, machine.spinUpSeconds);
  settings.SetString(kDialect, std::string(text::RulesOf(machine.dialect).name));
  settings.SetBool(kDwellMs, machine.dwellMilliseconds);
  settings.SetBool(kStatesModes, machine.statesModes);
}

}  // namespace kelvora::settings
