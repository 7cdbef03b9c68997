// Every text box a generator reads, filled in turn with text no key filter would
// let through (as restored settings or a paste put it there), and every
// generator button of its page pressed after each: each press shows a message
// and gives no program, or gives a program that passes the sanity check. The
// boxes come from the dialog's key bindings and the buttons from their pages, so
// a tab added later is swept without more code here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "dialog_fixture.h"
#include "generators/limits.h"
#include "program_check.h"
#include "support/scratch_folder.h"
#include "text/files.h"
#include "text/number_format.h"
#include "text/parse.h"
#include "ui/data_grid.h"

namespace kelvora::dialog {
namespace {

namespace fs = std::filesystem;
using fuzz::CheckProgram;
using fuzz::ProgramRules;
using testing::DialogHarness;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  out.erase(std::remove(out.begin(), out.end(), '_'), out.end());
  return out;
}

// The buttons that preview or generate: "Preview", "GCode Gen " and each tab's
// equivalent, told by the names the tabs give them.
bool IsGeneratorButton(std::string_view name) {
  const std::string n = Lower(name);
  return n.find("preview") != n.npos || n.find("gcodegen") != n.npos ||
         n.find("gcodgen") != n.npos || n.find("gcgen") != n.npos || n == "btngenerate";
}

// A program box: a multi-line box, stored under no key, named for G-code.
bool IsProgramBox(XYZDemoDialog& dlg, const ui::TextBox& box) {
  if (!box.Multiline() || Lower(box.Name()).find("gcode") == std::string::npos) return false;
  for (const auto& [key, control] : dlg.KeyBindings()) {
    if (control == box.Name()) return false;
  }
  return true;
}

bool Inside(const ui::Control& c, const ui::Control& page) {
  for (const ui::Control* p = &c; p; p = p->Parent()) {
    if (p == &page) return true;
  }
  return false;
}

// The texts every box gets; with `limits`, also a count just outside every
// limit of the limit table (in a box that is not itself a count such a value
// may give a long but sound program, so those run in one state of the page only).
std::vector<std::string> BadValues(bool limits) {
  std::vector<std::string> values{
      "",       "   ", "-",   ".", "-.",        "1e999", "NaN",
      "∞",      "-0",  "-5",  "0", "0.0000001", "1e308", "1234567890123456789012345678901234567890",
      "Độ sâu", "1,5", "--5", "5-"};
  for (const generators::Limit& l : generators::Limits()) {
    if (!limits) break;
    const std::string v = text::FormatNumber(l.max + 1, text::NumberFormat::kWhole);
    if (std::find(values.begin(), values.end(), v) == values.end()) values.push_back(v);
  }
  return values;
}

// What the sweep saw, for the report at its end.
struct Totals {
  int presses = 0;
  int messages = 0;  // presses that showed a message and gave no program
  int programs = 0;  // presses that gave a program (which passed the check)
  int both = 0;      // a program and a report beside it
  int quiet = 0;     // previews that drew without a message
  Totals operator-(const Totals& o) const {
    return {presses - o.presses, messages - o.messages, programs - o.programs, both - o.both,
            quiet - o.quiet};
  }
};

using testing::Data;

// What a page needs besides its boxes before its buttons can give a program
// (the lists are filled for every page): the router's drawing.
const std::map<std::string, std::function<void(DialogHarness&)>> kPrepare{
    {"tabPage4",
     [](DialogHarness& h) {
       auto& tabs = h.dlg.Get<ui::TabControl>("tabControl4");
       tabs.SetSelectedIndex(2);
       h.prompts.PickOpenFile(Data("geometry/dxf/square.dxf"));
       h.Click("btnDxfOpen");
       EXPECT_TRUE(h.prompts.Messages().empty());
       tabs.SetSelectedIndex(0);
     }},
};

// One page swept: its text boxes, its generator buttons, its program boxes.
struct PageSweep {
  std::string page;
  std::vector<ui::TextBox*> boxes;
  std::vector<ui::Button*> buttons;
  std::vector<ui::TextBox*> programBoxes;
  std::vector<ui::TabControl*> subTabs;
  std::vector<ui::CheckBox*> checks;
};

// Whether a box takes any text: no key filter swallows a letter typed into it.
bool TakesAnyText(ui::TextBox& box) {
  if (!box.onKeyPress) return true;
  ui::KeyPressEvent e{U'a'};
  box.onKeyPress(box, e);
  return !e.handled;
}

// The boxes of a page that a generator may read: those stored under a key, and
// every other box the operator can edit (the thread's inputs are not stored),
// but not the program boxes.
std::vector<PageSweep> PagesOf(XYZDemoDialog& dlg) {
  std::vector<PageSweep> out;
  for (ui::TabPage* page : dlg.LeafPages()) {
    PageSweep s{page->Name(), {}, {}, {}, {}, {}};
    for (const auto& [key, control] : dlg.KeyBindings()) {
      ui::Control* c = dlg.FindControl(control);
      if (!c || !Inside(*c, *page)) continue;
      if (auto* box = dynamic_cast<ui::TextBox*>(c)) s.boxes.push_back(box);
      if (auto* check = dynamic_cast<ui::CheckBox*>(c)) s.checks.push_back(check);
    }
    ui::ForEachControl(*page, [&](ui::Control& c) {
      if (auto* b = dynamic_cast<ui::Button*>(&c); b && IsGeneratorButton(b->Name())) {
        s.buttons.push_back(b);
      }
      if (auto* t = dynamic_cast<ui::TextBox*>(&c)) {
        if (IsProgramBox(dlg, *t)) {
          s.programBoxes.push_back(t);
        } else if (!t->ReadOnly() &&
                   std::find(s.boxes.begin(), s.boxes.end(), t) == s.boxes.end()) {
          s.boxes.push_back(t);
        }
      }
      if (auto* check = dynamic_cast<ui::CheckBox*>(&c);
          check && std::find(s.checks.begin(), s.checks.end(), check) == s.checks.end()) {
        s.checks.push_back(check);
      }
      if (auto* tabs = dynamic_cast<ui::TabControl*>(&c)) s.subTabs.push_back(tabs);
    });
    out.push_back(std::move(s));
  }
  return out;
}

// Every list of the dialog given two sound rows, the cells chosen by their
// columns' names, so the generators that read a list have one to read.
void FillLists(XYZDemoDialog& dlg) {
  ui::ForEachControl(dlg.GetForm(), [](ui::Control& c) {
    auto* grid = dynamic_cast<ui::DataGrid*>(&c);
    if (!grid) return;
    ui::Table& table = grid->GetTable();
    table.Clear();
    for (int r = 1; r <= 2; ++r) {
      std::vector<ui::Cell> cells;
      for (const std::string& column : table.ColumnNames()) {
        const std::string n = Lower(column);
        if (n == "#") {
          cells.emplace_back(std::to_string(r));
        } else if (n == "name") {
          cells.emplace_back("P" + std::to_string(r));
        } else if (n == "operation") {
          cells.emplace_back("MOVE");
        } else if (n == "soluong") {
          cells.emplace_back(std::to_string(r));
        } else {
          cells.emplace_back(std::to_string(10 * r));
        }
      }
      table.AddRow(std::move(cells));
    }
  });
}

// The operator's own texts on a page, as the program may copy them: the
// multi-line boxes as blocks; the boxes without a key filter that start as a
// number (a spindle text) where a word's number stands, and those that start as
// something else (an axis letter) where its letter stands.
ProgramRules RulesOf(const PageSweep& s, const std::map<ui::TextBox*, std::string>& starts) {
  // Any page's program may take the thread layout; none may pass the generators'
  // own limit on its lines.
  ProgramRules rules;
  rules.threadLayout = true;
  rules.maxLines = generators::GetLimit(generators::LimitId::kProgramLines).max;
  for (ui::TextBox* box : s.boxes) {
    if (box->Multiline()) {
      rules.userBlocks.push_back(box->Text());
    } else if (TakesAnyText(*box)) {
      (text::ParseDouble(starts.at(box)) ? rules.valueTexts : rules.letterTexts)
          .push_back(box->Text());
    }
  }
  // Longer blocks first, so a block that begins with a shorter one is taken whole.
  std::sort(rules.userBlocks.begin(), rules.userBlocks.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  return rules;
}

// The dialog after a restart: shown, the teach operations back from the
// settings, and every list holding rows.
void StartUp(DialogHarness& h) {
  h.dlg.ShowAndFocus();
  h.dlg.LoadParam({{"tchOp1", "", "MOVE*G1"}, {"tchOp2", "", "Spin*M3"}});
  FillLists(h.dlg);
  h.prompts.ClearLog();
}

class BadInputSweep : public ::testing::Test {
 protected:
  // The sweep runs in a folder of its own, so that a file written without the
  // operator saving shows, and two runs at once do not share it.
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(folder_.Path());
  }
  void TearDown() override { fs::current_path(previous_); }

  // Presses `button` and checks what came of it.
  void Press(DialogHarness& h, const PageSweep& s, ui::Button& button, const ProgramRules& rules,
             const std::string& what) {
    for (ui::TextBox* p : s.programBoxes) p->SetText("");
    h.dlg.closeFileTrigger = false;
    h.prompts.ClearLog();
    const auto start = std::chrono::steady_clock::now();
    if (!button.Click()) return;  // a disabled button is not a press
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds > slowest_.first) slowest_ = {seconds, what};
    ++totals_.presses;
    const bool message = !h.prompts.Messages().empty();
    std::string program;
    for (ui::TextBox* p : s.programBoxes) program += p->Text();
    const bool generated = h.dlg.closeFileTrigger || !program.empty();
    if (generated) {
      EXPECT_FALSE(program.empty()) << what << ": the close request without a program";
      if (auto wrong = CheckProgram(program, rules)) {
        ADD_FAILURE() << what << ": " << *wrong;
      }
      ++(message ? totals_.both : totals_.programs);
    } else if (message) {
      ++totals_.messages;
    } else {
      // Only a preview may refuse quietly (an empty picture); a program button
      // that gives nothing must say why.
      EXPECT_NE(Lower(button.Name()).find("preview"), std::string::npos)
          << what << ": neither a program nor a message";
      ++totals_.quiet;
    }
  }

