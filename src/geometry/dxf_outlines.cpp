#include "geometry/dxf_outlines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "geometry/dxf_chain.h"
#include "geometry/dxf_curves.h"
#include "geometry/dxf_wrapper.h"
#include "text/parse.h"

namespace kelvora::geometry {

std::vector<std::string> ParseLayerList(std::string_view text) {
  std::vector<std::string> layers;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view name = text::TrimBlanks(text.substr(0, comma));
    if (!name.empty()) layers.emplace_back(name);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return layers;
}

bool LayerTaken(const CDxf& dxf, std::string_view layer, const std::vector<std::string>& layers) {
  if (!dxf.LayerShown(layer)) return false;
  if (layers.empty()) return true;
  return std::any_of(layers.begin(), layers.end(),
                     [&](const std::string& l) { return DxfNamesEqual(l, layer); });
}

namespace {

constexpr double kPi = std::numbers::pi;

// A placement of a block's geometry in the drawing: x' = a x + b y + tx,
// y' = c x + d y + ty.
struct Placement {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  Point Apply(double x, double y) const { return {a * x + b * y + tx, c * x + d * y + ty}; }
  double Det() const { return a * d - b * c; }
  // Whether circles stay circles: the axes stay square to each other and of one
  // length (turned, moved, scaled alike in x and y, perhaps mirrored).
  bool KeepsCircles() const {
    const double n1 = a * a + c * c;
    const double n2 = b * b + d * d;
    const double scale = std::max(n1, n2);
    return std::fabs(n1 - n2) <= 1e-9 * scale && std::fabs(a * b + c * d) <= 1e-9 * scale;
  }
  double Scale() const { return std::sqrt(std::fabs(Det())); }
};

// `outer` after `inner`.
Placement Compose(const Placement& outer, const Placement& inner) {
  return {outer.a * inner.a + outer.b * inner.c,
          outer.a * inner.b + outer.b * inner.d,
          outer.c * inner.a + outer.d * inner.c,
          outer.c * inner.b + outer.d * inner.d,
          outer.a * inner.tx + outer.b * inner.ty + outer.tx,
          outer.c * inner.tx + outer.d * inner.ty + outer.ty};
}

// The most entities the inserts of one drawing place (arrays and nesting
// multiplied out), the most vertices its outlines may have (the same bound the
// contour job puts on its vertices), and the most points its curves are
// sampled at. Past any, the drawing is refused instead of exhausting memory or
// time.
constexpr double kMaxPlacements = 10'000'000;
constexpr std::size_t kMaxOutlineVertices = 10'000'000;
constexpr std::size_t kMaxCurveWork = 50'000'000;
// Lines, arcs and contours held before chaining: each costs a few hundred bytes
// as a contour, and the plug-in shares a 32-bit address space with its host.
constexpr std::size_t kMaxOutlinePieces = 1'000'000;
// Blocks inside blocks deeper than this are taken for a mistake.
constexpr std::size_t kMaxNesting = 100;

bool Finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool AllFinite(const std::vector<double>& values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

std::string Number(double v) {
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 3);
  if (ec != std::errc()) return "?";
  std::string s(buffer, end);
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

// Counts by kind, in the order they were first added, written as
// "3 TEXT, 1 HATCH".
class Tally {
 public:
  void Add(std::string_view kind, std::uint32_t count = 1) {
    if (count == 0) return;
    for (auto& [k, n] : items_) {
      if (k == kind) {
        n += count;
        return;
      }
    }
    items_.emplace_back(std::string(kind), count);
  }
  bool Empty() const { return items_.empty(); }
  std::string Text() const {
    std::string s;
    for (const auto& [k, n] : items_) {
      if (!s.empty()) s += ", ";
      s += std::to_string(n) + " " + k;
    }
    return s;
  }

 private:
  std::vector<std::pair<std::string, std::uint64_t>> items_;
};

std::unique_ptr<CPolyLine> NewPolyLine(bool closed) {
  auto p = std::make_unique<CPolyLine>();
  p->m_PolyLineFlag = closed ? kPolyLineClosed : 0;
  return p;
}

void Push(CPolyLine& p, double x, double y, double b) {
  p.x.push_back(x);
  p.y.push_back(y);
  p.b.push_back(b);
}

class Builder {
 public:
  Builder(const CDxf& dxf, const OutlineOptions& options) : dxf_(dxf), options_(options) {}

  Outlines Build() {
    Outlines out;
    const dCEntities& top = dxf_.Entities();
    for (const dCPolyLine& p : top.lwPolyLines) {
      if (Taken(p.m_Layer)) out.contours.push_back(PolyLineOf(p));
    }
    skipped_ = Tally{};
    for (const dCKindCount& k : top.skipped) skipped_.Add(k.kind, k.count);

    if (options_.source == OutlineSource::kLwPolylines) {
      if (out.contours.empty()) out.notes.push_back(NothingNote(top));
    } else {
      std::vector<const dCBlock*> stack;
      // What the inserts place, multiplied out, is weighed before any is placed.
      if (InsertCost(top, stack) > kMaxPlacements) {
        Refuse("The drawing's inserts place more than " +
               std::to_string(static_cast<long long>(kMaxPlacements)) + " entities");
      }
      if (!refusal_) AddSet(top, Placement{}, {}, stack, true);
      if (refusal_) {
        out.contours.clear();
        return out;
      }
      Chains chains = ChainPieces(pieces_, options_.joinTolerance);
      for (auto& c : chains.contours) out.contours.push_back(std::move(c));
      for (auto& c : direct_) out.contours.push_back(std::move(c));
      if (!chains.branches.empty()) out.notes.push_back(BranchNote(chains.branches));
      if (out.contours.empty()) out.notes.emplace_back(kNoOutline);
    }
    if (!leftOut_.Empty()) out.notes.push_back("Left out: " + leftOut_.Text());
    if (!skipped_.Empty()) out.notes.push_back("Skipped: " + skipped_.Text());
    OrderContours(out.contours, options_.order);
    return out;
  }

  const std::optional<std::string>& Refusal() const { return refusal_; }

  static constexpr std::string_view kNoOutline = "The drawing holds no outline to cut";

 private:
  bool Taken(std::string_view layer) const { return LayerTaken(dxf_, layer, options_.layers); }

  // Entities of a block drawn on layer 0 take the layer of the insert.
  static std::string_view Effective(std::string_view own, std::string_view insertLayer) {
    return own == "0" && !insertLayer.empty() ? insertLayer : own;
  }

  std::string NothingNote(const dCEntities& top) const {
    Tally held;
    auto count = [&](std::string_view kind, const auto& records) {
      std::uint32_t n = 0;
      for (const auto& r : records) n += Taken(r.m_Layer) ? 1 : 0;
      held.Add(kind, n);
    };
    count("LINE", top.lines);
    count("ARC", top.arcs);
    count("POLYLINE", top.polyLines);
    count("CIRCLE", top.circles);
    count("ELLIPSE", top.ellipses);
    count("SPLINE", top.splines);
    count("INSERT", top.inserts);
    std::string note(kNoLwPolyline);
    if (!options_.layers.empty()) note += " on the chosen layers";
    if (held.Empty()) return note;
    return note + ": it holds " + held.Text() + ": choose all outline entities";
  }

  static std::string BranchNote(const std::vector<UnitPoint>& branches) {
    constexpr std::size_t kNamed = 5;
    std::string s = "Three or more ends meet at ";
    for (std::size_t i = 0; i < branches.size() && i < kNamed; ++i) {
      if (i > 0) s += ", ";
      s += "(" + Number(branches[i].X) + ", " + Number(branches[i].Y) + ")";
    }
    if (branches.size() > kNamed) s += " and " + std::to_string(branches.size() - kNamed) + " more";
    return s + ": the chains end there";
  }

  void Refuse(std::string why) {
    if (!refusal_) refusal_ = std::move(why);
  }

  bool Spend(std::size_t vertices) {
    if (pieces_.size() + direct_.size() >= kMaxOutlinePieces) {
      Refuse("The drawing's outlines have more than " + std::to_string(kMaxOutlinePieces) +
             " pieces");
      return false;
    }
    vertices_ += vertices;
    if (vertices_ > kMaxOutlineVertices) {
      Refuse("The drawing's outlines need more than " + std::to_string(kMaxOutlineVertices) +
             " vertices");
      return false;
    }
    return true;
  }

  bool Sampled() {
    if (samples_ <= kMaxCurveWork) return true;
    Refuse("The drawing's curves need more than " + std::to_string(kMaxCurveWork) +
           " points to follow");
    return false;
  }

  bool CheckFinite(bool finite) {
    if (!finite) Refuse(std::string(kNotFiniteNumber));
    return finite;
  }

  void AddSet(const dCEntities& set, const Placement& at, std::string_view insertLayer,
              std::vector<const dCBlock*>& stack, bool top) {
    for (const dCLine& l : set.lines) {
      if (refusal_) return;
      if (!Taken(Effective(l.m_Layer, insertLayer))) continue;
      if (!CheckFinite(Finite({l.x1, l.y1, l.x2, l.y2})) || !Spend(2)) return;
      const Point p0 = at.Apply(l.x1, l.y1);
      const Point p1 = at.Apply(l.x2, l.y2);
      pieces_.push_back({p0.x, p0.y, p1.x, p1.y, 0.0});
    }
    for (const dCArc& a : set.arcs) {
      if (refusal_) return;
      if (Taken(Effective(a.m_Layer, insertLayer))) AddArc(a, at);
    }
    for (const dCCircle& c : set.circles) {
      if (refusal_) return;
      if (Taken(Effective(c.m_Layer, insertLayer))) AddCircle(c, at);
    }
    if (!top) {
      for (const dCPolyLine& p : set.lwPolyLines) {
        if (refusal_) return;
        if (Taken(Effective(p.m_Layer, insertLayer))) AddPolyLine(p, at);
      }
    }
    for (const dCPolyLine& p : set.polyLines) {
      if (refusal_) return;
      if (Taken(Effective(p.m_Layer, insertLayer))) AddPolyLine(p, at);
    }
    for (const dCEllipse& e : set.ellipses) {
      if (refusal_) return;
      if (Taken(Effective(e.m_Layer, insertLayer))) AddEllipse(e, at);
    }
    for (const dCSpline& s : set.splines) {
      if (refusal_) return;
      if (Taken(Effective(s.m_Layer, insertLayer))) AddSpline(s, at);
    }
    for (const dCInsert& i : set.inserts) {
      if (refusal_) return;
      AddInsert(i, at, Effective(i.m_Layer, insertLayer), stack);
    }
  }

  // The entities the inserts of `set` place, arrays and nested blocks
  // multiplied out (each placement counting one more); a block that inserts
  // itself is refused.
  double InsertCost(const dCEntities& set, std::vector<const dCBlock*>& stack) {
    double cost = 0;
    for (const dCInsert& ins : set.inserts) {
      const dCBlock* block = dxf_.FindBlock(ins.block);
      if (block == nullptr || refusal_) continue;
      if (std::find(stack.begin(), stack.end(), block) != stack.end()) {
        Refuse("The block \"" + block->name + "\" inserts itself");
        return kMaxPlacements + 1;
      }
      auto known = cost_.find(block);
      double each = 0;
      if (known != cost_.end()) {
        each = known->second;
      } else {
        const dCEntities& e = block->entities;
        stack.push_back(block);
        each = static_cast<double>(e.lines.size() + e.arcs.size() + e.circles.size() +
                                   e.lwPolyLines.size() + e.polyLines.size() + e.ellipses.size() +
                                   e.splines.size()) +
               InsertCost(e, stack);
        stack.pop_back();
        cost_[block] = each;
      }
      cost += static_cast<double>(std::max(1LL, ins.columns)) *
              static_cast<double>(std::max(1LL, ins.rows)) * (1 + each);
    }
    return cost;
  }

  // A curve's approximation: a closed one is a contour of its own, an open one
  // joins the pieces to chain.
  void AddCurve(const CurveFunction& f, std::size_t spans, bool closed) {
    std::vector<Vertex> v = ApproximateCurve(f, options_.chordTolerance, spans, &samples_);
    if (!Spend(v.size()) || !Sampled()) return;
    for (const Vertex& p : v) {
      if (!CheckFinite(Finite({p.x, p.y, p.bulge}))) return;
    }
    if (!closed) {
      for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        pieces_.push_back({v[i].x, v[i].y, v[i + 1].x, v[i + 1].y, v[i].bulge});
      }
      return;
    }
    // The last vertex is the first again (a closing segment joins them otherwise).
    if (v.size() > 1 &&
        std::hypot(v.back().x - v.front().x, v.back().y - v.front().y) <= options_.joinTolerance) {
      v.pop_back();
    }
    if (v.size() < 2) return;
    auto poly = NewPolyLine(true);
    for (const Vertex& p : v) Push(*poly, p.x, p.y, p.bulge);
    Finish(std::move(poly));
  }

  void Finish(std::unique_ptr<CPolyLine> poly) {
    poly->m_VertexCount = static_cast<std::uint32_t>(poly->x.size());
    direct_.push_back(std::move(poly));
  }

  // A circle as a contour: two half circles, counter-clockwise, from its
  // rightmost point.
  void AddCircleContour(Point c, double r) {
    if (!Spend(2)) return;
    auto poly = NewPolyLine(true);
    Push(*poly, c.x + r, c.y, 1.0);
    Push(*poly, c.x - r, c.y, 1.0);
    Finish(std::move(poly));
  }

  void AddCircle(const dCCircle& c, const Placement& at) {
    if (!CheckFinite(Finite({c.cx, c.cy, c.radius}))) return;
    if (!(c.radius > 0)) {
      leftOut_.Add("CIRCLE without a radius");
      return;
    }
    if (at.KeepsCircles()) {
      AddCircleContour(at.Apply(c.cx, c.cy), c.radius * at.Scale());
      return;
    }
    // Stretched unevenly: an ellipse, counter-clockwise in the drawing.
    const double turn = at.Det() < 0 ? -2.0 * kPi : 2.0 * kPi;
    AddCurve(
        [&](double u) {
          const double t = u * turn;
          return at.Apply(c.cx + c.radius * std::cos(t), c.cy + c.radius * std::sin(t));
        },
        8, true);
  }

  void AddArc(const dCArc& a, const Placement& at) {
    if (!CheckFinite(Finite({a.cx, a.cy, a.radius, a.startAngle, a.endAngle}))) return;
    if (!(a.radius > 0)) {
      leftOut_.Add("ARC without a radius");
      return;
    }
    // The sweep counter-clockwise from start to end; equal angles (0 to 360) are
    // a whole circle.
    double sweep = std::fmod(a.endAngle - a.startAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    const bool whole = sweep >= 360.0 - 1e-9;
    const double s = a.startAngle * kPi / 180.0;
    const double w = sweep * kPi / 180.0;
    if (at.KeepsCircles()) {
      if (whole) {
        AddCircleContour(at.Apply(a.cx, a.cy), a.radius * at.Scale());
        return;
      }
      if (!Spend(2)) return;
      const Point p0 = at.Apply(a.cx + a.radius * std::cos(s), a.cy + a.radius * std::sin(s));
      const Point p1 =
          at.Apply(a.cx + a.radius * std::cos(s + w), a.cy + a.radius * std::sin(s + w));
      const double bulge = std::tan(w / 4.0) * (at.Det() < 0 ? -1.0 : 1.0);
      pieces_.push_back({p0.x, p0.y, p1.x, p1.y, bulge});
      return;
    }
    AddCurve(
        [&](double u) {
          const double t = s + u * w;
          return at.Apply(a.cx + a.radius * std::cos(t), a.cy + a.radius * std::sin(t));
        },
        std::max(1, static_cast<int>(std::ceil(w / (kPi / 4)))), whole);
  }

  void AddPolyLine(const dCPolyLine& p, const Placement& at) {
    const std::uint32_t n = p.m_VertexCount;
    if (n == 0) return;
    if (!CheckFinite(AllFinite(p.x) && AllFinite(p.y) && AllFinite(p.b)) || !Spend(n)) return;
    const bool closed = (p.m_PolyLineFlag & kDxfPolyLineClosed) != 0;
    auto poly = NewPolyLine(closed);
    const double flip = at.Det() < 0 ? -1.0 : 1.0;
    for (std::uint32_t i = 0; i < n; ++i) {
      const Point q = at.Apply(p.x[i], p.y[i]);
      const std::uint32_t next = i + 1 < n ? i + 1 : 0;
      const bool segment = i + 1 < n || closed;
      const bool same = p.x[i] == p.x[next] && p.y[i] == p.y[next];
      if (at.KeepsCircles() || !segment || p.b[i] == 0.0 || same) {
        Push(*poly, q.x, q.y, p.b[i] * flip);
        continue;
      }
      // A bulged segment stretched unevenly: part of an ellipse.
      const BulgeArc arc = ArcFromBulge(p.x[i], p.y[i], p.x[next], p.y[next], p.b[i]);
      const double a0 = std::atan2(p.y[i] - arc.center.Y, p.x[i] - arc.center.X);
      const double w = 4.0 * std::atan(p.b[i]);
      const std::vector<Vertex> v = ApproximateCurve(
          [&](double u) {
            const double t = a0 + u * w;
            return at.Apply(arc.center.X + arc.radius * std::cos(t),
                            arc.center.Y + arc.radius * std::sin(t));
          },
          options_.chordTolerance, 4, &samples_);
      if (!Spend(v.size()) || !Sampled()) return;
      for (std::size_t k = 0; k + 1 < v.size(); ++k) Push(*poly, v[k].x, v[k].y, v[k].bulge);
    }
    Finish(std::move(poly));
  }

  void AddEllipse(const dCEllipse& e, const Placement& at) {
    if (!CheckFinite(Finite({e.cx, e.cy, e.majorX, e.majorY, e.ratio, e.startParam, e.endParam}))) {
      return;
    }
    if (!(e.ratio > 0) || (e.majorX == 0 && e.majorY == 0)) {
      leftOut_.Add("ELLIPSE without a size");
      return;
    }
    double sweep = std::fmod(e.endParam - e.startParam, 2.0 * kPi);
    if (sweep <= 1e-12) sweep += 2.0 * kPi;
    const bool whole = sweep >= 2.0 * kPi - 1e-9;
    const double t0 = e.startParam;
    // A drawing seen from below runs its parameter clockwise.
    AddCurve(
        [&](double u) {
          const Point p = EllipsePoint(e, t0 + u * sweep);
          return at.Apply(p.x, p.y);
        },
        std::max(1, static_cast<int>(std::ceil(sweep / (kPi / 4)))), whole);
  }

  void AddSpline(const dCSpline& s, const Placement& at) {
    if (!CheckFinite(AllFinite(s.x) && AllFinite(s.y) && AllFinite(s.cx) && AllFinite(s.cy) &&
                     AllFinite(s.weights))) {
      return;
    }
    std::string reason;
    const std::optional<SplineCurve> curve = SplineCurveOf(s, &reason);
    if (!curve) {
      leftOut_.Add("SPLINE (" + reason + ")");
      return;
    }
    const Point a = curve->f(0.0);
    const Point b = curve->f(1.0);
    const bool closed = curve->closed || std::hypot(b.x - a.x, b.y - a.y) <= options_.joinTolerance;
    AddCurve(
        [&](double u) {
          const Point p = curve->f(u);
          return at.Apply(p.x, p.y);
        },
        curve->spans, closed);
  }

  void AddInsert(const dCInsert& ins, const Placement& at, std::string_view layer,
                 std::vector<const dCBlock*>& stack) {
    // An insert on a hidden layer hides all it places.
    if (!dxf_.LayerShown(layer)) return;
    const dCBlock* block = dxf_.FindBlock(ins.block);
    if (block == nullptr) {
      leftOut_.Add("INSERT of a block the drawing does not define");
      return;
    }
    if (std::find(stack.begin(), stack.end(), block) != stack.end()) {
      Refuse("The block \"" + block->name + "\" inserts itself");
      return;
    }
    if (stack.size() >= kMaxNesting) {
      Refuse("The block \"" + block->name + "\" is nested more than " +
             std::to_string(kMaxNesting) + " blocks deep");
      return;
    }
    if (!CheckFinite(Finite({ins.x, ins.y, ins.scaleX, ins.scaleY, ins.rotation, ins.columnSpacing,
                             ins.rowSpacing, block->baseX, block->baseY}))) {
      return;
    }
    if (ins.scaleX == 0 || ins.scaleY == 0) {
      leftOut_.Add("INSERT scaled by zero");
      return;
    }
    const long long columns = std::max(1LL, ins.columns);
    const long long rows = std::max(1LL, ins.rows);
    if (visited_.insert(block).second) {
      for (const dCKindCount& k : block->entities.skipped) skipped_.Add(k.kind, k.count);
    }
    const double r = ins.rotation * kPi / 180.0;
    const double cr = std::cos(r);
    const double sr = std::sin(r);
    stack.push_back(block);
    for (long long row = 0; row < rows && !refusal_; ++row) {
      for (long long col = 0; col < columns && !refusal_; ++col) {
        // Base point to the origin, scaled, moved to its cell of the array,
        // turned, moved to the insert's position; seen from below, mirrored.
        const double ox = static_cast<double>(col) * ins.columnSpacing;
        const double oy = static_cast<double>(row) * ins.rowSpacing;
        Placement local;
        local.a = cr * ins.scaleX;
        local.b = -sr * ins.scaleY;
        local.c = sr * ins.scaleX;
        local.d = cr * ins.scaleY;
        const double lx = ox - block->baseX * ins.scaleX;
        const double ly = oy - block->baseY * ins.scaleY;
        local.tx = cr * lx - sr * ly + ins.x;
        local.ty = sr * lx + cr * ly + ins.y;
        if (ins.mirrored) {
          local.a = -local.a;
          local.b = -local.b;
          local.tx = -local.tx;
        }
        AddSet(block->entities, Compose(at, local), layer, stack, false);
      }
    }
    stack.pop_back();
  }

  const CDxf& dxf_;
  const OutlineOptions& options_;
  std::vector<ChainPiece> pieces_;
  DrawList direct_;
  Tally leftOut_;
  Tally skipped_;
  std::unordered_set<const dCBlock*> visited_;
  std::optional<std::string> refusal_;
  std::size_t vertices_ = 0;
  std::size_t samples_ = 0;
  std::unordered_map<const dCBlock*, double> cost_;
};

}  // namespace

Outlines OutlinesOf(const CDxf& dxf, const OutlineOptions& options) {
  Builder builder(dxf, options);
  Outlines out = builder.Build();
  if (builder.Refusal()) out.notes.insert(out.notes.begin(), *builder.Refusal());
  return out;
}

Outcome<Outlines> ReadOutlines(const std::string& path, const OutlineOptions& options) {
  DxfWraper dxf;
  std::vector<std::string> unitNotes;
  if (auto f = LoadDxf(dxf, path, 0, options.units, &unitNotes)) return *f;
  Builder builder(dxf.Reader(), options);
  Outlines out = builder.Build();
  if (builder.Refusal()) return Failure{*builder.Refusal(), path};
  out.notes.insert(out.notes.begin(), unitNotes.begin(), unitNotes.end());
  return out;
}

namespace {

// Turns an open polyline round: the vertices in the other order, each segment's
// bulge negated and moved to the segment's new first vertex.
void Reverse(CPolyLine& p) {
  const std::size_t n = p.x.size();
  if (n < 2) return;
  std::reverse(p.x.begin(), p.x.end());
  std::reverse(p.y.begin(), p.y.end());
  std::vector<double> b(n, 0.0);
  for (std::size_t k = 0; k + 1 < n; ++k) b[k] = -p.b[n - 2 - k];
  p.b = std::move(b);
}

}  // namespace

namespace {

// The ends contours may be cut from (starts, and the ends of open ones) in a
// grid of square cells, so the nearest is found by looking at the cells
// around a point ring by ring instead of at every contour.
class EndGrid {
 public:
  struct End {
    double x, y;
    std::size_t contour;
    bool isEnd;  // the contour's last vertex
  };

