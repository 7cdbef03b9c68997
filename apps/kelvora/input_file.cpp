#include "input_file.h"

#include "generators/limits.h"
#include "text/csv.h"
#include "text/files.h"

namespace kelvora::cli {

Outcome<std::string> ReadListFile(const std::string& utf8Path) {
  auto bytes = text::ReadFileBytes(text::PathFromUtf8(utf8Path));
  if (!bytes) return Failure{"No file!", utf8Path};
  // Every line but the header can become a table row.
  const auto lines = static_cast<double>(text::CountLines(*bytes));
  if (auto f = generators::CheckLimit(generators::LimitId::kTableRows, lines - 1)) return *f;
  return std::move(*bytes);
}

Failure AtFileLine(Failure failure, const std::string& utf8Path,
                   const std::vector<std::size_t>& rowLines) {
  if (!failure.row || *failure.row >= rowLines.size()) return failure;
  if (!failure.detail.empty()) failure.detail += "\n";
  failure.detail += "in " + utf8Path + ", line " + std::to_string(rowLines[*failure.row]);
  return failure;
}

}  // namespace kelvora::cli
