// The simulated system services of the posix platform: what the operating system
// provides a Windows host and its plug-ins, shared by the replacement host and the
// plug-in library loaded into it. Built as its own shared library, so both see one
// set of windows, menus, running objects, threads and message boxes, as two
// modules of a Windows process see the same system.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/outcome.h"

namespace kelvora::simos {

using HResult = std::int32_t;

// ---- Menus and windows ------------------------------------------------------

struct Menu;    // a menu bar or pop-up menu
struct Window;  // a top-level window of the host

struct MenuItem {
  std::string text;
  std::uintptr_t id = 0;
  Menu* subMenu = nullptr;
};

Menu* CreateMenu();
// Appends an item; false when the menu is not valid.
bool AppendMenuItem(Menu* menu, MenuItem item);
// -1 when the menu is not valid.
int MenuItemCount(Menu* menu);
std::optional<MenuItem> GetMenuItem(Menu* menu, int position);
// Makes an item unreadable, as a host's owner-drawn or separator items can be.
bool SetMenuItemUnreadable(Menu* menu, int position);

Window* CreateWindow(std::string title, Menu* menuBar);
Menu* GetMenu(Window* window);

// ---- Automation: objects reached by ProgID and class id --------------------

struct Variant {
  std::uint16_t vt = 0;
  bool boolValue = false;
  std::int64_t intValue = 0;  // I2, I4, ERROR, CY
  double realValue = 0.0;     // R4, R8, DATE
  std::u16string text;        // BSTR
  void* object = nullptr;     // DISPATCH, UNKNOWN, or the target of a BYREF
};

// An object callable by member name, as a dispatch interface is.
class Dispatch {
 public:
  virtual ~Dispatch() = default;
  virtual HResult GetIDsOfNames(std::u16string_view name, std::int32_t* id) = 0;
  // `args` in the order of the call's arguments' VARIANT array: the last argument
  // first.
  virtual HResult Invoke(std::int32_t id, std::uint16_t flags, std::vector<Variant>& args,
                         Variant* result) = 0;
};

void RegisterProgId(std::u16string progId, std::u16string classId);
void UnregisterProgId(const std::u16string& progId);
HResult CLSIDFromProgID(std::u16string_view progId, std::u16string* classId);
// Accepts a class id written "{8-4-4-4-12 hexadecimal digits}".
HResult CLSIDFromString(std::u16string_view text, std::u16string* classId);
void RegisterActiveObject(std::u16string classId, Dispatch* object);
void RevokeActiveObject(const std::u16string& classId);
HResult GetActiveObject(const std::u16string& classId, Dispatch** object);

// ---- Threads -------------------------------------------------------------

bool StartThread(void (*body)(void*), void* context);
// Waits until every thread started above has ended; false on time-out.
bool WaitForThreads(std::chrono::milliseconds timeout);

// ---- Message boxes and file dialogs --------------------------------------

// kModalForm: a form run modally; text is its title, caption its name; `yes`
// ends it with its accept button, otherwise with its cancel button.
enum class PromptKind { kMessage, kYesNo, kOpenFile, kSaveFile, kModalForm };
struct PromptRequest {
  PromptKind kind = PromptKind::kMessage;
  std::string text;     // message or question
  std::string caption;  // box caption
  std::string filter;   // file dialogs
};
struct PromptAnswer {
  bool yes = false;                 // Yes/No
  std::optional<std::string> path;  // file dialogs: the chosen file, none when cancelled
};
using PromptHandler = std::function<PromptAnswer(const PromptRequest&)>;
// The one who answers message boxes (the operator; in tests, the host's script).
void SetPromptHandler(PromptHandler handler);
// Without a handler: messages are acknowledged, questions answered No, file
// dialogs cancelled.
PromptAnswer ShowPrompt(const PromptRequest& request);

// ---- The plug-in's windows, as the operator reaches them ------------------

enum class WindowState { kNormal, kMinimised, kMaximised };

// A window that a plug-in shows, with its controls by name. An action that could
// not be done says why.
class UiWindow {
 public:
  virtual ~UiWindow() = default;
  virtual std::string Name() const = 0;
  virtual bool Visible() const = 0;
  virtual WindowState State() const = 0;
  virtual void SetState(WindowState state) = 0;
  // The close box.
  virtual void RequestClose() = 0;

  virtual std::optional<std::string> ControlText(const std::string& control) const = 0;
  // A grid's rows (the new-row line not counted), and the text of a cell by
  // display row (from 0) and column name.
  virtual std::optional<std::size_t> RowCount(const std::string& grid) const = 0;
  virtual std::optional<std::string> CellText(const std::string& grid, std::size_t row,
                                              const std::string& column) const = 0;
  // Types characters one by one, as from the keyboard.
  virtual Outcome<void> Type(const std::string& control, const std::string& utf8) = 0;
  virtual Outcome<void> Click(const std::string& control) = 0;
  virtual Outcome<void> SetChecked(const std::string& control, bool checked) = 0;
  // Clicks a grid's cell (by display line from 0, the new-row line included).
  virtual Outcome<void> ClickCell(const std::string& grid, std::size_t line,
                                  const std::string& column) = 0;
  virtual Outcome<void> SelectItem(const std::string& control, const std::string& item) = 0;
};

void RegisterUiWindow(UiWindow* window);
void UnregisterUiWindow(UiWindow* window);
UiWindow* FindUiWindow(const std::string& name);

}  // namespace kelvora::simos
