// XYZDemoDialog: the plug-in's one window, as widget models.
//
// Pages
// -----
// - Each page is one class in its own file, derived from DialogPage and
//   constructed by the dialog with the TabPage it fills (circle_page.h/.cpp is
//   the smallest; a tab with no controls of its own is a plain DialogPage). The constructor creates
//   every control of the page under its name; the dialog finds controls by walking the window
//   (FindControl / Find<T> / Get<T>), so nothing else is registered.
// - A job's inputs are rows of its table in settings/settings_keys.cpp: key,
//   type, default, display format, control, caption label, caption, start text,
//   key filter, place on the page and the meaning `kelvora JOB --help` shows.
//   Adding an input is adding its row and reading it in the generator's reader:
//   the profile stores it, the page builds its box, the command line takes it.
// - A generator page uses GeneratorPage: Sketch(), Preview(), ProgramBox(),
//   Rows() for its table's inputs of an area (BeginGroup()/EndGroup() around
//   the ones in a frame), Input()/Check() for boxes that are not stored, and
//   AddButton(). Its Arrange() places everything; call it from the page's
//   Arrange(). Pages of another shape use ui/layout.h (SplitColumns,
//   SplitRows, FlowLayout) and LooseInput() for boxes they place themselves.
//   A generator page with a program box derives from ProgramPage, which holds
//   the builder and adds the GCode Gen, Load and Close buttons that work alike
//   on every such tab (program_page.h); the page names their handlers
//   (btnDrillGcodeGen_Click calls GenerateProgram()).
// - Handlers are methods of the page class named after the control
//   (btnKhoanTronPreview_Click). They read inputs through Inputs() and the
//   generators' ordered readers, put programs into the program box with
//   PutProgram() (which makes each the program of the machine's control, and
//   shows a refusal instead; a handler that tells reports first calls
//   ForMachine() itself), hand programs over with
//   LoadProgram(text, the button's failure message), minimise with
//   btnClose_Click(), and ask the operator through GetPrompts().
// - Tests build the dialog with ui::ScriptedPrompts and RecordingHandOff, call
//   XYZDemoDialog_Load() (or Show()), type into boxes (Get<ui::TextBox>("txtR")
//   .Type(...), which runs the key filters), Click() buttons, queue answers for
//   confirmations and file dialogs, and read boxes, pictures and the hand-off's
//   writes back. Every page must pass the layout test in
//   tests/dialog/layout_test.cpp.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_page.h"
#include "dialog/program_hand_off.h"
#include "generators/inputs.h"
#include "motion/machine.h"
#include "settings/settings_keys.h"
#include "text/outcome.h"
#include "ui/form.h"
#include "ui/prompts.h"
#include "ui/table.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::dialog {

class TeachPage;
enum class TeachAction;

inline constexpr int kClientWidth = 1191;
inline constexpr int kClientHeight = 668;
inline constexpr int kHeaderHeight = 46;

// One stored value on its way between the settings and the dialog: the key, the
// control it is shown in (empty for values without a control), and the text the
// control shows ("True"/"False" for check boxes, the index for the language).
struct StoredValue {
  std::string key;
  std::string control;
  std::string text;
};

class XYZDemoDialog {
 public:
  XYZDemoDialog(ui::Prompts& prompts, ProgramHandOff& handOff);
  ~XYZDemoDialog();
  XYZDemoDialog(const XYZDemoDialog&) = delete;
  XYZDemoDialog& operator=(const XYZDemoDialog&) = delete;

  ui::Form& GetForm() { return form_; }
  ui::Prompts& GetPrompts() { return prompts_; }
  ProgramHandOff& GetHandOff() { return handOff_; }
  ui::Clipboard& GetClipboard() { return clipboard_; }