  // The boxes that hold a count: a fraction in them is refused as an input that
  // does not convert. Counts just outside the limits go into these only; in
  // other boxes such a value gives a long but sound program (a depth of 100001
  // is 50000 passes) and nothing the huge values do not already test.
  static std::set<ui::TextBox*> CountBoxes(DialogHarness& h, const PageSweep& s) {
    std::set<ui::TextBox*> out;
    for (ui::TextBox* box : s.boxes) {
      const std::string start = box->Text();
      box->SetText("2.5");
      for (ui::Button* button : s.buttons) {
        if (Lower(button->Name()).find("preview") != std::string::npos) continue;
        h.prompts.ClearLog();
        button->Click();
        for (const std::string& m : h.prompts.Messages()) {
          // "Parameters error", or the grid's "Parameter error".
          if (m.starts_with("Parameter")) out.insert(box);
        }
      }
      box->SetText(start);
    }
    h.prompts.ClearLog();
    return out;
  }

  void SweepPage(std::size_t index) {
    DialogHarness h;
    StartUp(h);
    std::vector<PageSweep> pages = PagesOf(h.dlg);
    ASSERT_LT(index, pages.size());
    PageSweep& s = pages[index];
    std::map<ui::TextBox*, std::string> starts;
    for (ui::TextBox* box : s.boxes) starts[box] = box->Text();
    for (ui::CheckBox* c : s.checks) starts_[c] = c->Checked();
    if (const auto prepare = kPrepare.find(s.page); prepare != kPrepare.end()) {
      prepare->second(h);
    }
    const Totals before = totals_;
    const std::set<ui::TextBox*> counts = CountBoxes(h, s);

    // Each sub-tab selection, with the page's check boxes as built and all checked.
    std::vector<std::pair<ui::TabControl*, int>> selections;
    for (ui::TabControl* tabs : s.subTabs) {
      for (int i = 0; i < static_cast<int>(tabs->Pages().size()); ++i) {
        selections.emplace_back(tabs, i);
      }
    }
    if (selections.empty()) selections.emplace_back(nullptr, 0);
    for (const auto& [tabs, selected] : selections) {
      if (tabs) tabs->SetSelectedIndex(selected);
      for (bool checked : {false, true}) {
        for (ui::CheckBox* c : s.checks) c->SetChecked(checked != starts_.at(c));
        for (ui::TextBox* box : s.boxes) {
          for (const std::string& value : BadValues(!checked && counts.count(box))) {
            box->SetText(value);
            const ProgramRules rules = RulesOf(s, starts);
            for (ui::Button* button : s.buttons) {
              const std::string what = s.page +
                                       (tabs ? "/" + tabs->Pages()[selected]->Name() : "") +
                                       (checked ? " (checks toggled) " : " ") + box->Name() +
                                       "=\"" + value + "\" " + button->Name();
              Press(h, s, *button, rules, what);
            }
            box->SetText(starts[box]);
          }
        }
      }
    }
    // Nothing was handed over and no file was written.
    EXPECT_TRUE(h.handOff.writes.empty());
    EXPECT_TRUE(fs::is_empty(folder_.Path())) << "a file was written without the operator saving";
    if (!s.boxes.empty()) {
      Report(s.page + ": " + std::to_string(s.boxes.size()) + " boxes (" +
                 std::to_string(counts.size()) + " counts), " + std::to_string(s.buttons.size()) +
                 " buttons",
             totals_ - before);
    }
  }

