#include "geometry/dxf.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

enum class Kind { kNone, kLine, kLwPolyLine, kCircle, kArc, kSpline };

// The group codes the reader takes. A code's meaning depends on the entity it
// stands in: 10/20 are a line's start, a circle's or arc's centre and each new
// vertex of a polyline; 11/21 a line's end and each new fit point of a spline.
enum GroupCode : int {
  kStartOrName = 0,  // starts an entity, or names a section's start and end
  kSectionName = 2,
  kLayer = 8,
  kX = 10,
  kY = 20,
  kSecondX = 11,
  kSecondY = 21,
  kRadius = 40,
  kBulge = 42,
  kStartAngle = 50,
  kEndAngle = 51,
  kPolyLineFlags = 70,
  kFitPointCount = 74,
  kVertexCount = 90,
  kExtrusionX = 210,
  kExtrusionY = 220,
  kExtrusionZ = 230,
};

// A coordinate or size of a record, read from its group as a number.
template <typename Record>
struct NumberField {
  int code;
  double Record::*member;
};

constexpr NumberField<dCLine> kLineFields[] = {
    {kX, &dCLine::x1}, {kY, &dCLine::y1}, {kSecondX, &dCLine::x2}, {kSecondY, &dCLine::y2}};
constexpr NumberField<dCArc> kArcFields[] = {{kX, &dCArc::cx},
                                             {kY, &dCArc::cy},
                                             {kRadius, &dCArc::radius},
                                             {kStartAngle, &dCArc::startAngle},
                                             {kEndAngle, &dCArc::endAngle}};
constexpr NumberField<dCCircle> kCircleFields[] = {
    {kX, &dCCircle::cx}, {kY, &dCCircle::cy}, {kRadius, &dCCircle::radius}};

// Sets the field `code` stands for; false when it stands for none of them.
template <typename Record, std::size_t N>
bool TakeNumber(Record& record, const NumberField<Record> (&fields)[N], int code,
                std::string_view value) {
  for (const NumberField<Record>& f : fields) {
    if (f.code == code) {
      record.*f.member = DxfToDouble(value);
      return true;
    }
  }
  return false;
}

