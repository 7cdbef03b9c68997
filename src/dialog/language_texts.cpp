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
  };
  return rows;
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
