// How each job's input texts become its inputs: the input structs of every job
// and their readers, in the order each job reads its keys. A job reads its keys
// one after the other and stops at the first text that does not convert, so the
// order decides which key a refusal names; it is kept here, in one place, next to
// nothing else. Each job's own file holds what it makes of its inputs.
#pragma once

#include <string>
#include <string_view>

#include "generators/drill_options.h"
#include "generators/inputs.h"
#include "text/outcome.h"

namespace kelvora::generators {

// ---- Drilling programs (circle, grid, point list) --------------------------------

struct DrillProgramInputs {
  double feed = 0;
  double retract = 0;
  double zsafe = 0;
  double depth = 0;
  double pass = 0;
  double spindle = 0;
  bool enSpin = false;
  bool enSpecialOp = false;
  std::string specialOp;
  DrillSchemeInputs scheme;  // the "Options": the default is the tab's own peck scheme
  // What the machine's control makes of the program: with canned output on, its
  // canned cycles are written where it runs them, else the moves it would make
  // of them; a dwell's P counts milliseconds where the host is set so.
  bool cannedCycles = true;
  bool dwellMilliseconds = false;
};

// The machine's keys every drilling job reads after its own: the control the
// program is written for (a name of text::kDialects; empty: the host) and
// whether the host counts a dwell's P in milliseconds ("True"; the other
// controls always count seconds).
inline constexpr std::string_view kMachineDialectKey = "MachDialect";
inline constexpr std::string_view kMachineDwellMsKey = "MachDwellMs";

// Keys of one tab's emitter inputs, in reading order: today's boxes, then the
// "Options".
struct DrillProgramKeys {
  std::string_view feed, retract, zsafe, depth, pass, spindle, enSpin, enSpecialOp, specialOp;
  std::string_view scheme, dwell, backOff, fullEvery, peckFactor, minPeck, canned, holeReturn;
};

// Reads the tab's boxes, then its options. A choice is one of its texts exactly
// (an empty text: the first, as where the options were never set); the numbers a
// scheme does not use are not read. Every scheme but "Standard" refuses, with
// "Parameters error" naming the key: a depth of 0 or less or a bottom not below
// the retract height, a peck of 0 or less (the pecking schemes), a factor outside
// (0, 1] or a minimum peck of 0 or less or larger than the first (decreasing), a
// back-off of 0 or less or not smaller than the peck and a negative N (chip break
// written as moves), and, with canned output, a retract height above the safe
// height or not above the bottom (naming the retract key). Every scheme refuses
// a negative dwell. Then the machine's control and dwell unit; a control name
// that is none of the dialects' is refused with "Parameters error" naming
// kMachineDialectKey.
Outcome<DrillProgramInputs> ReadDrillProgramInputs(const TextLookup& texts,
                                                   const DrillProgramKeys& keys);

// ---- Circle drilling -------------------------------------------------------------

struct CirclePatternInputs {
  double diameter = 0;  // pitch-circle diameter
  int n = 0;            // number of holes (16-bit)
  double Xc = 0;
  double Yc = 0;
  double depth = 0;
  double pass = 0;
  double toolDia = 0;
  double startAngle = 0;  // degrees, of the first hole
};

Outcome<CirclePatternInputs> ReadCirclePatternInputs(const TextLookup& texts);
Outcome<DrillProgramInputs> ReadCircleProgramInputs(const TextLookup& texts);

// ---- Grid drilling ---------------------------------------------------------------

inline constexpr std::string_view kParameterError = "Parameter error";

struct GridPatternInputs {
  double Xc = 0;
  double Yc = 0;
  double depth = 0;
  double pass = 0;
  double Xm = 0;  // distance between holes of a row
  double Yn = 0;  // distance between rows
  int m = 0;      // holes per row
  int n = 0;      // rows
  double toolDia = 0;
  double zigZac = 0;  // X offset of every second row
  bool sub1 = false;  // every second row has one hole fewer
};

// A pattern text that does not convert is refused with "Parameter error".
Outcome<GridPatternInputs> ReadGridPatternInputs(const TextLookup& texts);
Outcome<DrillProgramInputs> ReadGridProgramInputs(const TextLookup& texts);

// ---- Surface milling -------------------------------------------------------------

struct SurfMillPatternInputs {
  double Xc = 0;  // start corner
  double Yc = 0;
  double depth = 0;
  double step = 0;  // distance between rows
  double stepdown = 0;
  double Lx = 0;      // row length along X
  double Ly = 0;      // extent along +Y
  bool flip = false;  // first row toward -X
};

struct SurfMillProgramInputs {
  double feed = 0;
  double retract = 0;
  double zsafe = 0;
  double depth = 0;
  double stepdown = 0;
  double spindle = 0;
  double plungeFeed = 0;
  bool enSpin = false;
  bool gotoZero = false;
};

Outcome<SurfMillPatternInputs> ReadSurfMillPatternInputs(const TextLookup& texts);
Outcome<SurfMillProgramInputs> ReadSurfMillProgramInputs(const TextLookup& texts);

// ---- Point list ------------------------------------------------------------------

struct AnyDrillInputs {
  DrillProgramInputs drill;
  std::string endScript;
};
Outcome<AnyDrillInputs> ReadAnyDrillInputs(const TextLookup& texts);

struct AnyPocketInputs {
  double plungeFeed = 0;  // "AnyFeedrate"
  double cutFeed = 0;     // "AnyFeedrate2", the ring moves
  double retract = 0;
  double zsafe = 0;
  double depth = 0;
  double pass = 0;
  double spindle = 0;
  double stepOver = 0;  // radial step between rings
  double toolDia = 0;
  bool enSpin = false;
  PocketEntry entry = PocketEntry::kPlunge;  // "AnyEntry"
};
Outcome<AnyPocketInputs> ReadAnyPocketInputs(const TextLookup& texts);

// Inner and outer pocket radii from "AnyRo" and "AnyHoleSize"; a text that does
// not convert is refused with "Parameters error".
struct PocketRadii {
  double R1 = 0;
  double R2 = 0;
};
Outcome<PocketRadii> ReadPocketRadii(const TextLookup& texts);

// ---- Automatic point grid --------------------------------------------------------

struct AutoGridParams {
  int NumRow = 0;  // rows, along Y
  int NumCol = 0;  // columns, along X
  double RowDist = 0;
  double ColDist = 0;
  double DualDist = 0;  // distance between the two points of a pair, in Y
  double soleHang = 0;  // X offset of every second row
  double soleCot = 0;   // Y offset of every second column
  double Xc = 0;        // start point
  double Yc = 0;
  bool byRow = false;    // row by row; otherwise column by column
  bool Dual = false;     // a pair of points at every position
  bool EndCont = false;  // every second line runs backwards
  bool sub1 = false;     // every second line has one point fewer
};

// Reads "AnyXc", "AnyYc", "AnyNumOfRow", "AnyNumOfCol" (16-bit whole numbers),
// "AnyDistRow", "AnyDistCol", "AnyDualDist", "AnyZigZacRow", "AnyZigZacCol" and the
// flags "AnyByRow", "AnyDual", "AnyEndcont", "AnySub1". A text that does not
// convert is refused with "Parameters error", naming its key.
Outcome<AutoGridParams> ReadAutoGridInputs(const TextLookup& texts);

// ---- Router tab: DXF contour milling and the cut lists ----------------------------

// The machining inputs of the router tab, shared by DXF contour milling and the
// cut lists: one set of boxes, read in one order.
struct DxfMachiningInputs {
  double feed = 0;        // cutting feed F
  double retract = 0;     // retract height R, approach above each layer
  double zsafe = 0;       // safe height
  double depth = 0;       // total depth D
  double stepdown = 0;    // step-down S
  double spindle = 0;     // spindle speed
  double plungeFeed = 0;  // plunge feed Fp
  bool enSpin = false;
  bool enSpecialOp = false;
  std::string specialOpOn;   // inserted after the plunge at the start of a contour
  std::string specialOpOff;  // inserted after the last segment of a contour
  std::string endScript;     // appended after the program by the GCodeGen button
};

// Reads "DxfFeedrate", "DxfRetract", "DxfZsafe", "DxfDepth", "DxfStepdown",
// "DxfSpinSpeed", "DxfPlugFeed" in that order, then the switches and texts.
Outcome<DxfMachiningInputs> ReadDxfMachiningInputs(const TextLookup& texts);

// ---- Thread ----------------------------------------------------------------------

// Keys of the thread inputs. The tab's inputs are not stored in the profile; the
// keys name them for the command line.
inline constexpr std::string_view kThreadPitch = "Pitch";
inline constexpr std::string_view kThreadLength = "Length";
inline constexpr std::string_view kThreadMajorDia = "MajorDia";
inline constexpr std::string_view kThreadPasses = "Passes";
inline constexpr std::string_view kThreadFeed = "Feed";
inline constexpr std::string_view kThreadLeftHand = "LeftHand";
inline constexpr std::string_view kThreadAutoDepth = "AutoDepth";
inline constexpr std::string_view kThreadPitDepth = "PitDepth";
inline constexpr std::string_view kThreadZaxis = "Zaxis";
inline constexpr std::string_view kThreadXaxis = "Xaxis";
inline constexpr std::string_view kThreadSpin = "Spin";

struct ThreadInputs {
  double pitch = 0;     // travel per turn
  double length = 0;    // thread length
  double majorDia = 0;  // major diameter
  int passes = 0;
  double feed = 0;  // feed of the threading moves
  bool leftHand = false;
  bool autoDepth = false;  // depth from the pitch instead of pitDepth
  double pitDepth = 0;
  std::string zAxis = "Z";  // letter of the axis along the workpiece, verbatim
  std::string xAxis = "X";  // letter of the infeed axis, verbatim
  std::string spin;         // spindle speed text, copied as typed
};

// Reads the inputs in the tab's order; the depth box is read only when the
// standard depth is off. A number that does not convert: "Parameters error".
Outcome<ThreadInputs> ReadThreadInputs(const TextLookup& texts);

}  // namespace kelvora::generators
