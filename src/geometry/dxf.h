// Reading the geometry of an ASCII DXF drawing: the ENTITIES section's lines,
// arcs, circles, lightweight polylines and splines, as plain records.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::geometry {

namespace detail {
class GroupReader;
}

// What every entity record carries besides its geometry: the layer it was drawn
// on and the flags the import works with.
struct dCEntity {
  virtual ~dCEntity() = default;
  std::string m_Layer = "0";
  std::uint8_t m_Select = 0;
  std::uint8_t m_Nest = 0;
};

struct dCLine : dCEntity {
  double x1 = 0.0, y1 = 0.0;  // start
  double x2 = 0.0, y2 = 0.0;  // end
};

struct dCArc : dCEntity {
  double cx = 0.0, cy = 0.0, radius = 0.0;
  double startAngle = 0.0, endAngle = 0.0;  // degrees, as in the file
};

// The layer is not read: circles stay on "0".
struct dCCircle : dCEntity {
  double cx = 0.0, cy = 0.0, radius = 0.0;
};

// Bit 0 of m_PolyLineFlag: the polyline is closed.
inline constexpr std::uint32_t kDxfPolyLineClosed = 1u;

// The layer is not read: polylines stay on "0".
struct dCPolyLine : dCEntity {
  std::uint32_t m_VertexCount = 0;  // vertices read (x, y, b hold exactly this many)
  std::uint32_t m_PolyLineFlag = 0;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> b;  // bulge of the segment starting at each vertex
};

struct dCSpline : dCEntity {
  std::uint32_t m_FitPointCount = 0;  // fit points read
  std::vector<double> x;
  std::vector<double> y;
};

// The reader. A file is a sequence of group pairs (a code line and a value line);
// only the ENTITIES section is read, each entity from its group 0 to the next, and
// every code is looked up inside its own entity, so a damaged or unusual entity
// never costs its neighbours. One pass: the records grow as they are read.
class CDxf {
 public:
  CDxf() = default;
  virtual ~CDxf() = default;
  CDxf(const CDxf&) = delete;
  CDxf& operator=(const CDxf&) = delete;

  // Reads the file. False when it cannot be opened or read (the reader is then left
  // as it was); a file that is not an ASCII DXF loads as an empty drawing.
  bool LoadFile(const std::string& path);
  // Reads a drawing already in memory; replaces whatever was loaded before.
  void LoadText(std::string_view text);

  std::uint32_t GetLineCount() const { return static_cast<std::uint32_t>(m_Lines.size()); }
  std::uint32_t GetArcCount() const { return static_cast<std::uint32_t>(m_Arcs.size()); }
  std::uint32_t GetCircleCount() const { return static_cast<std::uint32_t>(m_Circles.size()); }
  std::uint32_t GetLwPolyLineCount() const {
    return static_cast<std::uint32_t>(m_PolyLines.size());
  }

  std::span<const dCLine> Lines() const { return m_Lines; }
  std::span<const dCArc> Arcs() const { return m_Arcs; }
  std::span<const dCCircle> Circles() const { return m_Circles; }
  std::span<const dCPolyLine> PolyLines() const { return m_PolyLines; }
  std::span<const dCSpline> Splines() const { return m_Splines; }

  // What makes the last load doubtful: a line where a group code was expected
  // but something else stood (codes and values out of step), or an ENTITIES
  // section that is never closed (a file cut short). Empty for a sound drawing.
  const std::string& GetProblem() const { return m_Problem; }

  // Bytes held by the records (capacity, vertex and fit-point arrays, layer names
  // beyond the small-string buffer), for the memory benchmark.
  std::size_t RecordBytes() const;

 private:
  void Read(detail::GroupReader& groups);

  std::uint8_t m_Loaded = 0;
  std::vector<dCLine> m_Lines;
  std::vector<dCArc> m_Arcs;
  std::vector<dCCircle> m_Circles;
  std::vector<dCPolyLine> m_PolyLines;
  std::vector<dCSpline> m_Splines;
  std::string m_Problem;
};

// Number conversions of the reader, with C atof / atoi semantics: leading blanks
// skipped, the longest valid numeric prefix, 0 when there is none.
double DxfToDouble(std::string_view text);
long long DxfToInt(std::string_view text);

}  // namespace kelvora::geometry
