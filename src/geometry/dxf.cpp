#include "geometry/dxf.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>

#include "text/encodings.h"
#include "text/files.h"

namespace kelvora::geometry {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Whitespace as atof and atoi skip it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A group code line: an integer with optional blanks around it. Anything else
// gives kNotACode.
constexpr int kNotACode = std::numeric_limits<int>::min();

int ParseCode(std::string_view line) {
  const char* b = line.data();
  const char* e = b + line.size();
  while (b < e && IsBlank(*b)) ++b;
  while (e > b && IsBlank(e[-1])) --e;
  if (b == e) return kNotACode;
  bool negative = false;
  if (*b == '-') {
    negative = true;
    ++b;
  }
  // Group codes have four digits at most; six leave room for leading zeros, and
  // a longer run is not a code (nor can it overflow).
  constexpr std::ptrdiff_t kMaxDigits = 6;
  if (b == e || e - b > kMaxDigits) return kNotACode;
  int code = 0;
  for (; b < e; ++b) {
    if (*b < '0' || *b > '9') return kNotACode;
    code = code * 10 + (*b - '0');
  }
  return negative ? -code : code;
}

}  // namespace

namespace detail {

// Walks a drawing as group pairs: a code line, then a value line. A line ends at
// LF, CR LF or a CR alone, whichever the writing program used. A UTF-8 byte-order
// mark and blank lines before the first code are passed over. The text is either
// entirely in memory or read from a stream in chunks, so a large file is never
// held whole.
class GroupReader {
 public:
  explicit GroupReader(std::string_view text)
      : pos_(text.data()), end_(text.data() + text.size()), total_(text.size()) {}
  GroupReader(std::istream& in, std::size_t total) : stream_(&in), total_(total) {
    // A small file gets a buffer of its own size (one read and the end), a
    // large one or one of unknown size the full chunk.
    buffer_.resize(total == 0 ? kChunk : std::clamp(total + 1, kMinChunk, kChunk));
    pos_ = end_ = buffer_.data();
  }

  // The next pair; false at the end of the text. The value stays valid until the
  // next call.
  bool Next(int& code, std::string_view& value) {
    std::string_view line;
    do {
      if (!NextLine(line)) return false;
    } while (codeLine_ == 0 && IsBlankLine(line));
    codeLine_ = lines_;
    code = ParseCode(line);
    if (!NextLine(value)) value = {};
    return true;
  }
  // Bytes not yet read, as far as the size known at the start tells.
  std::size_t Remaining() const {
    const std::size_t consumed = dropped_ + static_cast<std::size_t>(pos_ - BufferStart());
    return consumed < total_ ? total_ - consumed : 0;
  }
  bool Failed() const { return failed_; }
  // The 1-based line number of the last code line read.
  std::size_t CodeLine() const { return codeLine_; }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;
  static constexpr std::size_t kMinChunk = 4096;
  static constexpr std::size_t kMaxLine = std::size_t{16} << 20;

  const char* BufferStart() const { return stream_ ? buffer_.data() : end_ - total_; }

  static bool IsBlankLine(std::string_view line) {
    for (char c : line) {
      if (!IsBlank(c)) return false;
    }
    return true;
  }

