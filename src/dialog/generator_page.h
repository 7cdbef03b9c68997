// The three-column arrangement that the generator tabs share:
//
//   explanatory picture   | preview picture    | program box
//   ----------------------+--------------------+---------------------------
//   pattern inputs        | machining inputs   | buttons (GCode Gen , Load,
//                         |   (two columns)    |   Close, and the tab's own)
//
// A tab declares its controls in reading order with the builder's calls; the
// builder creates them with their names, captions, start texts and key filters,
// binds each input to its settings key, and places everything. The pictures
// and the program box take the room the window gains; the input areas keep
// their size. Captions are measured in all four languages, so the caption
// column is as wide as the longest text any language gives it.
#pragma once

#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/picture.h"
#include "settings/settings_keys.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

class XYZDemoDialog;

enum class KeyFilter { kNone, kSigned, kUnsigned };

// Where an input goes: the pattern inputs below the explanatory picture, or the
// machining inputs below the preview.
enum class InputArea { kPattern, kMachining };

// The three upper areas, which take the room the window gains.
enum class TopSlot { kLeft, kMiddle, kRight };

struct InputSpec {
  std::string name;     // the text box, "txtR"
  std::string key;      // its settings key, "CirR" (empty: not stored)
  std::string label;    // the caption's label, "label3" (empty: "lbl" + name without "txt")
  std::string caption;  // "D:"
  std::string start;    // the text when the dialog is built
  KeyFilter filter = KeyFilter::kNone;
};

class GeneratorPage {
 public:
  // The inputs' boxes, and the left column (see SetPatternWidth).
  static constexpr int kBoxWidth = 90;
  static constexpr int kPatternWidth = 300;

  GeneratorPage(XYZDemoDialog& dlg, ui::TabPage& page);

  // The explanatory picture (left, top).
  ui::PictureBox& Sketch(std::string name, geometry::Picture drawing);
  // The preview picture (middle, top), showing `startDrawing` until the first preview.
  ui::PictureBox& Preview(std::string name, geometry::Picture startDrawing);
  // The program box (right, top): multi-line, both scroll bars, 8.25 pt.
  ui::TextBox& ProgramBox(std::string name);

  // A control on a row of its own under the program box (the report line):
  // `fit` gives its height for the column's width; the program box gives up
  // that room.
  void UnderProgram(ui::Control& control, std::function<int(int width)> fit);

  // Any control the page made on its tab page, in an upper area instead of the
  // picture or program box (a list grid, a paint panel).
  void PlaceOnTop(TopSlot slot, ui::Control& control);

  // Inputs, in reading order within their area.
  ui::TextBox& Input(InputArea area, const InputSpec& field);
  ui::CheckBox& Check(InputArea area, std::string name, std::string key, std::string caption,
                      bool checked = false);
  // A multi-line text over the area's whole width, `rows` rows high, with an
  // optional caption label on its left.
  ui::TextBox& MultiText(InputArea area, const InputSpec& field, int rows);
  // The boxes of the jobs' inputs that their rows put into `area`, in the rows'
  // reading order, limited to orders from `from` up to (not including) `to`:
  // captions, start texts, key filters and bindings come from the rows.
  void Rows(InputArea area, std::initializer_list<settings::JobInputs> jobs, int from = 0,
            int to = std::numeric_limits<int>::max());
  // A caption and box that the page places itself (on a sub-tab), from its row.
  ui::TextBox& LooseInput(ui::Control& parent, const settings::InputRow& row);
  // A label on a row of its own over the area's width (a file path, a note).
  ui::Label& Note(InputArea area, std::string name, std::string text);
  // Inputs added between these two calls sit in a framed group with a caption.
  ui::GroupBox& BeginGroup(InputArea area, std::string name, std::string caption);
  void EndGroup();

  // A button in an area's next cell, among the inputs it concerns.
  ui::Button& AreaButton(InputArea area, std::string name, std::string caption,
                         std::function<void()> onClick);

  // Buttons (right, bottom), in order, flowing onto more rows when needed.
  ui::Button& AddButton(std::string name, std::string caption, std::function<void()> onClick);

  // Places everything inside the page's current size. A page with nothing in
  // the left upper area has its pattern inputs at the top of the left column.
  void Arrange();
  // The left column's width (kPatternWidth unless a page needs a wider one, as
  // for a list grid in its upper area).
  void SetPatternWidth(int width) { patternWidth_ = width; }

  // For pages of another shape that use only the builder's inputs: the height
  // an area's inputs need in `columns` columns, and placing them in `bounds`.
  int InputsHeight(InputArea area, int columns);
  void ArrangeInputs(InputArea area, const ui::Bounds& bounds, int columns);

 private:
  enum class ItemKind { kPair, kCheck, kButton, kMulti, kGroup, kNote };
  struct Item {
    ItemKind kind;
    ui::Control* control = nullptr;  // the box, check box or group
    ui::Label* label = nullptr;      // the caption of a pair or captioned multi-line text
    int rows = 1;
    std::vector<Item> children;  // a group's inputs
  };
  struct Area {
    int columns = 1;
    std::vector<Item> items;
  };

  static bool IsCell(ItemKind kind);
  Area& AreaOf(InputArea area) { return area == InputArea::kPattern ? pattern_ : machining_; }
  std::vector<Item>& Target(InputArea area);
  ui::Control& Parent(InputArea area);
  ui::Label& MakeLabel(ui::Control& parent, const InputSpec& field);
  ui::TextBox& MakeBox(ui::Control& parent, const InputSpec& field);

  // The caption width of an area: its widest caption in any language.
  int LabelWidth(const std::vector<Item>& items) const;
  // Height the items need in `columns` columns.
  static int ItemsHeight(const std::vector<Item>& items, int columns);
  void PlaceItems(const std::vector<Item>& items, const ui::Bounds& area, int columns,
                  int labelWidth);

  XYZDemoDialog& dlg_;
  ui::TabPage& page_;
  ui::Control* top_[3] = {nullptr, nullptr, nullptr};  // by TopSlot
  ui::Control* underProgram_ = nullptr;
  std::function<int(int width)> underProgramFit_;
  std::vector<ui::Button*> buttons_;
  Area pattern_{1, {}};
  Area machining_{2, {}};
  int patternWidth_ = kPatternWidth;
  InputArea groupArea_ = InputArea::kPattern;
  ui::GroupBox* openGroup_ = nullptr;
};

}  // namespace kelvora::dialog
