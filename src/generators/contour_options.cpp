#include "generators/contour_options.h"

#include <string>

namespace kelvora::generators {
namespace {

Failure Refused(std::string_view key) {
  return Failure{std::string(kParametersError), std::string(key)};
}

// Reads a number only when its text is not empty, so a caller without the key
// keeps the default.
void Optional(InputReader& r, const TextLookup& texts, std::string_view key, double& out) {
  if (!texts(key).empty()) r.Double(key, out);
}

void Optional(InputReader& r, const TextLookup& texts, std::string_view key, int& out) {
  if (!texts(key).empty()) r.Int32(key, out);
}

template <class Choice, std::size_t N>
bool ReadNamed(const TextLookup& texts, std::string_view key, const std::string_view (&names)[N],
               Choice& out) {
  const auto choice = ChoiceNamed<Choice>(texts(key), names);
  if (choice) out = *choice;
  return choice.has_value();
}

}  // namespace

Outcome<ContourOptions> ReadContourOptions(const TextLookup& texts,
                                           const DxfMachiningInputs& machining) {
  ContourOptions o;
  if (!ReadNamed(texts, "DxfSide", kContourSideNames, o.side)) return Refused("DxfSide");
  if (!ReadNamed(texts, "DxfSideBy", kSideByNames, o.sideBy)) return Refused("DxfSideBy");
  InputReader r(texts);
  Optional(r, texts, "DxfToolDia", o.toolDiameter);
  if (!r.ok()) return r.failure();
  if (!ReadNamed(texts, "DxfDirection", kCutDirectionNames, o.direction)) {
    return Refused("DxfDirection");
  }
  if (!ReadNamed(texts, "DxfEntry", kContourEntryNames, o.entry)) return Refused("DxfEntry");
  Optional(r, texts, "DxfRampAngle", o.rampAngle);
  Optional(r, texts, "DxfLeadIn", o.leadRadius);
  Optional(r, texts, "DxfTabCount", o.tabCount);
  Optional(r, texts, "DxfTabSpacing", o.tabSpacing);
  Optional(r, texts, "DxfTabWidth", o.tabWidth);
  Optional(r, texts, "DxfTabHeight", o.tabHeight);
  r.Bool("DxfPocket", o.pocket);
  Optional(r, texts, "DxfStepover", o.stepover);
  if (!r.ok()) return r.failure();

  const bool toolMatters = o.side != ContourSide::kOnLine || o.leadRadius != 0 || o.pocket;
  if (toolMatters && !(o.toolDiameter > 0)) return Refused("DxfToolDia");
  if (o.entry != ContourEntry::kPlunge && !(o.rampAngle > 0 && o.rampAngle <= 90)) {
    return Refused("DxfRampAngle");
  }
  if (!(o.leadRadius >= 0)) return Refused("DxfLeadIn");
  if (o.tabCount < 0) return Refused("DxfTabCount");
  if (!(o.tabSpacing >= 0)) return Refused("DxfTabSpacing");
  if (o.tabCount > 0 || o.tabSpacing > 0) {
    if (!(o.tabWidth > 0)) return Refused("DxfTabWidth");
    if (!(o.tabHeight > 0) || !(o.tabHeight <= machining.depth)) return Refused("DxfTabHeight");
  }
  if (o.pocket && !(o.stepover > 0 && o.stepover <= 100)) return Refused("DxfStepover");
  return o;
}

Outcome<geometry::OutlineOptions> ReadOutlineOptions(const TextLookup& texts) {
  geometry::OutlineOptions o;
  if (!ReadNamed(texts, "DxfOutlines", geometry::kOutlineSourceNames, o.source)) {
    return Refused("DxfOutlines");
  }
  InputReader r(texts);
  Optional(r, texts, "DxfJoinTol", o.joinTolerance);
  Optional(r, texts, "DxfChordTol", o.chordTolerance);
  if (!r.ok()) return r.failure();
  if (!(o.joinTolerance > 0)) return Refused("DxfJoinTol");
  if (!(o.chordTolerance > 0)) return Refused("DxfChordTol");
  o.layers = geometry::ParseLayerList(texts("DxfLayers"));
  if (!ReadNamed(texts, "DxfOrder", geometry::kContourOrderNames, o.order)) {
    return Refused("DxfOrder");
  }
  if (!ReadNamed(texts, "DxfUnits", geometry::kDrawingUnitsNames, o.units)) {
    return Refused("DxfUnits");
  }
  return o;
}

std::vector<std::string> ReadPointLayers(const TextLookup& texts) {
  return geometry::ParseLayerList(texts("AnyLayers"));
}

Outcome<geometry::DrawingUnits> ReadPointUnits(const TextLookup& texts) {
  geometry::DrawingUnits units = geometry::DrawingUnits::kFromDrawing;
  if (!ReadNamed(texts, "AnyUnits", geometry::kDrawingUnitsNames, units)) {
    return Refused("AnyUnits");
  }
  return units;
}

}  // namespace kelvora::generators
