#include "generators/job_inputs.h"

#include <optional>
#include <utility>

#include "text/gcode_dialect.h"

namespace kelvora::generators {
namespace {

// The choice a drop-down's text names (an empty text is the default); false for
// any other text.
template <class Choice, std::size_t N>
bool ReadChoice(const TextLookup& texts, std::string_view key, const std::string_view (&names)[N],
                Choice& out) {
  const auto choice = ChoiceNamed<Choice>(texts(key), names);
  if (choice) out = *choice;
  return choice.has_value();
}

// The key of the first option of `in` a program cannot be made with, or an
// empty key.
std::string_view BadDrillOption(const DrillProgramInputs& in, const DrillProgramKeys& keys) {
  const DrillSchemeInputs& s = in.scheme;
  // Every hole is fed into at the feed, whatever the scheme.
  if (RefuseFeed(in.feed, keys.feed)) return keys.feed;
  if (!(s.dwell >= 0)) return keys.dwell;
  if (s.scheme == DrillScheme::kStandard) return {};
  const double bottom = -in.depth;
  if (s.canned && (!(in.retract <= in.zsafe) || !(bottom < in.retract))) return keys.retract;
  if (!(in.depth > 0) || !(bottom < in.retract)) return keys.depth;
  if (s.scheme != DrillScheme::kSinglePlunge && !(in.pass > 0)) return keys.pass;
  // The pecks of full retract and chip break are planned from Q as the program
  // writes it; a Q written as 0 would never reach the bottom.
  if ((s.scheme == DrillScheme::kFullRetract || s.scheme == DrillScheme::kChipBreak) &&
      !WritesAboveZero(in.pass)) {
    return keys.pass;
  }
  if (s.scheme == DrillScheme::kDecreasing) {
    if (!(s.factor > 0) || !(s.factor <= 1)) return keys.peckFactor;
    if (!(s.minPeck > 0) || !(s.minPeck <= in.pass)) return keys.minPeck;
  }
  if (s.scheme == DrillScheme::kChipBreak && !s.canned) {
    if (!(s.backOff > 0) || !(s.backOff < in.pass)) return keys.backOff;
    if (s.fullEvery < 0) return keys.fullEvery;
  }
  return {};
}

// Reads the options after the tab's boxes: the scheme, the dwell (an empty text:
// none), the numbers the scheme uses, canned output and the return.
std::optional<Failure> ReadDrillOptions(const TextLookup& texts, const DrillProgramKeys& keys,
                                        DrillProgramInputs& in) {
  DrillSchemeInputs& s = in.scheme;
  if (!ReadChoice(texts, keys.scheme, kDrillSchemeNames, s.scheme)) {
    return Failure{std::string(kParametersError), std::string(keys.scheme)};
  }
  InputReader r(texts);
  if (!texts(keys.dwell).empty()) r.Double(keys.dwell, s.dwell);
  r.Bool(keys.canned, s.canned);
  // G73 backs off by the control's own distance and never retracts fully.
  if (s.scheme == DrillScheme::kChipBreak && !s.canned) {
    r.Double(keys.backOff, s.backOff).Int32(keys.fullEvery, s.fullEvery);
  }
  if (s.scheme == DrillScheme::kDecreasing) {
    r.Double(keys.peckFactor, s.factor).Double(keys.minPeck, s.minPeck);
  }
  if (!r.ok()) return r.failure();
  if (!ReadChoice(texts, keys.holeReturn, kHoleReturnNames, s.holeReturn)) {
    return Failure{std::string(kParametersError), std::string(keys.holeReturn)};
  }
  if (const std::string_view bad = BadDrillOption(in, keys); !bad.empty()) {
    return Failure{std::string(kParametersError), std::string(bad)};
  }
  return std::nullopt;
}

// Reads the machine's control and dwell unit: what the dialect's row says about
// canned cycles, and milliseconds only for a control whose dwell unit is the
// machine's setting.
std::optional<Failure> ReadControl(const TextLookup& texts, DrillProgramInputs& in) {
  const auto dialect = text::DialectNamed(texts(kMachineDialectKey));
  if (!dialect) return Failure{std::string(kParametersError), std::string(kMachineDialectKey)};
  const text::DialectRules& rules = text::RulesOf(*dialect);
  bool milliseconds = false;
  InputReader(texts).Bool(kMachineDwellMsKey, milliseconds);
  in.cannedCycles = rules.cannedCycles;
  in.dwellMilliseconds = milliseconds && rules.dwell == text::DwellUnit::kMachineSetting;
  return std::nullopt;
}

}  // namespace

Outcome<DrillProgramInputs> ReadDrillProgramInputs(const TextLookup& texts,
                                                   const DrillProgramKeys& keys) {
  DrillProgramInputs in;
  InputReader r(texts);
  ReadMotion(r, {keys.feed, keys.retract, keys.zsafe, keys.depth, keys.pass, keys.spindle}, in,
             in.pass)
      .Bool(keys.enSpin, in.enSpin)
      .Bool(keys.enSpecialOp, in.enSpecialOp)
      .Text(keys.specialOp, in.specialOp);
  if (!r.ok()) return r.failure();
  if (auto f = ReadDrillOptions(texts, keys, in)) return *f;
  if (auto f = ReadControl(texts, in)) return *f;
  return in;
}

Outcome<CirclePatternInputs> ReadCirclePatternInputs(const TextLookup& texts) {
  CirclePatternInputs in;
  InputReader r(texts);
  r.Double("CirR", in.diameter)
      .Int16("Cirn", in.n)
      .Double("CirXc", in.Xc)
      .Double("CirYc", in.Yc)
      .Double("CirDepth", in.depth)
      .Double("CirStep", in.pass)
      .Double("Cird", in.toolDia)
      .Double("CirA", in.startAngle);
  if (!r.ok()) return r.failure();
  return in;
}

Outcome<DrillProgramInputs> ReadCircleProgramInputs(const TextLookup& texts) {
  return ReadDrillProgramInputs(
      texts, {"CirFeedrate", "CirRetract", "CirZsafe", "CirDepth", "CirStep", "CirSpinSpeed",
              "CirEnSpin", "CirEnSpecialOp", "CirSpOpStr", "CirScheme", "CirDwell", "CirBackOff",
              "CirFullEvery", "CirPeckFactor", "CirMinPeck", "CirCanned", "CirReturn"});
}

Outcome<GridPatternInputs> ReadGridPatternInputs(const TextLookup& texts) {
  GridPatternInputs in;
  InputReader r(texts, kParameterError);
  r.Double("GridXc", in.Xc)
      .Double("GridYc", in.Yc)
      .Double("GridDepth", in.depth)
      .Double("GridStep", in.pass)
      .Double("GridXm", in.Xm)
      .Double("GridYn", in.Yn)
      .Int32("Gridm", in.m)
      .Int32("Gridn", in.n)
      .Double("Gridd", in.toolDia)
      .Double("GridZigzac", in.zigZac)
      .Bool("GridSub1", in.sub1);
  if (!r.ok()) return r.failure();
  return in;
}

Outcome<DrillProgramInputs> ReadGridProgramInputs(const TextLookup& texts) {
  return ReadDrillProgramInputs(
      texts,
      {"GridFeedrate", "GridRetract", "GridZsafe", "GridDepth", "GridStep", "GridSpinSpeed",
       "GridEnSpin", "GridEnSpecialOp", "GridSpOpStr", "GridScheme", "GridDwell", "GridBackOff",
       "GridFullEvery", "GridPeckFactor", "GridMinPeck", "GridCanned", "GridReturn"});
}

Outcome<SurfMillPatternInputs> ReadSurfMillPatternInputs(const TextLookup& texts) {
  SurfMillPatternInputs in;
  InputReader r(texts);
  r.Double("MsqrXc", in.Xc)
      .Double("MsqrYc", in.Yc)
      .Double("MsqrDepth", in.depth)
      .Double("MsqrStep", in.step)
      .Double("MsqrStepdown", in.stepdown)
      .Double("MsqrLx", in.Lx)
      .Double("MsqrLy", in.Ly)
      .Bool("MsqrFlip", in.flip);
  if (!r.ok()) return r.failure();
  return in;
}

Outcome<SurfMillProgramInputs> ReadSurfMillProgramInputs(const TextLookup& texts) {
  SurfMillProgramInputs in;
  InputReader r(texts);
  ReadMotion(
      r, {"MsqrFeedrate", "MsqrRetract", "MsqrZsafe", "MsqrDepth", "MsqrStepdown", "MsqrSpinSpeed"},
      in, in.stepdown)
      .Double("MsqrPlugFeed", in.plungeFeed)
      .Bool("MsqrEnSpin", in.enSpin)
      .Bool("MsqrGotoZero", in.gotoZero);
  if (!r.ok()) return r.failure();
  // Every layer is plunged into at the plunge feed and milled at the feed.
  if (auto f = RefuseFeed(in.feed, "MsqrFeedrate")) return *f;
  if (auto f = RefuseFeed(in.plungeFeed, "MsqrPlugFeed")) return *f;
  return in;
}

Outcome<AnyDrillInputs> ReadAnyDrillInputs(const TextLookup& texts) {
  auto drill = ReadDrillProgramInputs(
      texts, {"AnyFeedrate", "AnyRetract", "AnyZsafe", "AnyDepth", "AnyStepdown", "AnySpinSpeed",
              "AnyEnSpin", "AnyEnSpOp", "AnySpOpStr", "AnyScheme", "AnyDwell", "AnyBackOff",
              "AnyFullEvery", "AnyPeckFactor", "AnyMinPeck", "AnyCanned", "AnyReturn"});
  if (!drill) return drill.failure();
  AnyDrillInputs in{std::move(*drill), {}};
  InputReader(texts).Text("AnyEndScript", in.endScript);
  return in;
}

Outcome<AnyPocketInputs> ReadAnyPocketInputs(const TextLookup& texts) {
  AnyPocketInputs in;
  InputReader r(texts);
  r.Double("AnyFeedrate", in.plungeFeed)
      .Double("AnyFeedrate2", in.cutFeed)
      .Double("AnyRetract", in.retract)
      .Double("AnyZsafe", in.zsafe)
      .Double("AnyDepth", in.depth)
      .Double("AnyStepdown", in.pass)
      .Double("AnySpinSpeed", in.spindle)
      .Double("AnyStepOvr", in.stepOver)
      .Double("Anyd", in.toolDia)
      .Bool("AnyEnSpin", in.enSpin);
  if (!r.ok()) return r.failure();
  const auto entry = ChoiceNamed<PocketEntry>(texts("AnyEntry"), kPocketEntryNames);
  if (!entry) return Failure{std::string(kParametersError), "AnyEntry"};
  in.entry = *entry;
  return in;
}

Outcome<PocketRadii> ReadPocketRadii(const TextLookup& texts) {
  PocketRadii radii;
  InputReader r(texts);
  r.Double("AnyRo", radii.R1).Double("AnyHoleSize", radii.R2);
  if (!r.ok()) return r.failure();
  return radii;
}

Outcome<AutoGridParams> ReadAutoGridInputs(const TextLookup& texts) {
  AutoGridParams p;
  InputReader r(texts);
  r.Int16("AnyNumOfRow", p.NumRow)
      .Int16("AnyNumOfCol", p.NumCol)
      .Double("AnyDistRow", p.RowDist)
      .Double("AnyDistCol", p.ColDist)
      .Double("AnyDualDist", p.DualDist)
      .Double("AnyZigZacRow", p.soleHang)
      .Double("AnyZigZacCol", p.soleCot)
      .Double("AnyXc", p.Xc)
      .Double("AnyYc", p.Yc)
      .Bool("AnyByRow", p.byRow)
      .Bool("AnyDual", p.Dual)
      .Bool("AnyEndcont", p.EndCont)
      .Bool("AnySub1", p.sub1);
  if (!r.ok()) return r.failure();
  return p;
}

Outcome<DxfMachiningInputs> ReadDxfMachiningInputs(const TextLookup& texts) {
  DxfMachiningInputs in;
  InputReader r(texts);
  ReadMotion(r,
             {"DxfFeedrate", "DxfRetract", "DxfZsafe", "DxfDepth", "DxfStepdown", "DxfSpinSpeed"},
             in, in.stepdown)
      .Double("DxfPlugFeed", in.plungeFeed)
      .Bool("DxfEnSpin", in.enSpin)
      .Bool("DxfEnSpOp", in.enSpecialOp)
      .Text("DxfSpOpStr", in.specialOpOn)
      .Text("DxfSpOpStrOff", in.specialOpOff)
      .Text("DxfEndScript", in.endScript);
  if (!r.ok()) return r.failure();
  // The contours and the cut toolpath plunge into every layer at the plunge feed
  // and cut it at the feed.
  if (auto f = RefuseFeed(in.feed, "DxfFeedrate")) return *f;
  if (auto f = RefuseFeed(in.plungeFeed, "DxfPlugFeed")) return *f;
  return in;
}

Outcome<ThreadInputs> ReadThreadInputs(const TextLookup& texts) {
  ThreadInputs in;
  InputReader r(texts);
  r.Double(kThreadPitch, in.pitch)
      .Double(kThreadLength, in.length)
      .Double(kThreadMajorDia, in.majorDia)
      .Int32(kThreadPasses, in.passes)
      .Double(kThreadFeed, in.feed)
      .Bool(kThreadLeftHand, in.leftHand)
      .Bool(kThreadAutoDepth, in.autoDepth);
  if (!in.autoDepth) r.Double(kThreadPitDepth, in.pitDepth);
  r.Text(kThreadZaxis, in.zAxis).Text(kThreadXaxis, in.xAxis).Text(kThreadSpin, in.spin);
  if (!r.ok()) return r.failure();
  return in;
}

}  // namespace kelvora::generators
