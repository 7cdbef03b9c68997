// Reading the geometry of an ASCII DXF drawing as plain records: the ENTITIES
// section's lines, arcs, circles, polylines (lightweight and old-style), ellipses,
// splines and block inserts, the BLOCKS they insert, and the layer table.
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

struct dCCircle : dCEntity {
  double cx = 0.0, cy = 0.0, radius = 0.0;
};

// Bit 0 of m_PolyLineFlag: the polyline is closed.
inline constexpr std::uint32_t kDxfPolyLineClosed = 1u;

// A lightweight polyline, or an old-style POLYLINE with its VERTEX entities.
struct dCPolyLine : dCEntity {
  std::uint32_t m_VertexCount = 0;  // vertices read (x, y, b hold exactly this many)
  std::uint32_t m_PolyLineFlag = 0;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> b;  // bulge of the segment starting at each vertex
};

// An ellipse or elliptical arc: the point at parameter t is
// centre + major cos t + minor sin t, the minor axis `ratio` times the major one's
// length and a quarter turn counter-clockwise from it (clockwise when the
// extrusion points down). A full ellipse runs from 0 to 2 pi.
struct dCEllipse : dCEntity {
  double cx = 0.0, cy = 0.0;
  double majorX = 1.0, majorY = 0.0;  // end of the major axis, relative to the centre
  double ratio = 1.0;
  double startParam = 0.0, endParam = 0.0;
  bool mirrored = false;  // extrusion (0, 0, -1)
};

inline constexpr std::uint32_t kDxfSplineClosed = 1u;
inline constexpr std::uint32_t kDxfSplinePeriodic = 2u;
inline constexpr std::uint32_t kDxfSplineRational = 4u;

// A spline: its fit points (x, y, counted by m_FitPointCount) and the B-spline
// itself (degree, knots, control points and their weights, which may be absent).
struct dCSpline : dCEntity {
  std::uint32_t m_FitPointCount = 0;  // fit points read
  std::vector<double> x;
  std::vector<double> y;
  std::uint32_t flags = 0;
  int degree = 3;
  std::vector<double> knots;
  std::vector<double> weights;
  std::vector<double> cx;  // control points
  std::vector<double> cy;
};

// A block placed in the drawing: the block's base point lands on the position,
// scaled, then turned by the rotation (degrees, counter-clockwise), repeated
// over `columns` by `rows` at the given spacings.
struct dCInsert : dCEntity {
  std::string block;
  double x = 0.0, y = 0.0;
  double scaleX = 1.0, scaleY = 1.0;
  double rotation = 0.0;
  long long columns = 1, rows = 1;
  double columnSpacing = 0.0, rowSpacing = 0.0;
  bool mirrored = false;  // extrusion (0, 0, -1): the placement seen from below
};

// Entity kinds that are read but give no geometry, with how many of each, in the
// order they were first met ("TEXT", "3D POLYLINE", ...).
struct dCKindCount {
  std::string kind;
  std::uint32_t count = 0;
};

// The entities of one section or block.
struct dCEntities {
  std::vector<dCLine> lines;
  std::vector<dCArc> arcs;
  std::vector<dCCircle> circles;
  std::vector<dCPolyLine> lwPolyLines;
  std::vector<dCPolyLine> polyLines;  // old-style POLYLINE/VERTEX, 2D only
  std::vector<dCEllipse> ellipses;
  std::vector<dCSpline> splines;
  std::vector<dCInsert> inserts;
  std::vector<dCKindCount> skipped;
  void CountSkipped(std::string_view kind);
};

struct dCBlock {
  std::string name;
  double baseX = 0.0, baseY = 0.0;
  dCEntities entities;
};

// A layer of the layer table: frozen (flag bit 1) or off (negative colour)
// layers are not shown and not cut.
struct dCLayer {
  std::string name;
  bool frozen = false;
  bool off = false;
};

