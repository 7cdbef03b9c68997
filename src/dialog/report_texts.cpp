#include "dialog/report_texts.h"

#include <utility>

#include "motion/report_text.h"
#include "text/number_format.h"

namespace kelvora::dialog {

const std::array<ReportTextRow, static_cast<std::size_t>(ReportText::kCount)>& ReportTextTable() {
  // Columns: Vietnamese, English, Thai, Indonesian; rows in ReportText's order.
  static const std::array<ReportTextRow, static_cast<std::size_t>(ReportText::kCount)> table{{
      {"giờ", "h", "ชม.", "jam"},
      {"phút", "min", "นาที", "mnt"},
      {"giây", "s", "วินาที", "dtk"},
      {"không có cảnh báo", "no warnings", "ไม่มีคำเตือน", "tidak ada peringatan"},
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
      // The finding kinds; the English texts are the command line's.
      {"từ không xác định", "unknown word", "คำสั่งที่ไม่รู้จัก", "kata tidak dikenal"},
      {"số viết sai", "malformed number", "ตัวเลขผิดรูปแบบ", "angka salah tulis"},
      {"cung tròn không tạo được", "arc that cannot be made", "ส่วนโค้งที่สร้างไม่ได้",
       "busur yang tidak dapat dibuat"},
      {"chu trình khoan không tạo được", "canned cycle that cannot be made", "รอบเจาะที่สร้างไม่ได้",
       "siklus bor yang tidak dapat dibuat"},
      {"chú thích thiếu dấu \")\" đóng", "comment without its closing \")\"",
       "ความเห็นไม่มีวงเล็บปิด \")\"", "komentar tanpa penutup \")\""},
      {"chuyển động vượt hành trình máy", "move beyond the machine's travel",
       "การเคลื่อนที่เกินระยะของเครื่อง", "gerak melewati batas gerak mesin"},
      {"chạy nhanh dưới mặt phôi", "rapid below the stock top", "เคลื่อนที่เร็วต่ำกว่าผิวชิ้นงาน",
       "gerak cepat di bawah permukaan benda kerja"},
      {"lệnh cắt không có tốc độ F", "feed move with no feed rate", "การตัดไม่มีอัตราป้อน",
       "gerak potong tanpa laju umpan"},
      {"chương trình cắt khi trục chính chưa quay", "cutting with the spindle off in the program",
       "โปรแกรมตัดขณะสปินเดิลหยุด", "program memotong dengan spindel mati"},
      {"điểm cuối cung không nằm trên đường tròn", "arc end off its circle",
       "จุดปลายส่วนโค้งไม่อยู่บนวงกลม", "ujung busur tidak pada lingkarannya"},
      {"sâu hơn độ sâu đã đặt", "below the job's depth", "ลึกกว่าความลึกของงาน",
       "lebih dalam dari kedalaman pekerjaan"},
      {"lệnh trục A trên máy không có trục A", "A move on a machine without an A axis",
       "คำสั่งแกน A บนเครื่องที่ไม่มีแกน A", "gerak A pada mesin tanpa sumbu A"},
      {"macro của bộ điều khiển (bộ điều khiển khác không nhận)",
       "macro of the host control (other controls refuse it)", "มาโครของตัวควบคุม (ตัวควบคุมอื่นไม่รับ)",
       "makro kontrol host (kontrol lain menolaknya)"},
      {"từ mà bộ điều khiển này không đọc", "word this control does not read", "คำสั่งที่ตัวควบคุมนี้ไม่อ่าน",
       "kata yang tidak dibaca kontrol ini"},
      {"dòng dài hơn bộ điều khiển đọc được", "line longer than the control reads",
       "บรรทัดยาวเกินกว่าที่ตัวควบคุมอ่านได้", "baris lebih panjang dari yang dibaca kontrol"},
      {"điểm cuối cung lệch đường tròn, trong dung sai của bộ điều khiển",
       "arc end off its circle, within the control's tolerance",
       "จุดปลายส่วนโค้งเบี่ยงจากวงกลม ภายในพิกัดความเผื่อของตัวควบคุม",
       "ujung busur menyimpang dari lingkarannya, dalam toleransi kontrol"},
      {"thứ tự ngắn nhất: chạy nhanh @A mm, theo danh sách @B mm",
       "Shortest order: rapids @A mm, listed @B mm", "ลำดับสั้นที่สุด: เคลื่อนที่เร็ว @A มม. ตามรายการ @B มม.",
       "urutan terpendek: gerak cepat @A mm, sesuai daftar @B mm"},
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

std::string ReportSummary(const motion::Report& report, int language) {
  const auto word = [language](ReportText text) { return ReportWord(text, language); };
  const motion::SummaryWords words{
      word(ReportText::kNoMoves),  word(ReportText::kHours),      word(ReportText::kMinutes),
      word(ReportText::kSeconds),  word(ReportText::kNoWarnings), word(ReportText::kWarning),
      word(ReportText::kWarnings), word(ReportText::kNote),       word(ReportText::kNotes)};
  return motion::SummaryLine(report, words);
}

std::string OrderSummary(double after, double before, int language) {
  std::string out(ReportWord(ReportText::kOrder, language));
  const std::pair<std::string_view, double> figures[] = {{"@A", after}, {"@B", before}};
  for (const auto& [mark, value] : figures) {
    if (const std::size_t at = out.find(mark); at != std::string::npos) {
      out.replace(at, mark.size(), text::FormatNumber(value, text::NumberFormat::kMax3));
    }
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
