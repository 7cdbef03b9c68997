#include "settings/settings_keys.h"

#include <array>

#include "text/number_format.h"
#include "text/parse.h"

namespace kelvora::settings {
namespace {

constexpr std::array<SettingsKey, 113> kKeys{{
    {"Dlg", KeyType::kBool, "True", "enableDlg", "", ShownAs::kNone, ""},
    {"gcGenLanguage", KeyType::kInt, "0", "Language", "cmbLanguage", ShownAs::kIndex, ""},
    {"CirXc", KeyType::kDouble, "0", "Xc", "txtXc", ShownAs::kNumber, "0.###"},
    {"CirYc", KeyType::kDouble, "0", "Yc", "txtYc", ShownAs::kNumber, "0.###"},
    {"CirDepth", KeyType::kDouble, "5", "CirDepth", "txtdepth", ShownAs::kNumber, "0.###"},
    {"CirStep", KeyType::kDouble, "2", "CirStep", "txtpassdepth", ShownAs::kNumber, "0.###"},
    {"CirR", KeyType::kDouble, "10", "CirR", "txtR", ShownAs::kNumber, "0.###"},
    {"Cirn", KeyType::kInt, "2", "Cirn", "txtn", ShownAs::kNumber, "0"},
    {"CirA", KeyType::kDouble, "0", "CirA", "txtStartAngle", ShownAs::kNumber, "0.###"},
    {"Cird", KeyType::kDouble, "3", "Cird", "txtToolDia", ShownAs::kNumber, "0.###"},
    {"CirFeedrate", KeyType::kDouble, "100", "CirFeedrate", "txtDrillFeedrate", ShownAs::kNumber,
     "0.###"},
    {"CirRetract", KeyType::kDouble, "1", "CirRetract", "txtDrillZretract", ShownAs::kNumber,
     "0.###"},
    {"CirZsafe", KeyType::kDouble, "3", "CirZsafe", "txtZsafe", ShownAs::kNumber, "0.###"},
    {"CirSpinSpeed", KeyType::kDouble, "1000", "CirSpinSpeed", "txtSpindleSpeed", ShownAs::kNumber,
     "0.###"},
    {"CirEnSpecialOp", KeyType::kBool, "False", "CirEnSpecialOp", "chkbCirSpecialOp",
     ShownAs::kChecked, ""},
    {"CirEnSpin", KeyType::kBool, "True", "CirEnSpin", "chkbCirEnSpin", ShownAs::kChecked, ""},
    {"CirSpOpStr", KeyType::kString, "", "CirSpOpStr", "txtSpSO", ShownAs::kText, ""},
    {"GridXc", KeyType::kDouble, "0", "GridXc", "txtGridXc", ShownAs::kNumber, "0.###"},
    {"GridYc", KeyType::kDouble, "0", "GridYc", "txtGridYc", ShownAs::kNumber, "0.###"},
    {"GridDepth", KeyType::kDouble, "5", "GridDepth", "txtGridDepth", ShownAs::kNumber, "0.###"},
    {"GridStep", KeyType::kDouble, "2", "GridStep", "txtGridStep", ShownAs::kNumber, "0.###"},
    {"Gridn", KeyType::kInt, "1", "Gridn", "txtGridn", ShownAs::kNumber, "0"},
    {"Gridm", KeyType::kInt, "1", "Gridm", "txtGridm", ShownAs::kNumber, "0"},
    {"GridXm", KeyType::kDouble, "1", "GridXm", "txtGridXm", ShownAs::kNumber, "0.###"},
    {"GridYn", KeyType::kDouble, "1", "GridYn", "txtGridYn", ShownAs::kNumber, "0.###"},
    {"Gridd", KeyType::kDouble, "3", "Gridd", "txtGridToolDia", ShownAs::kNumber, "0"},
    {"GridZigzac", KeyType::kDouble, "0", "GridZigzac", "txtGridZigzac", ShownAs::kNumber, "0.##"},
    {"GridSub1", KeyType::kBool, "False", "GridSub1", "chkbGridSub1", ShownAs::kChecked, ""},
    {"GridFeedrate", KeyType::kDouble, "100", "GridFeedrate", "txtGridFeedrate", ShownAs::kNumber,
     "0"},
    {"GridRetract", KeyType::kDouble, "1", "GridRetract", "txtGridZretract", ShownAs::kNumber,
     "0.###"},
    {"GridZsafe", KeyType::kDouble, "3", "GridZsafe", "txtGridZsafe", ShownAs::kNumber, "0.###"},
    {"GridSpinSpeed", KeyType::kDouble, "1000", "GridSpinSpeed", "txtGridSpinSpeed",
     ShownAs::kNumber, "0.##"},
    {"GridEnSpecialOp", KeyType::kBool, "False", "GridEnSpecialOp", "chkbGridSpOp",
     ShownAs::kChecked, ""},
    {"GridEnSpin", KeyType::kBool, "True", "GridEnSpin", "chkbGridEnSpin", ShownAs::kChecked, ""},
    {"GridSpOpStr", KeyType::kString, "", "GridSpOpStr", "txtGridSpecialOp", ShownAs::kText, ""},
    {"MsqrXc", KeyType::kDouble, "15", "MsqrXc", "txtMSqrXc", ShownAs::kNumber, "0.###"},
    {"MsqrYc", KeyType::kDouble, "15", "MsqrYc", "txtMSqrYc", ShownAs::kNumber, "0.###"},
    {"MsqrDepth", KeyType::kDouble, "0.5", "MsqrDepth", "txtMSqrDepth", ShownAs::kNumber, "0.###"},
    {"MsqrStep", KeyType::kDouble, "6", "MsqrStep", "txtMSqrStep", ShownAs::kNumber, "0.###"},
    {"MsqrStepdown", KeyType::kDouble, "0.5", "MsqrStepdown", "txtMSqrStepdwn", ShownAs::kNumber,
     "0.###"},
    {"MsqrLx", KeyType::kDouble, "220", "MsqrLx", "txtMSqrLx", ShownAs::kNumber, "0.###"},
    {"MsqrLy", KeyType::kDouble, "220", "MsqrLy", "txtMSqrLy", ShownAs::kNumber, "0.###"},
    {"Msqrd", KeyType::kDouble, "0", "Msqrd", "txtMSqrToolDia", ShownAs::kNumber, "0.#"},
    {"MsqrFeedrate", KeyType::kDouble, "4000", "MsqrFeedrate", "txtMSqrFeedrate", ShownAs::kNumber,
     "0.#"},
    {"MsqrPlugFeed", KeyType::kDouble, "500", "MsqrPlugFeed", "txtPlungeFeedrate", ShownAs::kNumber,
     "0.#"},
    {"MsqrRetract", KeyType::kDouble, "1", "MsqrRetract", "txtMSqrZRetract", ShownAs::kNumber,
     "0.###"},
    {"MsqrZsafe", KeyType::kDouble, "1", "MsqrZsafe", "txtMSqrZsafe", ShownAs::kNumber, "0.###"},
    {"MsqrSpinSpeed", KeyType::kDouble, "5000", "MsqrSpinSpeed", "txtMSqrSpinSpeed",
     ShownAs::kNumber, "0.##"},
    {"MsqrEnSpin", KeyType::kBool, "True", "MsqrEnSpin", "chkbMSqrEnSpin", ShownAs::kChecked, ""},
    {"MsqrFlip", KeyType::kBool, "False", "MsqrFlip", "chkbMSqrFlip", ShownAs::kChecked, ""},
    {"MsqrGotoZero", KeyType::kBool, "True", "MsqrGotoZero", "chkbMSqrGotoZero", ShownAs::kChecked,
     ""},
    {"DxfDepth", KeyType::kDouble, "0", "DxfDepth", "txtDxfDepth", ShownAs::kNumber, "0.###"},
    {"DxfStepdown", KeyType::kDouble, "0", "DxfStepdown", "txtDxfStepdwn", ShownAs::kNumber,
     "0.###"},
    {"DxfFeedrate", KeyType::kDouble, "100", "DxfFeedrate", "txtDxfFeedrate", ShownAs::kNumber,
     "0.#"},
    {"DxfPlugFeed", KeyType::kDouble, "100", "DxfPlugFeed", "txtDxfPlungeFeedrate",
     ShownAs::kNumber, "0.#"},
    {"DxfRetract", KeyType::kDouble, "1", "DxfRetract", "txtDxfZRetract", ShownAs::kNumber,
     "0.###"},
    {"DxfZsafe", KeyType::kDouble, "1", "DxfZsafe", "txtDxfZSafe", ShownAs::kNumber, "0.###"},
    {"DxfSpinSpeed", KeyType::kDouble, "10000", "DxfSpinSpeed", "txtDxfSpinSpeed", ShownAs::kNumber,
     "0.##"},
    {"DxfEnSpin", KeyType::kBool, "True", "DxfEnSpin", "chkbDxfEnSpin", ShownAs::kChecked, ""},
    {"DxfEnSpOp", KeyType::kBool, "False", "DxfEnSpOp", "chkbDxfEnSpOp", ShownAs::kChecked, ""},
    {"DxfSpOpStr", KeyType::kString, "", "DxfSpOpStr", "txtDxfSpOp", ShownAs::kText, ""},
    {"DxfSpOpStrOff", KeyType::kString, "", "DxfSpOpStrOff", "txtDxfSpOpOff", ShownAs::kText, ""},
    {"DxfEndScript", KeyType::kString, "", "DxfEndScript", "txtDxfEndScript", ShownAs::kText, ""},
    {"Cut2Way", KeyType::kBool, "False", "Cut2Way", "chkbCut2Way", ShownAs::kChecked, ""},
    {"CutZigZac", KeyType::kBool, "False", "CutZigZac", "chkbCutZigZag", ShownAs::kChecked, ""},
    {"CutToolDia", KeyType::kDouble, "1", "CutToolDia", "txtCutGenToolDia", ShownAs::kNumber,
     "0.#"},
    {"CutX1", KeyType::kDouble, "1", "CutX1", "txtCutX1", ShownAs::kNumber, "0.###"},
    {"CutX2", KeyType::kDouble, "1", "CutX2", "txtCutX2", ShownAs::kNumber, "0.###"},
    {"CutY1", KeyType::kDouble, "1", "CutY1", "txtCutY1", ShownAs::kNumber, "0.###"},
    {"CutY2", KeyType::kDouble, "1", "CutY2", "txtCutY2", ShownAs::kNumber, "0.###"},
    {"CutGenX1", KeyType::kDouble, "1", "CutGenX1", "txtCutGenX1", ShownAs::kNumber, "0.###"},
    {"CutGenX2", KeyType::kDouble, "1", "CutGenX2", "txtCutGenX2", ShownAs::kNumber, "0.###"},
    {"AnyDepth", KeyType::kDouble, "0", "AnyDepth", "txtAnyDepth", ShownAs::kNumber, "0.###"},
    {"AnyStepdown", KeyType::kDouble, "0", "AnyStepdown", "txtAnyStepdown", ShownAs::kNumber,
     "0.###"},
    {"AnyFeedrate", KeyType::kDouble, "0", "AnyFeedrate", "txtAnyFeedrate", ShownAs::kNumber,
     "0.#"},
    {"AnyFeedrate2", KeyType::kDouble, "0", "AnyFeedrate2", "txtAnyFeedrate2", ShownAs::kNumber,
     "0.#"},
    {"Anyd", KeyType::kDouble, "0", "Anyd", "txtAnyToolDia", ShownAs::kNumber, "0.#"},
    {"AnyRetract", KeyType::kDouble, "0", "AnyRetract", "txtAnyZRetract", ShownAs::kNumber,
     "0.###"},
    {"AnyZsafe", KeyType::kDouble, "0", "AnyZsafe", "txtAnyZsafe", ShownAs::kNumber, "0.###"},
    {"AnySpinSpeed", KeyType::kDouble, "0", "AnySpinSpeed", "txtAnySpinSpeed", ShownAs::kNumber,
     "0.##"},
    {"AnyEnSpin", KeyType::kBool, "False", "AnyEnSpin", "chkbAnyEnSpin", ShownAs::kChecked, ""},
    {"AnyEnSpOp", KeyType::kBool, "False", "AnyEnSpOp", "chkbAnyEnSpOp", ShownAs::kChecked, ""},
    {"AnySpOpStr", KeyType::kString, "", "AnySpOpStr", "txtAnySpOp", ShownAs::kText, ""},
    {"AnyEndScript", KeyType::kString, "", "AnyEndScript", "txtAnyEndScript", ShownAs::kText, ""},
    {"AnyPocket", KeyType::kBool, "False", "AnyPocket", "chkbAnyPocket", ShownAs::kChecked, ""},
    {"AnyStepOvr", KeyType::kDouble, "0", "AnyStepOvr", "txtAnyStepOvr", ShownAs::kNumber, "0.##"},
    {"AnyHoleSize", KeyType::kDouble, "0", "AnyHoleSize", "txtAnyHoleSize", ShownAs::kNumber,
     "0.##"},
    {"AnyRo", KeyType::kDouble, "0", "AnyRo", "txtAnyRo", ShownAs::kNumber, "0.##"},
    {"AnyNumOfRow", KeyType::kInt, "0", "AnyNumOfRow", "txtNumRow", ShownAs::kAutoGen, "0"},
    {"AnyNumOfCol", KeyType::kInt, "0", "AnyNumOfCol", "txtNumCol", ShownAs::kAutoGen, "0"},
    {"AnyDistRow", KeyType::kDouble, "0", "AnyDistRow", "txtRowDist", ShownAs::kAutoGen, "0.##"},
    {"AnyDistCol", KeyType::kDouble, "0", "AnyDistCol", "txtColDist", ShownAs::kAutoGen, "0.##"},
    {"AnyByRow", KeyType::kBool, "False", "AnyByRow", "chkbByRow", ShownAs::kAutoGen, ""},
    {"AnyDualDist", KeyType::kDouble, "0", "AnyDualDist", "txtAnyDual", ShownAs::kAutoGen, "0.##"},
    {"AnyDual", KeyType::kBool, "False", "AnyDual", "chkbDual", ShownAs::kAutoGen, ""},
    {"AnyEndcont", KeyType::kBool, "False", "AnyEndcont", "chkbEndCont", ShownAs::kAutoGen, ""},
    {"AnyZigZacRow", KeyType::kDouble, "0", "AnyZigZacRow", "txtAnyZigZacRow", ShownAs::kAutoGen,
     "0.##"},
    {"AnyZigZacCol", KeyType::kDouble, "0", "AnyZigZacCol", "txtAnyZigZacCol", ShownAs::kAutoGen,
     "0.##"},
    {"AnyXc", KeyType::kDouble, "0", "AnyXc", "txtAnyXc", ShownAs::kAutoGen, "0.##"},
    {"AnyYc", KeyType::kDouble, "0", "AnyYc", "txtAnyYc", ShownAs::kAutoGen, "0.##"},
    {"AnySub1", KeyType::kBool, "False", "AnySub1", "chkbAnySub1", ShownAs::kAutoGen, ""},
    {"tchOp1", KeyType::kString, "Op1*Op1Val", "tchOp1", "", ShownAs::kNone, ""},
    {"tchOp2", KeyType::kString, "Op2*Op2Val", "tchOp2", "", ShownAs::kNone, ""},
    {"tchOp3", KeyType::kString, "Op3*Op3Val", "tchOp3", "", ShownAs::kNone, ""},
    {"tchOp4", KeyType::kString, "Op4*Op4Val", "tchOp4", "", ShownAs::kNone, ""},
    {"tchOp5", KeyType::kString, "Op5*Op5Val", "tchOp5", "", ShownAs::kNone, ""},
    {"tchOp6", KeyType::kString, "Op6*Op6Val", "tchOp6", "", ShownAs::kNone, ""},
    {"tchOp7", KeyType::kString, "Op7*Op7Val", "tchOp7", "", ShownAs::kNone, ""},
    {"tchOp8", KeyType::kString, "Op8*Op8Val", "tchOp8", "", ShownAs::kNone, ""},
    {"tchOp9", KeyType::kString, "Op9*Op9Val", "tchOp9", "", ShownAs::kNone, ""},
    {"tchOp10", KeyType::kString, "Op10*Op10Val", "tchOp10", "", ShownAs::kNone, ""},
    {"TchPrefix", KeyType::kString, "G91G21", "TchPrefix", "txtTchPrefix", ShownAs::kText, ""},
    {"TchSurfix", KeyType::kString, "M30", "TchSurfix", "txtTchSurfix", ShownAs::kText, ""},
}};

}  // namespace

std::span<const SettingsKey> SettingsKeys() {
  return kKeys;
}

const SettingsKey* FindSettingsKey(std::string_view key) {
  for (const SettingsKey& k : kKeys) {
    if (k.key == key) return &k;
  }
  return nullptr;
}

std::optional<std::string> DisplayText(const SettingsKey& key, std::string_view storedText) {
  if (key.type == KeyType::kBool) return std::string(storedText == "True" ? "True" : "False");
  if (key.type == KeyType::kString) return std::string(storedText);
  if (key.type == KeyType::kInt) {
    const auto value = text::ParseInt32(storedText);
    if (!value) return std::nullopt;
    return std::to_string(*value);
  }
  const auto value = text::ParseDouble(storedText);
  if (!value) return std::nullopt;
  const auto format = text::NumberFormatFromPattern(key.format);
  // Values without a display pattern keep their stored text.
  if (!format) return std::string(text::TrimBlanks(storedText));
  return text::FormatNumber(*value, *format);
}

}  // namespace kelvora::settings
