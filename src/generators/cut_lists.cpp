#include "generators/cut_lists.h"

#include <memory>

#include "generators/limits.h"
#include "generators/program_writer.h"
#include "text/csv.h"
#include "text/csv_records.h"
#include "text/encodings.h"
#include "text/files.h"
#include "text/parse.h"

namespace kelvora::generators {

using geometry::CPolyLine;
using geometry::DrawList;

namespace {

// One straight cut from (x0, y0) to (x1, y1).
std::unique_ptr<CPolyLine> Cut(double x0, double y0, double x1, double y1) {
  auto p = std::make_unique<CPolyLine>();
  p->m_VertexCount = 2;
  p->InitVertex(2);
  p->x[0] = x0;
  p->y[0] = y0;
  p->x[1] = x1;
  p->y[1] = y1;
  return p;
}

struct Span {
  double start = 0;
  double end = 0;
};

// The list's start and end boxes, named in the refusal by the keys that persist them.
Outcome<Span> ReadSpan(const CutListInputs& in, std::string_view startKey,
                       std::string_view endKey) {
  const auto s = text::ParseDouble(in.start);
  if (!s) return Failure{std::string(kParametersError), std::string(startKey)};
  const auto e = text::ParseDouble(in.end);
  if (!e) return Failure{std::string(kParametersError), std::string(endKey)};
  return Span{*s, *e};
}

// Horizontal and vertical lists: one cut per row at the row's position.
Outcome<DrawList> StraightCuts(const std::vector<CutRow>& rows, const CutListInputs& in,
                               bool vertical) {
  if (auto f = CheckLimit(LimitId::kTableRows, static_cast<double>(rows.size()))) return *f;
  const auto span = vertical ? ReadSpan(in, "CutY1", "CutY2") : ReadSpan(in, "CutX1", "CutX2");
  if (!span) return span.failure();
  DrawList cuts;
  cuts.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto at = text::ParseDouble(rows[i].second);
    if (!at) return Failure{DataLineWrong(rows, i), {}, i};
    const bool backwards = in.zigZag && i % 2 == 1;
    const double from = backwards ? span->end : span->start;
    const double to = backwards ? span->start : span->end;
    if (vertical) {
      cuts.push_back(Cut(*at, from, *at, to));
    } else {
      cuts.push_back(Cut(from, *at, to, *at));
    }
  }
  return cuts;
}

}  // namespace

std::string_view CutCsvHeader(CutListKind kind) {
  switch (kind) {
    case CutListKind::kHorizontal:
      return kCutHeaderHorizontal;
    case CutListKind::kVertical:
      return kCutHeaderVertical;
    case CutListKind::kGenerated:
      return kCutHeaderGenerated;
  }
  return kCutHeaderHorizontal;
}

std::optional<CutListKind> CutListKindFromHeader(std::string_view header) {
  header = text::WithoutUtf8Bom(header);
  if (!header.empty() && header.back() == '\r') header.remove_suffix(1);
  for (CutListKind k :
       {CutListKind::kHorizontal, CutListKind::kVertical, CutListKind::kGenerated}) {
    if (header == CutCsvHeader(k)) return k;
  }
  return std::nullopt;
}

std::optional<CutListKind> CutListOfSubTab(CutSubTab tab) {
  switch (tab) {
    case CutSubTab::kHorizontal:
      return CutListKind::kHorizontal;
    case CutSubTab::kVertical:
      return CutListKind::kVertical;
    case CutSubTab::kGen:
      return CutListKind::kGenerated;
    case CutSubTab::kDxf:
      break;
  }
  return std::nullopt;
}

CutCsvContent ReadCutCsv(std::string_view content) {
  CutCsvContent out;
  const text::CsvRecords records = text::ReadCsvRecords(text::WithoutUtf8Bom(content), 4);
  out.rows.reserve(records.rows.size());
  for (const std::vector<std::string>& r : records.rows) out.rows.push_back(CutRow{r[0], r[1]});
  out.rowLines = records.rowLines;
  if (!records.rows.empty()) {
    out.start = records.rows.back()[2];
    out.end = records.rows.back()[3];
  }
  out.report = ReportOf(records);
  return out;
}

