#include "dialog/auto_gen.h"

#include <algorithm>

#include "dialog/key_filters.h"
#include "dialog/page_measures.h"
#include "text/number_format.h"
#include "ui/text_metrics.h"

namespace kelvora::dialog {
namespace {

// The form's own spacing; its boxes, captions and buttons are sized as the
// pages' are.
constexpr int kMargin = 12;
constexpr int kRowStep = 34;
constexpr int kColumnGap = 12;
constexpr int kButtonWidth = 90;
using measures::kBoxHeight;
using measures::kButtonHeight;
using measures::kLabelGap;

enum class Filter { kSigned, kUnsigned };

// A captioned box: the caption's label, the box, its settings key and filter.
struct BoxSpec {
  const char* label;
  const char* caption;
  const char* box;
  const char* key;
  Filter filter;
};

// In two columns, row by row: left, right.
constexpr BoxSpec kBoxes[] = {
    {"lblAnyXc", "Xstart:", "txtAnyXc", "AnyXc", Filter::kSigned},
    {"lblAnyYc", "Ystart:", "txtAnyYc", "AnyYc", Filter::kSigned},
    {"lblNumRow", "HÀNG:", "txtNumRow", "AnyNumOfRow", Filter::kUnsigned},
    {"lblNumCol", "CỘT:", "txtNumCol", "AnyNumOfCol", Filter::kUnsigned},
    {"lblRowDist", "khoảng cách:", "txtRowDist", "AnyDistRow", Filter::kUnsigned},
    {"lblColDist", "Khoảng cách:", "txtColDist", "AnyDistCol", Filter::kUnsigned},
    {"lblAnyZigZacRow", "So le hàng", "txtAnyZigZacRow", "AnyZigZacRow", Filter::kSigned},
    {"lblAnyZigZacCol", "So le cột", "txtAnyZigZacCol", "AnyZigZacCol", Filter::kSigned},
};

struct CheckSpec {
  const char* name;
  const char* caption;
  const char* key;  // empty: not read by itself ("Hàn theo cột" is the opposite of by row)
};

constexpr CheckSpec kChecks[] = {
    {"chkbByRow", "Hàn theo hàng", "AnyByRow"}, {"chkbByCol", "Hàn theo cột", ""},
    {"chkbDual", "Chấm đôi", "AnyDual"},        {"chkbEndCont", "Tiếp cuối hàng", "AnyEndcont"},
    {"chkbAnySub1", "-1", "AnySub1"},
};

constexpr std::string_view kDualBox = "txtAnyDual";
constexpr std::string_view kDualKey = "AnyDualDist";

std::string Max2(double value) {
  return text::FormatNumber(value, text::NumberFormat::kMax2);
}

}  // namespace

AutoGen::AutoGen(ui::Prompts& prompts)
    : prompts_(prompts), form_("AutoGen", "AutoGen", kClientWidth, kClientHeight) {
  form_.SetFont(ui::kFormFont);
  for (const BoxSpec& b : kBoxes) {
    form_.Add<ui::Label>(b.label, b.caption);
    auto& box = form_.Add<ui::TextBox>(b.box, "0");
    if (b.filter == Filter::kSigned) AttachSignedFilter(box);
    if (b.filter == Filter::kUnsigned) AttachUnsignedFilter(box);
  }
  for (const CheckSpec& c : kChecks) form_.Add<ui::CheckBox>(c.name, c.caption);
  AttachUnsignedFilter(form_.Add<ui::TextBox>(std::string(kDualBox), "0"));

  // Exactly one walking order is checked: each box sets the other to its opposite.
  auto& byRow = Get<ui::CheckBox>("chkbByRow");
  auto& byCol = Get<ui::CheckBox>("chkbByCol");
  byRow.onCheckedChanged = [&byCol](ui::CheckBox& b) { byCol.SetChecked(!b.Checked()); };
  byCol.onCheckedChanged = [&byRow](ui::CheckBox& b) { byRow.SetChecked(!b.Checked()); };
  byCol.SetChecked(true);

  ui::AddOkCancel(form_, [this] { btnOK_Click(); });
  Arrange();
}

void AutoGen::Arrange() {
  // Two columns of captioned boxes, the check boxes below them, the buttons in
  // the lower right corner. The caption column is as wide as the widest caption.
  int labelWidth = 0;
  for (const BoxSpec& b : kBoxes) {
    labelWidth = std::max(labelWidth, ui::EstimateTextWidth(b.caption, form_.GetFont()) + 2);
  }
  const int columnWidth = (kClientWidth - 2 * kMargin - kColumnGap) / 2;
  const int boxWidth = columnWidth - labelWidth - kLabelGap;
  const int textHeight = ui::EstimateTextHeight(form_.GetFont());
  const int textTop = (kBoxHeight - textHeight) / 2;
  auto columnX = [&](int column) { return kMargin + column * (columnWidth + kColumnGap); };

  int row = 0;
  for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
    const int x = columnX(static_cast<int>(i % 2));
    const int y = kMargin + row * kRowStep;
    Get<ui::Label>(kBoxes[i].label).SetBounds({x, y + textTop, labelWidth, textHeight});
    Get<ui::TextBox>(kBoxes[i].box)
        .SetBounds({x + labelWidth + kLabelGap, y, boxWidth, kBoxHeight});
    if (i % 2 == 1) ++row;
  }
  // The check boxes: walking order side by side, then the pair with its
  // distance box, snaking, and one point fewer.
  auto checkWidth = [&](std::string_view name) {
    auto& c = Get<ui::CheckBox>(name);
    return ui::EstimateTextWidth(c.Text(), c.GetFont()) + 24;
  };
  auto placeCheck = [&](std::string_view name, int x, int y) {
    Get<ui::CheckBox>(name).SetBounds({x, y, checkWidth(name), kBoxHeight});
  };
  int y = kMargin + row * kRowStep + 8;
  placeCheck("chkbByRow", columnX(0), y);
  placeCheck("chkbByCol", columnX(1), y);
  y += kRowStep;
  placeCheck("chkbDual", columnX(0), y);
  const int dualX = columnX(0) + labelWidth + kLabelGap;
  Get<ui::TextBox>(kDualBox).SetBounds({dualX, y, boxWidth, kBoxHeight});
  placeCheck("chkbEndCont", columnX(1), y);
  y += kRowStep;
  placeCheck("chkbAnySub1", columnX(0), y);

