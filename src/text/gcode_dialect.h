// The controls a program can be written for, and what each one decides about
// the program: one row a control, read by the jobs (canned cycles, dwell), by
// the finishing of every program (A axis, arc centres, line length, program
// end, "%", the opening line, real-time bytes, feed and arc refusals) and by
// the pre-flight report (the words the control reads).
#pragma once

#include <optional>
#include <string_view>

namespace kelvora::text {

enum class Dialect { kHost, kLinuxCnc, kGrbl, kGrblHal };

// How a dwell's P is counted.
enum class DwellUnit {
  kSeconds,
  kMachineSetting,  // seconds or milliseconds, as the machine's settings say
};

struct DialectRules {
  Dialect dialect;
  std::string_view name;  // as stored in the profile and shown in the window
  // G73 G81 G82 G83 with G98/G99 are written; otherwise the moves the control
  // would make of them are.
  bool cannedCycles;
  // A words are written; otherwise a program that turns A is refused.
  bool aAxis;
  DwellUnit dwell;
  // "G91.1" opens the program: arc centres relative to the start whatever the
  // control was set to before.
  bool statesArcCentres;
  // "M30" closes a program that holds no M2 or M30 (the contour and cut-list
  // programs end with the operator's end script alone).
  bool addsProgramEnd;
  // "%" lines stay; otherwise they are left out.
  bool keepsPercent;
  int maxLineLength;  // characters a line, line end not counted; 0: any
  // The words the control reads: letters, and G and M codes (blank separated,
  // "100-199" a range of whole codes). Empty: every word is left to the control.
  std::string_view letters;
  std::string_view gCodes;
  std::string_view mCodes;
  // The line that opens every program, so that it runs the same whatever the
  // last program left the control in: millimetres, absolute distances, feed a
  // minute, the XY plane and, where the control reads them, no cutter
  // compensation, no tool length offset and no canned cycle. One word of each
  // modal group; the job's own lines come after it and win. The host's programs
  // open with it only where the machine's settings ask.
  std::string_view opening;
  // Bytes 0x80-0xFF (anywhere, comments included) and "?", "!", "~" are taken
  // out of the stream as real-time commands: a program holds none of them.
  bool realTimeBytes;
  // Arcs the control refuses: a radius (to the start or the end) below
  // minArcRadius mm, or of 0; an end whose radius differs from the start's by
  // more than arcEndDifference mm and by more than 0.1 % of the radius, or by
  // more than 0.5 mm. Feed moves need a feed rate above 0. 0: neither is
  // looked at (the host's programs pass as written).
  double minArcRadius;
  double arcEndDifference;
};

// clang-format off
inline constexpr DialectRules kDialects[] = {
  // The host control: every program exactly as it has always been written.
  {Dialect::kHost, "Host",
   /*cannedCycles=*/true, /*aAxis=*/true, DwellUnit::kMachineSetting,
   /*statesArcCentres=*/false, /*addsProgramEnd=*/false, /*keepsPercent=*/true,
   /*maxLineLength=*/0, "", "", "",
   "G21G90G94G17G40G49G80", /*realTimeBytes=*/false, /*minArcRadius=*/0, /*arcEndDifference=*/0},
  {Dialect::kLinuxCnc, "LinuxCNC",
   true, true, DwellUnit::kSeconds,
   true, true, true,
   // "Command too long" past 253 bytes with the line's end: 251 and CR LF.
   251,
   "ABCDFGHIJKLMNOPQRSTUVWXYZ",
   "0 1 2 3 4 5 5.1 5.2 5.3 7 8 10 17 17.1 18 18.1 19 19.1 20 21 28 28.1 30 30.1 33 33.1 "
   "38.2 38.3 38.4 38.5 40 41 41.1 42 42.1 43 43.1 43.2 49 52 53 54 55 56 57 58 59 59.1 59.2 "
   "59.3 61 61.1 64 73 74 76 80 81 82 83 84 85 86 87 88 89 90 90.1 91 91.1 92 92.1 92.2 92.3 "
   "93 94 95 96 97 98 99",
   // M100-M199 run the files of the same name in the configuration's folder.
   "0 1 2 3 4 5 6 7 8 9 19 30 48 49 50 51 52 53 60 61 62 63 64 65 66 67 68 70 71 72 73 100-199",
   // A radius below 0.00005 inch is a "Zero-radius arc".
   "G21G90G94G17G40G49G80", false, 0.00127, 0.0283},
  {Dialect::kGrbl, "GRBL",
   false, false, DwellUnit::kSeconds,
   false, true, false,
   // An 80-byte line buffer: 79 characters and the line's end.
   79,
   "FGIJKLMNPRSTXYZ",
   "0 1 2 3 4 10 17 18 19 20 21 28 28.1 30 30.1 38.2 38.3 38.4 38.5 40 43.1 49 53 54 55 56 57 "
   "58 59 61 80 90 91 91.1 92 92.1 93 94",
   "0 1 2 3 4 5 7 8 9 30",
   "G21G90G94G17G40G49G80", true, 0, 0.005},
  {Dialect::kGrblHal, "grblHAL",
   true, true, DwellUnit::kSeconds,
   false, true, false,
   256,
   "ABCFGHIJKLMNPQRSTXYZ",
   "0 1 2 3 4 10 17 18 19 20 21 28 28.1 30 30.1 38.2 38.3 38.4 38.5 40 43 43.1 49 53 54 55 56 "
   "57 58 59 61 73 80 81 82 83 85 86 89 90 91 91.1 92 92.1 93 94 98 99",
   "0 1 2 3 4 5 6 7 8 9 30 56",
   "G21G90G94G17G40G49G80", true, 0, 0.005},
};
// clang-format on

const DialectRules& RulesOf(Dialect dialect);

// The dialect a name gives, in any case ("grbl", "LinuxCNC"); an empty name is
// the host's. Nothing for any other name.
std::optional<Dialect> DialectNamed(std::string_view name);

// The names, for messages and help: "Host, LinuxCNC, GRBL, grblHAL".
std::string_view DialectNameList();

// Whether the control reads the word `letter` (upper case) `number`: the
// letter, and for G and M the code.
bool AcceptsWord(const DialectRules& rules, char letter, double number);

}  // namespace kelvora::text