  explicit EndGrid(std::vector<End> ends) : ends_(std::move(ends)) {
    minX_ = minY_ = std::numeric_limits<double>::infinity();
    double maxX = -minX_, maxY = -minY_;
    for (const End& e : ends_) {
      minX_ = std::min(minX_, e.x);
      minY_ = std::min(minY_, e.y);
      maxX = std::max(maxX, e.x);
      maxY = std::max(maxY, e.y);
    }
    const double span = std::max(maxX - minX_, maxY - minY_);
    side_ = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::sqrt(static_cast<double>(ends_.size()))));
    cell_ = span > 0 && std::isfinite(span) ? span / static_cast<double>(side_) : 1.0;
    cells_.resize(side_ * side_);
    heads_.resize(side_ * side_, 0);
    for (std::size_t i = 0; i < ends_.size(); ++i) {
      cells_[Index(Cell(ends_[i].x, minX_), Cell(ends_[i].y, minY_))].push_back(i);
    }
  }

  // The nearest end of a contour not yet `taken` (the lowest contour first
  // among equals); false when none is left.
  bool Nearest(double x, double y, const std::vector<bool>& taken, End& found) {
    const long long qx = Cell(x, minX_);
    const long long qy = Cell(y, minY_);
    const long long last = static_cast<long long>(side_) - 1;
    // Rings beyond this hold no cell of the grid.
    const long long rings = std::max({qx, last - qx, qy, last - qy, 0LL});
    double best = std::numeric_limits<double>::infinity();
    bool any = false;
    for (long long r = 0; r <= rings; ++r) {
      // Every end in ring r or beyond lies at least (r - 1) cells away, and
      // more than that from a point outside the grid.
      if (any && best < static_cast<double>(r - 1) * cell_) break;
      for (long long cy = qy - r; cy <= qy + r; ++cy) {
        if (cy < 0 || cy > last) continue;
        const bool edgeRow = cy == qy - r || cy == qy + r;
        for (long long cx = qx - r; cx <= qx + r; cx += edgeRow ? 1 : 2 * std::max(r, 1LL)) {
          if (cx < 0 || cx > last) continue;
          std::vector<std::size_t>& list = cells_[Index(cx, cy)];
          // Ends of contours taken at the front of the cell are passed for
          // good; the rest of the cell is compacted only when it is looked at
          // to its end, so that many contours on one point cost a step each
          // rather than a move of the whole cell each.
          std::size_t& head = heads_[Index(cx, cy)];
          while (head < list.size() && taken[ends_[list[head]].contour]) ++head;
          std::size_t keep = head;
          for (std::size_t k = head; k < list.size(); ++k) {
            const End& e = ends_[list[k]];
            if (taken[e.contour]) continue;  // dropped from the cell for good
            const double d = std::hypot(e.x - x, e.y - y);
            if (!any || d < best ||
                (d == best &&
                 (e.contour < found.contour || (e.contour == found.contour && !e.isEnd)))) {
              any = true;
              best = d;
              found = e;
            }
            // Nothing is nearer than the point itself (many contours may start
            // on it): the entries not yet looked at stay as they are.
            if (best == 0) return true;
          }
          for (std::size_t k = head; k < list.size(); ++k) {
            if (!taken[ends_[list[k]].contour]) list[keep++] = list[k];
          }
          list.resize(keep);
        }
      }
    }
    return any;
  }

