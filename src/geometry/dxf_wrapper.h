// The DXF import: one reader, one file, and its records copied into drawing
// objects for the contour tab (polylines) and the point list (circle centres).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/draw_obj.h"
#include "geometry/dxf.h"
#include "text/outcome.h"

namespace kelvora::geometry {

inline constexpr std::string_view kLoadFileFailed = "Load file failed!";
// A coordinate past the largest number (a value like 1e999 in the file).
inline constexpr std::string_view kNotFiniteNumber =
    "The drawing holds a number that is not finite";

// The units a drawing's numbers are read in. "From the drawing" takes inches
// when the header declares inches ($INSUNITS 1) and millimetres otherwise:
// many programs declare metres by default while their users draw in
// millimetres, so no other unit is scaled by; a note tells of it instead.
enum class DrawingUnits { kFromDrawing, kMillimetres, kInches };
inline constexpr std::string_view kDrawingUnitsNames[] = {"From the drawing", "Millimetres",
                                                          "Inches"};
inline constexpr double kMillimetresPerInch = 25.4;

// Scales the records to millimetres as `units` asks (inches: every length by
// 25.4). Returns the note to give, empty when none: the header declares units
// other than those the numbers were read in ("The drawing's units are metres;
// its numbers were read as millimetres").
std::string ApplyDrawingUnits(CDxf& dxf, DrawingUnits units);

// Which lists InitObjects builds: a job builds only those it uses, so a large
// drawing is not held twice over in objects nobody reads.
enum DxfObjects : unsigned {
  kDxfLines = 1u,
  kDxfPolyLines = 2u,
  kDxfCircles = 4u,
  kAllDxfObjects = kDxfLines | kDxfPolyLines | kDxfCircles,
};
// Told when a drawing that loaded yields nothing to cut or drill, so a program
// that does nothing is never run unknowingly.
inline constexpr std::string_view kNoLwPolyline = "The drawing holds no LWPOLYLINE";
inline constexpr std::string_view kNoCircle = "The drawing holds no CIRCLE";

class DxfWraper {
 public:
  DxfWraper() : _dxf(std::make_unique<CDxf>()) {}

  // True when the file was read (even without any entity of interest).
  bool LoadFile(const std::string& path) { return _dxf->LoadFile(path); }

  std::uint32_t LineCount() const { return _dxf->GetLineCount(); }
  std::uint32_t PolyLineCount() const { return _dxf->GetLwPolyLineCount(); }
  std::uint32_t CircleCount() const { return _dxf->GetCircleCount(); }
  std::uint32_t ArcCount() const { return _dxf->GetArcCount(); }

  // Empty when the drawing was read whole and in step (CDxf::GetProblem).
  const std::string& Problem() const { return _dxf->GetProblem(); }

  // Builds the lists from the records: lines, polylines (with their closed flag)
  // and circles, those of `kinds`. Arcs and splines are read but not converted.
  void InitObjects(unsigned kinds = kAllDxfObjects);

  const CDxf& Reader() const { return *_dxf; }

  std::unique_ptr<CDxf> _dxf;
  std::vector<std::unique_ptr<CLine>> lstLines;
  std::vector<std::unique_ptr<CPolyLine>> lstPolyLines;
  std::vector<std::unique_ptr<CCircle>> lstCircles;
  std::vector<std::unique_ptr<CArc>> lstArcs;  // never filled

 private:
  void InitLines();
  void InitPolyLines();
  void InitCircles();
};

// A drawing object copied from a polyline record: its vertices and closed flag.
std::unique_ptr<CPolyLine> PolyLineOf(const dCPolyLine& record);

// Loads the file and builds the lists. A file that cannot be read, or whose
// entities are out of step or cut short, gives "Load file failed!" with the
// path and the reason: cutting part of a damaged drawing would spoil the work.
// The lengths are read in `units` (ApplyDrawingUnits), its note added to
// `notes` when given.
std::optional<Failure> LoadDxf(DxfWraper& dxf, const std::string& path,
                               unsigned kinds = kAllDxfObjects,
                               DrawingUnits units = DrawingUnits::kFromDrawing,
                               std::vector<std::string>* notes = nullptr);

// The contour tab's drawing: the file's polylines in file order.
Outcome<DrawList> DxfObjGen(const std::string& path);

// Whether a drawing layer is one of `layers`. Drawings name layers without
// regard to letter case ("Holes" and "HOLES" are one layer), so neither does
// this; an empty list takes every layer.
bool LayerTaken(std::string_view layer, const std::vector<std::string>& layers);

// The drawing's circles that lie on `layers` (empty: all), in file order, read
// as LoadDxf reads them.
Outcome<std::vector<std::unique_ptr<CCircle>>> DxfCirclesOnLayers(
    const std::string& path, const std::vector<std::string>& layers,
    DrawingUnits units = DrawingUnits::kFromDrawing, std::vector<std::string>* notes = nullptr);

}  // namespace kelvora::geometry
