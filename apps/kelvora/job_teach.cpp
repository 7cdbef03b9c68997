// Job "teach": a teach file turned into the teach tab's program.
#include "cli.h"
#include "generators/job_inputs.h"
#include "generators/teach.h"
#include "input_file.h"

namespace kelvora::cli {
namespace {

JobOutput RunTeach(const Request& r) {
  const auto bytes = ReadListFile(r.teachPath);
  if (!bytes) return Refused(bytes.failure());
  generators::TeachDefinitions definitions = generators::ReadTeachDefinitions(r.texts);
  const generators::TeachOpLists lists = generators::updateTchGrid(definitions);
  const generators::TeachCsvContent table = generators::LoadTchCsv(*bytes, lists);
  if (!table.report.clean()) {
    return Refused(table.report.AsFailure(r.teachPath));
  }
  // Every row of the file is a step: the command line has no new-row line. The
  // control is the run's (its name is among the texts, checked before the run).
  const text::Dialect control =
      text::DialectNamed(r.texts(generators::kMachineDialectKey)).value_or(text::Dialect::kHost);
  auto program = generators::BuildTeachProgram(r.texts("TchPrefix"), r.texts("TchSurfix"),
                                               table.rows, lists, text::RulesOf(control));
  if (!program) return Refused(AtFileLine(program.failure(), r.teachPath, table.rowLines));
  JobOutput out;
  out.reports = std::move(program->reports);
  out.program = std::move(program->text);
  return out;
}

}  // namespace

Job TeachJobEntry() {
  return {"teach",
          "A taught sequence of operations and positions from a teach file",
          KeysOf(settings::JobInputs::kTeach),
          {FileOption::kTeach},
          RunTeach,
          settings::JobInputs::kTeach};
}

}  // namespace kelvora::cli