// The reader. A file is a sequence of group pairs (a code line and a value line);
// the layer table, the BLOCKS section and the ENTITIES section are read, each entity from its group
// 0 to the next, and every code is looked up inside its own entity, so a damaged or unusual entity
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

  std::uint32_t GetLineCount() const { return static_cast<std::uint32_t>(m_E.lines.size()); }
  std::uint32_t GetArcCount() const { return static_cast<std::uint32_t>(m_E.arcs.size()); }
  std::uint32_t GetCircleCount() const { return static_cast<std::uint32_t>(m_E.circles.size()); }
  std::uint32_t GetLwPolyLineCount() const {
    return static_cast<std::uint32_t>(m_E.lwPolyLines.size());
  }

  std::span<const dCLine> Lines() const { return m_E.lines; }
  std::span<const dCArc> Arcs() const { return m_E.arcs; }
  std::span<const dCCircle> Circles() const { return m_E.circles; }
  // The LWPOLYLINEs.
  std::span<const dCPolyLine> PolyLines() const { return m_E.lwPolyLines; }
  std::span<const dCSpline> Splines() const { return m_E.splines; }
  // The old-style POLYLINEs (2D; 3D polylines and meshes are counted as skipped).
  std::span<const dCPolyLine> OldPolyLines() const { return m_E.polyLines; }
  std::span<const dCEllipse> Ellipses() const { return m_E.ellipses; }
  std::span<const dCInsert> Inserts() const { return m_E.inserts; }
  // Everything of the ENTITIES section, and the kinds read but not kept.
  const dCEntities& Entities() const { return m_E; }
  std::span<const dCBlock> Blocks() const { return m_Blocks; }
  // The block of that name (compared without regard to case), or null.
  const dCBlock* FindBlock(std::string_view name) const;
  std::span<const dCLayer> Layers() const { return m_Layers; }
  // Whether entities on `layer` are shown: not frozen, not off.
  bool LayerShown(std::string_view layer) const;

  // What makes the last load doubtful: a line where a group code was expected
  // but something else stood (codes and values out of step), or an ENTITIES
  // section that is never closed (a file cut short). Empty for a sound drawing.
  const std::string& GetProblem() const { return m_Problem; }

  // The drawing's units as its header declares them ($INSUNITS: 1 inches, 4
  // millimetres, 5 centimetres, 6 metres, ...); -1 when the header declares none.
  long long GetInsUnits() const { return m_InsUnits; }

  // Multiplies every length of the records (positions, radii, axes, spacings,
  // block base points) by `factor`; bulges, angles, ratios, knots and insert
  // scales have no length and stay.
  void ScaleLengths(double factor);

  // Bytes held by the records (capacity, vertex and fit-point arrays, layer names
  // beyond the small-string buffer), for the memory benchmark.
  std::size_t RecordBytes() const;

 private:
  void Read(detail::GroupReader& groups);
  // Each reads its section up to its end; true when it stopped at the start of
  // the next section instead (its end lost).
  bool ReadLayers(detail::GroupReader& groups);
  bool ReadBlocks(detail::GroupReader& groups);
  bool ReadHeader(detail::GroupReader& groups);
  void Swap(CDxf& other);

  std::uint8_t m_Loaded = 0;
  dCEntities m_E;
  std::vector<dCBlock> m_Blocks;
  std::vector<dCLayer> m_Layers;
  std::string m_Problem;
  std::string m_NumberProblem;  // the first number not read, until the load ends
  long long m_InsUnits = -1;
};

// The largest coordinate or size the reader takes, either way, in the
// drawing's own units: far beyond any machine's travel, and small enough that
// every number of a program stays a short word. A number beyond it makes the
// drawing doubtful (GetProblem names its line).
inline constexpr double kDxfMaxCoordinate = 1e6;

// Number conversions with C atof / atoi semantics: leading blanks skipped, the
// longest valid numeric prefix, 0 when there is none. The reader itself takes
// only a value line that is a number as a whole (DxfReadDouble, DxfReadInt).
double DxfToDouble(std::string_view text);
long long DxfToInt(std::string_view text);

// A value line read as a number: blanks around it allowed, nothing else. False
// for an empty line or one with anything after the number ("12,5"). A whole
// number may be written with a fraction of zeros ("1.0").
bool DxfReadDouble(std::string_view text, double& out);
bool DxfReadInt(std::string_view text, long long& out);

// Whether two layer or block names are the same name: DXF compares them without
// regard to the case of ASCII letters.
bool DxfNamesEqual(std::string_view a, std::string_view b);

}  // namespace kelvora::geometry
