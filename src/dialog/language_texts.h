// The dialog's captions in its four languages, and the switch that applies one.
// Only the captions listed here change with the language; everything else keeps
// the text it was built with.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace kelvora::dialog {

inline constexpr int kLanguageCount = 4;

// The language chooser's items, by language index: Vietnamese (the start-up
// language), English, Thai, Indonesian.
const std::array<std::string_view, kLanguageCount>& LanguageItems();

// One row of the caption table: the controls that share a text and that text in
// each language.
struct CaptionRow {
  std::vector<std::string_view> controls;
  std::array<std::string_view, kLanguageCount> texts;
};
const std::vector<CaptionRow>& LanguageCaptionRows();

// The drilling tabs' "Options" form: its title (by the form's name) and
// captions, by control name as in the table above. The form's size is measured
// over every language, so a switch only puts the other texts in.
const std::vector<CaptionRow>& OptionsCaptionRows();

// The items of the form's drop-downs in each language, by the English choice
// text an item stores ("Full retract", "G99", "Shortest").
struct ChoiceRow {
  std::string_view choice;
  std::array<std::string_view, kLanguageCount> texts;
};
const std::vector<ChoiceRow>& OptionsChoiceRows();
// A choice as the drop-down shows it in a language; the stored text itself
// where the table has no row for it or the index is outside 0 ... 3.
std::string_view ChoiceCaption(std::string_view choice, int language);

// The names of the generated cut list's second and third columns in a language,
// or nullopt where that language leaves them as they are.
std::optional<std::array<std::string_view, 2>> CutGenColumnNames(int index);

// Where LanguageSwitch puts the texts.
struct CaptionTarget {
  // Sets the caption of a control, by its name.
  std::function<void(std::string_view control, std::string_view text)> setCaption;
  // Renames a column (by position) of the generated cut list; empty while that
  // list's table does not exist yet.
  std::function<void(int column, std::string_view name)> renameCutGenColumn;
};

// Applies language `index` to every caption of the table. An index outside
// 0 ... 3 changes nothing.
void LanguageSwitch(int index, const CaptionTarget& target);

}  // namespace kelvora::dialog