  // --- Window: shown, hidden, minimised (the plug-in's side) ---
  // Shows the window (the first show runs XYZDemoDialog_Load), focuses it and
  // brings a minimised window back to normal.
  void ShowAndFocus();
  bool Visible() const { return form_.Visible(); }
  bool Minimised() const { return form_.GetWindowState() == ui::WindowState::kMinimised; }

  // --- Controls by name ---
  ui::Control* FindControl(std::string_view name);
  template <typename T>
  T* Find(std::string_view name) {
    return dynamic_cast<T*>(FindControl(name));
  }
  // The control, which must exist with that kind (a missing one is a
  // programming error: std::out_of_range).
  template <typename T>
  T& Get(std::string_view name) {
    if (T* c = Find<T>(name)) return *c;
    throw std::out_of_range("no control " + std::string(name));
  }
  // Names used by more than one control (none in a sound dialog).
  std::vector<std::string> DuplicateNames();
  ui::Timer* FindTimer(std::string_view name);
  void RegisterTimer(ui::Timer& timer);
  // Every registered timer (a back-end runs the enabled ones).
  std::vector<ui::Timer*> Timers() const;

  // --- Inputs by settings key ---
  void BindKey(std::string_view key, std::string_view control);
  // The control bound to a key, or empty.
  std::string ControlOfKey(std::string_view key) const;
  const std::map<std::string, std::string, std::less<>>& KeyBindings() const { return keys_; }
  // What the generators read: the text of the key's box, "True"/"False" for a
  // check box, a machine setting's text (MachineText), a drilling option's text
  // (OptionText); any other unbound key reads as empty (and so does not
  // convert).
  generators::TextLookup Inputs();
  // A key of the machine's settings ("MachDialect", "MachDwellMs", ...) as the
  // current machine gives it, in the text its configuration box shows; nullopt
  // for a key that is no machine setting. The jobs read the control's dialect
  // and the host's dwell unit so.
  std::optional<std::string> MachineText(std::string_view key) const;
  // A drilling option, a key a tab's "Options" form shows: the text its OK last
  // put in, or the one the stored settings gave, or else the key's default; empty
  // for a key that is no option. The options travel with the stored values
  // without a control, so the profile keeps what the form set.
  std::string OptionText(std::string_view key) const;

  // The value a control shows, as StoredValue texts carry it; nullopt when no
  // control of a value kind has that name.
  std::optional<std::string> ControlValue(std::string_view name);
  bool SetControlValue(std::string_view name, std::string_view text);

  // --- Start-up, closing, settings ---
  void XYZDemoDialog_Load();
  void XYZDemoDialog_FormClosing(ui::FormClosingEvent& e);
  // Every Close button: minimises the window.
  void btnClose_Click();
  // Stored values into the controls: first the G-code folder, then the
  // language, then every value in order; values whose control does not exist
  // are kept and handed back by SaveParam. Ends with ParamLoaded() true.
  void LoadParam(const std::vector<StoredValue>& values);
  // The controls' values for the keys asked for (`wanted` gives key and control;
  // its text is kept for keys whose control does not exist and that LoadParam
  // did not receive).
  std::vector<StoredValue> SaveParam(std::vector<StoredValue> wanted);
  bool ParamLoaded() const { return paramLoaded_; }
  // Stored values without a control (operation definitions, the automatic grid's).
  std::optional<std::string> MirrorValue(std::string_view key) const;
  void SetMirrorValue(std::string_view key, std::string text);

  // --- The machine ---
  // Where the window gets the machine its programs are checked against: the
  // plug-in sets a source that answers with the machine of its configuration
  // dialog, asked anew each time, so a change there counts from the next program.
  using MachineSource = std::function<motion::Machine()>;
  void SetMachineSource(MachineSource source) { machineSource_ = std::move(source); }
  // The source's machine, or the default machine when no source is set.
  motion::Machine CurrentMachine() const {
    return machineSource_ ? machineSource_() : motion::Machine{};
  }

