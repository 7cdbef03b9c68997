#include "cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <utility>

#include "control.h"
#include "generators/job_inputs.h"
#include "generators/limits.h"
#include "kelvora_version.h"
#include "motion/report_text.h"
#include "preflight.h"
#include "settings/control_output.h"
#include "settings/settings_keys.h"
#include "settings/settings_profile.h"
#include "settings/stated_depth.h"
#include "text/files.h"
#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::cli {
namespace {

struct UsageError {
  std::string message;
};

const FileOptionRow& RowOf(FileOption option) {
  return *std::find_if(std::begin(kFileOptions), std::end(kFileOptions),
                       [option](const FileOptionRow& row) { return row.option == option; });
}

const settings::SettingsKey* SettingsKeyOf(const JobKey& k) {
  return k.ownDefault ? nullptr : settings::FindSettingsKey(k.key);
}

bool IsBoolKey(const JobKey& k) {
  const settings::SettingsKey* s = SettingsKeyOf(k);
  return s ? s->type == settings::KeyType::kBool : k.ownBool;
}

std::string DefaultText(const JobKey& k) {
  if (k.ownDefault) return std::string(*k.ownDefault);
  if (!SettingsKeyOf(k)) return {};
  // The same texts a profile without the plug-in's section gives.
  static const settings::Settings defaults;
  return defaults.ControlText(k.key);
}

std::string HelpFooter(const Job& job) {
  std::ostringstream text;
  text << "\nKeys (KEY=VALUE; booleans are True or False):\n";
  for (const JobKey& k : job.keys) {
    std::string shown = DefaultText(k);
    for (char& c : shown) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    text << "  " << k.key << " = \"" << shown << "\"  " << k.meaning << "\n";
  }
  text << "\nSize limits (a job over a limit is refused):\n";
  for (const generators::Limit& l : generators::Limits()) {
    text << "  " << l.what << ": " << text::FormatNumber(l.max, text::NumberFormat::kWhole);
    if (!l.basis.empty()) text << " (" << l.basis << ")";
    text << "\n";
  }
  if (job.writesProgram) {
    text << "\n--dialect NAME writes the program for the control NAME, one of (any case)\n"
         << text::DialectNameList()
         << ".\n"
            "Without it, for the control of the machine of --machine FILE (a host profile),\n"
            "else of the machine stored in --profile FILE, else for the host. A program the\n"
            "control cannot run (an A axis on GRBL, a script word it does not read, a line\n"
            "too long) is refused and nothing is written.\n"
            "\n--report writes the program's pre-flight report (extents, lengths, run time,\n"
            "warnings) to standard error after the program; --report-json FILE writes it as\n"
            "JSON. Both check the program against the machine of --machine FILE, else the\n"
            "machine stored in --profile FILE, else a small mill's.\n";
  }
  text << "\nExit status: 0 program written (also when the report has warnings), 1 input\n"
          "or file refused, 2 usage error.\n";
  return text.str();
}

// Parses "WxH" into two positive sizes.
bool ParseSize(const std::string& s, int& w, int& h) {
  const std::size_t x = s.find_first_of("xX");
  if (x == std::string::npos) return false;
  const auto pw = text::ParseInt32(s.substr(0, x));
  const auto ph = text::ParseInt32(s.substr(x + 1));
  // The preview keeps a 15-pixel margin on every side; a smaller box has no room
  // for the drawing (its scale would turn negative and mirror it).
  constexpr int kMinSide = 31;
  constexpr int kMaxSide = 20000;
  if (!pw || !ph || *pw < kMinSide || *ph < kMinSide || *pw > kMaxSide || *ph > kMaxSide) {
    return false;
  }
  w = *pw;
  h = *ph;
  return true;
}

// The KEY=VALUE arguments, checked against the job's keys; a usage error when
// one is malformed, names a key the job does not read, or gives a boolean key
// anything but True or False.
std::vector<std::pair<std::string, std::string>> ParseAssigns(
    const Job& job, const std::vector<std::string>& assigns) {
  std::vector<std::pair<std::string, std::string>> parsed;
  for (const std::string& a : assigns) {
    const std::size_t eq = a.find('=');
    if (eq == std::string::npos) throw UsageError{"Expected KEY=VALUE, got: " + a};
    std::string key = a.substr(0, eq);
    std::string value = a.substr(eq + 1);
    const auto it = std::find_if(job.keys.begin(), job.keys.end(),
                                 [&key](const JobKey& k) { return k.key == key; });
    if (it == job.keys.end()) {
      throw UsageError{"The job " + std::string(job.name) + " does not read the key " + key};
    }
    if (IsBoolKey(*it) && value != "True" && value != "False") {
      throw UsageError{"The key " + key + " takes True or False, got: " + value};
    }
    parsed.emplace_back(std::move(key), std::move(value));
  }
  return parsed;
}

// The job's input texts: defaults, or the stored values as the dialog shows them
// after a restart, then KEY=VALUE (the last repetition counts).
std::map<std::string, std::string, std::less<>> BuildTexts(
    const Job& job, const std::vector<std::pair<std::string, std::string>>& assigns,
    const settings::Settings* stored) {
  std::map<std::string, std::string, std::less<>> texts;
  for (const JobKey& k : job.keys) {
    const bool persisted = SettingsKeyOf(k) != nullptr;
    texts[std::string(k.key)] = stored && persisted ? stored->ControlText(k.key) : DefaultText(k);
  }
  for (const auto& [key, value] : assigns) texts[key] = value;
  return texts;
}

// Refuses a file option that is given but empty ("--machine ''"); a command
// without the option has nothing to refuse.
void RequireNonEmpty(const CLI::App& app, const char* name, const std::string& value) {
  const CLI::Option* option = app.get_option_no_throw(name);
  if (option != nullptr && option->count() > 0 && value.empty()) {
    throw UsageError{std::string(name) + " needs a file"};
  }
}

// The control --dialect names; nothing when the option is not given, a usage
// error when it names no dialect.
std::optional<text::Dialect> DialectOption(const CLI::App& app, const std::string& name) {
  const CLI::Option* option = app.get_option_no_throw("--dialect");
  if (option == nullptr || option->count() == 0) return std::nullopt;
  const auto dialect = DialectArgument(name);
  if (!dialect) throw UsageError{DialectUsage(name)};
  return dialect;
}

// The report options of `sub`: --report-json, --machine and --dialect, and
// --report unless the report is the command's whole output.
void AddReportOptions(CLI::App& sub, ReportRequest& r, std::string& dialect, bool reportFlag) {
  if (reportFlag) {
    sub.add_flag("--report", r.text,
                 "After the program, write its pre-flight report to standard error");
  }
  sub.add_option("--report-json", r.jsonPath, "Write the pre-flight report as JSON to FILE")
      ->type_name("FILE");
  sub.add_option("--machine", r.machinePath,
                 "The machine settings of a host profile FILE: its control, and the machine the "
                 "report checks against")
      ->type_name("FILE");
  sub.add_option("--dialect", dialect,
                 "The control the program is written for: " + std::string(text::DialectNameList()))
      ->type_name("NAME");
}

}  // namespace

