// The inputs of every job, one table per job, and the keys of the plug-in's
// profile section, which are the stored jobs' tables joined in order. One row
// drives the profile's reads and writes, the page's box, and the command line's
// keys, defaults and help.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::settings {

enum class KeyType { kBool, kInt, kDouble, kString };

// How a key's value is put into its control.
enum class ShownAs {
  kNone,     // no control of the main dialog
  kIndex,    // a drop-down's selected index
  kNumber,   // a text box, through the number pattern in `format`
  kChecked,  // a check box's checked state
  kText,     // a text box, text unchanged
  // A box of the automatic point grid dialog, filled when that dialog opens:
  // numbers through `format`, check boxes by their checked state.
  kAutoGen,
  // A box of the configuration dialog (the machine's settings), filled when that
  // dialog opens: numbers through `format`, check boxes by their checked state.
  kConfig,
  // A box of a drilling tab's "Options" form, filled when that form opens:
  // numbers through `format`, check boxes by their checked state, drop-downs by
  // the choice the text names (`choices`).
  kOptions,
};

// The key filter of a text box: which characters typing may put in.
enum class Filter { kAnyText, kSigned, kUnsigned };

// Where a page's builder puts an input: below the explanatory picture (the
// pattern), below the preview (the machining), or nowhere (the page places it
// itself, or it has no box).
enum class Area { kNoArea, kPattern, kMachining };

struct Place {
  Area area = Area::kNoArea;
  int order = 0;  // reading order within the area
  int lines = 1;  // text rows of the box (2 for the multi-line texts)
};

// One input of a job: how it is stored, shown, typed, and explained on the
// command line. A row is all it takes for the profile to store it, the page to
// build its box and caption, and `kelvora JOB --help` to list it; the
// generator's reader then decides where in the job's reading order it is read.
struct InputRow {
  std::string_view key;  // the settings key ("CirR")
  KeyType type;
  std::string_view defaultText;  // in its stored text form ("True", "0.5", "Op1*Op1Val")
  std::string_view format;       // number pattern for kNumber and the numbers of kAutoGen, kConfig
  ShownAs shownAs;
  std::string_view control;     // the control it is copied to and from, if any
  std::string_view captionKey;  // the caption label the language texts name ("label3");
                                // empty: "lbl" and the control's name without "txt"
  std::string_view caption;     // the caption (the check box's text) the page starts with
  std::string_view start;       // the box's text when the page is built ("True": checked)
  Filter filter;
  Place place;
  std::string_view help;  // meaning in `kelvora JOB --help`; empty: not a command-line input
  int helpOrder;          // its place in that list when it differs from the table's order
  // The texts a drop-down of choices stores, in the order it lists them (the
  // first is the default); empty for every other input.
  std::span<const std::string_view> choices = {};
  // The profile's generation that added the key: the section holds its keys
  // generation by generation, so a profile written before a key existed only
  // gains keys at its end (0: the first keys, 1: the drilling options, 2: the
  // control's dialect and dwell unit, 3: the contour options and the host's
  // stated modes, 4: the drawing units and the side by nesting).
  int since = 0;
};

using SettingsKey = InputRow;

// The tables, one per job. The stored ones, in this order, make up the profile
// section; the thread's inputs are not stored.
enum class JobInputs {
  kGeneral,  // the window itself: shown at start-up, language
  kCircle,
  kGrid,
  kSurface,
  kContour,  // the router tab's machining inputs, read by the drawing and the cut lists
  kCuts,     // the router tab's cut lists
  kPoints,
  kAutoGrid,
  kTeach,
  kThread,
  kMachine,  // the machine's limits, edited in the configuration dialog
};
std::span<const InputRow> InputsOf(JobInputs job);
bool IsStored(JobInputs job);
// The row of `key` in the job's table, or null.
const InputRow* FindInput(JobInputs job, std::string_view key);

// All keys, in the order the shutdown writes them.
std::span<const SettingsKey> SettingsKeys();
const SettingsKey* FindSettingsKey(std::string_view key);

// The text a control shows for a stored value text of `key` read with its type
// (numbers through the control's display pattern). Used for defaults and for
// values read from a profile; nullopt when a number does not convert.
std::optional<std::string> DisplayText(const SettingsKey& key, std::string_view storedText);

}  // namespace kelvora::settings