  const int buttonsY = kClientHeight - kMargin - kButtonHeight;
  const int cancelX = kClientWidth - kMargin - kButtonWidth;
  Get<ui::Button>("btnCancel").SetBounds({cancelX, buttonsY, kButtonWidth, kButtonHeight});
  Get<ui::Button>("btnOK").SetBounds(
      {cancelX - kColumnGap - kButtonWidth, buttonsY, kButtonWidth, kButtonHeight});
}

void AutoGen::Fill(const generators::AutoGridParams& p) {
  Get<ui::TextBox>("txtAnyXc").SetText(Max2(p.Xc));
  Get<ui::TextBox>("txtAnyYc").SetText(Max2(p.Yc));
  Get<ui::TextBox>("txtNumRow").SetText(std::to_string(p.NumRow));
  Get<ui::TextBox>("txtNumCol").SetText(std::to_string(p.NumCol));
  Get<ui::TextBox>("txtRowDist").SetText(Max2(p.RowDist));
  Get<ui::TextBox>("txtColDist").SetText(Max2(p.ColDist));
  Get<ui::TextBox>("txtAnyZigZacRow").SetText(Max2(p.soleHang));
  Get<ui::TextBox>("txtAnyZigZacCol").SetText(Max2(p.soleCot));
  Get<ui::TextBox>(kDualBox).SetText(Max2(p.DualDist));
  Get<ui::CheckBox>("chkbByRow").SetChecked(p.byRow);
  Get<ui::CheckBox>("chkbDual").SetChecked(p.Dual);
  Get<ui::CheckBox>("chkbEndCont").SetChecked(p.EndCont);
  Get<ui::CheckBox>("chkbAnySub1").SetChecked(p.sub1);
}

std::string_view AutoGen::ControlOfKey(std::string_view key) {
  for (const BoxSpec& b : kBoxes) {
    if (key == b.key) return b.box;
  }
  for (const CheckSpec& c : kChecks) {
    if (key == c.key) return c.name;
  }
  if (key == kDualKey) return kDualBox;
  return {};
}

generators::TextLookup AutoGen::Inputs() {
  return [this](std::string_view key) -> std::string {
    const std::string_view name = ControlOfKey(key);
    if (name.empty()) return {};
    ui::Control* c = ui::FindByName(form_, name);
    if (c->Kind() == ui::ControlKind::kCheckBox) {
      return static_cast<ui::CheckBox*>(c)->Checked() ? "True" : "False";
    }
    return c->Text();
  };
}

void AutoGen::btnOK_Click() {
  const auto read = generators::ReadAutoGridInputs(Inputs());
  if (!read) {
    const Failure& f = read.failure();
    prompts_.Message(f.detail.empty() ? f.message : f.message + "\r\n" + f.detail);
    return;
  }
  values_ = *read;
  form_.SetModalResult(ui::DialogResult::kOk);
}

}  // namespace kelvora::dialog