std::optional<std::string> CutFileRefusal(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  const std::string_view ext =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot);
  std::string lower(ext);
  for (char& ch : lower) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  if (lower.find("csv") != std::string::npos) return std::nullopt;
  return "File: *." + std::string(ext) + "Not supported";
}

Outcome<CutCsvContent> LoadCsvCutFile(std::string_view path) {
  const std::string_view trimmed = text::TrimBlanks(path);
  if (trimmed.empty()) return Failure{std::string(kPleaseSelectCsvFile), {}};
  const auto bytes = text::ReadFileBytes(text::PathFromUtf8(trimmed));
  if (!bytes) return Failure{"Cannot read the file", std::string(trimmed)};
  return ReadCutCsv(*bytes);
}

std::string WriteCutCsv(CutListKind kind, const std::vector<CutRow>& rows, std::string_view start,
                        std::string_view end) {
  std::string file(CutCsvHeader(kind));
  file += kLineEnd;
  for (const CutRow& r : rows) {
    file += text::JoinCsvLine({r.first, r.second, std::string(start), std::string(end)});
    file += kLineEnd;
  }
  return file;
}

Outcome<std::string> CutCsvForSave(CutSubTab tab, const std::vector<CutRow>& rows,
                                   std::string_view start, std::string_view end) {
  const auto kind = CutListOfSubTab(tab);
  if (!kind) return Failure{std::string(kNoCutListToSave), {}};
  return WriteCutCsv(*kind, rows, start, end);
}

std::string DataLineWrong(const std::vector<CutRow>& rows, std::size_t index) {
  const std::string& number = rows[index].number;
  if (number.empty()) return DataLineWrong(index + 1);
  return "Data Line:" + number + " wrong";
}

Outcome<DrawList> InitObjectCutHorizone(const std::vector<CutRow>& rows, const CutListInputs& in) {
  return StraightCuts(rows, in, false);
}

Outcome<DrawList> InitObjectCutVer(const std::vector<CutRow>& rows, const CutListInputs& in) {
  return StraightCuts(rows, in, true);
}

Outcome<DrawList> InitObjectCutHorizoneGen(const std::vector<CutRow>& rows,
                                           const CutListInputs& in) {
  if (auto f = CheckLimit(LimitId::kTableRows, static_cast<double>(rows.size()))) return *f;
  const auto dia = text::ParseDouble(in.toolDia);
  if (!dia) return Failure{std::string(kParametersError), "CutToolDia"};
  const auto span = ReadSpan(in, "CutGenX1", "CutGenX2");
  if (!span) return span.failure();

  // Convert every row and count the cuts before building any, so a huge quantity
  // is refused instead of exhausting memory.
  struct Piece {
    double size;
    long long count;
  };
  std::vector<Piece> pieces;
  pieces.reserve(rows.size());
  double total = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto size = text::ParseDouble(rows[i].first);
    const auto quantity = text::ParseInt32(rows[i].second);
    if (!size || !quantity) return Failure{DataLineWrong(rows, i), {}, i};
    // The first row also cuts the stock edge at y = 0.
    const long long count = static_cast<long long>(*quantity) + (i == 0 ? 1 : 0);
    pieces.push_back({*size, count});
    if (count > 0) total += static_cast<double>(count);
  }
  if (auto f = CheckLimit(LimitId::kCutQuantity, total)) return *f;

  DrawList cuts;
  cuts.reserve(static_cast<std::size_t>(total));
  double y = 0;
  long long k = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    for (long long j = 0; j < pieces[i].count; ++j) {
      if (i == 0 && j == 0) {
        y = 0;
      } else {
        y = y + pieces[i].size + *dia;
      }
      const bool backwards = in.zigZag && k % 2 == 1;
      cuts.push_back(backwards ? Cut(span->end, y, span->start, y)
                               : Cut(span->start, y, span->end, y));
      ++k;
    }
  }
  return cuts;
}

Outcome<DrawList> InitObjectCut(CutListKind kind, const std::vector<CutRow>& rows,
                                const CutListInputs& in) {
  switch (kind) {
    case CutListKind::kHorizontal:
      return InitObjectCutHorizone(rows, in);
    case CutListKind::kVertical:
      return InitObjectCutVer(rows, in);
    case CutListKind::kGenerated:
      return InitObjectCutHorizoneGen(rows, in);
  }
  return DrawList{};
}

}  // namespace kelvora::generators