  void Report(const std::string& what, const Totals& t) {
    std::cout << "[ sweep    ] " << what << ", " << t.presses << " presses: " << t.messages
              << " messages, " << t.programs << " programs, " << t.both
              << " programs with a report, " << t.quiet << " quiet previews";
    if (!slowest_.second.empty()) {
      std::cout << "; slowest " << slowest_.first << " s: " << slowest_.second;
    }
    std::cout << std::endl;
    slowest_ = {};
  }

  kelvora::testing::ScratchFolder folder_{"sweep_cwd"};
  fs::path previous_;
  Totals totals_;
  std::pair<double, std::string> slowest_;
  std::map<ui::CheckBox*, bool> starts_;
};

// Every page with boxes a generator reads has a button that reads them, so a
// page whose buttons the sweep cannot find fails here instead of passing empty.
TEST_F(BadInputSweep, EveryPageWithInputsHasGeneratorButtons) {
  DialogHarness h;
  h.dlg.ShowAndFocus();
  for (const PageSweep& s : PagesOf(h.dlg)) {
    bool stored = false;
    for (const auto& [key, control] : h.dlg.KeyBindings()) {
      for (ui::TextBox* box : s.boxes) stored = stored || box->Name() == control;
    }
    if (stored) {
      EXPECT_FALSE(s.programBoxes.empty()) << s.page << " has inputs but no program box";
    }
    if (!s.programBoxes.empty()) {
      EXPECT_FALSE(s.buttons.empty()) << s.page << " has a program box but no generator button";
    }
  }
}

TEST_F(BadInputSweep, EveryBoxOfEveryPage) {
  DialogHarness probe;
  probe.dlg.ShowAndFocus();
  const std::size_t pages = PagesOf(probe.dlg).size();
  ASSERT_GT(pages, 0u);
  for (std::size_t i = 0; i < pages; ++i) {
    SCOPED_TRACE("page " + std::to_string(i));
    SweepPage(i);
  }
  Report("all pages", totals_);
  EXPECT_GT(totals_.programs + totals_.both, 0);
  EXPECT_GT(totals_.messages, 0);
}

}  // namespace
}  // namespace kelvora::dialog