  // --- Language ---
  // Applies the captions of language `index`, then lets every page put its
  // own texts (the report lines) into it.
  void LanguageSwitch(int index);
  void cmbLanguage_SelectedIndexChanged();
  int Language = 0;

  // --- Program hand-off ---
  // Writes the text and CR LF to temp.tap and raises the load request; on
  // failure shows `failureMessage` and leaves the request as it was.
  void LoadProgram(std::string_view programText, std::string_view failureMessage);
  void CreateGcodeFolder();
  void RaiseCloseFileRequest() { closeFileTrigger = true; }
  // Shows a refused conversion: the message, and what it concerns on the next line.
  void ShowFailure(const Failure& failure);
  // A job's program made into the program of the current machine's control:
  // `job` is the job's input table, `texts` its inputs (the script boxes a
  // refused word is named by). The host's programs come back as they are.
  Outcome<std::string> ForMachine(std::string program, settings::JobInputs job,
                                  const generators::TextLookup& texts) const;
  // What a G-code button does with its job's result: the program, made for the
  // machine's control (ForMachine), replaces the box's text and the close-file
  // request is raised; a refusal, the job's or the control's, is shown and the
  // box keeps what it held. Returns whether a program was put in.
  bool PutProgram(Outcome<std::string> program, std::string_view box, settings::JobInputs job,
                  const generators::TextLookup& texts);

  // The open-file dialog all tabs share (dlgOpenFile): shown with a filter,
  // which it keeps for a later showing that sets none (all files before the
  // first). nullopt when the operator cancels.
  std::optional<std::string> ShowOpenFile(std::string_view filter);
  std::optional<std::string> ShowOpenFileKeepingFilter();

  // The machine position (DROs 800 to 805) into textBoxX/Y and txtTchX … txtTchC,
  // with three decimals; boxes that do not exist are skipped.
  void ShowMachinePosition(const std::array<double, 6>& position);

  // Requests the plug-in serves at its next update.
  bool LoadFileTrigger = false;
  bool closeFileTrigger = false;
  // The teach table's automatic mode.
  bool GetAuto = false;
  // The teach table's machine side: the update cycle, which watches the host's
  // input signals in automatic mode, runs one of the automatic mode's actions.
  void RunTeachAction(TeachAction action);

  // --- Lists ---
  ui::Table dtResult;
  ui::Table dtCut;
  ui::Table dtCutVer;
  ui::Table dtCutGenHoriz;
  bool ListsCreated() const { return listsCreated_; }
  // The teach table's working lists.
  std::vector<std::string> tempOpList;
  std::map<std::string, std::string> Oplist;

  // --- Layout ---
  // Places every control for the form's current client size (also run when the
  // form is resized).
  void Arrange();
  // Every page object, in the order of the tabs.
  const std::vector<DialogPage*>& PageObjects() const { return pageObjects_; }
  // The tab pages that hold controls of their own (the inner pages of the
  // drilling and surface tabs, and the other main tabs), in tab order.
  std::vector<ui::TabPage*> LeafPages();

 private:
  void BuildHeader();
  void BuildTabs();
  template <typename P>
  P& MakePage(ui::TabControl& tabs, std::string name, std::string caption);
  void Reindex();

  ui::Prompts& prompts_;
  ProgramHandOff& handOff_;
  ui::Clipboard clipboard_;
  ui::Form form_;
  std::vector<std::unique_ptr<DialogPage>> pages_;
  std::vector<DialogPage*> pageObjects_;
  TeachPage* teachPage_ = nullptr;
  std::map<std::string, ui::Control*, std::less<>> index_;
  std::map<std::string, ui::Timer*, std::less<>> timers_;
  std::map<std::string, std::string, std::less<>> keys_;
  std::map<std::string, std::string, std::less<>> mirrors_;
  bool paramLoaded_ = false;
  bool listsCreated_ = false;
  std::string openFileFilter_;
  MachineSource machineSource_;
};

}  // namespace kelvora::dialog
