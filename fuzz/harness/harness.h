// What each fuzz target does with one input, as plain functions so that the
// ordinary test suite replays the inputs the fuzzers found with the same code.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "motion/report.h"

namespace kelvora::fuzz {

// nullopt when every property held for this input; otherwise what broke. A crash
// or a sanitizer report ends the process before that.
using Verdict = std::optional<std::string>;

struct Target {
  std::string_view name;
  std::function<Verdict(std::string_view data)> run;
};

// Every target: the readers ("dxf", "points_csv", "cuts_csv", "teach_csv",
// "profile", "numbers", "gcode"), the drawing's outlines ("outlines"), the
// contour plan ("contour_plan"), one per job ("job_circle", ..., "job_autogrid")
// and the pre-flight report of the jobs' programs ("job_report").
const std::vector<Target>& Targets();
const Target* FindTarget(std::string_view name);

// The readers.
Verdict FuzzDxf(std::string_view data);
Verdict FuzzPointsCsv(std::string_view data);
Verdict FuzzCutsCsv(std::string_view data);
Verdict FuzzTeachCsv(std::string_view data);
Verdict FuzzProfile(std::string_view data);
Verdict FuzzNumbers(std::string_view data);
// The G-code reader: any bytes, read to the end; every move finite.
Verdict FuzzGcode(std::string_view data);
// A job's own program (no operator text in it) reads without an unknown word
// or a malformed number.
Verdict CheckProgramReads(std::string_view program);

// The outlines of a drawing with the outline options from the input: the texts
// of "DxfOutlines", "DxfJoinTol", "DxfChordTol", "DxfLayers", "DxfOrder", each
// ended by a NUL byte, then the drawing.
Verdict FuzzOutlines(std::string_view data);
// The contour plan (program, notes and tool paths) of contours decoded from the
// input with every contour option: the texts of kContourPlanKeys, each ended by
// a NUL byte, then the contours, 6 bytes a vertex (x and y as 16-bit sixteenths
// of a millimetre, the bulge as a signed byte in 64ths, and a byte whose bit 0
// ends the contour and bit 1 closes it).
Verdict FuzzContourPlan(std::string_view data);
inline constexpr std::string_view kContourPlanKeys[] = {
    "DxfSide",   "DxfToolDia",  "DxfDirection",  "DxfEntry",    "DxfRampAngle",
    "DxfLeadIn", "DxfTabCount", "DxfTabSpacing", "DxfTabWidth", "DxfTabHeight",
    "DxfPocket", "DxfStepover", "DxfDepth",      "DxfStepdown"};

// The text a job's key gets from the input's text for it: a one-byte text
// chooses among a drop-down's choices (the byte modulo their count) and sets
// or clears a check box (odd: "True"), so the fuzzers reach every choice;
// every other text is kept as it is (an unknown choice is still reached).
std::string ChosenText(std::string_view key, std::string_view text, bool ownBool = false);

// A job of the command line's table, its input texts decoded from `data`: the
// texts of its keys in the order `kelvora JOB --help` lists them, each ended by a
// NUL byte (keys after the last given text keep their defaults); for a job that
// reads a file, everything after the last key's NUL is that file.
Verdict FuzzJob(std::string_view job, std::string_view data);

// A job's program made into a control's and fed to the pre-flight report: the
// first byte chooses the job (modulo 8: circle, grid, surface, dxf, points,
// thread, cuts, teach), then the control (divided by 8, modulo the dialects),
// bit 5 the host's dwell in milliseconds and bit 6 a machine without A; the
// rest is the job's input as FuzzJob reads it. The report counts the program's
// lines, its lengths and times are finite and not negative, its findings lie
// on lines of the program in line order, its counts add up, and every axis's
// extent is a finite range.
Verdict FuzzJobReport(std::string_view data);
// Those properties of the report of the program `bytes`.
Verdict CheckReport(const motion::Report& report, std::string_view bytes);

}  // namespace kelvora::fuzz
