#include "settings/settings_keys.h"

#include "generators/contour_options.h"
#include "generators/drill_options.h"
#include "generators/thread.h"

#include "text/gcode_dialect.h"
#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::settings {
namespace {

using enum KeyType;
using enum ShownAs;
using enum Filter;
using enum Area;

constexpr Place kNoBox{};

constexpr Place At(Area area, int order, int lines = 1) {
  return {area, order, lines};
}

constexpr InputRow Row(std::string_view key, KeyType type, std::string_view defaultText,
                       std::string_view format, ShownAs shownAs, std::string_view control,
                       std::string_view captionKey, std::string_view caption,
                       std::string_view start, Filter filter, Place place, std::string_view help,
                       int helpOrder = 0) {
  return {key,     type,  defaultText, format, shownAs, control,  captionKey,
          caption, start, filter,      place,  help,    helpOrder};
}

// A row of a later generation of the profile (see InputRow::since).
constexpr InputRow Since(int generation, InputRow row) {
  row.since = generation;
  return row;
}

// A box of a drilling tab's "Options" form.
constexpr InputRow Option(std::string_view key, KeyType type, std::string_view defaultText,
                          std::string_view format, std::string_view control,
                          std::string_view caption, Filter filter, std::string_view help) {
  return Since(1, Row(key, type, defaultText, format, kOptions, control, "", caption, "", filter,
                      kNoBox, help, 100));
}

// A drop-down of a drilling tab's "Options" form; it stores the chosen text.
constexpr InputRow Choice(std::string_view key, std::span<const std::string_view> choices,
                          std::string_view control, std::string_view caption,
                          std::string_view help) {
  InputRow row = Option(key, kString, choices.front(), "", control, caption, kAnyText, help);
  row.choices = choices;
  return row;
}

// A box of the router tab's contour "Options" form (the contour options and the
// drawing's outlines), a later generation of the profile.
constexpr InputRow ContourOption(std::string_view key, KeyType type, std::string_view defaultText,
                                 std::string_view format, std::string_view control,
                                 std::string_view caption, Filter filter, std::string_view help) {
  return Since(3, Row(key, type, defaultText, format, kOptions, control, "", caption, "", filter,
                      kNoBox, help, 100));
}

constexpr InputRow ContourChoice(std::string_view key, std::span<const std::string_view> choices,
                                 std::string_view control, std::string_view caption,
                                 std::string_view help) {
  InputRow row = ContourOption(key, kString, choices.front(), "", control, caption, kAnyText, help);
  row.choices = choices;
  return row;
}

// A drop-down of the drawing options added after the contour options: the
// drawing's units, and how the side of a contour is chosen.
constexpr InputRow DrawingChoice(std::string_view key, std::span<const std::string_view> choices,
                                 std::string_view control, std::string_view caption,
                                 std::string_view help) {
  return Since(4, ContourChoice(key, choices, control, caption, help));
}

// The rows of the options every drilling tab has, under the tab's key prefix.
#define KELVORA_DRILL_OPTIONS(P)                                                                  \
  Choice(P "Scheme", generators::kDrillSchemeNames, "cmbScheme", "Scheme:",                       \
         "drilling scheme: Standard, Full retract, Chip break, Decreasing or Single plunge"),     \
      Option(P "Dwell", kDouble, "0", "0.###", "txtDwell", "Dwell (s):", kUnsigned,               \
             "dwell at the bottom of every hole, seconds (0: none)"),                             \
      Option(P "BackOff", kDouble, "0.5", "0.###", "txtBackOff", "Back-off:", kUnsigned,          \
             "chip break: distance backed off after each peck"),                                  \
      Option(P "FullEvery", kInt, "5", "0", "txtFullEvery", "Full retract every:", kUnsigned,     \
             "chip break: a full retract after every N pecks (0: never)"),                        \
      Option(P "PeckFactor", kDouble, "0.8", "0.###", "txtPeckFactor", "Peck factor:", kUnsigned, \
             "decreasing: each peck is the one before times this factor (0 to 1)"),               \
      Option(P "MinPeck", kDouble, "0.5", "0.###", "txtMinPeck", "Minimum peck:", kUnsigned,      \
             "decreasing: the smallest peck"),                                                    \
      Option(P "Canned", kBool, "False", "", "chkbCanned", "Canned cycles", kAnyText,             \
             "write the control's canned cycles (G81, G82, G83, G73) instead of the moves"),      \
      Choice(P "Return", generators::kHoleReturnNames, "cmbReturn", "Between holes:",             \
             "between holes: G98 (back to the safe height) or G99 (the retract height)")

// The tables below hold the rows in the order the profile section keeps them;
// Place gives the order on the page, helpOrder the order of --help where the
// command line lists a job's inputs otherwise.

constexpr InputRow kGeneralInputs[] = {
    Row("Dlg", kBool, "True", "", kNone, "", "", "", "", kAnyText, kNoBox, ""),
    Row("gcGenLanguage", kInt, "0", "", kIndex, "cmbLanguage", "", "", "", kAnyText, kNoBox, ""),
};

constexpr InputRow kCircleInputs[] = {
    Row("CirXc", kDouble, "0", "0.###", kNumber, "txtXc", "", "Xc:", "30", kSigned, At(kPattern, 2),
        "circle centre X"),
    Row("CirYc", kDouble, "0", "0.###", kNumber, "txtYc", "", "Yc:", "30", kSigned, At(kPattern, 3),
        "circle centre Y"),
    Row("CirDepth", kDouble, "5", "0.###", kNumber, "txtdepth", "label3", "depth:", "5", kUnsigned,
        At(kMachining, 0), "hole depth (positive, downward)"),
    Row("CirStep", kDouble, "2", "0.###", kNumber, "txtpassdepth", "label4", "Step:", "2",
        kUnsigned, At(kMachining, 1), "pass depth of the peck drilling"),
    Row("CirR", kDouble, "10", "0.###", kNumber, "txtR", "", "D:", "20", kSigned, At(kPattern, 0),
        "pitch-circle diameter"),
    Row("Cirn", kInt, "2", "0", kNumber, "txtn", "", "n:", "11", kSigned, At(kPattern, 1),
        "number of holes (16-bit whole number)"),
    Row("CirA", kDouble, "0", "0.###", kNumber, "txtStartAngle", "", "A:", "0", kSigned,
        At(kPattern, 4), "angle of the first hole, degrees"),
    Row("Cird", kDouble, "3", "0.###", kNumber, "txtToolDia", "", "d :", "4", kSigned,
        At(kPattern, 5), "tool diameter"),
    Row("CirFeedrate", kDouble, "100", "0.###", kNumber, "txtDrillFeedrate", "label9",
        "Feedrate:", "100", kUnsigned, At(kMachining, 2), "feed"),
    Row("CirRetract", kDouble, "1", "0.###", kNumber, "txtDrillZretract", "label10",
        "Z Retract:", "3", kSigned, At(kMachining, 4), "retract height"),
    Row("CirZsafe", kDouble, "3", "0.###", kNumber, "txtZsafe", "label11", "Z safe:", "10", kSigned,
        At(kMachining, 5), "safe height"),
    Row("CirSpinSpeed", kDouble, "1000", "0.###", kNumber, "txtSpindleSpeed", "label12",
        "Spindle:", "5000", kUnsigned, At(kMachining, 3), "spindle speed"),
    Row("CirEnSpecialOp", kBool, "False", "", kChecked, "chkbCirSpecialOp", "", "Sp.Op", "",
        kAnyText, At(kMachining, 7), "insert the special operation after single-plunge holes"),
    Row("CirEnSpin", kBool, "True", "", kChecked, "chkbCirEnSpin", "", "OnSpin", "", kAnyText,
        At(kMachining, 6), "switch the spindle on"),
    Row("CirSpOpStr", kString, "", "", kText, "txtSpSO", "", "", "M3", kAnyText,
        At(kMachining, 8, 2), "special operation text"),
    KELVORA_DRILL_OPTIONS("Cir"),
};

constexpr InputRow kGridInputs[] = {
    Row("GridXc", kDouble, "0", "0.###", kNumber, "txtGridXc", "", "Xc:", "30", kSigned,
        At(kPattern, 0), "X of the first hole of the first row"),
    Row("GridYc", kDouble, "0", "0.###", kNumber, "txtGridYc", "", "Yc:", "30", kSigned,
        At(kPattern, 1), "Y of the first row"),
    Row("GridDepth", kDouble, "5", "0.###", kNumber, "txtGridDepth", "label16", "depth:", "5",
        kUnsigned, At(kMachining, 0), "hole depth"),
    Row("GridStep", kDouble, "2", "0.###", kNumber, "txtGridStep", "label25", "step:", "2",
        kUnsigned, At(kMachining, 1), "pass depth of the peck drilling"),
    Row("Gridn", kInt, "1", "0", kNumber, "txtGridn", "", "n:", "5", kUnsigned, At(kPattern, 5),
        "number of rows"),
    Row("Gridm", kInt, "1", "0", kNumber, "txtGridm", "", "m:", "5", kUnsigned, At(kPattern, 4),
        "holes per row"),
    Row("GridXm", kDouble, "1", "0.###", kNumber, "txtGridXm", "", "Xm:", "20", kSigned,
        At(kPattern, 2), "distance between holes of a row"),
    Row("GridYn", kDouble, "1", "0.###", kNumber, "txtGridYn", "", "Yn:", "20", kSigned,
        At(kPattern, 3), "distance between rows"),
    Row("Gridd", kDouble, "3", "0", kNumber, "txtGridToolDia", "", "d :", "4", kUnsigned,
        At(kPattern, 8), "tool diameter"),
    Row("GridZigzac", kDouble, "0", "0.##", kNumber, "txtGridZigzac", "", "ZigZac:", "2", kUnsigned,
        At(kPattern, 6), "X offset of every second row"),
    Row("GridSub1", kBool, "False", "", kChecked, "chkbGridSub1", "", "-1", "", kAnyText,
        At(kPattern, 7), "every second row has one hole fewer"),
    Row("GridFeedrate", kDouble, "100", "0", kNumber, "txtGridFeedrate", "label24",
        "Feedrate:", "100", kUnsigned, At(kMachining, 2), "feed"),
    Row("GridRetract", kDouble, "1", "0.###", kNumber, "txtGridZretract", "label22",
        "Z Retract:", "3", kSigned, At(kMachining, 4), "retract height"),
    Row("GridZsafe", kDouble, "3", "0.###", kNumber, "txtGridZsafe", "label21", "Z safe:", "10",
        kSigned, At(kMachining, 5), "safe height"),
    Row("GridSpinSpeed", kDouble, "1000", "0.##", kNumber, "txtGridSpinSpeed", "label23",
        "Spindle:", "5000", kUnsigned, At(kMachining, 3), "spindle speed"),
    Row("GridEnSpecialOp", kBool, "False", "", kChecked, "chkbGridSpOp", "", "Sp.Op", "", kAnyText,
        At(kMachining, 7), "insert the special operation after single-plunge holes"),
    Row("GridEnSpin", kBool, "True", "", kChecked, "chkbGridEnSpin", "", "OnSpin", "", kAnyText,
        At(kMachining, 6), "switch the spindle on"),
    Row("GridSpOpStr", kString, "", "", kText, "txtGridSpecialOp", "", "", "M101", kAnyText,
        At(kMachining, 8, 2), "special operation text"),
    KELVORA_DRILL_OPTIONS("Grid"),
};

constexpr InputRow kSurfaceInputs[] = {
    Row("MsqrXc", kDouble, "15", "0.###", kNumber, "txtMSqrXc", "", "Xc:", "15", kSigned,
        At(kPattern, 0), "X of the start corner"),
    Row("MsqrYc", kDouble, "15", "0.###", kNumber, "txtMSqrYc", "", "Yc:", "15", kSigned,
        At(kPattern, 1), "Y of the start corner"),
    Row("MsqrDepth", kDouble, "0.5", "0.###", kNumber, "txtMSqrDepth", "label42", "depth:", "5",
        kUnsigned, At(kMachining, 0), "total depth"),
    Row("MsqrStep", kDouble, "6", "0.###", kNumber, "txtMSqrStep", "label41", "step:", "6",
        kUnsigned, At(kPattern, 5), "distance between rows (step-over)"),
    Row("MsqrStepdown", kDouble, "0.5", "0.###", kNumber, "txtMSqrStepdwn", "label43",
        "stp down:", "0.5", kSigned, At(kMachining, 1), "step-down per layer"),
    Row("MsqrLx", kDouble, "220", "0.###", kNumber, "txtMSqrLx", "", "Lx:", "220", kSigned,
        At(kPattern, 2), "row length along X"),
    Row("MsqrLy", kDouble, "220", "0.###", kNumber, "txtMSqrLy", "", "Ly:", "220", kSigned,
        At(kPattern, 3), "extent along +Y"),
    Row("Msqrd", kDouble, "0", "0.#", kNumber, "txtMSqrToolDia", "", "d :", "4", kAnyText,
        At(kPattern, 4), "tool diameter (not used by the program)"),
    Row("MsqrFeedrate", kDouble, "4000", "0.#", kNumber, "txtMSqrFeedrate", "label50",
        "Cut Feedrate:", "4000", kUnsigned, At(kMachining, 2), "cutting feed"),
    Row("MsqrPlugFeed", kDouble, "500", "0.#", kNumber, "txtPlungeFeedrate", "label39",
        "Plunge Feedrate:", "500", kUnsigned, At(kMachining, 3), "plunge feed"),
    Row("MsqrRetract", kDouble, "1", "0.###", kNumber, "txtMSqrZRetract", "label48",
        "Z Retract:", "1", kSigned, At(kMachining, 4), "retract height"),
    Row("MsqrZsafe", kDouble, "1", "0.###", kNumber, "txtMSqrZsafe", "label47", "Z safe:", "1",
        kSigned, At(kMachining, 5), "safe height"),
    Row("MsqrSpinSpeed", kDouble, "5000", "0.##", kNumber, "txtMSqrSpinSpeed", "label49",
        "Spindle:", "5000", kUnsigned, At(kMachining, 6), "spindle speed"),
    Row("MsqrEnSpin", kBool, "True", "", kChecked, "chkbMSqrEnSpin", "", "OnSpin", "True", kAnyText,
        At(kMachining, 7), "switch the spindle on"),
    Row("MsqrFlip", kBool, "False", "", kChecked, "chkbMSqrFlip", "", "Flipped", "", kAnyText,
        At(kPattern, 6), "first row toward -X"),
    Row("MsqrGotoZero", kBool, "True", "", kChecked, "chkbMSqrGotoZero", "", "Go to Zero", "True",
        kAnyText, At(kMachining, 8), "return to X0 Y0 at the end"),
};

constexpr InputRow kContourInputs[] = {
    Row("DxfDepth", kDouble, "0", "0.###", kNumber, "txtDxfDepth", "label27", "depth:", "5",
        kUnsigned, At(kMachining, 0), "total depth (positive, downward)", 4),
    Row("DxfStepdown", kDouble, "0", "0.###", kNumber, "txtDxfStepdwn", "label28",
        "stp down:", "0.5", kUnsigned, At(kMachining, 1), "step-down per layer", 5),
    Row("DxfFeedrate", kDouble, "100", "0.#", kNumber, "txtDxfFeedrate", "label26", "Cut Feedrate:",
        "200", kUnsigned, At(kMachining, 4), "cutting feed (arcs and straight segments)", 1),
    Row("DxfPlugFeed", kDouble, "100", "0.#", kNumber, "txtDxfPlungeFeedrate", "label32",
        "Plunge Feedrate:", "100", kUnsigned, At(kMachining, 5), "plunge feed", 7),
    Row("DxfRetract", kDouble, "1", "0.###", kNumber, "txtDxfZRetract", "label30",
        "Z Retract:", "3", kUnsigned, At(kMachining, 2),
        "retract height: each layer is approached this far above it", 2),
    Row("DxfZsafe", kDouble, "1", "0.###", kNumber, "txtDxfZSafe", "label29", "Z safe:", "10",
        kAnyText, At(kMachining, 3), "safe height", 3),
    Row("DxfSpinSpeed", kDouble, "10000", "0.##", kNumber, "txtDxfSpinSpeed", "label31",
        "Spindle:", "5000", kUnsigned, At(kMachining, 6), "spindle speed", 6),
    Row("DxfEnSpin", kBool, "True", "", kChecked, "chkbDxfEnSpin", "", "OnSpin", "", kAnyText,
        At(kMachining, 7), "switch the spindle on", 8),
    Row("DxfEnSpOp", kBool, "False", "", kChecked, "chkbDxfEnSpOp", "", "Sp.Op", "", kAnyText,
        At(kMachining, 10), "insert the special operation texts around each contour", 9),
    Row("DxfSpOpStr", kString, "", "", kText, "txtDxfSpOp", "", "", "M3", kAnyText,
        At(kMachining, 11, 2), "text inserted after the plunge at the start of a contour", 10),
    Row("DxfSpOpStrOff", kString, "", "", kText, "txtDxfSpOpOff", "", "Off:", "M3", kAnyText,
        At(kMachining, 12, 2), "text inserted after the last segment of a contour", 11),
    Row("DxfEndScript", kString, "", "", kText, "txtDxfEndScript", "", "EndScript:", "M101",
        kAnyText, At(kMachining, 13, 2), "end script appended after the program", 12),
    ContourChoice("DxfOutlines", geometry::kOutlineSourceNames, "cmbDxfOutlines", "Outlines from:",
                  "the drawing's entities cut: LWPOLYLINEs, or All outline entities (lines and "
                  "arcs chained, POLYLINEs, circles, ellipses, splines, blocks)"),
    ContourOption("DxfLayers", kString, "", "", "txtDxfLayers", "Layers:", kAnyText,
                  "the drawing's layers taken, comma-separated (blank: all)"),
    ContourOption("DxfJoinTol", kDouble, "0.001", "0.###", "txtDxfJoinTol", "Join tolerance:",
                  kUnsigned, "end points this close are joined into one contour"),
    ContourOption("DxfChordTol", kDouble, "0.01", "0.###", "txtDxfChordTol", "Chord tolerance:",
                  kUnsigned, "the greatest distance of arcs and lines from an ellipse or spline"),
    ContourChoice("DxfOrder", geometry::kContourOrderNames, "cmbDxfOrder",
                  "Order:", "order of the contours: As read, or Shortest (nearest end next)"),
    DrawingChoice("DxfUnits", geometry::kDrawingUnitsNames, "cmbDxfUnits", "Drawing units:",
                  "the drawing's numbers: From the drawing (inches when its header says so, "
                  "else millimetres), Millimetres or Inches"),
    ContourChoice("DxfSide", generators::kContourSideNames, "cmbDxfSide", "Side:",
                  "where the tool runs: On the line, Outside or Inside (closed contours), Left "
                  "or Right (open contours)"),
    DrawingChoice("DxfSideBy", generators::kSideByNames, "cmbDxfSideBy", "Side by:",
                  "Nesting: Outside and Inside as a part is cut (a contour inside an odd number "
                  "of others is a hole), or Each contour on its own"),
    ContourOption("DxfToolDia", kDouble, "3", "0.###", "txtDxfToolDia", "Tool diameter:", kUnsigned,
                  "the tool's diameter (sides, lead-in, pocket)"),
    ContourChoice("DxfDirection", generators::kCutDirectionNames, "cmbDxfDirection",
                  "Direction:", "Climb or Conventional: each contour's direction for its side"),
    ContourChoice("DxfEntry", generators::kContourEntryNames, "cmbDxfEntry", "Entry:",
                  "how each layer is entered: Plunge, Ramp (down along the path) or Helix "
                  "(closed contours)"),
    ContourOption("DxfRampAngle", kDouble, "3", "0.###", "txtDxfRampAngle",
                  "Ramp angle:", kUnsigned, "ramp and helix angle, degrees from the horizontal"),
    ContourOption("DxfLeadIn", kDouble, "0", "0.###", "txtDxfLeadIn", "Lead-in radius:", kUnsigned,
                  "lead-in and lead-out arc radius on the waste side (0: none)"),
    ContourOption("DxfTabCount", kInt, "0", "0", "txtDxfTabCount", "Tabs:", kUnsigned,
                  "holding tabs per closed contour (0: none)"),
    ContourOption("DxfTabSpacing", kDouble, "0", "0.###", "txtDxfTabSpacing", "Tab spacing:",
                  kUnsigned, "a tab every this length of contour (0: use the count)"),
    ContourOption("DxfTabWidth", kDouble, "5", "0.###", "txtDxfTabWidth", "Tab width:", kUnsigned,
                  "length of a tab along the contour"),
    ContourOption("DxfTabHeight", kDouble, "1", "0.###", "txtDxfTabHeight",
                  "Tab height:", kUnsigned, "height of a tab above the full depth"),
    ContourOption("DxfPocket", kBool, "False", "", "chkbDxfPocket", "Clear inside", kAnyText,
                  "clear the area inside closed contours, keeping the contours nested in them"),
    ContourOption("DxfStepover", kDouble, "40", "0.##", "txtDxfStepover",
                  "Step-over (%):", kUnsigned, "pocket step-over, percent of the tool diameter"),
};

constexpr InputRow kCutInputs[] = {
    Row("Cut2Way", kBool, "False", "", kChecked, "chkbCut2Way", "", "2_Way", "", kAnyText,
        At(kMachining, 9), "every second pass of a cut runs backwards", 3),
    Row("CutZigZac", kBool, "False", "", kChecked, "chkbCutZigZag", "", "ZigZac", "", kAnyText,
        At(kMachining, 8), "every second cut runs backwards", 2),
    Row("CutToolDia", kDouble, "1", "0.#", kNumber, "txtCutGenToolDia", "", "Dia:", "4", kUnsigned,
        kNoBox, "tool diameter, added between generated pieces", 1),
    Row("CutX1", kDouble, "1", "0.###", kNumber, "txtCutX1", "", "X1:", "0", kSigned, kNoBox, ""),
    Row("CutX2", kDouble, "1", "0.###", kNumber, "txtCutX2", "", "X2:", "100", kSigned, kNoBox, ""),
    Row("CutY1", kDouble, "1", "0.###", kNumber, "txtCutY1", "", "Y1:", "0", kSigned, kNoBox, ""),
    Row("CutY2", kDouble, "1", "0.###", kNumber, "txtCutY2", "", "Y2:", "100", kSigned, kNoBox, ""),
    Row("CutGenX1", kDouble, "1", "0.###", kNumber, "txtCutGenX1", "", "X1:", "0", kSigned, kNoBox,
        ""),
    Row("CutGenX2", kDouble, "1", "0.###", kNumber, "txtCutGenX2", "", "X2:", "100", kSigned,
        kNoBox, ""),
};

constexpr InputRow kPointInputs[] = {
    Row("AnyDepth", kDouble, "0", "0.###", kNumber, "txtAnyDepth", "label52", "depth:", "5",
        kUnsigned, At(kMachining, 0), "depth (positive, downward)", 5),
    Row("AnyStepdown", kDouble, "0", "0.###", kNumber, "txtAnyStepdown", "label51", "step:", "2",
        kUnsigned, At(kMachining, 1), "pass depth", 6),
    Row("AnyFeedrate", kDouble, "0", "0.#", kNumber, "txtAnyFeedrate", "label60", "Feedrate:",
        "100", kUnsigned, At(kMachining, 2), "drilling feed; plunge feed of the pockets", 2),
    Row("AnyFeedrate2", kDouble, "0", "0.#", kNumber, "txtAnyFeedrate2", "", "F:", "100", kUnsigned,
        At(kPattern, 7), "cutting feed of the pocket rings", 16),
    Row("Anyd", kDouble, "0", "0.#", kNumber, "txtAnyToolDia", "", "d :", "4", kUnsigned,
        At(kPattern, 2), "tool diameter", 1),
    Row("AnyRetract", kDouble, "0", "0.###", kNumber, "txtAnyZRetract", "label58",
        "Z Retract:", "3", kUnsigned, At(kMachining, 4), "retract height", 3),
    Row("AnyZsafe", kDouble, "0", "0.###", kNumber, "txtAnyZsafe", "label57", "Z safe:", "10",
        kUnsigned, At(kMachining, 5), "safe height", 4),
    Row("AnySpinSpeed", kDouble, "0", "0.##", kNumber, "txtAnySpinSpeed", "label59",
        "Spindle:", "5000", kUnsigned, At(kMachining, 3), "spindle speed", 7),
    Row("AnyEnSpin", kBool, "False", "", kChecked, "chkbAnyEnSpin", "", "OnSpin", "", kAnyText,
        At(kMachining, 6), "switch the spindle on", 8),
    Row("AnyEnSpOp", kBool, "False", "", kChecked, "chkbAnyEnSpOp", "", "Sp.Op", "", kAnyText,
        At(kMachining, 7), "insert the special operation after single-plunge holes", 9),
    Row("AnySpOpStr", kString, "", "", kText, "txtAnySpOp", "", "", "M101", kAnyText,
        At(kMachining, 8, 2), "special operation text", 10),
    Row("AnyEndScript", kString, "", "", kText, "txtAnyEndScript", "", "EndScript:", "M101",
        kAnyText, At(kMachining, 9, 2), "closing text of the drilling program", 11),
    Row("AnyPocket", kBool, "False", "", kChecked, "chkbAnyPocket", "", "Pocket", "", kAnyText,
        At(kPattern, 3), "mill a circular pocket at every point instead of drilling", 12),
    Row("AnyStepOvr", kDouble, "0", "0.##", kNumber, "txtAnyStepOvr", "", "stepOvr:", "2",
        kUnsigned, At(kPattern, 6), "radial step between pocket rings", 15),
    Row("AnyHoleSize", kDouble, "0", "0.##", kNumber, "txtAnyHoleSize", "", "R2:", "2", kUnsigned,
        At(kPattern, 5), "pocket outer radius R2", 14),
    Row("AnyRo", kDouble, "0", "0.##", kNumber, "txtAnyRo", "", "R1:", "2", kUnsigned,
        At(kPattern, 4), "pocket inner radius R1, where the first ring starts", 13),
    KELVORA_DRILL_OPTIONS("Any"),
    Choice("AnyOrder", generators::kHoleOrderNames, "cmbOrder",
           "Order:", "order of the holes: As listed, or Shortest (the shortest rapids found)"),
    Choice("AnyEntry", generators::kPocketEntryNames, "cmbEntry",
           "Entry:", "pocket entry: Plunge, or Helix (a helical descent to each depth)"),
    Since(3, Row("AnyLayers", kString, "", "", kOptions, "txtAnyLayers", "", "Drawing layers:", "",
                 kAnyText, kNoBox,
                 "a drawing's layers whose circles are taken, comma-separated (blank: all)", 100)),
    DrawingChoice("AnyUnits", geometry::kDrawingUnitsNames, "cmbAnyUnits", "Drawing units:",
                  "a drawing's numbers: From the drawing (inches when its header says so, else "
                  "millimetres), Millimetres or Inches"),
};

constexpr InputRow kAutoGridInputs[] = {
    Row("AnyNumOfRow", kInt, "0", "0", kAutoGen, "txtNumRow", "", "", "", kAnyText, kNoBox,
        "number of rows, along Y (16-bit whole number)", 3),
    Row("AnyNumOfCol", kInt, "0", "0", kAutoGen, "txtNumCol", "", "", "", kAnyText, kNoBox,
        "number of columns, along X (16-bit whole number)", 4),
    Row("AnyDistRow", kDouble, "0", "0.##", kAutoGen, "txtRowDist", "", "", "", kAnyText, kNoBox,
        "distance between rows", 5),
    Row("AnyDistCol", kDouble, "0", "0.##", kAutoGen, "txtColDist", "", "", "", kAnyText, kNoBox,
        "distance between columns", 6),
    Row("AnyByRow", kBool, "False", "", kAutoGen, "chkbByRow", "", "", "", kAnyText, kNoBox,
        "walk row by row (False: column by column)", 7),
    Row("AnyDualDist", kDouble, "0", "0.##", kAutoGen, "txtAnyDual", "", "", "", kAnyText, kNoBox,
        "distance between the points of a pair", 9),
    Row("AnyDual", kBool, "False", "", kAutoGen, "chkbDual", "", "", "", kAnyText, kNoBox,
        "a pair of points at every position, apart in Y", 8),
    Row("AnyEndcont", kBool, "False", "", kAutoGen, "chkbEndCont", "", "", "", kAnyText, kNoBox,
        "every second row or column runs backwards", 10),
    Row("AnyZigZacRow", kDouble, "0", "0.##", kAutoGen, "txtAnyZigZacRow", "", "", "", kAnyText,
        kNoBox, "X offset of every second row", 11),
    Row("AnyZigZacCol", kDouble, "0", "0.##", kAutoGen, "txtAnyZigZacCol", "", "", "", kAnyText,
        kNoBox, "Y offset of every second column", 12),
    Row("AnyXc", kDouble, "0", "0.##", kAutoGen, "txtAnyXc", "", "", "", kAnyText, kNoBox,
        "X of the first point", 1),
    Row("AnyYc", kDouble, "0", "0.##", kAutoGen, "txtAnyYc", "", "", "", kAnyText, kNoBox,
        "Y of the first point", 2),
    Row("AnySub1", kBool, "False", "", kAutoGen, "chkbAnySub1", "", "", "", kAnyText, kNoBox,
        "every second row or column has one point fewer", 13),
};

constexpr InputRow kTeachInputs[] = {
    Row("tchOp1", kString, "Op1*Op1Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation 1, NAME*VALUE: the motion, followed by the axis words"),
    Row("tchOp2", kString, "Op2*Op2Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp3", kString, "Op3*Op3Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp4", kString, "Op4*Op4Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp5", kString, "Op5*Op5Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp6", kString, "Op6*Op6Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp7", kString, "Op7*Op7Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp8", kString, "Op8*Op8Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp9", kString, "Op9*Op9Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("tchOp10", kString, "Op10*Op10Val", "", kNone, "", "", "", "", kAnyText, kNoBox,
        "operation definition NAME*VALUE"),
    Row("TchPrefix", kString, "G90G21", "", kText, "txtTchPrefix", "lblTchPrefix", "Begin",
        "G90G21", kAnyText, kNoBox, "text before the steps"),
    Row("TchSurfix", kString, "M30", "", kText, "txtTchSurfix", "lblTchSurfix", "End", "M30",
        kAnyText, kNoBox, "text after the steps"),
};

constexpr InputRow kThreadInputs[] = {
    Row(generators::kThreadPitch, kString, "5", "", kText, "txtPitch", "", "Pitch/Bước", "5",
        kAnyText, At(kPattern, 0), "pitch (travel per turn)"),
    Row(generators::kThreadLength, kString, "20", "", kText, "txtLength", "", "Len/Dài", "20",
        kAnyText, At(kPattern, 1), "thread length"),
    Row(generators::kThreadMajorDia, kString, "15", "", kText, "txtMajorDia", "", "MajDia/Đ.Kính",
        "15", kAnyText, At(kPattern, 2), "major diameter"),
    Row(generators::kThreadPasses, kString, "5", "", kText, "txtPasses", "", "Passes/lần", "5",
        kAnyText, At(kPattern, 3), "number of passes (whole number)"),
    Row(generators::kThreadFeed, kString, "200", "", kText, "txtFeed", "", "Feed/T.độ", "200",
        kAnyText, At(kPattern, 4), "feed of the threading moves"),
    Row(generators::kThreadLeftHand, kBool, "False", "", kChecked, "chkLeftHand", "", "Left/Trái",
        "", kAnyText, At(kPattern, 5), "left-hand thread"),
    Row(generators::kThreadAutoDepth, kBool, "False", "", kChecked, "chkAutoDepth", "",
        "Depth Std/ Sâu tiêu chuẩn:", "", kAnyText, At(kPattern, 6),
        "standard depth 0.613 x pitch instead of PitDepth"),
    Row(generators::kThreadPitDepth, kString, "5", "", kText, "txtPitDepth", "", "Depth / Sâu", "5",
        kAnyText, At(kPattern, 7), "thread depth (read when AutoDepth is False)"),
    Row(generators::kThreadZaxis, kString, "Z", "", kText, "txtZaxis", "", "Z Axis", "Z", kAnyText,
        At(kPattern, 8), "letter of the axis along the workpiece"),
    Row(generators::kThreadXaxis, kString, "X", "", kText, "txtXaxis", "", "X Axis", "X", kAnyText,
        At(kPattern, 9), "letter of the infeed axis"),
    Row(generators::kThreadSpin, kString, "15000", "", kText, "txtThrdSpin", "", "Spin/T.độ Spn",
        "15000", kAnyText, At(kPattern, 10), "spindle speed, written as typed"),
};

// The dialects' names as the machine's drop-down lists and the profile stores them.
constexpr std::string_view kDialectChoices[] = {text::kDialects[0].name, text::kDialects[1].name,
                                                text::kDialects[2].name, text::kDialects[3].name};

// A drop-down of the machine's settings; it stores the chosen text.
constexpr InputRow ControlChoice(std::string_view key, std::span<const std::string_view> choices,
                                 std::string_view control, std::string_view caption,
                                 std::string_view help) {
  InputRow row = Row(key, kString, choices.front(), "", kConfig, control, "", caption, "", kAnyText,
                     kNoBox, help);
  row.choices = choices;
  return row;
}

// The machine the pre-flight report works with; its defaults are motion::Machine's
// (a small hobby mill). Captions carry the units: speeds a minute, accelerations
// a second squared, the A axis in degrees.
constexpr InputRow kMachineInputs[] = {
    Row("MachXVel", kDouble, "3000", "0.###", kConfig, "txtMachXVel", "",
        "X velocity (mm/min):", "", kUnsigned, kNoBox, "X axis maximum velocity, mm/min"),
    Row("MachXAcc", kDouble, "250", "0.###", kConfig, "txtMachXAcc", "",
        "X acceleration (mm/s²):", "", kUnsigned, kNoBox, "X axis acceleration, mm/s²"),
    Row("MachYVel", kDouble, "3000", "0.###", kConfig, "txtMachYVel", "",
        "Y velocity (mm/min):", "", kUnsigned, kNoBox, "Y axis maximum velocity, mm/min"),
    Row("MachYAcc", kDouble, "250", "0.###", kConfig, "txtMachYAcc", "",
        "Y acceleration (mm/s²):", "", kUnsigned, kNoBox, "Y axis acceleration, mm/s²"),
    Row("MachZVel", kDouble, "1500", "0.###", kConfig, "txtMachZVel", "",
        "Z velocity (mm/min):", "", kUnsigned, kNoBox, "Z axis maximum velocity, mm/min"),
    Row("MachZAcc", kDouble, "150", "0.###", kConfig, "txtMachZAcc", "",
        "Z acceleration (mm/s²):", "", kUnsigned, kNoBox, "Z axis acceleration, mm/s²"),
    Row("MachAVel", kDouble, "7200", "0.###", kConfig, "txtMachAVel", "",
        "A velocity (deg/min):", "", kUnsigned, kNoBox, "A axis maximum velocity, deg/min"),
    Row("MachAAcc", kDouble, "720", "0.###", kConfig, "txtMachAAcc", "",
        "A acceleration (deg/s²):", "", kUnsigned, kNoBox, "A axis acceleration, deg/s²"),
    Row("MachHasA", kBool, "True", "", kConfig, "chkbMachHasA", "", "Has an A axis", "", kAnyText,
        kNoBox, "the machine has a rotary A axis"),
    Row("MachSoftLimits", kBool, "False", "", kConfig, "chkbMachSoftLimits", "", "Soft limits", "",
        kAnyText, kNoBox, "check moves against the travel below"),
    Row("MachXMin", kDouble, "-1000", "0.###", kConfig, "txtMachXMin", "", "X minimum (mm):", "",
        kSigned, kNoBox, "X travel minimum, mm"),
    Row("MachXMax", kDouble, "1000", "0.###", kConfig, "txtMachXMax", "", "X maximum (mm):", "",
        kSigned, kNoBox, "X travel maximum, mm"),
    Row("MachYMin", kDouble, "-1000", "0.###", kConfig, "txtMachYMin", "", "Y minimum (mm):", "",
        kSigned, kNoBox, "Y travel minimum, mm"),
    Row("MachYMax", kDouble, "1000", "0.###", kConfig, "txtMachYMax", "", "Y maximum (mm):", "",
        kSigned, kNoBox, "Y travel maximum, mm"),
    Row("MachZMin", kDouble, "-200", "0.###", kConfig, "txtMachZMin", "", "Z minimum (mm):", "",
        kSigned, kNoBox, "Z travel minimum, mm"),
    Row("MachZMax", kDouble, "100", "0.###", kConfig, "txtMachZMax", "", "Z maximum (mm):", "",
        kSigned, kNoBox, "Z travel maximum, mm"),
    Row("MachStockTop", kDouble, "0", "0.###", kConfig, "txtMachStockTop", "",
        "Stock top Z (mm):", "", kSigned, kNoBox, "Z of the stock's top surface, mm"),
    Row("MachSpinUp", kDouble, "0", "0.###", kConfig, "txtMachSpinUp", "", "Spindle spin-up (s):",
        "", kUnsigned, kNoBox, "seconds the spindle takes to reach its speed after M3/M4"),
    Since(2, ControlChoice("MachDialect", kDialectChoices, "cmbMachDialect", "Control:",
                           "the control the programs are written for: Host, LinuxCNC, GRBL or "
                           "grblHAL")),
    Since(2, Row("MachDwellMs", kBool, "False", "", kConfig, "chkbMachDwellMs", "",
                 "Host dwell P in ms", "", kAnyText, kNoBox,
                 "the host reads a dwell's P in milliseconds (other controls: seconds)")),
    Since(3, Row("MachStateModes", kBool, "False", "", kConfig, "chkbMachStateModes", "",
                 "State units and modes at the start", "", kAnyText, kNoBox,
                 "the host's programs open with G21G90G94G17G40G49G80, as the other controls' "
                 "always do")),
};

#undef KELVORA_DRILL_OPTIONS

constexpr std::span<const InputRow> kTables[] = {
    kGeneralInputs, kCircleInputs,   kGridInputs,  kSurfaceInputs, kContourInputs, kCutInputs,
    kPointInputs,   kAutoGridInputs, kTeachInputs, kThreadInputs,  kMachineInputs,
};

// The stored tables joined in order, generation by generation (the drilling
// options after every first key, the dialect after them, then the contour
// options, then the drawing's units and side choice), so the section keeps
// the order it had before a generation existed and a profile written then only
// gains keys at its end.
constexpr int kGenerations = 5;
std::vector<InputRow> JoinStoredTables() {
  std::vector<InputRow> keys;
  for (int generation = 0; generation < kGenerations; ++generation) {
    for (std::size_t i = 0; i < std::size(kTables); ++i) {
      if (!IsStored(static_cast<JobInputs>(i))) continue;
      for (const InputRow& row : kTables[i]) {
        if (row.since == generation) keys.push_back(row);
      }
    }
  }
  return keys;
}

}  // namespace

