// The plug-in's native windows as the operator uses them: controls found by the
// names the library gives them, characters typed with WM_CHAR, buttons clicked
// with BM_CLICK, pages chosen through the tab control's own notification, and
// grids read and clicked in their list views as they are shown.
#pragma once

#include <windows.h>

#include <string>

#include "host_driver.h"

namespace kelvora::testhost {

std::wstring ClassName(HWND window);
std::wstring WindowText(HWND window);
// The name the library gave a window ("btnOK", "XYZDemoDialog"), or empty.
std::string NameOf(HWND window);
// The descendant of `form` of that name, or null.
HWND FindControl(HWND form, const std::string& name);
// The plug-in's top-level form of that name (its main window or a modal form).
HWND FindForm(const std::string& name);
// A list view's text at a line and column.
std::wstring ListText(HWND list, int line, int column);

// A top-level form of the plug-in. Each action runs the messages it causes
// before it returns.
class HwndWindow final : public PluginWindow {
 public:
  explicit HwndWindow(HWND form) : form_(form) {}

  WindowState State() const override;
  void Command(WindowCommand command) override;
  std::optional<std::string> ControlText(const std::string& control) const override;
  std::optional<std::size_t> RowCount(const std::string& grid) const override;
  std::optional<std::string> CellText(const std::string& grid, std::size_t row,
                                      const std::string& column) const override;
  std::string Type(const std::string& control, const std::string& text) override;
  std::string Click(const std::string& control) override;
  std::string SetChecked(const std::string& control, bool checked) override;
  std::string ClickCell(const std::string& grid, std::size_t line,
                        const std::string& column) override;
  std::string Select(const std::string& control, const std::string& item) override;

  // Fills a control from a modal form's answer: a check box set from
  // "True"/"False", any other control typed. Runs no messages: the form's own
  // modal loop does.
  std::string Fill(const std::string& control, const std::string& value);

 private:
  HWND Control(const std::string& name, std::string& failure) const;

  HWND form_;
};

}  // namespace kelvora::testhost
