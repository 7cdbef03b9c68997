// A small sanity check of generated programs, independent of the generators: it
// knows only what any program of ours may look like, so it catches words that no
// controller could read ("Z--2", "NaN", "Infinity", "1e+20", "G0X") whatever
// produced them. The fuzz targets judge every program they get with it, and the
// dialog's tests every program a button gives.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::fuzz {

struct ProgramRules {
  // Texts the operator typed that a program inserts verbatim at the start of a
  // line (special operations, end scripts, prefixes): skipped, not checked.
  std::vector<std::string> userBlocks;
  // The thread layout: blanks between words, "%" lines, "(...)" comment lines
  // and empty lines.
  bool threadLayout = false;
  // Texts the operator typed that stand where a word's letter stands (the thread
  // job's axis letters). An empty one lets a number stand alone.
  std::vector<std::string> letterTexts;
  // Texts the operator typed that stand where a word's number stands (a spindle
  // text). An empty one only at the end of a line, after a letter.
  std::vector<std::string> valueTexts;
  // The most lines a program may have outside the operator's blocks.
  double maxLines = 0;
};

// nullopt for a sound program; otherwise what is wrong and on which line. Every
// line ends with CR LF, except that the program may end inside an operator's
// block (an end script appended as typed). Every other line is empty or made of
// words: a letter and a number ("-" at most once, digits, at most one "." with
// digits after it), back to back.
std::optional<std::string> CheckProgram(std::string_view program, const ProgramRules& rules);

// A number as our programs and files write it: an optional "-", digits, and an
// optional "." with digits; never "-0" (nor -0.000), never an exponent.
bool IsPlainNumber(std::string_view text);

}  // namespace kelvora::fuzz
