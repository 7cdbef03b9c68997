// The window's programs are written for the control the plug-in's machine
// names: the jobs read the dialect and the host's dwell unit through the
// dialog's inputs, and every program a tab puts into its box is first made for
// that control, or refused with the box left as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "settings/control_output.h"
#include "text/gcode_dialect.h"

namespace kelvora::dialog {
namespace {

using testing::DialogHarness;

const std::string kData = KELVORA_TEST_DATA;

motion::Machine MachineFor(text::Dialect dialect, bool dwellMilliseconds = false) {
  motion::Machine m;
  m.dialect = dialect;
  m.dwellMilliseconds = dwellMilliseconds;
  return m;
}

// A shown dialog whose plug-in keeps `machine`.
struct MachineHarness : DialogHarness {
  explicit MachineHarness(const motion::Machine& machine) {
    dlg.SetMachineSource([machine] { return machine; });
    dlg.ShowAndFocus();
    prompts.ClearLog();
  }
};

std::string WithoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

bool Holds(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// The circle tab's worked example.
void TypeCircle(DialogHarness& h) {
  testing::Fill(h, {{"txtXc", "30"},
                    {"txtYc", "30"},
                    {"txtR", "20"},
                    {"txtn", "2"},
                    {"txtStartAngle", "0"},
                    {"txtdepth", "5"},
                    {"txtpassdepth", "2"},
                    {"txtDrillFeedrate", "100"},
                    {"txtDrillZretract", "3"},
                    {"txtZsafe", "10"},
                    {"txtSpindleSpeed", "5000"},
                    {"chkbCirEnSpin", "True"},
                    {"chkbCirSpecialOp", "False"}});
}

// The router's drawing tab with a square opened.
void OpenSquare(DialogHarness& h) {
  h.dlg.Get<ui::TabControl>("tabControl4").SetSelectedIndex(2);
  h.prompts.PickOpenFile(kData + "/geometry/dxf/square.dxf");
  h.Click("btnDxfOpen");
  h.prompts.ClearLog();
}

// The router's horizontal cut list with one cut read in, and `endScript`.
std::function<void(DialogHarness&)> OpenCuts(const char* endScript) {
  return [endScript](DialogHarness& h) {
    h.dlg.Get<ui::TabControl>("tabControl4").SetSelectedIndex(0);
    h.prompts.PickOpenFile(kData + "/generators/lists/horizontal_one.csv");
    h.Click("btnCutOpen");
    h.dlg.SetControlValue("txtDxfEndScript", endScript);
    h.prompts.ClearLog();
  };
}

// The point list with one hole read in and drilled, closed by `endScript`.
std::function<void(DialogHarness&)> DrillPoints(const char* endScript) {
  return [endScript](DialogHarness& h) {
    h.prompts.AnswerYes().PickOpenFile(kData + "/generators/points/origin.csv");
    h.Click("btnAnyLoadFile");
    h.dlg.SetControlValue("txtAnyEndScript", endScript);
    h.prompts.ClearLog();
  };
}

// The point list with one hole read in, pocketed with a tool wider than R1
// (which the job reports).
void PocketWithReport(DialogHarness& h) {
  DrillPoints("M5")(h);
  testing::Fill(h, {{"chkbAnyPocket", "True"},
                    {"txtAnyToolDia", "8"},
                    {"txtAnyRo", "1"},
                    {"txtAnyHoleSize", "5"},
                    {"txtAnyStepOvr", "1"}});
}

TEST(MachineControl, TheJobsReadTheMachinesDialectAndDwellUnit) {
  const struct {
    std::optional<motion::Machine> machine;  // none: the plug-in set no source
    const char* dialect;
    const char* dwellMs;
  } cases[] = {
      {std::nullopt, "Host", "False"},
      {MachineFor(text::Dialect::kHost, true), "Host", "True"},
      {MachineFor(text::Dialect::kLinuxCnc), "LinuxCNC", "False"},
      {MachineFor(text::Dialect::kGrbl), "GRBL", "False"},
      {MachineFor(text::Dialect::kGrblHal, true), "grblHAL", "True"},
  };
  for (const auto& c : cases) {
    DialogHarness h;
    if (c.machine) h.dlg.SetMachineSource([m = *c.machine] { return m; });
    const generators::TextLookup inputs = h.dlg.Inputs();
    EXPECT_EQ(inputs("MachDialect"), c.dialect);
    EXPECT_EQ(inputs("MachDwellMs"), c.dwellMs) << c.dialect;
    // Every machine setting reads as its box shows it; other keys as before.
    EXPECT_EQ(inputs("MachXVel"), "3000") << c.dialect;
    EXPECT_EQ(inputs("CirCanned"), "False") << c.dialect;
    EXPECT_EQ(inputs("NoSuchKey"), "") << c.dialect;
  }
  // Asked anew each time: a change of the machine counts from the next program.
  DialogHarness h;
  motion::Machine machine;
  h.dlg.SetMachineSource([&machine] { return machine; });
  const generators::TextLookup inputs = h.dlg.Inputs();
  EXPECT_EQ(inputs("MachDialect"), "Host");
  machine.dialect = text::Dialect::kGrblHal;
  EXPECT_EQ(inputs("MachDialect"), "grblHAL");
}

// A tab's G-code button under a machine's control: either the program the box
// then holds passes `check`, or the one message shown holds `refusal` and the
// box keeps what it held.
struct ControlCase {
  const char* name;
  motion::Machine machine;
  std::function<void(DialogHarness&)> prepare;
  const char* generate;
  const char* box;
  const char* refusal;  // nullptr: a program is put in
  std::function<void(const std::string&)> check;
};

void RunControlCase(const ControlCase& c) {
  SCOPED_TRACE(c.name);
  MachineHarness h(c.machine);
  if (c.prepare) c.prepare(h);
  h.dlg.Get<ui::TextBox>(c.box).SetText("held");
  h.dlg.closeFileTrigger = false;
  h.prompts.ClearLog();
  h.Click(c.generate);
  const std::string program = h.Text(c.box);
  if (c.refusal != nullptr) {
    ASSERT_EQ(h.prompts.Messages().size(), 1u);
    EXPECT_TRUE(Holds(h.prompts.Messages()[0], c.refusal)) << h.prompts.Messages()[0];
    EXPECT_EQ(program, "held");
    EXPECT_FALSE(h.dlg.closeFileTrigger);
    return;
  }
  EXPECT_NE(program, "held");
  EXPECT_TRUE(h.dlg.closeFileTrigger);
  if (c.check) c.check(program);
}

TEST(MachineControl, EachTabsProgramIsMadeForTheControl) {
  const auto canned = [](DialogHarness& h) {
    TypeCircle(h);
    h.dlg.SetMirrorValue("CirScheme", "Full retract");
    h.dlg.SetMirrorValue("CirCanned", "True");
  };
  const ControlCase cases[] = {
      {"canned cycles on the host stay canned", MachineFor(text::Dialect::kHost), canned,
       "btnDrillGcodeGen", "txtDrillGcode", nullptr,
       [](const std::string& p) { EXPECT_TRUE(Holds(p, "G83")) << p; }},
      {"canned cycles on GRBL become the moves", MachineFor(text::Dialect::kGrbl), canned,
       "btnDrillGcodeGen", "txtDrillGcode", nullptr,
       [](const std::string& p) {
         for (const char* word : {"G73", "G81", "G82", "G83", "G98", "G99"}) {
           EXPECT_FALSE(Holds(p, word)) << word << " in\n" << p;
         }
         // Both holes pecked as the control pecks: from the retract plane
         // (Z3) down by the step (2) to the full depth, four feeds a hole.
         EXPECT_TRUE(Holds(p, "X40Y30")) << p;
         EXPECT_TRUE(Holds(p, "X20Y30")) << p;
         std::size_t feeds = 0;
         for (std::size_t at = p.find("G1Z"); at != std::string::npos; at = p.find("G1Z", at + 1)) {
           ++feeds;
         }
         EXPECT_EQ(feeds, 8u) << p;
         EXPECT_TRUE(Holds(p, "G1Z1F100\r\n")) << p;
         EXPECT_TRUE(Holds(p, "G1Z-5F100\r\n")) << p;
       }},
      {"canned cycles on grblHAL stay canned", MachineFor(text::Dialect::kGrblHal), canned,
       "btnDrillGcodeGen", "txtDrillGcode", nullptr,
       [](const std::string& p) { EXPECT_TRUE(Holds(p, "G83")) << p; }},
      {"the thread turns A, which GRBL has not", MachineFor(text::Dialect::kGrbl), nullptr,
       "btnGenerate", "txtThreadGcode", "This control has no A axis\r\nThe thread program turns A",
       nullptr},
      {"the thread on grblHAL", MachineFor(text::Dialect::kGrblHal), nullptr, "btnGenerate",
       "txtThreadGcode", nullptr, [](const std::string& p) { EXPECT_TRUE(Holds(p, "A")) << p; }},
      {"a contour for LinuxCNC states arc centres and ends with M30",
       MachineFor(text::Dialect::kLinuxCnc), OpenSquare, "btnDxfGcodeGen", "txtDxfGcode", nullptr,
       [](const std::string& p) {
         EXPECT_TRUE(p.starts_with("G21G90G94G17G40G49G80\r\nG91.1\r\n")) << p;
         const std::string body = WithoutLineEnd(p);
         EXPECT_TRUE(body.ends_with("\nM30")) << p;
         // The operator's end script comes before the control's end.
         EXPECT_TRUE(Holds(p, "M101\r\nM30")) << p;
       }},
      {"a contour on the host ends with the end script", MachineFor(text::Dialect::kHost),
       OpenSquare, "btnDxfGcodeGen", "txtDxfGcode", nullptr,
       [](const std::string& p) {
         EXPECT_FALSE(Holds(p, "G91.1")) << p;
         EXPECT_TRUE(WithoutLineEnd(p).ends_with("M101")) << p;
       }},
      // The router's end script holds the host's macro M101 by default.
      {"a macro in the end script on GRBL", MachineFor(text::Dialect::kGrbl), OpenSquare,
       "btnDxfGcodeGen", "txtDxfGcode", "(DxfEndScript), line 1: M101", nullptr},
      {"a cut list for grblHAL gains M30 after its end script", MachineFor(text::Dialect::kGrblHal),
       OpenCuts("M5"), "btnDxfGcodeGen", "txtDxfGcode", nullptr,
       [](const std::string& p) {
         EXPECT_FALSE(Holds(p, "G91.1")) << p;
         EXPECT_TRUE(WithoutLineEnd(p).ends_with("M5\r\nM30")) << p;
       }},
      {"a cut list's end script on grblHAL", MachineFor(text::Dialect::kGrblHal), OpenCuts("M101"),
       "btnDxfGcodeGen", "txtDxfGcode", "(DxfEndScript), line 1: M101", nullptr},
      {"the grid for LinuxCNC", MachineFor(text::Dialect::kLinuxCnc), nullptr, "btnGridGcodGen",
       "txtGridGcode", nullptr,
       [](const std::string& p) {
         EXPECT_TRUE(p.starts_with("G21G90G94G17G40G49G80\r\nG91.1\r\n")) << p;
       }},
      {"the square surface for LinuxCNC", MachineFor(text::Dialect::kLinuxCnc), nullptr,
       "btnMSqrGcodeGen", "txtMSqrGcode", nullptr,
       [](const std::string& p) {
         EXPECT_TRUE(p.starts_with("G21G90G94G17G40G49G80\r\nG91.1\r\n")) << p;
       }},
      {"the point list's end script on GRBL", MachineFor(text::Dialect::kGrbl), DrillPoints("M6"),
       "btnAnyGcodeGen", "txtAnyGcode", "(AnyEndScript), line 1: M6", nullptr},
      {"the point list for LinuxCNC", MachineFor(text::Dialect::kLinuxCnc), DrillPoints("M5"),
       "btnAnyGcodeGen", "txtAnyGcode", nullptr,
       [](const std::string& p) {
         EXPECT_TRUE(p.starts_with("G21G90G94G17G40G49G80\r\nG91.1\r\n")) << p;
         EXPECT_TRUE(WithoutLineEnd(p).ends_with("M5\r\nM30")) << p;
       }},
      {"the teach table's end box on GRBL", MachineFor(text::Dialect::kGrbl),
       [](DialogHarness& h) { h.Retype("txtTchSurfix", "M6"); }, "btnTchGc_gen", "txtTchGCode",
       "(TchSurfix), line 1: M6", nullptr},
      {"the teach table for LinuxCNC", MachineFor(text::Dialect::kLinuxCnc), nullptr,
       "btnTchGc_gen", "txtTchGCode", nullptr,
       [](const std::string& p) {
         EXPECT_TRUE(p.starts_with("G21G90G94G17G40G49G80\r\nG91.1\r\nG90G21\r\nM30")) << p;
       }},
  };
  for (const ControlCase& c : cases) RunControlCase(c);
}

TEST(MachineControl, TheDwellIsWrittenInTheMachinesUnit) {
  const struct {
    motion::Machine machine;
    const char* dwell;
  } cases[] = {
      {MachineFor(text::Dialect::kHost), "G4P0.25"},
      {MachineFor(text::Dialect::kHost, true), "G4P250"},
      {MachineFor(text::Dialect::kLinuxCnc, true), "G4P0.25"},  // seconds whatever the host's unit
      {MachineFor(text::Dialect::kGrbl), "G4P0.25"},
  };
  for (const auto& c : cases) {
    const std::string name(text::RulesOf(c.machine.dialect).name);
    MachineHarness h(c.machine);
    TypeCircle(h);
    h.dlg.SetMirrorValue("CirDwell", "0.25");
    h.Click("btnDrillGcodeGen");
    EXPECT_TRUE(h.prompts.Messages().empty()) << name;
    const std::string program = h.Text("txtDrillGcode");
    EXPECT_TRUE(Holds(program, std::string(c.dwell) + "\r\n")) << name << "\n" << program;
  }
}

TEST(MachineControl, AJobsReportsAreToldOnlyWithItsProgram) {
  // The point list's pocket and an empty teach table report something: told
  // with the program the control reads; a program the control refuses is not
  // made, so only the refusal is told. The pocket whose tool is wider than
  // twice R1 is plunged at its centre instead of circling a ring of radius 0,
  // so these controls read it and the report comes with it.
  const struct {
    const char* name;
    text::Dialect dialect;
    std::function<void(DialogHarness&)> prepare;
    const char* generate;
    const char* report;
    const char* refusal;  // nullptr: the program is made
  } cases[] = {
      {"points, LinuxCNC", text::Dialect::kLinuxCnc, PocketWithReport, "btnAnyGcodeGen",
       "Tool diameter>R1", nullptr},
      {"points, GRBL", text::Dialect::kGrbl, PocketWithReport, "btnAnyGcodeGen", "Tool diameter>R1",
       nullptr},
      {"teach, GRBL", text::Dialect::kGrbl, nullptr, "btnTchGc_gen", "No Feedrate", nullptr},
      {"teach, GRBL with M6", text::Dialect::kGrbl,
       [](DialogHarness& h) { h.Retype("txtTchSurfix", "M6"); }, "btnTchGc_gen", "No Feedrate",
       "GRBL does not read M6"},
  };
  for (const auto& c : cases) {
    MachineHarness h(MachineFor(c.dialect));
    if (c.prepare) c.prepare(h);
    h.Click(c.generate);
    const std::vector<std::string> messages = h.prompts.Messages();
    ASSERT_EQ(messages.size(), 1u) << c.name;
    EXPECT_EQ(Holds(messages[0], c.report), c.refusal == nullptr) << c.name << ": " << messages[0];
    if (c.refusal) {
      EXPECT_TRUE(Holds(messages[0], c.refusal)) << c.name << ": " << messages[0];
    }
  }
}

TEST(MachineControl, TheHostsProgramsAreTheGoldensInEitherDwellUnit) {
  for (const bool milliseconds : {false, true}) {
    SCOPED_TRACE(milliseconds ? "ms" : "s");
    {
      MachineHarness h(MachineFor(text::Dialect::kHost, milliseconds));
      TypeCircle(h);
      testing::Fill(h, {{"txtpassdepth", "5"}});  // the worked example's single pass
      testing::ExpectProgramFromButtons(h, "btnDrillGcodeGen", "btnDrillLoadGcode",
                                        "generators/golden/circle_example.nc");
    }
    {
      MachineHarness h(MachineFor(text::Dialect::kHost, milliseconds));
      testing::ExpectProgramFromButtons(h, "btnGenerate", "btnThreadLoad",
                                        "generators/golden/thread_example.nc");
    }
  }
}

}  // namespace
}  // namespace kelvora::dialog