// The same for a record that keeps the layer it was drawn on.
template <typename Record, std::size_t N>
void TakeLayerOrNumber(Record& record, const NumberField<Record> (&fields)[N], int code,
                       std::string_view value) {
  if (code == kLayer) {
    record.m_Layer.assign(value);
  } else {
    TakeNumber(record, fields, code, value);
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
  bool Take(int code, std::string_view value) {
    switch (code) {
      case kExtrusionX:
        x = DxfToDouble(value);
        return true;
      case kExtrusionY:
        y = DxfToDouble(value);
        return true;
      case kExtrusionZ:
        z = DxfToDouble(value);
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
  m_Lines.swap(fresh.m_Lines);
  m_Arcs.swap(fresh.m_Arcs);
  m_Circles.swap(fresh.m_Circles);
  m_PolyLines.swap(fresh.m_PolyLines);
  m_Splines.swap(fresh.m_Splines);
  m_Problem.swap(fresh.m_Problem);
  m_Loaded = 1;
  return true;
}

void CDxf::LoadText(std::string_view text) {
  detail::GroupReader groups(text);
  Read(groups);
}

void CDxf::Read(detail::GroupReader& groups) {
  m_Lines.clear();
  m_Arcs.clear();
  m_Circles.clear();
  m_PolyLines.clear();
  m_Splines.clear();
  m_Problem.clear();

  int code = 0;
  std::string_view value;

  // Sections before ENTITIES: only "0 SECTION" followed by "2 ENTITIES" matters.
  bool sectionOpened = false;
  bool found = false;
  while (!found && groups.Next(code, value)) {
    if (code == kStartOrName) {
      sectionOpened = NameOf(value) == "SECTION";
    } else if (sectionOpened && code == kSectionName) {
      found = NameOf(value) == "ENTITIES";
      sectionOpened = false;
    } else {
      sectionOpened = false;
    }
  }
  if (!found) return;

  Kind kind = Kind::kNone;
  Extrusion extrusion;
  auto finish = [&]() {
    switch (kind) {
      case Kind::kLwPolyLine: {
        dCPolyLine& p = m_PolyLines.back();
        p.m_VertexCount = static_cast<std::uint32_t>(p.x.size());
        if (extrusion.IsMirrored()) {
          for (double& v : p.x) v = -v;
          for (double& v : p.b) v = -v;
        }
        break;
      }
      case Kind::kCircle:
        if (extrusion.IsMirrored()) m_Circles.back().cx = -m_Circles.back().cx;
        break;
      case Kind::kSpline: {
        dCSpline& s = m_Splines.back();
        s.m_FitPointCount = static_cast<std::uint32_t>(s.x.size());
        break;
      }
      default:
        break;
    }
    kind = Kind::kNone;
  };

  bool closed = false;
  while (groups.Next(code, value)) {
    if (code == kNotACode && m_Problem.empty()) {
      // Codes and values have fallen out of step (a line lost or added): what
      // follows cannot be trusted as geometry.
      m_Problem = "Line " + std::to_string(groups.CodeLine()) + ": a group code was expected";
    }
    if (code == kStartOrName) {
      finish();
      const std::string_view name = NameOf(value);
      if (name == "ENDSEC" || name == "EOF") {
        closed = true;
        break;
      }
      kind = KindOf(name);
      extrusion = Extrusion{};
      switch (kind) {
        case Kind::kLine:
          m_Lines.emplace_back();
          break;
        case Kind::kLwPolyLine:
          m_PolyLines.emplace_back();
          break;
        case Kind::kCircle:
          m_Circles.emplace_back();
          break;
        case Kind::kArc:
          m_Arcs.emplace_back();
          break;
        case Kind::kSpline:
          m_Splines.emplace_back();
          break;
        case Kind::kNone:
          break;
      }
      continue;
    }
    switch (kind) {
      case Kind::kNone:
        break;
      case Kind::kLine:
        TakeLayerOrNumber(m_Lines.back(), kLineFields, code, value);
        break;
      case Kind::kLwPolyLine: {
        dCPolyLine& p = m_PolyLines.back();
        switch (code) {
          case kX:  // every X starts a vertex
            p.x.push_back(DxfToDouble(value));
            p.y.push_back(0.0);
            p.b.push_back(0.0);
            break;
          case kY:
            if (!p.y.empty()) p.y.back() = DxfToDouble(value);
            break;
          case kBulge:
            if (!p.b.empty()) p.b.back() = DxfToDouble(value);
            break;
          case kPolyLineFlags:
            if (DxfToInt(value) & 1) p.m_PolyLineFlag |= kDxfPolyLineClosed;
            break;
          case kVertexCount:
            if (p.x.empty()) {
              const std::size_t n = PlausibleCount(DxfToInt(value), groups.Remaining());
              p.x.reserve(n);
              p.y.reserve(n);
              p.b.reserve(n);
            }
            break;
          default:
            extrusion.Take(code, value);
            break;
        }
        break;
      }
      case Kind::kCircle:
        if (!TakeNumber(m_Circles.back(), kCircleFields, code, value)) {
          extrusion.Take(code, value);
        }
        break;
      case Kind::kArc:
        TakeLayerOrNumber(m_Arcs.back(), kArcFields, code, value);
        break;
      case Kind::kSpline: {
        dCSpline& s = m_Splines.back();
        switch (code) {
          case kLayer:
            s.m_Layer.assign(value);
            break;
          case kFitPointCount:
            if (s.x.empty()) {
              const std::size_t n = PlausibleCount(DxfToInt(value), groups.Remaining());
              s.x.reserve(n);
              s.y.reserve(n);
            }
            break;
          case kSecondX:  // every second X starts a fit point
            s.x.push_back(DxfToDouble(value));
            s.y.push_back(0.0);
            break;
          case kSecondY:
            if (!s.y.empty()) s.y.back() = DxfToDouble(value);
            break;
          default:
            break;
        }
        break;
      }
    }
  }
  finish();
  if (!closed && m_Problem.empty()) {
    m_Problem = "The ENTITIES section is not closed: the file may be cut short";
  }
}

std::size_t CDxf::RecordBytes() const {
  std::size_t total = sizeof(*this);
  total += VectorBytes(m_Lines) + VectorBytes(m_Arcs) + VectorBytes(m_Circles) +
           VectorBytes(m_PolyLines) + VectorBytes(m_Splines);
  for (const dCLine& l : m_Lines) total += StringBytes(l.m_Layer);
  for (const dCArc& a : m_Arcs) total += StringBytes(a.m_Layer);
  for (const dCPolyLine& p : m_PolyLines) {
    total += VectorBytes(p.x) + VectorBytes(p.y) + VectorBytes(p.b) + StringBytes(p.m_Layer);
  }
  for (const dCSpline& s : m_Splines) {
    total += VectorBytes(s.x) + VectorBytes(s.y) + StringBytes(s.m_Layer);
  }
  return total;
}

}  // namespace kelvora::geometry
