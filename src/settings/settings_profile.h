// The plug-in's stored inputs: the values of the settings keys and the three
// moments the profile is touched (start-up, first opening of the dialog,
// shutdown). The dialog and the plug-in's entry points call these; the command
// line uses the first opening's read for --profile.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "motion/machine.h"
#include "settings/settings_keys.h"
#include "settings/xml_net_profile.h"

namespace kelvora::settings {

inline constexpr std::string_view kSectionName = "Kelvora";
inline constexpr std::string_view kPlugInsSection = "PlugIns";

// The value of every key but "Dlg" (which lives in the configuration object),
// by key, typed as the key table says. A new Settings holds every default.
class Settings {
 public:
  using Value = std::variant<bool, int, double, std::string>;

  Settings();

  bool Bool(std::string_view key) const;
  int Int(std::string_view key) const;
  double Double(std::string_view key) const;
  const std::string& String(std::string_view key) const;
  const Value& Get(std::string_view key) const;

  void SetBool(std::string_view key, bool value);
  void SetInt(std::string_view key, int value);
  void SetDouble(std::string_view key, double value);
  void SetString(std::string_view key, std::string value);

  // The text the key's control shows: numbers through the box's display pattern,
  // check boxes as "True"/"False", texts unchanged, the language as its index.
  std::string ControlText(std::string_view key) const;
  // Takes a control's text back, as the shutdown does: numbers as the box reads
  // them ("Cirn" as a 16-bit, the other counts as 32-bit whole numbers), check
  // boxes from "True". A text that does not convert keeps the value the key had,
  // so a stray edit never replaces the stored number with something else.
  // Returns false in that case.
  bool SetFromControlText(std::string_view key, std::string_view text);

 private:
  std::size_t IndexOf(std::string_view key) const;
  std::vector<Value> values_;  // in key-table order, "Dlg" included but unused
};

// The order of the first opening's reads: "gcGenLanguage", then the table from
// "CirXc" to "MachSpinUp", with each spindle switch read before its group's
// special-operation switch.
std::vector<const SettingsKey*> FirstOpeningReadOrder();

// Start-up, when the host names its profile: reads "Dlg" (true when missing)
// and registers the plug-in in the host's "PlugIns" section (an entry of 0 or
// none becomes 1; the file is saved whenever it loaded).
struct StartUpResult {
  bool enableDlg = true;
  bool registered = false;  // the "PlugIns" section was loaded and saved
};
StartUpResult SettingsStartUp(const std::string& profilePath, const MessageSink& messages);

// First opening of the dialog: every key read with its type and default. A
// profile that cannot be loaded gives every default; `failure` then says why. A
// stored number that does not convert (a decimal comma such as "0,5", a word)
// gives the key's default too; such keys are listed in `unreadable`, in the
// order they were read.
struct FirstOpeningRead {
  Settings settings;
  std::optional<std::string> failure;
  std::vector<std::string> unreadable;
};
FirstOpeningRead SettingsFirstOpening(const std::string& profilePath, const MessageSink& messages);

// The one message that names the keys a first opening could not read, or nullopt
// when it read them all: "These settings could not be read and were set to
// their defaults: CirR, GridXm".
std::optional<std::string> UnreadableSettingsMessage(const FirstOpeningRead& read);

// What the shutdown copies out of the dialog.
struct ShutdownState {
  bool dialogExists = false;
  bool dialogVisible = false;
  // The inputs copied out of the dialog, or null when the dialog was never opened
  // in this run: its boxes then hold start values, not the stored ones, so only
  // "Dlg" is written and every stored key stays as it is.
  const Settings* settings = nullptr;
  // The machine the plug-in works with, or null to leave the machine's keys as
  // `settings` has them (or as stored). Written whether or not the dialog exists:
  // the configuration dialog sets it.
  const motion::Machine* machine = nullptr;
};
// Shutdown: writes "Dlg" and every key in table order (a section written for the
// first time gets its elements in that order), then the machine's keys when a
// machine is given, and saves. A profile that does not load is left untouched.
// Returns whether the file was saved.
bool SettingsShutdown(const std::string& profilePath, const ShutdownState& state,
                      const MessageSink& messages);

}  // namespace kelvora::settings
