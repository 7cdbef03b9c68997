#include "preflight.h"

#include "cli.h"
#include "motion/report_text.h"
#include "settings/machine_settings.h"
#include "text/files.h"

namespace kelvora::cli {

Outcome<motion::Machine> ReportMachine(const ReportRequest& request,
                                       const std::string& profilePath) {
  const std::string& path = request.machinePath.empty() ? profilePath : request.machinePath;
  Outcome<motion::Machine> machine = motion::Machine{};
  if (!path.empty()) machine = settings::ReadMachineProfile(path);
  if (machine && request.dialect) machine->dialect = *request.dialect;
  return machine;
}

Outcome<void> WriteReportJson(const std::string& utf8Path, const motion::Report& report) {
  return text::WriteFileAtomic(text::PathFromUtf8(utf8Path), motion::ReportJson(report));
}

int RunCheck(const std::string& programPath, const ReportRequest& request, std::ostream& out,
             std::ostream& err) {
  const Outcome<motion::Machine> machine = ReportMachine(request, {});
  if (!machine) {
    WriteMessage(err, machine.failure());
    return kExitRefused;
  }
  const auto program = text::ReadFileBytes(text::PathFromUtf8(programPath));
  if (!program) {
    err << "The program cannot be read: " << programPath << "\n";
    return kExitRefused;
  }
  if (motion::IsNotAProgram(*program)) {
    err << "Not a program: " << programPath << " holds only NUL bytes\n";
    return kExitRefused;
  }
  const motion::Report report = motion::CheckProgram(*program, *machine);
  if (!request.jsonPath.empty()) {
    if (const Outcome<void> written = WriteReportJson(request.jsonPath, report); !written) {
      err << written.failure().message << "\n";
      return kExitRefused;
    }
  }
  out << motion::ReportText(report);
  out.flush();
  if (!out) {
    err << "Cannot write the report to standard output\n";
    return kExitRefused;
  }
  // Warnings are the operator's to weigh, not a failure of the check.
  return kExitOk;
}

}  // namespace kelvora::cli
