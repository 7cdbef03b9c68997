// The keys of the plug-in's profile section: name, type, default, the dialog field
// and control each mirrors and how the control shows it. One table drives the
// profile's reads and writes and the command line's defaults.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

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
};

struct SettingsKey {
  std::string_view key;
  KeyType type;
  std::string_view defaultText;  // in its stored text form ("True", "0.5", "Op1*Op1Val")
  std::string_view mirror;       // the dialog's mirror field
  std::string_view control;      // the control it is copied to and from, if any
  ShownAs shownAs;
  std::string_view format;  // number pattern for kNumber and the numbers of kAutoGen
};

// All keys, in the order the shutdown writes them.
std::span<const SettingsKey> SettingsKeys();
const SettingsKey* FindSettingsKey(std::string_view key);

// The text a control shows for a stored value text of `key` read with its type
// (numbers through the control's display pattern). Used for defaults and for
// values read from a profile; nullopt when a number does not convert.
std::optional<std::string> DisplayText(const SettingsKey& key, std::string_view storedText);

}  // namespace kelvora::settings
