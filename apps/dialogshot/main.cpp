// dialogshot OUTDIR: writes OUTDIR/<page>.svg for every page of the plug-in's
// window after start-up (and one per sub-tab of the router/cutter page), the
// window at its designed client size with that page shown, plus the circle tab
// once more after a preview and a generated program.
#include <filesystem>
#include <iostream>
#include <string>

#include "dialog/xyz_demo_dialog.h"
#include "dialog_svg.h"
#include "text/files.h"
#include "ui/prompts.h"

namespace {

using namespace kelvora;

// Prompts that answer nothing: the snapshot asks the operator nothing.
class SilentPrompts : public ui::Prompts {
 public:
  void Message(std::string_view text, std::string_view) override {
    std::cerr << "message: " << text << "\n";
  }
  bool YesNo(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> OpenFile(std::string_view) override { return std::nullopt; }
  std::optional<std::string> SaveFile(std::string_view) override { return std::nullopt; }
  ui::DialogResult ShowModal(ui::Form&) override { return ui::DialogResult::kCancel; }
};

// Shows `page`: selects it in its tab control and every page above it.
void ShowPage(ui::TabPage& page) {
  for (ui::Control* c = &page; c && c->Parent(); c = c->Parent()) {
    if (c->Kind() == ui::ControlKind::kTabPage &&
        c->Parent()->Kind() == ui::ControlKind::kTabControl) {
      static_cast<ui::TabControl*>(c->Parent())->SelectPage(static_cast<ui::TabPage&>(*c));
    }
  }
}

bool Write(const std::filesystem::path& dir, const std::string& name, const ui::Form& form) {
  const auto path = dir / (name + ".svg");
  const std::string error = text::WriteFileAtomic(path, dialogshot::FormToSvg(form));
  if (!error.empty()) {
    std::cerr << error << "\n";
    return false;
  }
  std::cout << text::PathToUtf8(path) << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: dialogshot OUTDIR\n";
    return 2;
  }
  const std::filesystem::path dir = text::PathFromUtf8(argv[1]);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);

  SilentPrompts prompts;
  dialog::RecordingHandOff handOff;
  dialog::XYZDemoDialog dlg(prompts, handOff);
  dlg.ShowAndFocus();

  bool ok = true;
  for (ui::TabPage* page : dlg.LeafPages()) {
    // Pages taken off the window at start-up are not shown.
    auto* tabs = static_cast<ui::TabControl*>(page->Parent());
    if (!tabs->IndexOf(*page)) continue;
    ShowPage(*page);
    if (auto* sub = dlg.Find<ui::TabControl>("tabControl4"); sub && page->Name() == "tabPage4") {
      for (ui::TabPage* p : sub->Pages()) {
        sub->SelectPage(*p);
        ok = Write(dir, page->Name() + "_" + p->Name(), dlg.GetForm()) && ok;
      }
      sub->SetSelectedIndex(0);
      continue;
    }
    ok = Write(dir, page->Name(), dlg.GetForm()) && ok;
  }

  // The circle tab at work: the worked example previewed and generated.
  ShowPage(dlg.Get<ui::TabPage>("tabPage5"));
  dlg.Get<ui::TextBox>("txtn").SetText("6");
  dlg.Get<ui::CheckBox>("chkbCirEnSpin").SetChecked(true);
  dlg.Get<ui::Button>("btnKhoanTronPreview").Click();
  dlg.Get<ui::Button>("btnDrillGcodeGen").Click();
  ok = Write(dir, "tabPage5_after_preview", dlg.GetForm()) && ok;
  return ok ? 0 : 1;
}
