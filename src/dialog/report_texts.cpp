#include "dialog/report_texts.h"

#include <cmath>
#include <cstdint>

#include "text/number_format.h"

namespace kelvora::dialog {

const std::array<ReportTextRow, static_cast<std::size_t>(ReportText::kCount)>& ReportTextTable() {
  // Columns: Vietnamese, English, Thai, Indonesian; rows in ReportText's order.
  static const std::array<ReportTextRow, static_cast<std::size_t>(ReportText::kCount)> table{{
      {"giờ", "h", "ชม.", "jam"},
      {"phút", "min", "นาที", "mnt"},
      {"giây", "s", "วินาที", "dtk"},
      {"cảnh báo", "warning", "คำเตือน", "peringatan"},
      {"cảnh báo", "warnings", "คำเตือน", "peringatan"},
      {"ghi chú", "note", "หมายเหตุ", "catatan"},
      {"ghi chú", "notes", "หมายเหตุ", "catatan"},
      {"không có chuyển động", "no moves", "ไม่มีการเคลื่อนที่", "tidak ada gerakan"},
      {"Dòng", "Line", "บรรทัด", "Baris"},
      {"Kiểm tra chương trình", "Program check", "ตรวจสอบโปรแกรม", "Pemeriksaan program"},
      {"Không có cảnh báo hay ghi chú.", "No warnings or notes.", "ไม่มีคำเตือนหรือหมายเหตุ",
       "Tidak ada peringatan atau catatan."},
      {"… và @ mục khác", "… and @ more", "… และอีก @ รายการ", "… dan @ lainnya"},
      {"(ghi chú)", "(note)", "(หมายเหตุ)", "(catatan)"},
      // The finding kinds.
      {"từ không xác định", "unknown word", "คำสั่งที่ไม่รู้จัก", "kata tidak dikenal"},
      {"số viết sai", "malformed number", "ตัวเลขผิดรูปแบบ", "angka salah tulis"},
      {"cung tròn không tạo được", "arc that cannot be made", "ส่วนโค้งที่สร้างไม่ได้",
       "busur yang tidak dapat dibuat"},
      {"chu trình khoan thiếu Z hoặc R, hoặc Q không dương",
       "drilling cycle without its Z or R, or with a Q that is not positive",
       "รอบเจาะไม่มี Z หรือ R หรือ Q ไม่เป็นบวก", "siklus bor tanpa Z atau R, atau Q tidak positif"},
      {"chú thích chưa đóng ngoặc", "comment not closed", "ความเห็นไม่ได้ปิดวงเล็บ",
       "komentar tidak ditutup"},
      {"vượt hành trình máy", "beyond the machine's travel", "เกินระยะเคลื่อนที่ของเครื่อง",
       "melewati batas gerak mesin"},
      {"chạy nhanh dưới mặt phôi", "rapid move below the stock top", "เคลื่อนที่เร็วต่ำกว่าผิวชิ้นงาน",
       "gerak cepat di bawah permukaan benda kerja"},
      {"lệnh cắt không có tốc độ F", "feed move without a feed rate", "การตัดไม่มีอัตราป้อน",
       "gerak potong tanpa laju umpan"},
      {"cắt khi trục chính chưa quay", "cutting with the spindle off", "ตัดขณะสปินเดิลหยุด",
       "memotong dengan spindel mati"},
      {"điểm cuối cung không nằm trên đường tròn", "arc end not on its circle",
       "จุดปลายส่วนโค้งไม่อยู่บนวงกลม", "ujung busur tidak pada lingkarannya"},
      {"sâu hơn độ sâu đã đặt", "below the job's depth", "ลึกกว่าความลึกของงาน",
       "lebih dalam dari kedalaman pekerjaan"},
      {"lệnh trục A trên máy không có trục A", "A move on a machine without an A axis",
       "คำสั่งแกน A บนเครื่องที่ไม่มีแกน A", "gerak A pada mesin tanpa sumbu A"},
  }};
  return table;
}

std::string_view ReportWord(ReportText text, int language) {
  const std::size_t column = language >= 0 && language < kLanguageCount
                                 ? static_cast<std::size_t>(language)
                                 : std::size_t{0};
  return ReportTextTable()[static_cast<std::size_t>(text)][column];
}

std::string_view FindingText(motion::FindingKind kind, int language) {
  const int first = static_cast<int>(ReportText::kUnknownWord);
  return ReportWord(static_cast<ReportText>(first + static_cast<int>(kind)), language);
}

namespace {

constexpr std::string_view kSeparator = " · ";
constexpr std::string_view kRangeDash = "…";
constexpr std::string_view kMinusSign = "−";

// A figure as the window shows it: up to three decimals, a true minus sign.
std::string Figure(double value) {
  std::string text = text::FormatNumber(value, text::NumberFormat::kMax3);
  if (!text.empty() && text.front() == '-') text.replace(0, 1, kMinusSign);
  return text;
}

void AppendCount(std::string& out, std::uint64_t count, ReportText one, ReportText many,
                 int language) {
  out += std::to_string(count);
  out += ' ';
  out += ReportWord(count == 1 ? one : many, language);
}

// Whole seconds, rounded up (the run time is an upper bound): "1 h 5 min",
// "1 min 23 s", "45 s".
void AppendDuration(std::string& out, double seconds, int language) {
  const double whole = std::ceil(std::max(0.0, seconds));
  const auto total = whole < 1e15 ? static_cast<std::uint64_t>(whole) : std::uint64_t{999999999};
  const std::uint64_t hours = total / 3600;
  const std::uint64_t minutes = total % 3600 / 60;
  const std::uint64_t secs = total % 60;
  bool first = true;
  const auto part = [&](std::uint64_t value, ReportText unit) {
    if (!first) out += ' ';
    first = false;
    out += std::to_string(value);
    out += ' ';
    out += ReportWord(unit, language);
  };
  if (hours > 0) {
    part(hours, ReportText::kHours);
    part(minutes, ReportText::kMinutes);
    return;
  }
  if (minutes > 0) part(minutes, ReportText::kMinutes);
  part(secs, ReportText::kSeconds);
}

}  // namespace

std::string ReportSummary(const motion::Report& report, int language) {
  std::string out;
  const motion::Extents& e = report.extents;
  if (e.any) {
    constexpr std::string_view kNames[motion::kAxisCount] = {"X", "Y", "Z", "A"};
    for (int axis = 0; axis < motion::kAxisCount; ++axis) {
      const double low = e.minimum[static_cast<std::size_t>(axis)];
      const double high = e.maximum[static_cast<std::size_t>(axis)];
      if (axis == motion::kAxisA && low == 0 && high == 0) continue;
      if (!out.empty()) out += kSeparator;
      out += kNames[axis];
      out += ' ';
      out += Figure(low);
      out += kRangeDash;
      out += Figure(high);
    }
    out += kSeparator;
    AppendDuration(out, report.seconds, language);
  } else {
    out += ReportWord(ReportText::kNoMoves, language);
  }
  std::uint64_t notes = 0;
  for (const motion::Finding& f : report.findings) notes += motion::IsNote(f.kind) ? 1 : 0;
  const std::uint64_t warnings = report.findingCount >= notes ? report.findingCount - notes : 0;
  out += kSeparator;
  AppendCount(out, warnings, ReportText::kWarning, ReportText::kWarnings, language);
  if (notes > 0) {
    out += kSeparator;
    AppendCount(out, notes, ReportText::kNote, ReportText::kNotes, language);
  }
  return out;
}

std::string ReportFindings(const motion::Report& report, int language) {
  if (report.findings.empty() && report.findingCount == 0) {
    return std::string(ReportWord(ReportText::kNone, language));
  }
  std::string out;
  for (const motion::Finding& f : report.findings) {
    if (!out.empty()) out += "\r\n";
    out += ReportWord(ReportText::kLine, language);
    out += ' ';
    out += std::to_string(f.line);
    out += ": ";
    if (motion::IsNote(f.kind)) {
      out += ReportWord(ReportText::kNoteMark, language);
      out += ' ';
    }
    out += FindingText(f.kind, language);
    if (!f.detail.empty()) out += " (" + f.detail + ")";
  }
  if (report.findingCount > report.findings.size()) {
    std::string more(ReportWord(ReportText::kMore, language));
    const std::string count = std::to_string(report.findingCount - report.findings.size());
    if (const auto at = more.find('@'); at != std::string::npos) more.replace(at, 1, count);
    if (!out.empty()) out += "\r\n";
    out += more;
  }
  return out;
}

}  // namespace kelvora::dialog
