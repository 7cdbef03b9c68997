// dialogshot OUTDIR: writes OUTDIR/<page>.svg for every page of the plug-in's
// window after start-up (and one per sub-tab of the router/cutter page), the
// window at its designed client size with that page shown, plus the circle tab
// once more after a preview and a generated program, the router tab with a
// generated cut list previewed, the point list after a preview of pockets, the
// automatic grid dialog (AutoGen.svg), the teach tab at work, the
// configuration window (ConfigDialog.svg), and the point list's drilling options
// in English and Vietnamese (DrillOptions.svg, DrillOptions_vi.svg), and the router's
// contour options (DxfOptions.svg, DxfOptions_vi.svg). After a generated program a
// page shows its report line under the program box and the program's path in its preview.
// With a drawing (dialogshot OUTDIR DRAWING) the DXF sub-tab is drawn once more with
// the drawing opened to be cut outside with two tabs (tabPage15_drawing.svg).
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "dialog/auto_gen.h"
#include "dialog/config_dialog.h"
#include "dialog/drill_options_form.h"
#include "dialog/point_table.h"
#include "dialog/router_page.h"
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
  const Outcome<void> written = text::WriteFileAtomic(path, dialogshot::FormToSvg(form));
  if (!written) {
    std::cerr << written.failure().message << "\n";
    return false;
  }
  std::cout << text::PathToUtf8(path) << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: dialogshot OUTDIR [DRAWING]\n";
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

  // The point list at work: a staggered grid of points previewed as pockets.
  generators::AutoGridParams grid;
  grid.NumRow = 3;
  grid.NumCol = 4;
  grid.RowDist = 20;
  grid.ColDist = 25;
  grid.soleHang = 12.5;
  grid.byRow = true;
  ShowPage(dlg.Get<ui::TabPage>("tabPage7"));
  if (const auto rows = generators::AutoGridGen(grid)) {
    dialog::ReplacePointRows(dlg.Get<ui::DataGrid>("dataGridView1"), *rows);
  }
  dlg.Get<ui::CheckBox>("chkbAnyPocket").SetChecked(true);
  dlg.Get<ui::TextBox>("txtAnyHoleSize").SetText("6");
  dlg.Get<ui::Button>("btnAnyPreview").Click();
  dlg.Get<ui::Button>("btnAnyGcodeGen").Click();
  ok = Write(dir, "tabPage7_after_preview", dlg.GetForm()) && ok;

  // The automatic grid's dialog, filled with that grid.
  dialog::AutoGen autoGen(prompts);
  autoGen.Fill(grid);
  autoGen.GetForm().Show();
  ok = Write(dir, "AutoGen", autoGen.GetForm()) && ok;

  // The router tab at work: a generated cut list previewed and generated.
  ShowPage(dlg.Get<ui::TabPage>("tabPage16"));
  for (const auto& [size, count] : {std::pair{"100", "2"}, std::pair{"50", "1"}}) {
    dlg.Get<ui::Button>("btnCutAdd").Click();
    const std::size_t row = dlg.dtCutGenHoriz.RowCount() - 1;
    dlg.dtCutGenHoriz.Set(row, 1, std::string(size));
    dlg.dtCutGenHoriz.Set(row, 2, std::string(count));
  }
  dlg.Get<ui::TextBox>("txtCutGenX2").SetText("300");
  dlg.Get<ui::Button>("btnCutPreview").Click();
  dlg.Get<ui::Button>("btnDxfGcodeGen").Click();
  ok = Write(dir, "tabPage4_after_preview", dlg.GetForm()) && ok;

  // The grid, surface and thread tabs at work, with their start inputs.
  const std::pair<const char*, std::vector<const char*>> atWork[] = {
      {"tabPage6", {"btnGridPreview", "btnGridGcodGen"}},
      {"tabPage10", {"chkbMSqrFlip", "btnMSqrPreview", "btnMSqrGcodeGen"}},
      {"tabPage17", {"btnGenerate"}},
  };
  for (const auto& [page, clicks] : atWork) {
    ShowPage(dlg.Get<ui::TabPage>(page));
    for (const char* name : clicks) {
      if (auto* check = dlg.Find<ui::CheckBox>(name)) {
        check->Click();
      } else {
        dlg.Get<ui::Button>(name).Click();
      }
    }
    ok = Write(dir, std::string(page) + "_after_preview", dlg.GetForm()) && ok;
  }

  // The teach tab at work: two recorded steps, a program, automatic mode.
  ShowPage(dlg.Get<ui::TabPage>("tabPage2"));
  dlg.LoadParam({{"tchOp1", "", "MOVE*G1"}, {"tchOp2", "", "Spin*M3S8000"}});
  auto& teach = dlg.Get<ui::DataGrid>("dataGridView2");
  teach.SetCurrentCell({0, 0});
  dlg.ShowMachinePosition({12.5, -3, 0, 0, 0, 0});
  dlg.Get<ui::Button>("btnTchGet").Click();
  teach.SetValue(0, 0, std::string("MOVE"));
  teach.SetValue(0, 7, std::string("500"));
  teach.SetValue(1, 0, std::string("Spin"));
  dlg.Get<ui::Button>("btnGetAuto").Click();
  dlg.Get<ui::Button>("btnTchGc_gen").Click();
  ok = Write(dir, "tabPage2_at_work", dlg.GetForm()) && ok;

  // The configuration window.
  dialog::ConfigDialog config(prompts);
  config.GetForm().Show();
  ok = Write(dir, "ConfigDialog", config.GetForm()) && ok;

  for (const auto& [language, name] : {std::pair{1, "DrillOptions"}, {0, "DrillOptions_vi"}}) {
    dialog::DrillOptionsForm options(prompts, settings::JobInputs::kPoints, language);
    options.GetForm().Show();
    ok = Write(dir, name, options.GetForm()) && ok;
  }
  for (const auto& [language, name] : {std::pair{1, "DxfOptions"}, {0, "DxfOptions_vi"}}) {
    dialog::DrillOptionsForm options(prompts, settings::JobInputs::kContour, language);
    options.GetForm().Show();
    ok = Write(dir, name, options.GetForm()) && ok;
  }

  // The DXF sub-tab with a drawing opened, to be cut outside with two tabs.
  if (argc == 3) {
    ShowPage(dlg.Get<ui::TabPage>("tabPage15"));
    dlg.LanguageSwitch(1);
    dlg.SetMirrorValue("DxfSide", "Outside");
    dlg.SetMirrorValue("DxfToolDia", "6");
    dlg.SetMirrorValue("DxfTabCount", "2");
    dlg.SetMirrorValue("DxfTabHeight", "1");
    for (dialog::DialogPage* page : dlg.PageObjects()) {
      if (auto* router = dynamic_cast<dialog::RouterPage*>(page)) router->OpenDrawing(argv[2]);
    }
    ok = Write(dir, "tabPage15_drawing", dlg.GetForm()) && ok;
  }
  return ok ? 0 : 1;
}