void WriteMessage(std::ostream& err, const Failure& f) {
  err << f.message << "\n";
  if (!f.detail.empty()) err << f.detail << "\n";
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Kelvora: G-code programs for drilling, milling, cutting and threading jobs",
               "kelvora"};
  app.require_subcommand(1, 1);
  app.set_help_all_flag("--help-all", "Every job with its options");
  app.set_version_flag("--version", "kelvora " KELVORA_VERSION, "Print the version and exit");
  app.footer(
      "\nkelvora check FILE.nc prints the pre-flight report of any program; every job\n"
      "that writes a program takes --dialect NAME (the control it is written for:\n"
      "Host, LinuxCNC, GRBL or grblHAL), --report, --report-json FILE and --machine\n"
      "FILE (kelvora JOB --help).\n");

  struct Parsed {
    std::vector<std::string> assigns;
    std::string profile, output, preview, size, dialect;
    std::map<FileOption, std::string> files;
    ReportRequest report;
  };
  std::vector<Parsed> parsed(Jobs().size());
  std::vector<CLI::App*> subs;
  for (std::size_t i = 0; i < Jobs().size(); ++i) {
    const Job& job = Jobs()[i];
    Parsed& p = parsed[i];
    CLI::App* sub = app.add_subcommand(std::string(job.name), std::string(job.summary));
    sub->add_option("inputs", p.assigns, "KEY=VALUE inputs named by the settings keys");
    sub->add_option("--profile", p.profile, "Read the plug-in's stored values from a host profile");
    sub->add_option("-o", p.output, "Write the program to FILE instead of standard output");
    sub->add_option("--preview", p.preview, "Also write the preview picture as SVG");
    sub->add_option("--size", p.size, "Preview size WxH (default 451x397)");
    for (FileOption f : job.files) {
      sub->add_option(std::string(RowOf(f).name), p.files[f], "Input file");
    }
    if (job.writesProgram) AddReportOptions(*sub, p.report, p.dialect, true);
    sub->footer(HelpFooter(job));
    subs.push_back(sub);
  }

  std::string checkPath;
  std::string checkDialect;
  ReportRequest check;
  CLI::App* checkSub = app.add_subcommand(
      "check", "The pre-flight report of any G-code program: extents, run time, warnings");
  checkSub->add_option("program", checkPath, "The program file")->required();
  AddReportOptions(*checkSub, check, checkDialect, false);
  checkSub->footer(
      "\nThe report goes to standard output. Exit status: 0 the program was read (also\n"
      "when the report has warnings), 1 the program or machine file cannot be read,\n"
      "2 usage error.\n");

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    return code == 0 ? kExitOk : kExitUsage;
  }

  if (checkSub->parsed()) {
    try {
      RequireNonEmpty(*checkSub, "--machine", check.machinePath);
      RequireNonEmpty(*checkSub, "--report-json", check.jsonPath);
      check.dialect = DialectOption(*checkSub, checkDialect);
    } catch (const UsageError& e) {
      err << e.message << "\n";
      return kExitUsage;
    }
    return RunCheck(checkPath, check, out, err);
  }

  std::size_t index = 0;
  while (index < subs.size() && !subs[index]->parsed()) ++index;
  const Job& job = Jobs()[index];
  Parsed& p = parsed[index];

  try {
    Request request;
    int given = 0;
    for (const auto& [option, path] : p.files) {
      if (path.empty()) continue;
      ++given;
      request.*RowOf(option).path = path;
    }
    if (!job.files.empty() && given != 1) {
      std::string names;
      for (FileOption f : job.files)
        names += (names.empty() ? "" : " or ") + std::string(RowOf(f).name);
      throw UsageError{"The job " + std::string(job.name) + " needs exactly one of " + names};
    }
    if (!p.size.empty() && !ParseSize(p.size, request.previewWidth, request.previewHeight)) {
      throw UsageError{"--size takes WxH with two whole numbers from 31 to 20000, got: " + p.size};
    }
    RequireNonEmpty(*subs[index], "--machine", p.report.machinePath);
    RequireNonEmpty(*subs[index], "--report-json", p.report.jsonPath);
    p.report.dialect = DialectOption(*subs[index], p.dialect);
    const auto assigns = ParseAssigns(job, p.assigns);
    std::optional<settings::Settings> stored;
    if (!p.profile.empty()) {
      // The plug-in itself falls back to defaults when its profile cannot be
      // read; here the user named the file, so a file that does not load is refused.
      settings::FirstOpeningRead read = settings::SettingsFirstOpening(p.profile, {});
      if (read.failure) {
        WriteMessage(err, Failure{"The profile cannot be read: " + p.profile, *read.failure});
        return kExitRefused;
      }
      // As the first opening: said, and the job goes on with those keys' defaults.
      if (const auto unreadable = settings::UnreadableSettingsMessage(read)) {
        err << *unreadable << "\n";
      }
      stored = std::move(read.settings);
    }
    auto texts = BuildTexts(job, assigns, stored ? &*stored : nullptr);
    request.texts = [&texts](std::string_view key) {
      const auto it = texts.find(key);
      return it == texts.end() ? std::string() : it->second;
    };
    request.wantPreview = !p.preview.empty();
    // The machine is read before the job runs, so a machine file that is refused
    // leaves no program behind.
    std::optional<motion::Machine> machine;
    if (p.report.wanted() || !p.report.machinePath.empty()) {
      Outcome<motion::Machine> read = ReportMachine(p.report, p.profile);
      if (!read) {
        WriteMessage(err, read.failure());
        return kExitRefused;
      }
      machine = *read;
    }
    // The control the program is written for, handed to the job with its inputs.
    Outcome<Control> control = Control{};
    if (job.writesProgram) {
      control =
          ControlOf(machine ? &*machine : nullptr, stored ? &*stored : nullptr, p.report.dialect);
    }
    if (!control) {
      WriteMessage(err, control.failure());
      return kExitRefused;
    }
    texts[std::string(generators::kMachineDialectKey)] = text::RulesOf(control->dialect).name;
    texts[std::string(generators::kMachineDwellMsKey)] =
        control->dwellMilliseconds ? "True" : "False";

    JobOutput result = job.run(request);
    for (const std::string& r : result.reports) err << r << "\n";
    // The program made into the control's before anything is written: a program
    // the control cannot run leaves neither program nor preview behind.
    if (result.program && job.writesProgram) {
      result.program = settings::ForControl(std::move(*result.program), control->dialect,
                                            job.inputTable, request.texts, control->statesModes);
    }
    if (!result.program) {
      WriteMessage(err, result.program.failure());
      return kExitRefused;
    }
    // The Load button's file: the program box's text and a last line end.
    std::string bytes = std::move(*result.program);
    bytes += "\r\n";
    if (!p.preview.empty()) {
      if (!result.previewSvg) {
        err << "This job has no preview picture\n";
        return kExitRefused;
      }
      const Outcome<void> written =
          text::WriteFileAtomic(text::PathFromUtf8(p.preview), *result.previewSvg);
      if (!written) {
        err << written.failure().message << "\n";
        return kExitRefused;
      }
    }
    // The report of the bytes as written, held to the depth the job's inputs state.
    std::optional<motion::Report> report;
    if (machine && p.report.wanted()) {
      report = motion::CheckProgram(bytes, *machine,
                                    settings::JobCheckOptions(job.inputTable, request.texts));
      if (!p.report.jsonPath.empty()) {
        if (const Outcome<void> written = WriteReportJson(p.report.jsonPath, *report); !written) {
          err << written.failure().message << "\n";
          return kExitRefused;
        }
      }
    }
    if (!p.output.empty()) {
      const Outcome<void> written = text::WriteFileAtomic(text::PathFromUtf8(p.output), bytes);
      if (!written) {
        err << written.failure().message << "\n";
        return kExitRefused;
      }
    } else {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.flush();
      // A full disk or a closed pipe behind standard output: the program did not
      // arrive, so the run must not look like a success.
      if (!out) {
        err << "Cannot write the program to standard output\n";
        return kExitRefused;
      }
    }
    // Standard output holds the program alone; the report follows it on standard error.
    if (report && p.report.text) err << motion::ReportText(*report);
    return kExitOk;
  } catch (const UsageError& e) {
    err << e.message << "\n";
    return kExitUsage;
  }
}

}  // namespace kelvora::cli