std::span<const InputRow> InputsOf(JobInputs job) {
  return kTables[static_cast<std::size_t>(job)];
}

bool IsStored(JobInputs job) {
  return job != JobInputs::kThread;
}

const InputRow* FindInput(JobInputs job, std::string_view key) {
  for (const InputRow& row : InputsOf(job)) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

std::span<const SettingsKey> SettingsKeys() {
  static const std::vector<InputRow> keys = JoinStoredTables();
  return keys;
}

const SettingsKey* FindSettingsKey(std::string_view key) {
  for (const SettingsKey& k : SettingsKeys()) {
    if (k.key == key) return &k;
  }
  return nullptr;
}

std::optional<std::string> DisplayText(const SettingsKey& key, std::string_view storedText) {
  if (key.type == KeyType::kBool) return std::string(storedText == "True" ? "True" : "False");
  if (key.type == KeyType::kString) return std::string(storedText);
  if (key.type == KeyType::kInt) {
    const auto value = text::ParseInt32(storedText);
    if (!value) return std::nullopt;
    return std::to_string(*value);
  }
  const auto value = text::ParseDouble(storedText);
  if (!value) return std::nullopt;
  const auto format = text::NumberFormatFromPattern(key.format);
  // Values without a display pattern keep their stored text.
  if (!format) return std::string(text::TrimBlanks(storedText));
  return text::FormatNumber(*value, *format);
}

}  // namespace kelvora::settings
