#include "settings/stated_depth.h"

#include <cmath>
#include <string>
#include <string_view>

#include "generators/drill_options.h"
#include "generators/point_list.h"
#include "generators/program_writer.h"
#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::settings {
namespace {

// How a job goes down to its depth.
enum class Scheme { kPeck, kLayers, kPocket };

struct DepthInputs {
  std::string_view depth;
  std::string_view step;
  Scheme scheme;
  // The drilling scheme's key: every scheme but the tab's own peck drilling goes
  // down to the depth itself.
  std::string_view drillScheme = {};
};

std::optional<DepthInputs> DepthInputsOf(JobInputs job, const generators::TextLookup& texts) {
  switch (job) {
    case JobInputs::kCircle:
      return DepthInputs{"CirDepth", "CirStep", Scheme::kPeck, "CirScheme"};
    case JobInputs::kGrid:
      return DepthInputs{"GridDepth", "GridStep", Scheme::kPeck, "GridScheme"};
    case JobInputs::kSurface:
      return DepthInputs{"MsqrDepth", "MsqrStepdown", Scheme::kLayers};
    // The cut lists are milled with the router tab's machining inputs.
    case JobInputs::kContour:
    case JobInputs::kCuts:
      return DepthInputs{"DxfDepth", "DxfStepdown", Scheme::kLayers};
    case JobInputs::kPoints: {
      bool pocket = false;
      generators::InputReader(texts).Bool("AnyPocket", pocket);
      if (pocket) return DepthInputs{"AnyDepth", "AnyStepdown", Scheme::kPocket};
      return DepthInputs{"AnyDepth", "AnyStepdown", Scheme::kPeck, "AnyScheme"};
    }
    case JobInputs::kGeneral:
    case JobInputs::kAutoGrid:
    case JobInputs::kTeach:
    case JobInputs::kThread:
    case JobInputs::kMachine:
      break;
  }
  return std::nullopt;
}

double Bottom(Scheme scheme, double depth, double step) {
  switch (scheme) {
    case Scheme::kPeck:
      return generators::PeckBottom(depth, step);
    case Scheme::kLayers:
      return generators::MillBottom(depth, step);
    case Scheme::kPocket:
      return generators::PocketBottom(depth, step);
  }
  return depth;
}

}  // namespace

std::optional<double> StatedDepth(JobInputs job, const generators::TextLookup& texts) {
  const std::optional<DepthInputs> inputs = DepthInputsOf(job, texts);
  if (!inputs) return std::nullopt;
  double depth = 0.0;
  double step = 0.0;
  if (!generators::InputReader(texts)
           .Double(inputs->depth, depth)
           .Double(inputs->step, step)
           .ok()) {
    return std::nullopt;
  }
  const std::string drillScheme = inputs->drillScheme.empty() ? "" : texts(inputs->drillScheme);
  const bool ownPecks =
      drillScheme.empty() || drillScheme == generators::kDrillSchemeNames[0];  // "Standard"
  const double bottom = ownPecks ? Bottom(inputs->scheme, depth, step) : depth;
  if (!std::isfinite(bottom)) return std::nullopt;
  // The Z the program writes: every job writes its depths with three decimals,
  // and the check compares with what it reads back, not with the input.
  return text::ParseDouble(text::FormatNumber(-bottom, text::NumberFormat::kFixed3));
}

motion::CheckOptions JobCheckOptions(JobInputs job, const generators::TextLookup& texts) {
  motion::CheckOptions options;
  options.statedDepth = StatedDepth(job, texts);
  options.stockChecks = job != JobInputs::kThread;
  return options;
}

}  // namespace kelvora::settings