 private:
  long long Cell(double v, double origin) const {
    const double c = std::floor((v - origin) / cell_);
    if (!(c > 0)) return 0;
    return c >= static_cast<double>(side_) ? static_cast<long long>(side_) - 1
                                           : static_cast<long long>(c);
  }
  std::size_t Index(long long cx, long long cy) const {
    return static_cast<std::size_t>(cy) * side_ + static_cast<std::size_t>(cx);
  }

  std::vector<End> ends_;
  std::vector<std::vector<std::size_t>> cells_;
  std::vector<std::size_t> heads_;  // per cell: the entries before it are taken
  double minX_ = 0, minY_ = 0, cell_ = 1;
  std::size_t side_ = 1;
};

}  // namespace

void OrderContours(DrawList& contours, ContourOrder order, double x0, double y0) {
  if (order != ContourOrder::kShortest || contours.size() < 2) return;
  DrawList rest;
  rest.swap(contours);
  DrawList others;  // anything not a polyline keeps its place at the end
  std::vector<EndGrid::End> ends;
  std::vector<bool> taken(rest.size(), false);
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i]->otype != otPolyLine || static_cast<CPolyLine&>(*rest[i]).x.empty()) {
      taken[i] = true;
      others.push_back(std::move(rest[i]));
      continue;
    }
    const auto& p = static_cast<const CPolyLine&>(*rest[i]);
    ends.push_back({p.x.front(), p.y.front(), i, false});
    if (!p.IsClosed()) ends.push_back({p.x.back(), p.y.back(), i, true});
  }
  EndGrid grid(std::move(ends));
  double x = x0;
  double y = y0;
  EndGrid::End next{};
  while (grid.Nearest(x, y, taken, next)) {
    taken[next.contour] = true;
    auto& p = static_cast<CPolyLine&>(*rest[next.contour]);
    if (next.isEnd) Reverse(p);
    // A closed contour ends where it started.
    x = p.IsClosed() ? p.x.front() : p.x.back();
    y = p.IsClosed() ? p.y.front() : p.y.back();
    contours.push_back(std::move(rest[next.contour]));
  }
  for (auto& o : others) contours.push_back(std::move(o));
}

}  // namespace kelvora::geometry
