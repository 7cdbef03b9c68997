#include "dialog/language_texts.h"

namespace kelvora::dialog {

const std::array<std::string_view, kLanguageCount>& LanguageItems() {
  static const std::array<std::string_view, kLanguageCount> items{"Tiếng Việt", "English", "แบบไทย",
                                                                  "Indonesia"};
  return items;
}

const std::vector<CaptionRow>& LanguageCaptionRows() {
  // Columns: Vietnamese, English, Thai, Indonesian.
  static const std::vector<CaptionRow> rows{
      {{"tabPage1"}, {"KHOAN", "DRILL", "DRILL", "Mengebor"}},
      {{"tabPage2"}, {"DẠY", "TEACH", "CUTTER", "mengajar"}},
      {{"tabPage3"}, {"PHAY LỖ", "POCKET", "POCKET", "penggilingan saku"}},
      {{"tabPage4"}, {"Cắt", "Cutter/Router", "Dxf", "Cutter/Router"}},
      {{"tabPage5"},
       {"Khoan theo hình tròn", "Circle pattern", "Circle pattern", "Pola lingkaran"}},
      {{"tabPage6"}, {"Khoan mắt lưới", "Grid pattern", "Grid pattern", "Pola kisi"}},
      {{"tabPage7"}, {"Nhập vào", "Input", "ป้อนข้อมูล", "Input"}},
      {{"tabPage8"}, {"Phay mặt", "Surf-Milling", "Surf-Milling", "penggilingan permukaan"}},
      {{"tabPage10"}, {"Vuông", "Square", "Square", "Persegi"}},
      {{"tabPage9"}, {"Tròn", "Round", "Round", "Bulat"}},
      {{"label3", "label16", "label52", "label42", "label27"},
       {"Sâu:", "depth:", "depth:", "depth:"}},
      {{"label4", "label25", "label51"}, {"Bước:", "step:", "step:", "step:"}},
      {{"label9", "label60"}, {"Tốc độ F:", "FeedRate:", "FeedRate:", "FeedRate:"}},
      {{"label24"}, {"Tốc độ F:", "Feedrate:", "Feedrate:", "Feedrate:"}},
      {{"label10"}, {"Nhấc Z:", "Z Retract:", "Z Retract:", "Z Retract:"}},
      {{"label22", "label58", "label48", "label30"},
       {"Nhấc Z:", "Z retract:", "Z retract:", "Z retract:"}},
      {{"label11", "label21", "label57", "label47", "label29"},
       {"Z an toàn:", "Z safe:", "Z safe:", "Z safe:"}},
      {{"label12", "label23", "label59"},
       {"Tốc độ Spin:", "SpinSpeed:", "SpinSpeed:", "SpinSpeed:"}},
      {{"label49"}, {"Tốc độ Spin:", "spinSpeed:", "spinSpeed:", "spinSpeed:"}},
      {{"label31"}, {"Tốc độ Spin", "spinSpeed", "spinSpeed", "spinSpeed"}},
      {{"label43", "label28"}, {"Bước:", "stepdown:", "stepdown:", "stepdown:"}},
      {{"label41"}, {"Bước ngang:", "stepover:", "stepover:", "stepover:"}},
      {{"label50", "label26"}, {"Tốc độ ngang:", "feedrate:", "feedrate:", "feedrate:"}},
      {{"label39"}, {"Tốc độ xuống:", "plugFeedrate:", "plugFeedrate:", "plugFeedrate:"}},
      {{"label32"}, {"Tốc độ xuống:", "PlugFeedrate:", "PlugFeedrate:", "PlugFeedrate:"}},
      {{"lblLanguage"}, {"Ngôn ngữ:", "Language:", "ภาษา :", "Bahasa:"}},
      {{"btnCirOptions", "btnGridOptions", "btnAnyOptions", "btnDxfOptions"},
       {"Tùy chọn", "Options", "ตัวเลือก", "Opsi"}},
  };
  return rows;
}

const std::vector<CaptionRow>& OptionsCaptionRows() {
  // Columns: Vietnamese, English, Thai, Indonesian.
  static const std::vector<CaptionRow> rows{
      {{"DrillOptions"},
       {"Tùy chọn khoan", "Drilling options", "ตัวเลือกการเจาะ", "Opsi pengeboran"}},
      {{"lblScheme"}, {"Kiểu khoan:", "Scheme:", "รูปแบบการเจาะ:", "Skema:"}},
      {{"lblDwell"}, {"Dừng ở đáy (s):", "Dwell (s):", "หยุดที่ก้นรู (s):", "Jeda di dasar (s):"}},
      {{"lblBackOff"}, {"Lùi dao:", "Back-off:", "ระยะถอย:", "Mundur:"}},
      {{"lblFullEvery"},
       {"Rút hết sau mỗi:", "Full retract every:", "ถอยสุดทุก ๆ:", "Tarik penuh tiap:"}},
      {{"lblPeckFactor"}, {"Hệ số bước:", "Peck factor:", "ตัวคูณระยะเจาะ:", "Faktor patukan:"}},
      {{"lblMinPeck"}, {"Bước nhỏ nhất:", "Minimum peck:", "ระยะเจาะต่ำสุด:", "Patukan minimum:"}},
      {{"chkbCanned"},
       {"Chu trình khoan của máy", "Canned cycles", "วงจรเจาะของเครื่อง", "Siklus bawaan mesin"}},
      {{"lblReturn"}, {"Giữa các lỗ:", "Between holes:", "ระหว่างรู:", "Antar lubang:"}},
      {{"lblOrder"}, {"Thứ tự lỗ:", "Order:", "ลำดับรู:", "Urutan:"}},
      {{"lblEntry"}, {"Vào dao hốc:", "Entry:", "การเข้ามีด:", "Masuk kantong:"}},
      {{"lblOptionsNote"},
       {"Chu trình G73 lùi dao theo khoảng của bộ điều khiển\r\n"
        "và không rút hết: không dùng Lùi dao và Rút hết.",
        "With canned cycles, G73 backs off by the control's own\r\n"
        "distance and never retracts fully: Back-off and\r\n"
        "Full retract every are not used.",
        "วงจร G73 ถอยตามระยะของตัวควบคุมเอง\r\n"
        "และไม่ถอยสุด: ไม่ใช้ระยะถอยและถอยสุดทุก ๆ",
        "Siklus G73 mundur sejauh jarak kontrol sendiri\r\n"
        "dan tidak pernah tarik penuh: Mundur dan\r\n"
        "Tarik penuh tiap tidak dipakai."}},
      {{"lblAnyLayers"}, {"Lớp bản vẽ:", "Drawing layers:", "เลเยอร์ของแบบ:", "Lapisan gambar:"}},
      {{"lblAnyUnits", "lblDxfUnits"},
       {"Đơn vị bản vẽ:", "Drawing units:", "หน่วยของแบบ:", "Satuan gambar:"}},
      // The router's contour options.
      {{"DxfOptions"}, {"Tùy chọn đường viền", "Contour options", "ตัวเลือกเส้นขอบ", "Opsi kontur"}},
      {{"lblDxfOutlines"}, {"Lấy đường viền từ:", "Outlines from:", "เส้นขอบจาก:", "Kontur dari:"}},
      {{"lblDxfLayers"}, {"Lớp:", "Layers:", "เลเยอร์:", "Lapisan:"}},
      {{"lblDxfJoinTol"},
       {"Dung sai nối:", "Join tolerance:", "ค่าเผื่อการต่อ:", "Toleransi sambung:"}},
      {{"lblDxfChordTol"},
       {"Dung sai dây cung:", "Chord tolerance:", "ค่าเผื่อคอร์ด:", "Toleransi tali busur:"}},
      {{"lblDxfOrder"}, {"Thứ tự:", "Order:", "ลำดับ:", "Urutan:"}},
      {{"lblDxfSide"}, {"Phía dao:", "Side:", "ด้านของมีด:", "Sisi:"}},
      {{"lblDxfSideBy"}, {"Chọn phía theo:", "Side by:", "เลือกด้านตาม:", "Sisi menurut:"}},
      {{"lblDxfToolDia"},
       {"Đường kính dao:", "Tool diameter:", "เส้นผ่านศูนย์กลางมีด:", "Diameter pahat:"}},
      {{"lblDxfDirection"}, {"Chiều cắt:", "Direction:", "ทิศทางการตัด:", "Arah potong:"}},
      {{"lblDxfEntry"}, {"Vào dao:", "Entry:", "การเข้ามีด:", "Masuk pahat:"}},
      {{"lblDxfRampAngle"}, {"Góc vào dốc:", "Ramp angle:", "มุมลาดเอียง:", "Sudut landai:"}},
      {{"lblDxfLeadIn"}, {"Bán kính vào dao:", "Lead-in radius:", "รัศมีทางเข้า:", "Radius masuk:"}},
      {{"lblDxfTabCount"}, {"Số cầu giữ:", "Tabs:", "จำนวนแท็บ:", "Jumlah tab:"}},
      {{"lblDxfTabSpacing"}, {"Khoảng cách cầu:", "Tab spacing:", "ระยะห่างแท็บ:", "Jarak tab:"}},
      {{"lblDxfTabWidth"}, {"Rộng cầu:", "Tab width:", "ความกว้างแท็บ:", "Lebar tab:"}},
      {{"lblDxfTabHeight"}, {"Cao cầu:", "Tab height:", "ความสูงแท็บ:", "Tinggi tab:"}},
      {{"chkbDxfPocket"},
       {"Phay sạch bên trong", "Clear inside", "กัดเคลียร์ด้านใน", "Bersihkan bagian dalam"}},
      {{"lblDxfStepover"},
       {"Bước ngang (%):", "Step-over (%):", "ระยะเหลื่อม (%):", "Langkah samping (%):"}},
      {{"btnCancel"}, {"Hủy", "Cancel", "ยกเลิก", "Batal"}},
  };
  return rows;
}

const std::vector<ChoiceRow>& OptionsChoiceRows() {
  static const std::vector<ChoiceRow> rows{
      {"Standard", {"Tiêu chuẩn", "Standard", "มาตรฐาน", "Standar"}},
      {"Full retract", {"Rút hết", "Full retract", "ถอยสุด", "Tarik penuh"}},
      {"Chip break", {"Bẻ phoi", "Chip break", "หักเศษ", "Patah tatal"}},
      {"Decreasing", {"Bước giảm dần", "Decreasing", "ระยะลดลง", "Menurun"}},
      {"Single plunge", {"Khoan một lần", "Single plunge", "เจาะครั้งเดียว", "Sekali tusuk"}},
      {"G98", {"G98 (Z an toàn)", "G98 (safe height)", "G98 (Z ปลอดภัย)", "G98 (Z aman)"}},
      {"G99", {"G99 (Nhấc Z)", "G99 (retract height)", "G99 (Z ถอย)", "G99 (Z tarik)"}},
      {"As listed", {"Theo danh sách", "As listed", "ตามรายการ", "Sesuai daftar"}},
      {"Shortest", {"Ngắn nhất", "Shortest", "สั้นที่สุด", "Terpendek"}},
      {"Plunge", {"Cắm thẳng", "Plunge", "กดตรง", "Tusuk lurus"}},
      {"Helix", {"Xoắn ốc", "Helix", "เกลียว", "Heliks"}},
      {"Ramp", {"Vào dốc", "Ramp", "ลาดเอียง", "Landai"}},
      {"LWPOLYLINEs", {"LWPOLYLINE", "LWPOLYLINEs", "LWPOLYLINE", "LWPOLYLINE"}},
      {"All outline entities",
       {"Mọi đối tượng đường viền", "All outline entities", "เส้นขอบทุกชนิด", "Semua entitas kontur"}},
      {"As read", {"Theo bản vẽ", "As read", "ตามแบบ", "Sesuai gambar"}},
      {"On the line", {"Trên đường", "On the line", "บนเส้น", "Di garis"}},
      {"Outside", {"Bên ngoài", "Outside", "ด้านนอก", "Luar"}},
      {"Inside", {"Bên trong", "Inside", "ด้านใน", "Dalam"}},
      {"Left", {"Bên trái", "Left", "ซ้าย", "Kiri"}},
      {"Right", {"Bên phải", "Right", "ขวา", "Kanan"}},
      {"Climb", {"Cắt thuận", "Climb", "กัดตาม", "Searah"}},
      {"Conventional", {"Cắt nghịch", "Conventional", "กัดสวน", "Berlawanan"}},
      {"From the drawing", {"Lấy từ bản vẽ", "From the drawing", "ตามที่แบบระบุ", "Dari gambar"}},
      {"Millimetres", {"Milimét", "Millimetres", "มิลลิเมตร", "Milimeter"}},
      {"Inches", {"Inch", "Inches", "นิ้ว", "Inci"}},
      {"Nesting", {"Theo lồng nhau", "Nesting", "ตามการซ้อนกัน", "Menurut susunan"}},
      {"Each contour", {"Từng đường viền", "Each contour", "แต่ละเส้นขอบ", "Tiap kontur"}},
  };
  return rows;
}

std::string_view ChoiceCaption(std::string_view choice, int language) {
  if (language < 0 || language >= kLanguageCount) return choice;
  for (const ChoiceRow& row : OptionsChoiceRows()) {
    if (row.choice == choice) return row.texts[static_cast<std::size_t>(language)];
  }
  return choice;
}

std::optional<std::array<std::string_view, 2>> CutGenColumnNames(int index) {
  switch (index) {
    case 0:
      return std::array<std::string_view, 2>{"KichThuoc", "SoLuong"};
    case 1:
      return std::array<std::string_view, 2>{"Dimension", "Q'ty"};
    case 3:
      return std::array<std::string_view, 2>{"Dimensi", "Kuantitas"};
    default:
      // Thai keeps whatever names the list already has.
      return std::nullopt;
  }
}

void LanguageSwitch(int index, const CaptionTarget& target) {
  if (index < 0 || index >= kLanguageCount) return;
  const auto column = static_cast<std::size_t>(index);
  if (target.setCaption) {
    for (const CaptionRow& row : LanguageCaptionRows()) {
      for (std::string_view control : row.controls) target.setCaption(control, row.texts[column]);
    }
  }
  // The generated cut list is renamed only once its table exists.
  if (!target.renameCutGenColumn) return;
  if (const auto names = CutGenColumnNames(index)) {
    target.renameCutGenColumn(1, (*names)[0]);
    target.renameCutGenColumn(2, (*names)[1]);
  }
}

}  // namespace kelvora::dialog
