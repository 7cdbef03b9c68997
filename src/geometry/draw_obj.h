// Drawing objects: what a job cuts, as an ordered list shared by the preview and
// the program emitters.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelvora::geometry {

struct UnitPoint {
  double X = 0.0;
  double Y = 0.0;
  UnitPoint() = default;
  UnitPoint(double x, double y) : X(x), Y(y) {}
  friend bool operator==(const UnitPoint&, const UnitPoint&) = default;
};

// The kind stored in every object; renderers and emitters select by it.
enum objtype : std::int32_t {
  otLine = 0,
  otCircle = 2,
  otPolyLine = 3,
  otDrill = 5,
};

class DrawObj {
 public:
  virtual ~DrawObj() = default;
  // Extent on each axis as the preview needs it. The base reports 0.
  virtual double MaxX() const { return 0.0; }
  virtual double MaxY() const { return 0.0; }
  virtual double MinX() const { return 0.0; }
  virtual double MinY() const { return 0.0; }

  objtype otype = otLine;
  double z1 = 0.0;
  double z2 = 0.0;
  double offsetx = 0.0;
  double offsety = 0.0;
  double rotAngle = 0.0;
  // The layer the object was drawn on (holes and operations are on none) and
  // the import's flags.
  std::string m_Layer = "0";
  std::uint8_t m_Select = 0;
  std::uint8_t m_Nest = 0;
};

// Bounds start from +/-99999, so coordinates beyond that are clipped in the bounds.
inline constexpr double kBoundsStartMax = -99999.0;
inline constexpr double kBoundsStartMin = 99999.0;

class CLine : public DrawObj {
 public:
  CLine(UnitPoint p1, UnitPoint p2);
  double MaxX() const override;
  double MaxY() const override;
  double MinX() const override;
  double MinY() const override;

  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
  UnitPoint P1;
  UnitPoint P2;
};

class CCircle : public DrawObj {
 public:
  CCircle(UnitPoint center, double radius, bool dir);

  double radius = 0.0;
  bool dir = true;
  UnitPoint center;
};

class CDrill : public DrawObj {
 public:
  CDrill(UnitPoint center, double depth, double pass, double radius);
  double MaxX() const override;
  double MaxY() const override;
  double MinX() const override;
  double MinY() const override;

  double depth = 0.0;
  double pass = 0.0;
  double radius = 0.0;  // the tool's radius
  UnitPoint center;
};

// Bit 0 of m_PolyLineFlag: the polyline is closed (its last vertex joins the first,
// with the last vertex's bulge).
inline constexpr std::uint32_t kPolyLineClosed = 1u;

class CPolyLine : public DrawObj {
 public:
  CPolyLine();
  // Replaces the vertex arrays with n zeroed elements; m_VertexCount is the caller's.
  void InitVertex(std::uint32_t n);
  bool IsClosed() const { return (m_PolyLineFlag & kPolyLineClosed) != 0; }
  // Whether the closing segment (last vertex back to the first) is cut and drawn:
  // closed, at least two vertices, and the last vertex not already on the first.
  bool HasClosingSegment() const;

  double MaxX() const override;
  double MaxY() const override;
  double MinX() const override;
  double MinY() const override;

  std::uint32_t m_VertexCount = 0;
  std::uint32_t m_PolyLineFlag = 0;
  std::vector<double> x;
  std::vector<double> y;
  std::vector<double> b;  // bulge of the segment starting at each vertex

 private:
  struct Extent {
    double minX, minY, maxX, maxY;
  };
  Extent Bounds() const;
};

class CArc : public DrawObj {
 public:
  CArc() = default;
  double radius = 0.0, sweepAngle = 0.0, endAngle = 0.0;
  UnitPoint center, startPoint, endPoint;
};

class COp1 : public DrawObj {
 public:
  COp1(UnitPoint at, double holeDepth) : depth(holeDepth), center(at) { m_Layer.clear(); }
  double depth = 0.0;
  UnitPoint center;
};

class CSpline : public DrawObj {
 public:
  CSpline() = default;
  std::uint32_t m_FitPointCount = 0;
  std::vector<double> x;
  std::vector<double> y;
};

// An ordered list that owns its objects, built fresh for each button press.
using DrawList = std::vector<std::unique_ptr<DrawObj>>;

// The arc of a bulged segment from (x0, y0) to (x1, y1): centre and radius by the
// DXF bulge convention (bulge = tan(included angle / 4), positive counter-clockwise).
struct BulgeArc {
  UnitPoint center;
  double radius;
};
BulgeArc ArcFromBulge(double x0, double y0, double x1, double y1, double bulge);

}  // namespace kelvora::geometry
