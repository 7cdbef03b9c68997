// A number text holding a "," is refused by every reader, never read as another
// number ("12,5" as 125, "1,000" as 1 or 1000), while texts with "." still read.
// One table of texts runs through the window's boxes and grid cells, each kind of
// list file, the automatic grid, the stored profile and the command line: each
// reader refuses with its own message, and leaves what the operator wrote where
// it was.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "cli/cli_run.h"
#include "dialog/dialog_fixture.h"
#include "generators/auto_grid.h"
#include "generators/cut_lists.h"
#include "generators/point_list.h"
#include "generators/teach.h"
#include "settings/profile_files.h"
#include "settings/settings_profile.h"
#include "text/csv.h"
#include "ui/data_grid.h"

namespace kelvora {
namespace {

using settings::testing::ProfileFolder;

struct NumberText {
  const char* text;
  bool reads;  // a number as it stands; otherwise every reader must refuse it
};

const NumberText kTexts[] = {
    {"12,5", false}, {"1,000", false}, {"0,5", false},    {",5", false},
    {"5,", false},   {"1,2,3", false}, {" 12,5 ", false}, {"-12,5", false},
    {"12.5", true},  {"-0.5", true},   {"1e3", true},
};

// What a reader did with one text: nullopt when it took it, otherwise the
// message the operator sees.
using Refusal = std::optional<std::string>;

std::string Csv(std::string_view header, const std::vector<std::string>& fields) {
  return std::string(header) + "\r\n" + text::JoinCsvLine(fields) + "\r\n";
}

generators::TextLookup Texts(std::map<std::string, std::string, std::less<>> values) {
  return [values = std::move(values)](std::string_view key) {
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  };
}

Refusal Of(const Failure& f) {
  return f.detail.empty() ? f.message : f.message + "\r\n" + f.detail;
}

// ---- The window -----------------------------------------------------------------

// A circle box holding the text (as a paste or a restored value puts it there),
// then "GCode Gen ": a refusal keeps the box's text and the program box.
Refusal CircleBox(const std::string& value) {
  dialog::testing::DialogHarness h;
  const std::string box = h.dlg.ControlOfKey("CirXc");
  h.dlg.Get<ui::TextBox>(box).SetText(value);
  h.prompts.ClearLog();
  h.Click("btnDrillGcodeGen");
  EXPECT_EQ(h.Text(box), value);
  if (h.prompts.Messages().empty()) return std::nullopt;
  EXPECT_EQ(h.Text("txtDrillGcode"), "");
  EXPECT_FALSE(h.dlg.closeFileTrigger);
  return h.prompts.Messages().front();
}

// A point list's X cell typed as the text, then "GCode Gen ".
Refusal PointCell(const std::string& value) {
  dialog::testing::DialogHarness h;
  for (const auto& [key, text] : std::initializer_list<std::pair<const char*, const char*>>{
           {"Anyd", "3"}, {"AnyDepth", "2"}, {"AnyStepdown", "2"}, {"AnyFeedrate", "100"}}) {
    h.dlg.Get<ui::TextBox>(h.dlg.ControlOfKey(key)).SetText(text);
  }
  auto& grid = h.dlg.Get<ui::DataGrid>("dataGridView1");
  h.Click("btnAnyAdd");
  grid.SetValue(0, 2, value);
  grid.SetValue(0, 3, std::string("1"));
  h.prompts.ClearLog();
  h.Click("btnAnyGcodeGen");
  EXPECT_EQ(grid.Text(0, 2), value);
  if (h.prompts.Messages().empty()) return std::nullopt;
  EXPECT_EQ(h.Text("txtAnyGcode"), "");
  return h.prompts.Messages().front();
}

// ---- List files, read as the tabs read them -------------------------------------

Refusal PointFile(const std::string& value) {
  const generators::PointFile file = generators::ParsePointFile(Csv("Name,X,Y", {"A", value, "3"}));
  EXPECT_TRUE(file.report.clean());
  EXPECT_EQ(file.rows.at(0).x, value);  // the cell holds what the file holds
  const auto list = generators::AnyListGen(file.rows, Texts({{"Anyd", "3"}}));
  return list ? Refusal() : Of(list.failure());
}

Refusal CutFile(generators::CutListKind kind, const std::string& value) {
  const std::string header(generators::CutCsvHeader(kind));
  const bool generated = kind == generators::CutListKind::kGenerated;
  const generators::CutCsvContent list = generators::ReadCutCsv(
      Csv(header, generated ? std::vector<std::string>{value, "2", "0", "500"}
                            : std::vector<std::string>{"a", value, "0", "100"}));
  EXPECT_TRUE(list.report.clean());
  generators::CutListInputs in;
  in.start = list.start.value_or("");
  in.end = list.end.value_or("");
  const auto cuts = generators::InitObjectCut(kind, list.rows, in);
  return cuts ? Refusal() : Of(cuts.failure());
}

Refusal TeachFile(const std::string& value) {
  generators::TeachDefinitions definitions{};
  definitions[0] = "MOVE*G1";
  const generators::TeachOpLists lists = generators::updateTchGrid(definitions);
  const generators::TeachCsvContent table = generators::LoadTchCsv(
      Csv(generators::kTeachCsvHeader, {"0", value, "", "", "", "", "", "100"}), lists);
  EXPECT_TRUE(table.report.clean());
  const auto program = generators::BuildTeachProgram("G91G21", "M30", table.rows, lists);
  if (!program) return Of(program.failure());
  EXPECT_NE(program->text.find("G1X" + value + "F100"), std::string::npos);
  return std::nullopt;
}

Refusal AutoGrid(const std::string& value) {
  const auto read = generators::ReadAutoGridInputs(Texts({{"AnyNumOfRow", "2"},
                                                          {"AnyNumOfCol", "2"},
                                                          {"AnyDistRow", "10"},
                                                          {"AnyDistCol", value},
                                                          {"AnyDualDist", "0"},
                                                          {"AnyZigZacRow", "0"},
                                                          {"AnyZigZacCol", "0"},
                                                          {"AnyXc", "0"},
                                                          {"AnyYc", "0"}}));
  return read ? Refusal() : Of(read.failure());
}

// ---- The stored profile ---------------------------------------------------------

// A stored value that does not convert gives the key's default and is named.
Refusal Profile(const std::string& value) {
  ProfileFolder folder;
  const std::string path =
      folder.Write("p.xml", "<profile><Kelvora><CirR>" + value +
                                "</CirR><GridXm>2</GridXm></Kelvora></profile>");
  const settings::FirstOpeningRead read = settings::SettingsFirstOpening(path, {});
  EXPECT_FALSE(read.failure);
  EXPECT_EQ(read.settings.Double("GridXm"), 2);
  const auto message = settings::UnreadableSettingsMessage(read);
  if (!message) return std::nullopt;
  EXPECT_EQ(read.settings.Double("CirR"), 10);  // the default, never 125 or 5
  return *message;
}

// ---- The command line -----------------------------------------------------------

using cli::testing::CliRun;
using cli::testing::RunArgs;

// The command line's refusal: exit 1, nothing written, the message on standard
// error (its lines joined as the window joins them).
Refusal Of(const CliRun& run) {
  if (run.status == cli::kExitOk) {
    EXPECT_FALSE(run.out.empty());
    return std::nullopt;
  }
  EXPECT_EQ(run.status, cli::kExitRefused) << run.err;
  EXPECT_EQ(run.out, "");
  std::string message = run.err;
  if (!message.empty() && message.back() == '\n') message.pop_back();
  for (std::size_t at = message.find('\n'); at != std::string::npos; at = message.find('\n', at)) {
    message.replace(at, 1, "\r\n");
    at += 2;
  }
  return message;
}

Refusal CliKey(const std::string& value) {
  return Of(RunArgs({"circle", "CirXc=" + value}));
}

// A list file named on the command line: the refusal names the file's line.
Refusal CliFile(const std::vector<std::string>& jobAndOption, std::string_view header,
                const std::vector<std::string>& fields, std::string& path) {
  ProfileFolder folder;
  path = folder.Write("list.csv", Csv(header, fields));
  std::vector<std::string> args = jobAndOption;
  args.push_back(path);
  return Of(RunArgs(args));
}

// --profile: the unreadable key is said on standard error and the job goes on.
Refusal CliProfile(const std::string& value) {
  ProfileFolder folder;
  const std::string path =
      folder.Write("p.xml", "<profile><Kelvora><CirXc>" + value + "</CirXc></Kelvora></profile>");
  const CliRun run = RunArgs({"circle", "--profile", path});
  EXPECT_EQ(run.status, cli::kExitOk) << run.err;
  EXPECT_NE(run.out.find("G0X"), std::string::npos);
  if (run.err.empty()) return std::nullopt;
  return run.err;
}

TEST(DecimalComma, EveryReaderRefusesACommaAndReadsThePoint) {
  using Kind = generators::CutListKind;
  std::string path;  // the list file of the last command-line run
  const std::string unreadable =
      "These settings could not be read and were set to their defaults: ";
  const struct {
    const char* reader;
    std::function<Refusal(const std::string&)> read;
    // The refusal of a text holding a comma.
    std::function<std::string()> refusal;
  } readers[] = {
      {"box", CircleBox, [] { return std::string("Parameters error\r\nCirXc"); }},
      {"grid cell", PointCell, [] { return std::string("Data Line:1 wrong\r\ncolumn X"); }},
      {"point file", PointFile, [] { return std::string("Data Line:1 wrong\r\ncolumn X"); }},
      {"horizontal cuts", [](const std::string& v) { return CutFile(Kind::kHorizontal, v); },
       [] { return std::string("Data Line:1 wrong"); }},
      {"vertical cuts", [](const std::string& v) { return CutFile(Kind::kVertical, v); },
       [] { return std::string("Data Line:1 wrong"); }},
      {"generated cuts", [](const std::string& v) { return CutFile(Kind::kGenerated, v); },
       [] { return std::string("Data Line:1 wrong"); }},
      {"teach file", TeachFile, [] { return std::string("Data Line:1 wrong"); }},
      {"automatic grid", AutoGrid, [] { return std::string("Parameters error\r\nAnyDistCol"); }},
      {"profile", Profile, [&] { return unreadable + "CirR"; }},
      {"command line KEY=VALUE", CliKey, [] { return std::string("Parameters error\r\nCirXc"); }},
      {"command line --profile", CliProfile, [&] { return unreadable + "CirXc\n"; }},
      {"command line --points",
       [&](const std::string& v) {
         return CliFile({"points", "AnyFeedrate=100", "--points"}, "Name,X,Y", {"A", v, "3"}, path);
       },
       [&] { return "Data Line:1 wrong\r\ncolumn X\r\nin " + path + ", line 2"; }},
      {"command line --cuts, horizontal",
       [&](const std::string& v) {
         return CliFile({"cuts", "--cuts"}, "Name,Y,X1,X2", {"a", v, "0", "100"}, path);
       },
       [&] { return "Data Line:1 wrong\r\nin " + path + ", line 2"; }},
      {"command line --cuts, vertical",
       [&](const std::string& v) {
         return CliFile({"cuts", "--cuts"}, "Name,X,Y1,Y2", {"a", v, "0", "100"}, path);
       },
       [&] { return "Data Line:1 wrong\r\nin " + path + ", line 2"; }},
      {"command line --cuts, the start a row sets",
       [&](const std::string& v) {
         return CliFile({"cuts", "--cuts"}, "Name,Y,X1,X2", {"a", "10", v, "100"}, path);
       },
       [&] { return "Parameters error\r\nCutX1\r\nin " + path + ", line 2"; }},
      {"command line --cuts, generated",
       [&](const std::string& v) {
         return CliFile({"cuts", "--cuts"}, "KichThuoc,SoLuong,X1,X2", {v, "2", "0", "500"}, path);
       },
       [&] { return "Data Line:1 wrong\r\nin " + path + ", line 2"; }},
      {"command line --teach",
       [&](const std::string& v) {
         return CliFile({"teach", "tchOp1=MOVE*G1", "--teach"}, generators::kTeachCsvHeader,
                        {"0", v, "", "", "", "", "", "100"}, path);
       },
       [&] { return "Data Line:1 wrong\r\nin " + path + ", line 2"; }},
  };
  for (const NumberText& t : kTexts) {
    for (const auto& r : readers) {
      SCOPED_TRACE(std::string(r.reader) + " reading \"" + t.text + "\"");
      const Refusal refusal = r.read(t.text);
      if (t.reads) {
        EXPECT_EQ(refusal, std::nullopt);
      } else {
        EXPECT_EQ(refusal, r.refusal());
      }
    }
  }
}

}  // namespace
}  // namespace kelvora