  const char* LineEnd() const {
    const char* p = pos_;
    if constexpr (std::endian::native == std::endian::little) {
      // Eight bytes at a time: a byte equal to LF or CR makes its lane zero after
      // the XOR, and the lowest lane found zero is the first line end.
      constexpr std::uint64_t kOnes = 0x0101010101010101u;
      constexpr std::uint64_t kHighs = 0x8080808080808080u;
      while (end_ - p >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        const std::uint64_t lf = v ^ (kOnes * '\n');
        const std::uint64_t cr = v ^ (kOnes * '\r');
        const std::uint64_t found = (((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighs;
        if (found != 0) return p + std::countr_zero(found) / 8;
        p += 8;
      }
    }
    while (p < end_ && *p != '\n' && *p != '\r') ++p;
    return p;
  }

  bool NextLine(std::string_view& line) {
    for (;;) {
      const char* stop = LineEnd();
      // A CR as the last byte read so far may be the first half of a CR LF.
      const bool moreToCome = stream_ && !atEnd_;
      if (stop < end_ && !(moreToCome && *stop == '\r' && stop + 1 == end_)) {
        TakeLine(stop, line);
        return true;
      }
      if (Refill()) continue;
      // Nothing more to read: what is left is the last line.
      if (pos_ == end_) return false;
      TakeLine(LineEnd(), line);
      return true;
    }
  }

  // The line from pos_ to `stop` (a line end or the end of the text); pos_ moves
  // past the line end.
  void TakeLine(const char* stop, std::string_view& line) {
    line = {pos_, static_cast<std::size_t>(stop - pos_)};
    if (lines_ == 0) line = text::WithoutUtf8Bom(line);
    pos_ = stop;
    if (pos_ < end_) {
      const bool cr = *pos_ == '\r';
      ++pos_;
      if (cr && pos_ < end_ && *pos_ == '\n') ++pos_;
    }
    ++lines_;
  }

  // Moves the unread rest to the front of the buffer and reads more after it;
  // a line longer than the buffer makes the buffer grow, up to a limit no
  // drawing comes near (DXF strings are at most a few thousand characters), so
  // a file without line ends cannot exhaust memory: it fails the read instead.
  bool Refill() {
    if (!stream_ || atEnd_) return false;
    const std::size_t rest = static_cast<std::size_t>(end_ - pos_);
    if (rest == buffer_.size() && buffer_.size() >= kMaxLine) {
      failed_ = true;
      atEnd_ = true;
      return false;
    }
    dropped_ += static_cast<std::size_t>(pos_ - buffer_.data());
    if (rest == buffer_.size()) {
      buffer_.resize(buffer_.size() * 2);
    } else if (rest > 0) {
      std::memmove(buffer_.data(), pos_, rest);
    }
    stream_->read(buffer_.data() + rest, static_cast<std::streamsize>(buffer_.size() - rest));
    const auto got = static_cast<std::size_t>(stream_->gcount());
    if (stream_->bad()) failed_ = true;
    if (got == 0) atEnd_ = true;
    pos_ = buffer_.data();
    end_ = buffer_.data() + rest + got;
    return got > 0;
  }

  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  std::istream* stream_ = nullptr;
  std::vector<char> buffer_;
  std::size_t total_ = 0;
  std::size_t dropped_ = 0;  // bytes before the buffer's start
  std::size_t lines_ = 0;
  std::size_t codeLine_ = 0;
  bool atEnd_ = false;
  bool failed_ = false;
};

}  // namespace detail

namespace {

enum class Kind {
  kNone,
  kLine,
  kLwPolyLine,
  kCircle,
  kArc,
  kSpline,
  kPolyLine,
  kVertex,
  kEllipse,
  kInsert,
};

// The group codes the reader takes. A code's meaning depends on the entity it
// stands in: 10/20 are a line's start, a circle's or arc's centre, each new
// vertex of a polyline and each new control point of a spline; 11/21 a line's
// end, an ellipse's major axis and each new fit point of a spline.
enum GroupCode : int {
  kStartOrName = 0,  // starts an entity, or names a section's start and end
  kSectionName = 2,  // also a block's or a layer's name
  kLayer = 8,
  kHeaderVariable = 9,
  kX = 10,
  kY = 20,
  kSecondX = 11,
  kSecondY = 21,
  kRadius = 40,        // also an ellipse's axis ratio and each knot of a spline
  kEllipseStart = 41,  // also each weight of a spline, an insert's X scale
  kBulge = 42,         // also an ellipse's end parameter, an insert's Y scale
  kColumnSpacing = 44,
  kRowSpacing = 45,
  kStartAngle = 50,  // also an insert's rotation
  kEndAngle = 51,
  kColour = 62,
  kPolyLineFlags = 70,  // also a spline's and a layer's flags, an insert's columns
  kSplineDegree = 71,   // also an insert's rows
  kKnotCount = 72,
  kControlCount = 73,
  kFitPointCount = 74,
  kVertexCount = 90,
  kExtrusionX = 210,
  kExtrusionY = 220,
  kExtrusionZ = 230,
};

// Reads the value lines of the groups the reader keeps as numbers. A value
// that is not a number as a whole ("12,5", where a decimal comma cut the
// number short), and a coordinate or size beyond kDxfMaxCoordinate, make the
// drawing doubtful: the first is named, with its line, as the load's problem,
// and the number reads as 0.
class Numbers {
 public:
  Numbers(const detail::GroupReader& groups, std::string* problem)
      : groups_(groups), problem_(problem) {}

  double Real(std::string_view value) {
    double v = 0.0;
    if (DxfReadDouble(value, v)) return v;
    Wrong(value);
    return 0.0;
  }
  double Length(std::string_view value) {
    const double v = Real(value);
    // A number past the largest one (1e999) is not finite: the outlines refuse
    // it as such.
    if (std::isfinite(v) && !(std::fabs(v) <= kDxfMaxCoordinate)) {
      Tell("Line " + Line() + ": " + Quoted(value) + " is beyond " +
           std::to_string(static_cast<long long>(kDxfMaxCoordinate)) +
           ", the largest coordinate or size taken");
      return 0.0;
    }
    return v;
  }
  long long Whole(std::string_view value) {
    long long v = 0;
    if (DxfReadInt(value, v)) return v;
    Wrong(value);
    return 0;
  }

 private:
  std::string Line() const { return std::to_string(groups_.CodeLine() + 1); }
  static std::string Quoted(std::string_view value) {
    constexpr std::size_t kShown = 40;
    while (!value.empty() && IsSpace(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsSpace(value.back())) value.remove_suffix(1);
    std::string shown(value.substr(0, kShown));
    if (value.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
  }
  void Wrong(std::string_view value) {
    Tell("Line " + Line() + ": " + Quoted(value) + " is not a number");
  }
  void Tell(std::string why) {
    if (problem_ != nullptr && problem_->empty()) *problem_ = std::move(why);
  }

  const detail::GroupReader& groups_;
  std::string* problem_;
};

// A number of a record, read from its group: a coordinate or size (a length),
// or an angle.
template <typename Record>
struct NumberField {
  int code;
  double Record::*member;
  bool length = true;
};

constexpr NumberField<dCLine> kLineFields[] = {
    {kX, &dCLine::x1}, {kY, &dCLine::y1}, {kSecondX, &dCLine::x2}, {kSecondY, &dCLine::y2}};
constexpr NumberField<dCArc> kArcFields[] = {{kX, &dCArc::cx},
                                             {kY, &dCArc::cy},
                                             {kRadius, &dCArc::radius},
                                             {kStartAngle, &dCArc::startAngle, false},
                                             {kEndAngle, &dCArc::endAngle, false}};
constexpr NumberField<dCCircle> kCircleFields[] = {
    {kX, &dCCircle::cx}, {kY, &dCCircle::cy}, {kRadius, &dCCircle::radius}};

// Sets the field `code` stands for; false when it stands for none of them.
template <typename Record, std::size_t N>
bool TakeNumber(Record& record, const NumberField<Record> (&fields)[N], int code,
                std::string_view value, Numbers& numbers) {
  for (const NumberField<Record>& f : fields) {
    if (f.code == code) {
      record.*f.member = f.length ? numbers.Length(value) : numbers.Real(value);
      return true;
    }
  }
  return false;
}

// The same for a record that keeps the layer it was drawn on.
template <typename Record, std::size_t N>
void TakeLayerOrNumber(Record& record, const NumberField<Record> (&fields)[N], int code,
                       std::string_view value, Numbers& numbers) {
  if (code == kLayer) {
    record.m_Layer.assign(value);
  } else {
    TakeNumber(record, fields, code, value, numbers);
  }
}

// A name as compared: the blanks some writers pad string values with are not
// part of it ("ENTITIES ", "CIRCLE ").
std::string_view NameOf(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  return value;
}

Kind KindOf(std::string_view name) {
  if (name == "LINE") return Kind::kLine;
  if (name == "LWPOLYLINE") return Kind::kLwPolyLine;
  if (name == "CIRCLE") return Kind::kCircle;
  if (name == "ARC") return Kind::kArc;
  if (name == "SPLINE") return Kind::kSpline;
  if (name == "POLYLINE") return Kind::kPolyLine;
  if (name == "ELLIPSE") return Kind::kEllipse;
  if (name == "INSERT") return Kind::kInsert;
  return Kind::kNone;
}

// The smallest vertex ("10\n0\n20\n0\n") takes 10 bytes, so a declared count is
// only trusted as far as the rest of the file could hold it.
constexpr std::size_t kMinVertexBytes = 10;

std::size_t PlausibleCount(long long declared, std::size_t remainingBytes) {
  if (declared <= 0) return 0;
  const std::size_t most = remainingBytes / kMinVertexBytes;
  return static_cast<unsigned long long>(declared) < most ? static_cast<std::size_t>(declared)
                                                          : most;
}

// An extrusion direction of (0, 0, -1) turns the entity's own coordinate system
// over: seen from above, X runs the other way and arcs turn the other way.
struct Extrusion {
  double x = 0.0, y = 0.0, z = 1.0;
  bool IsMirrored() const {
    constexpr double kTolerance = 1e-9;
    return std::fabs(x) <= kTolerance && std::fabs(y) <= kTolerance &&
           std::fabs(z + 1.0) <= kTolerance;
  }
  // Returns whether the code was one of the three components.
  bool Take(int code, std::string_view value, Numbers& numbers) {
    switch (code) {
      case kExtrusionX:
        x = numbers.Real(value);
        return true;
      case kExtrusionY:
        y = numbers.Real(value);
        return true;
      case kExtrusionZ:
        z = numbers.Real(value);
        return true;
      default:
        return false;
    }
  }
};

template <typename T>
std::size_t VectorBytes(const std::vector<T>& v) {
  return v.capacity() * sizeof(T);
}

std::size_t StringBytes(const std::string& s) {
  // Short names live inside the string object itself.
  constexpr std::size_t kInline = 15;
  return s.capacity() > kInline ? s.capacity() + 1 : 0;
}

}  // namespace

double DxfToDouble(std::string_view text) {
  const char* b = text.data();
  const char* e = b + text.size();
  while (b < e && IsSpace(*b)) ++b;
  if (b < e && *b == '+' && (e - b == 1 || b[1] != '-')) ++b;
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(b, e, value);
  if (ec == std::errc()) return value;
  if (ec == std::errc::result_out_of_range) {
    // Overflow and underflow as strtod reports them (+-HUGE_VAL, or a tiny value).
    const std::string copy(b, static_cast<std::size_t>(e - b));
    return std::strtod(copy.c_str(), nullptr);
  }
  return 0.0;
}

long long DxfToInt(std::string_view text) {
  const char* b = text.data();
  const char* e = b + text.size();
  while (b < e && IsSpace(*b)) ++b;
  bool negative = false;
  if (b < e && (*b == '+' || *b == '-')) {
    negative = *b == '-';
    ++b;
  }
  constexpr long long kMax = std::numeric_limits<long long>::max();
  long long value = 0;
  for (; b < e && *b >= '0' && *b <= '9'; ++b) {
    const int digit = *b - '0';
    if (value > (kMax - digit) / 10) {
      value = kMax;
      break;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

bool DxfReadDouble(std::string_view text, double& out) {
  const char* b = text.data();
  const char* e = b + text.size();
  while (b < e && IsSpace(*b)) ++b;
  while (e > b && IsSpace(e[-1])) --e;
  if (b < e && *b == '+' && (e - b == 1 || b[1] != '-')) ++b;
  const auto [ptr, ec] = std::from_chars(b, e, out);
  if (ptr != e || b == e) return false;
  if (ec == std::errc::result_out_of_range) {
    // Overflow and underflow as strtod reports them (+-HUGE_VAL, or a tiny value).
    const std::string copy(b, static_cast<std::size_t>(e - b));
    out = std::strtod(copy.c_str(), nullptr);
    return true;
  }
  return ec == std::errc();
}

bool DxfReadInt(std::string_view text, long long& out) {
  const char* b = text.data();
  const char* e = b + text.size();
  while (b < e && IsSpace(*b)) ++b;
  while (e > b && IsSpace(e[-1])) --e;
  if (b < e && *b == '+') ++b;
  const auto [ptr, ec] = std::from_chars(b, e, out);
  if (b != e && ptr == e && ec == std::errc()) return true;
  // "1.0": a whole number with a fraction of zeros.
  double d = 0.0;
  constexpr double kLargest = 9e18;
  if (!DxfReadDouble(text, d) || !(std::fabs(d) <= kLargest) || d != std::trunc(d)) return false;
  out = static_cast<long long>(d);
  return true;
}

bool DxfNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void dCEntities::CountSkipped(std::string_view kind) {
  for (dCKindCount& k : skipped) {
    if (k.kind == kind) {
      ++k.count;
      return;
    }
  }
  skipped.push_back({std::string(kind), 1});
}

namespace {

// Old-style POLYLINE flags that make it something other than a 2D outline.
constexpr long long kPolyLine3d = 8;
constexpr long long kPolygonMesh = 16;
constexpr long long kPolyfaceMesh = 64;
// A VERTEX flag: a control point of a spline-fit polyline's frame, not a point
// on the polyline itself.
constexpr long long kVertexFrameControl = 16;

// Reads the entities of one section or block into a record set. Each entity
// runs from its group 0 to the next; the POLYLINE's VERTEX entities and its
// SEQEND belong to it.
class EntityReader {
 public:
  // `problem` is told when codes and values fall out of step, `numbers` when a
  // value is not a number or beyond the range.
  EntityReader(detail::GroupReader& groups, dCEntities& out, std::string* problem,
               std::string* numbers)
      : groups_(groups), out_(out), problem_(problem), num_(groups, numbers) {}

  // Reads until a group 0 naming one of `stops` (returned), or the end of the
  // text (an empty name). `first` is the name of a group 0 already read.
  std::string Run(std::string_view first, std::initializer_list<std::string_view> stops) {
    int code = 0;
    std::string_view value;
    std::string stopName;
    bool haveFirst = !first.empty();
    std::string firstCopy(first);
    for (;;) {
      if (haveFirst) {
        code = kStartOrName;
        value = firstCopy;
        haveFirst = false;
      } else if (!groups_.Next(code, value)) {
        break;
      }
      if (code == kNotACode && problem_ != nullptr && problem_->empty()) {
        // Codes and values have fallen out of step (a line lost or added): what
        // follows cannot be trusted as geometry.
        *problem_ = "Line " + std::to_string(groups_.CodeLine()) + ": a group code was expected";
      }
      if (code == kStartOrName) {
        const std::string_view name = NameOf(value);
        if (inPolyLine_ && (name == "VERTEX" || name == "SEQEND")) {
          Finish();
          if (name == "SEQEND") {
            EndPolyLine();
          } else {
            kind_ = Kind::kVertex;
            vertexFlags_ = 0;
            dCPolyLine& p = out_.polyLines.back();
            p.x.push_back(0.0);
            p.y.push_back(0.0);
            p.b.push_back(0.0);
          }
          continue;
        }
        Finish();
        EndPolyLine();
        bool stop = false;
        for (std::string_view s : stops) stop = stop || name == s;
        if (stop) {
          stopName.assign(name);
          return stopName;
        }
        Start(name);
        continue;
      }
      Take(code, value);
    }
    Finish();
    EndPolyLine();
    return stopName;
  }

 private:
  void Start(std::string_view name) {
    kind_ = KindOf(name);
    extrusion_ = Extrusion{};
    switch (kind_) {
      case Kind::kLine:
        out_.lines.emplace_back();
        break;
      case Kind::kLwPolyLine:
        out_.lwPolyLines.emplace_back();
        break;
      case Kind::kCircle:
        out_.circles.emplace_back();
        break;
      case Kind::kArc:
        out_.arcs.emplace_back();
        break;
      case Kind::kSpline:
        out_.splines.emplace_back();
        break;
      case Kind::kPolyLine:
        out_.polyLines.emplace_back();
        inPolyLine_ = true;
        polyFlags_ = 0;
        polyExtrusion_ = Extrusion{};
        break;
      case Kind::kEllipse:
        out_.ellipses.emplace_back();
        break;
      case Kind::kInsert:
        out_.inserts.emplace_back();
        break;
      case Kind::kVertex:
        break;
      case Kind::kNone:
        // Attribute lists end with a SEQEND of their own; it is no entity.
        if (!name.empty() && name != "SEQEND") out_.CountSkipped(name);
        break;
    }
  }

  void Finish() {
    switch (kind_) {
      case Kind::kLwPolyLine: {
        dCPolyLine& p = out_.lwPolyLines.back();
        p.m_VertexCount = static_cast<std::uint32_t>(p.x.size());
        if (extrusion_.IsMirrored()) Mirror(p);
        break;
      }
      case Kind::kCircle:
        if (extrusion_.IsMirrored()) out_.circles.back().cx = -out_.circles.back().cx;
        break;
      case Kind::kArc:
        if (extrusion_.IsMirrored()) {
          // Seen from above, the arc's centre is mirrored and it runs the other
          // way: an angle a becomes 180 - a, and start and end change places.
          dCArc& a = out_.arcs.back();
          a.cx = -a.cx;
          const double start = a.startAngle;
          a.startAngle = 180.0 - a.endAngle;
          a.endAngle = 180.0 - start;
        }
        break;
      case Kind::kSpline: {
        dCSpline& s = out_.splines.back();
        s.m_FitPointCount = static_cast<std::uint32_t>(s.x.size());
        break;
      }
      case Kind::kEllipse:
        out_.ellipses.back().mirrored = extrusion_.z < 0.0;
        break;
      case Kind::kInsert:
        out_.inserts.back().mirrored = extrusion_.IsMirrored();
        break;
      case Kind::kPolyLine:
        polyExtrusion_ = extrusion_;
        break;
      case Kind::kVertex:
        if ((vertexFlags_ & kVertexFrameControl) != 0) {
          dCPolyLine& p = out_.polyLines.back();
          p.x.pop_back();
          p.y.pop_back();
          p.b.pop_back();
        }
        break;
      default:
        break;
    }
    kind_ = Kind::kNone;
  }

  static void Mirror(dCPolyLine& p) {
    for (double& v : p.x) v = -v;
    for (double& v : p.b) v = -v;
  }

  // Ends an old-style polyline: 3D polylines and meshes are counted as skipped,
  // a 2D one is kept.
  void EndPolyLine() {
    if (!inPolyLine_) return;
    inPolyLine_ = false;
    if ((polyFlags_ & (kPolyLine3d | kPolygonMesh | kPolyfaceMesh)) != 0) {
      out_.polyLines.pop_back();
      out_.CountSkipped((polyFlags_ & kPolyLine3d) != 0 ? "3D POLYLINE" : "POLYLINE mesh");
      return;
    }
    dCPolyLine& p = out_.polyLines.back();
    p.m_VertexCount = static_cast<std::uint32_t>(p.x.size());
    if ((polyFlags_ & 1) != 0) p.m_PolyLineFlag |= kDxfPolyLineClosed;
    if (polyExtrusion_.IsMirrored()) Mirror(p);
  }

  void Take(int code, std::string_view value) {
    switch (kind_) {
      case Kind::kNone:
        break;
      case Kind::kLine:
        TakeLayerOrNumber(out_.lines.back(), kLineFields, code, value, num_);
        break;
      case Kind::kArc:
        if (code == kLayer) {
          out_.arcs.back().m_Layer.assign(value);
        } else if (!TakeNumber(out_.arcs.back(), kArcFields, code, value, num_)) {
          extrusion_.Take(code, value, num_);
        }
        break;
      case Kind::kCircle:
        if (code == kLayer) {
          out_.circles.back().m_Layer.assign(value);
        } else if (!TakeNumber(out_.circles.back(), kCircleFields, code, value, num_)) {
          extrusion_.Take(code, value, num_);
        }
        break;
      case Kind::kLwPolyLine:
        TakeLwPolyLine(out_.lwPolyLines.back(), code, value);
        break;
      case Kind::kPolyLine:
        if (code == kLayer) {
          out_.polyLines.back().m_Layer.assign(value);
        } else if (code == kPolyLineFlags) {
          polyFlags_ = num_.Whole(value);
        } else {
          extrusion_.Take(code, value, num_);
        }
        break;
      case Kind::kVertex: {
        dCPolyLine& p = out_.polyLines.back();
        if (code == kX) p.x.back() = num_.Length(value);
        if (code == kY) p.y.back() = num_.Length(value);
        if (code == kBulge) p.b.back() = num_.Real(value);
        if (code == kPolyLineFlags) vertexFlags_ = num_.Whole(value);
        break;
      }
      case Kind::kEllipse:
        TakeEllipse(out_.ellipses.back(), code, value);
        break;
      case Kind::kSpline:
        TakeSpline(out_.splines.back(), code, value);
        break;
      case Kind::kInsert:
        TakeInsert(out_.inserts.back(), code, value);
        break;
    }
  }

  void TakeLwPolyLine(dCPolyLine& p, int code, std::string_view value) {
    switch (code) {
      case kLayer:
        p.m_Layer.assign(value);
        break;
      case kX:  // every X starts a vertex
        p.x.push_back(num_.Length(value));
        p.y.push_back(0.0);
        p.b.push_back(0.0);
        break;
      case kY:
        if (!p.y.empty()) p.y.back() = num_.Length(value);
        break;
      case kBulge:
        if (!p.b.empty()) p.b.back() = num_.Real(value);
        break;
      case kPolyLineFlags:
        if (num_.Whole(value) & 1) p.m_PolyLineFlag |= kDxfPolyLineClosed;
        break;
      case kVertexCount:
        if (p.x.empty()) {
          const std::size_t n = PlausibleCount(num_.Whole(value), groups_.Remaining());
          p.x.reserve(n);
          p.y.reserve(n);
          p.b.reserve(n);
        }
        break;
      default:
        extrusion_.Take(code, value, num_);
        break;
    }
  }

  void TakeEllipse(dCEllipse& e, int code, std::string_view value) {
    switch (code) {
      case kLayer:
        e.m_Layer.assign(value);
        break;
      case kX:
        e.cx = num_.Length(value);
        break;
      case kY:
        e.cy = num_.Length(value);
        break;
      case kSecondX:
        e.majorX = num_.Length(value);
        break;
      case kSecondY:
        e.majorY = num_.Length(value);
        break;
      case kRadius:
        e.ratio = num_.Real(value);
        break;
      case kEllipseStart:
        e.startParam = num_.Real(value);
        break;
      case kBulge:
        e.endParam = num_.Real(value);
        break;
      default:
        extrusion_.Take(code, value, num_);
        break;
    }
  }

  void TakeSpline(dCSpline& s, int code, std::string_view value) {
    switch (code) {
      case kLayer:
        s.m_Layer.assign(value);
        break;
      case kPolyLineFlags:
        s.flags = static_cast<std::uint32_t>(num_.Whole(value) & 0xffff);
        break;
      case kSplineDegree:
        s.degree = static_cast<int>(std::clamp<long long>(num_.Whole(value), -1, 1000));
        break;
      case kKnotCount:
        if (s.knots.empty()) {
          s.knots.reserve(PlausibleCount(num_.Whole(value), groups_.Remaining()));
        }
        break;
      case kControlCount:
        if (s.cx.empty()) {
          const std::size_t n = PlausibleCount(num_.Whole(value), groups_.Remaining());
          s.cx.reserve(n);
          s.cy.reserve(n);
        }
        break;
      case kFitPointCount:
        if (s.x.empty()) {
          const std::size_t n = PlausibleCount(num_.Whole(value), groups_.Remaining());
          s.x.reserve(n);
          s.y.reserve(n);
        }
        break;
      case kRadius:
        s.knots.push_back(num_.Real(value));
        break;
      case kEllipseStart:
        s.weights.push_back(num_.Real(value));
        break;
      case kX:  // every X starts a control point
        s.cx.push_back(num_.Length(value));
        s.cy.push_back(0.0);
        break;
      case kY:
        if (!s.cy.empty()) s.cy.back() = num_.Length(value);
        break;
      case kSecondX:  // every second X starts a fit point
        s.x.push_back(num_.Length(value));
        s.y.push_back(0.0);
        break;
      case kSecondY:
        if (!s.y.empty()) s.y.back() = num_.Length(value);
        break;
      default:
        break;
    }
  }

  void TakeInsert(dCInsert& i, int code, std::string_view value) {
    switch (code) {
      case kLayer:
        i.m_Layer.assign(value);
        break;
      case kSectionName:
        i.block.assign(NameOf(value));
        break;
      case kX:
        i.x = num_.Length(value);
        break;
      case kY:
        i.y = num_.Length(value);
        break;
      case kEllipseStart:
        i.scaleX = num_.Real(value);
        break;
      case kBulge:
        i.scaleY = num_.Real(value);
        break;
      case kStartAngle:
        i.rotation = num_.Real(value);
        break;
      case kPolyLineFlags:
        i.columns = num_.Whole(value);
        break;
      case kSplineDegree:
        i.rows = num_.Whole(value);
        break;
      case kColumnSpacing:
        i.columnSpacing = num_.Length(value);
        break;
      case kRowSpacing:
        i.rowSpacing = num_.Length(value);
        break;
      default:
        extrusion_.Take(code, value, num_);
        break;
    }
  }

  detail::GroupReader& groups_;
  dCEntities& out_;
  std::string* problem_;
  Numbers num_;
  Kind kind_ = Kind::kNone;
  Extrusion extrusion_;
  bool inPolyLine_ = false;
  long long polyFlags_ = 0;
  long long vertexFlags_ = 0;
  Extrusion polyExtrusion_;
};

// Skips groups up to the next group 0 and returns its name (empty at the end).
std::string NextEntityName(detail::GroupReader& groups) {
  int code = 0;
  std::string_view value;
  while (groups.Next(code, value)) {
    if (code == kStartOrName) return std::string(NameOf(value));
  }
  return {};
}

}  // namespace

bool CDxf::LoadFile(const std::string& path) {
  const std::filesystem::path p = text::PathFromUtf8(path);
  std::error_code ec;
  // A folder opens as a stream on some systems.
  if (std::filesystem::is_directory(p, ec)) return false;
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  // A stream of unknown size (a pipe, a device) gets no room reserved ahead.
  const std::uintmax_t size = std::filesystem::file_size(p, ec);
  detail::GroupReader groups(in, ec ? 0 : static_cast<std::size_t>(size));
  // Read into a fresh reader so a failed read leaves this one as it was.
  CDxf fresh;
  fresh.Read(groups);
  if (groups.Failed()) return false;
  Swap(fresh);
  m_Loaded = 1;
  return true;
}

void CDxf::Swap(CDxf& other) {
  std::swap(m_E, other.m_E);
  m_Blocks.swap(other.m_Blocks);
  m_Layers.swap(other.m_Layers);
  m_Problem.swap(other.m_Problem);
  std::swap(m_InsUnits, other.m_InsUnits);
}

void CDxf::LoadText(std::string_view text) {
  detail::GroupReader groups(text);
  Read(groups);
}

void CDxf::Read(detail::GroupReader& groups) {
  m_E = dCEntities{};
  m_Blocks.clear();
  m_Layers.clear();
  m_Problem.clear();
  m_NumberProblem.clear();
  m_InsUnits = -1;

  int code = 0;
  std::string_view value;

  // Sections before ENTITIES: "0 SECTION" followed by "2 ENTITIES" starts the
  // geometry; the layer table and the blocks are read on the way there.
  bool sectionOpened = false;
  bool found = false;
  while (!found && groups.Next(code, value)) {
    if (code == kStartOrName) {
      sectionOpened = NameOf(value) == "SECTION";
    } else if (sectionOpened && code == kSectionName) {
      const std::string_view name = NameOf(value);
      found = name == "ENTITIES";
      sectionOpened = false;
      // A section left unclosed ends where the next one starts.
      if (name == "TABLES") sectionOpened = ReadLayers(groups);
      if (name == "BLOCKS") sectionOpened = ReadBlocks(groups);
      if (name == "HEADER") sectionOpened = ReadHeader(groups);
    } else {
      sectionOpened = false;
    }
  }
  if (found) {
    EntityReader reader(groups, m_E, &m_Problem, &m_NumberProblem);
    const std::string stop = reader.Run({}, {"ENDSEC", "EOF"});
    // A file cut short says so first: its last value line is often lost too.
    if (stop.empty() && m_Problem.empty()) {
      m_Problem = "The ENTITIES section is not closed: the file may be cut short";
    }
  }
  if (m_Problem.empty()) m_Problem.swap(m_NumberProblem);
}

bool CDxf::ReadHeader(detail::GroupReader& groups) {
  int code = 0;
  std::string_view value;
  Numbers numbers(groups, &m_NumberProblem);
  bool units = false;
  while (groups.Next(code, value)) {
    if (code == kStartOrName) {
      const std::string_view name = NameOf(value);
      if (name == "ENDSEC" || name == "EOF") return false;
      if (name == "SECTION") return true;
    }
    // Each header variable is a group 9 with its name, then its value.
    if (code == kHeaderVariable) {
      units = NameOf(value) == "$INSUNITS";
    } else if (units && code == kPolyLineFlags) {
      m_InsUnits = numbers.Whole(value);
      units = false;
    }
  }
  return false;
}

bool CDxf::ReadLayers(detail::GroupReader& groups) {
  Numbers numbers(groups, &m_NumberProblem);
  int code = 0;
  std::string_view value;
  bool inLayer = false;
  while (groups.Next(code, value)) {
    if (code == kStartOrName) {
      const std::string_view name = NameOf(value);
      if (name == "ENDSEC" || name == "EOF") return false;
      if (name == "SECTION") return true;
      inLayer = name == "LAYER";
      if (inLayer) m_Layers.emplace_back();
      continue;
    }
    if (!inLayer) continue;
    dCLayer& l = m_Layers.back();
    if (code == kSectionName) l.name.assign(NameOf(value));
    if (code == kPolyLineFlags) l.frozen = (numbers.Whole(value) & 1) != 0;
    if (code == kColour) l.off = numbers.Whole(value) < 0;
  }
  return false;
}

bool CDxf::ReadBlocks(detail::GroupReader& groups) {
  Numbers numbers(groups, &m_NumberProblem);
  std::string name = NextEntityName(groups);
  while (!name.empty() && name != "ENDSEC" && name != "EOF" && name != "SECTION") {
    if (name != "BLOCK") {
      name = NextEntityName(groups);
      continue;
    }
    dCBlock& block = m_Blocks.emplace_back();
    int code = 0;
    std::string_view value;
    name.clear();
    while (groups.Next(code, value)) {
      if (code == kStartOrName) {
        name.assign(NameOf(value));
        break;
      }
      if (code == kSectionName) block.name.assign(NameOf(value));
      if (code == kX) block.baseX = numbers.Length(value);
      if (code == kY) block.baseY = numbers.Length(value);
    }
    if (name.empty()) return false;
    if (name != "ENDBLK" && name != "ENDSEC" && name != "EOF" && name != "SECTION") {
      EntityReader reader(groups, block.entities, nullptr, &m_NumberProblem);
      name = reader.Run(name, {"ENDBLK", "ENDSEC", "EOF", "SECTION"});
    }
    if (name == "ENDBLK") name = NextEntityName(groups);
  }
  return name == "SECTION";
}

namespace {

void ScaleSet(dCEntities& e, double f) {
  for (dCLine& l : e.lines) {
    l.x1 *= f;
    l.y1 *= f;
    l.x2 *= f;
    l.y2 *= f;
  }
  for (dCArc& a : e.arcs) {
    a.cx *= f;
    a.cy *= f;
    a.radius *= f;
  }
  for (dCCircle& c : e.circles) {
    c.cx *= f;
    c.cy *= f;
    c.radius *= f;
  }
  for (auto* list : {&e.lwPolyLines, &e.polyLines}) {
    for (dCPolyLine& p : *list) {
      for (double& v : p.x) v *= f;
      for (double& v : p.y) v *= f;
    }
  }
  for (dCEllipse& l : e.ellipses) {
    l.cx *= f;
    l.cy *= f;
    l.majorX *= f;
    l.majorY *= f;
  }
  for (dCSpline& s : e.splines) {
    for (auto* v : {&s.x, &s.y, &s.cx, &s.cy}) {
      for (double& d : *v) d *= f;
    }
  }
  for (dCInsert& i : e.inserts) {
    i.x *= f;
    i.y *= f;
    i.columnSpacing *= f;
    i.rowSpacing *= f;
  }
}

}  // namespace

void CDxf::ScaleLengths(double factor) {
  ScaleSet(m_E, factor);
  for (dCBlock& b : m_Blocks) {
    b.baseX *= factor;
    b.baseY *= factor;
    ScaleSet(b.entities, factor);
  }
}

const dCBlock* CDxf::FindBlock(std::string_view name) const {
  for (const dCBlock& b : m_Blocks) {
    if (DxfNamesEqual(b.name, name)) return &b;
  }
  return nullptr;
}

bool CDxf::LayerShown(std::string_view layer) const {
  for (const dCLayer& l : m_Layers) {
    if (DxfNamesEqual(l.name, layer)) return !l.frozen && !l.off;
  }
  return true;
}

namespace {

std::size_t EntityBytes(const dCEntities& e) {
  std::size_t total = VectorBytes(e.lines) + VectorBytes(e.arcs) + VectorBytes(e.circles) +
                      VectorBytes(e.lwPolyLines) + VectorBytes(e.polyLines) +
                      VectorBytes(e.ellipses) + VectorBytes(e.splines) + VectorBytes(e.inserts) +
                      VectorBytes(e.skipped);
  for (const dCLine& l : e.lines) total += StringBytes(l.m_Layer);
  for (const dCArc& a : e.arcs) total += StringBytes(a.m_Layer);
  for (const dCCircle& c : e.circles) total += StringBytes(c.m_Layer);
  for (const auto* list : {&e.lwPolyLines, &e.polyLines}) {
    for (const dCPolyLine& p : *list) {
      total += VectorBytes(p.x) + VectorBytes(p.y) + VectorBytes(p.b) + StringBytes(p.m_Layer);
    }
  }
  for (const dCEllipse& l : e.ellipses) total += StringBytes(l.m_Layer);
  for (const dCSpline& s : e.splines) {
    total += VectorBytes(s.x) + VectorBytes(s.y) + StringBytes(s.m_Layer) + VectorBytes(s.knots) +
             VectorBytes(s.weights) + VectorBytes(s.cx) + VectorBytes(s.cy);
  }
  for (const dCInsert& i : e.inserts) total += StringBytes(i.m_Layer) + StringBytes(i.block);
  for (const dCKindCount& k : e.skipped) total += StringBytes(k.kind);
  return total;
}

}  // namespace

std::size_t CDxf::RecordBytes() const {
  std::size_t total =
      sizeof(*this) + EntityBytes(m_E) + VectorBytes(m_Blocks) + VectorBytes(m_Layers);
  for (const dCBlock& b : m_Blocks) total += StringBytes(b.name) + EntityBytes(b.entities);
  for (const dCLayer& l : m_Layers) total += StringBytes(l.name);
  return total;
}

}  // namespace kelvora::geometry
