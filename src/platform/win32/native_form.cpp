#include "platform/win32/native_form.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/win32/gdiplus_picture.h"
#include "platform/win32/wide_text.h"
#include "ui/data_grid.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"KelvoraForm";
constexpr wchar_t kPictureClass[] = L"KelvoraPicture";
constexpr wchar_t kProgramViewClass[] = L"KelvoraProgramView";
// Every window carries its control's name, as a global atom, so a test host
// can find the controls it drives.
constexpr wchar_t kNameProperty[] = L"Kelvora.Name";

void NameWindow(HWND window, const std::string& name) {
  const ATOM atom = GlobalAddAtomW(WideFromUtf8(name).c_str());
  if (atom) SetPropW(window, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
}

void UnnameWindow(HWND window) {
  if (HANDLE atom = RemovePropW(window, kNameProperty)) {
    GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(atom)));
  }
}
// A multi-line box with more lines than this shows its text in the program view:
// the edit control needs about a second for twenty thousand lines under Wine and
// grows worse than linearly, and programs run to millions of lines.
constexpr std::size_t kLargeTextLines = 20000;
// The drop-down list's height below a combo box.
constexpr int kDropDownHeight = 240;
// A grid's row headers are a first list-view column of this width.
constexpr int kRowHeaderWidth = 41;
// Win32 timer ids of the form's window: this plus the model timer's index.
constexpr UINT_PTR kTimerIdBase = 0x4B00;

// The module this code lies in (the plug-in's library, or a program): window
// classes belong to it, so a host or another module with classes of the same
// names never meets ours.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

COLORREF ColorOf(geometry::Rgb rgb) {
  return RGB(rgb.r, rgb.g, rgb.b);
}

// The pictures are drawn by one GDI+ for the whole process, loaded when the
// first window is made. It is never shut down: GDI+ must not be stopped while a
// library is being unloaded, and the process's end releases it.
GdiplusPictures& Pictures() {
  static GdiplusPictures* pictures = new GdiplusPictures;
  return *pictures;
}

bool RegisterClasses(WNDPROC formProc, WNDPROC pictureProc, WNDPROC viewProc) {
  static const bool registered = [&] {
    INITCOMMONCONTROLSEX common = {sizeof(common), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&common);
    WNDCLASSEXW form = {};
    form.cbSize = sizeof(form);
    form.style = CS_DBLCLKS;
    form.lpfnWndProc = formProc;
    form.hInstance = ThisModule();
    form.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    form.lpszClassName = kFormClass;
    WNDCLASSEXW picture = form;
    picture.style = 0;
    picture.lpfnWndProc = pictureProc;
    picture.lpszClassName = kPictureClass;
    WNDCLASSEXW view = picture;
    view.lpfnWndProc = viewProc;
    view.lpszClassName = kProgramViewClass;
    return RegisterClassExW(&form) != 0 && RegisterClassExW(&picture) != 0 &&
           RegisterClassExW(&view) != 0;
  }();
  return registered;
}

// Code points of a UTF-16 prefix (the models count characters, not units).
std::size_t CodePoints(const std::wstring& text, std::size_t units) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < units && i < text.size(); ++i) {
    if (text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 &&
        text[i - 1] <= 0xDBFF) {
      continue;  // the second half of a pair
    }
    ++count;
  }
  return count;
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

// Multi-line boxes show line breaks only as CR LF.
std::wstring NativeText(const ui::Control& control) {
  std::wstring text = WideFromUtf8(control.Text());
  if (control.Kind() != ui::ControlKind::kTextBox) return text;
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

bool IsContainer(const ui::Control& control) {
  return control.Kind() == ui::ControlKind::kTabControl ||
         control.Kind() == ui::ControlKind::kGroupBox;
}

}  // namespace

struct NativeForm::State {
  ui::Form& form;
  HWND window = nullptr;
  std::unordered_map<const ui::Control*, HWND> handles;
  std::unordered_map<HWND, ui::Control*> controls;
  std::map<std::tuple<std::string, double, bool>, HFONT> fonts;
  std::unordered_map<COLORREF, HBRUSH> brushes;
  std::vector<ui::DataGrid*> grids;
  // The model timers and the interval each runs at natively (0: not running).
  std::vector<ui::Timer*> timers;
  std::vector<int> timerIntervals;
  // The edit box (or, in a drop-down column, the combo box) over the cell being
  // edited; one at a time in the whole form.
  struct CellEditor {
    HWND window = nullptr;
    ui::DataGrid* grid = nullptr;
    std::size_t line = 0;
    std::size_t column = 0;
    bool dropDown = false;
  };
  CellEditor editor;
  // Large texts of multi-line boxes: a read-only view that draws only the
  // visible lines of the model's text (which stays where Load and the settings
  // read it), in place of the edit control.
  struct ProgramView {
    HWND window = nullptr;
    bool active = false;
    std::vector<std::size_t> lineStarts;  // byte offsets into the model's text
    int lineHeight = 16;
  };
  std::unordered_map<const ui::Control*, ProgramView> views;
  std::unordered_map<HWND, ui::TextBox*> viewBoxes;
  std::string failure;
  // Set while the back-end writes into a native control, so the notifications
  // that writing raises are not taken for the operator's.
  int writing = 0;

  explicit State(ui::Form& f) : form(f) {}

  ~State() {
    ui::ForEachControl(form, [](ui::Control& c) { c.onChanged = nullptr; });
    editor = CellEditor{};  // an open edit is dropped with its window
    if (window) {
      for (std::size_t i = 0; i < timers.size(); ++i) KillTimer(window, kTimerIdBase + i);
      for (auto& [control, handle] : handles) UnnameWindow(handle);
      UnnameWindow(window);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      DestroyWindow(window);
    }
    for (auto& [key, font] : fonts) DeleteObject(font);
    for (auto& [color, brush] : brushes) DeleteObject(brush);
  }

  void Fail(const std::string& what) {
    if (!failure.empty()) failure += "; ";
    failure += what;
  }

  HFONT FontFor(const ui::Control& control) {
    const geometry::Font& font = control.GetFont();
    const auto key = std::make_tuple(font.family, font.points, font.bold);
    if (auto found = fonts.find(key); found != fonts.end()) return found->second;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int height = -static_cast<int>(std::lround(font.points * dpi / 72.0));
    HFONT handle =
        CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, WideFromUtf8(font.family).c_str());
    fonts[key] = handle;
    return handle;
  }

  HBRUSH Brush(COLORREF color) {
    if (auto found = brushes.find(color); found != brushes.end()) return found->second;
    HBRUSH brush = CreateSolidBrush(color);
    brushes[color] = brush;
    return brush;
  }

  // The colour behind a control: the nearest own background colour of it or a
  // control it lies in; tab pages are white, the form its caption gradient's.
  COLORREF BackgroundOf(const ui::Control& control) {
    for (const ui::Control* c = &control; c; c = c->Parent()) {
      if (c->BackColor()) return ColorOf(*c->BackColor());
      if (c->Kind() == ui::ControlKind::kTabPage) return GetSysColor(COLOR_WINDOW);
    }
    return GetSysColor(COLOR_GRADIENTINACTIVECAPTION);
  }

  // Shown when it and every control it lies in are (the form aside).
  static bool EffectivelyVisible(const ui::Control& control) {
    for (const ui::Control* c = &control; c && c->Kind() != ui::ControlKind::kForm;
         c = c->Parent()) {
      if (!c->Visible()) return false;
    }
    return true;
  }

  static bool EffectivelyEnabled(const ui::Control& control) {
    for (const ui::Control* c = &control; c && c->Kind() != ui::ControlKind::kForm;
         c = c->Parent()) {
      if (!c->Enabled()) return false;
    }
    return true;
  }

  // --- Creation ---

  void CreateWindowAndControls(HWND owner) {
    if (!RegisterClasses(&FormProc, &PictureProc, &ProgramViewProc)) {
      Fail("the window classes could not be registered");
      return;
    }
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT frame = {0, 0, form.GetBounds().width, form.GetBounds().height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    window = CreateWindowExW(exStyle, kFormClass, WideFromUtf8(form.Title()).c_str(), style,
                             CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                             frame.bottom - frame.top, owner, nullptr, ThisModule(), this);
    if (!window) {
      Fail("the window could not be created (error " + std::to_string(GetLastError()) + ")");
      return;
    }
    NameWindow(window, form.Name());
    std::vector<ui::Control*> containers;
    ui::ForEachControl(form, [&](ui::Control& control) {
      control.onChanged = [this](ui::Control& c, ui::Change change) { OnModelChanged(c, change); };
      if (&control == &form) return;
      CreateControl(control);
      if (IsContainer(control)) containers.push_back(&control);
    });
    // Frames and tab strips lie below what they hold: the outermost lowest.
    for (auto it = containers.rbegin(); it != containers.rend(); ++it) {
      if (HWND h = Handle(**it)) {
        SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
    if (!Pictures().Available()) Fail(Pictures().Failure());
    ApplyWindowState();
    if (form.Visible()) Show(true);
  }

  HWND Handle(const ui::Control& control) const {
    auto found = handles.find(&control);
    return found == handles.end() ? nullptr : found->second;
  }

  void CreateControl(ui::Control& control) {
    const wchar_t* windowClass = nullptr;
    DWORD style = WS_CHILD;
    DWORD exStyle = 0;
    int extraHeight = 0;
    switch (control.Kind()) {
      case ui::ControlKind::kLabel:
        windowClass = L"STATIC";
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case ui::ControlKind::kButton:
        windowClass = L"BUTTON";
        style |= BS_OWNERDRAW | WS_TABSTOP;
        break;
      case ui::ControlKind::kCheckBox:
        windowClass = L"BUTTON";
        style |= BS_CHECKBOX | WS_TABSTOP;
        break;
      case ui::ControlKind::kComboBox: {
        auto& combo = static_cast<ui::ComboBox&>(control);
        windowClass = L"COMBOBOX";
        style |= WS_VSCROLL | WS_TABSTOP |
                 (combo.Style() == ui::ComboStyle::kDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
        extraHeight = kDropDownHeight;
        break;
      }
      case ui::ControlKind::kGroupBox:
        windowClass = L"BUTTON";
        // Below the controls it frames, and never painting over them.
        style |= BS_GROUPBOX | WS_CLIPSIBLINGS;
        break;
      case ui::ControlKind::kPictureBox:
      case ui::ControlKind::kPanel:
        windowClass = kPictureClass;
        break;
      case ui::ControlKind::kTabControl:
        windowClass = WC_TABCONTROLW;
        style |= WS_CLIPSIBLINGS | WS_TABSTOP;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
      case ui::ControlKind::kTextBox: {
        auto& box = static_cast<ui::TextBox&>(control);
        windowClass = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        if (box.Multiline()) {
          style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL;
        }
        if (box.ReadOnly()) style |= ES_READONLY;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      }
      case ui::ControlKind::kDataGrid:
        windowClass = WC_LISTVIEWW;
        style |= LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ui::ControlKind::kTabPage:
      case ui::ControlKind::kForm:
        return;  // pages are the tab control's; forms are windows of their own
    }
    const ui::Bounds b = ui::BoundsIn(control, form);
    HWND handle =
        CreateWindowExW(exStyle, windowClass, NativeText(control).c_str(), style, b.x, b.y, b.width,
                        b.height + extraHeight, window, nullptr, ThisModule(), nullptr);
    if (!handle) {
      Fail("control " + control.Name() + " could not be created");
      return;
    }
    handles[&control] = handle;
    controls[handle] = &control;
    NameWindow(handle, control.Name());
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), FALSE);
    switch (control.Kind()) {
      case ui::ControlKind::kTextBox:
        SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);  // programs of millions of lines
        SetWindowSubclass(handle, &EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
        break;
      case ui::ControlKind::kGroupBox:
        SetWindowSubclass(handle, &GroupProc, 0, reinterpret_cast<DWORD_PTR>(this));
        break;
      case ui::ControlKind::kComboBox:
        FillComboBox(static_cast<ui::ComboBox&>(control));
        break;
      case ui::ControlKind::kCheckBox:
        SyncValue(control);
        break;
      case ui::ControlKind::kTabControl:
        FillTabs(static_cast<ui::TabControl&>(control));
        break;
      case ui::ControlKind::kDataGrid: {
        auto& grid = static_cast<ui::DataGrid&>(control);
        ListView_SetExtendedListViewStyle(handle, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        SetWindowSubclass(handle, &GridProc, 0, reinterpret_cast<DWORD_PTR>(this));
        FillGridColumns(grid);
        grids.push_back(&grid);
        break;
      }
      default:
        break;
    }
    SyncEnabled(control);
    SyncVisible(control);
  }

  // --- Model to native ---

  void OnModelChanged(ui::Control& control, ui::Change change) {
    if (&control == &form) {
      OnFormChanged(change);
      return;
    }
    HWND handle = Handle(control);
    ++writing;
    switch (change) {
      case ui::Change::kText:
        if (control.Kind() == ui::ControlKind::kTextBox &&
            static_cast<ui::TextBox&>(control).Multiline()) {
          ShowMultilineText(static_cast<ui::TextBox&>(control));
        } else if (handle && WindowText(handle) != NativeText(control)) {
          SetWindowTextW(handle, NativeText(control).c_str());
        }
        if (control.Kind() == ui::ControlKind::kTabPage) UpdateTabCaption(control);
        break;
      case ui::Change::kBounds:
        PlaceWithDescendants(control);
        break;
      case ui::Change::kVisible:
        VisitSubtree(control, [&](ui::Control& c) { SyncVisible(c); });
        break;
      case ui::Change::kEnabled:
        VisitSubtree(control, [&](ui::Control& c) { SyncEnabled(c); });
        break;
      case ui::Change::kStyle:
        VisitSubtree(control, [&](ui::Control& c) { SyncStyle(c); });
        break;
      case ui::Change::kValue:
        SyncValue(control);
        break;
      case ui::Change::kItems:
        if (control.Kind() == ui::ControlKind::kComboBox) {
          FillComboBox(static_cast<ui::ComboBox&>(control));
        } else if (control.Kind() == ui::ControlKind::kDataGrid) {
          FillGridColumns(static_cast<ui::DataGrid&>(control));
        }
        break;
      case ui::Change::kPages:
        if (control.Kind() == ui::ControlKind::kTabControl) {
          FillTabs(static_cast<ui::TabControl&>(control));
        }
        break;
      case ui::Change::kPicture:
        if (handle) InvalidateRect(handle, nullptr, FALSE);
        break;
      case ui::Change::kWindowState:
        break;
    }
    --writing;
  }

  void OnFormChanged(ui::Change change) {
    if (!window) return;
    ++writing;
    switch (change) {
      case ui::Change::kText:
        SetWindowTextW(window, WideFromUtf8(form.Title()).c_str());
        break;
      case ui::Change::kVisible:
        Show(form.Visible());
        break;
      case ui::Change::kWindowState:
        ApplyWindowState();
        break;
      case ui::Change::kBounds: {
        RECT client;
        GetClientRect(window, &client);
        if (client.right != form.GetBounds().width || client.bottom != form.GetBounds().height) {
          RECT frame = {0, 0, form.GetBounds().width, form.GetBounds().height};
          AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)),
                             FALSE, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
          SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
      }
      case ui::Change::kStyle:
        InvalidateRect(window, nullptr, TRUE);
        break;
      default:
        break;
    }
    --writing;
  }

  void Show(bool visible) {
    if (visible) {
      ShowWindow(window, form.GetWindowState() == ui::WindowState::kMinimised   ? SW_SHOWMINIMIZED
                         : form.GetWindowState() == ui::WindowState::kMaximised ? SW_SHOWMAXIMIZED
                                                                                : SW_SHOW);
      SetForegroundWindow(window);
    } else {
      ShowWindow(window, SW_HIDE);
    }
  }

  void ApplyWindowState() {
    if (!IsWindowVisible(window)) return;  // applied when shown
    switch (form.GetWindowState()) {
      case ui::WindowState::kMinimised:
        if (!IsIconic(window)) ShowWindow(window, SW_MINIMIZE);
        break;
      case ui::WindowState::kMaximised:
        if (!IsZoomed(window)) ShowWindow(window, SW_MAXIMIZE);
        break;
      case ui::WindowState::kNormal:
        if (IsIconic(window) || IsZoomed(window)) ShowWindow(window, SW_RESTORE);
        break;
    }
  }

  template <typename Visit>
  static void VisitSubtree(ui::Control& root, Visit visit) {
    ui::ForEachControl(root, [&](ui::Control& c) { visit(c); });
  }

  void PlaceWithDescendants(ui::Control& control) {
    VisitSubtree(control, [&](ui::Control& c) {
      HWND h = Handle(c);
      if (!h) return;
      const ui::Bounds b = ui::BoundsIn(c, form);
      const int extra = c.Kind() == ui::ControlKind::kComboBox ? kDropDownHeight : 0;
      SetWindowPos(h, nullptr, b.x, b.y, b.width, b.height + extra, SWP_NOZORDER | SWP_NOACTIVATE);
    });
  }

  void SyncVisible(ui::Control& control) {
    const bool visible = EffectivelyVisible(control);
    auto view = views.find(&control);
    const bool large = view != views.end() && view->second.active;
    if (HWND h = Handle(control)) ShowWindow(h, visible && !large ? SW_SHOWNA : SW_HIDE);
    if (large) ShowWindow(view->second.window, visible ? SW_SHOWNA : SW_HIDE);
  }

  // A multi-line box's text: in the edit control, or, when it has too many lines
  // for it, in the program view.
  void ShowMultilineText(ui::TextBox& box) {
    HWND edit = Handle(box);
    if (!edit) return;
    const std::string& text = box.Text();
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    ProgramView& view = views[&box];
    if (lines <= kLargeTextLines) {
      if (view.active) {
        view.active = false;
        view.lineStarts = {};
        ShowWindow(view.window, SW_HIDE);
      }
      if (WindowText(edit) != NativeText(box)) SetWindowTextW(edit, NativeText(box).c_str());
      SyncVisible(box);
      return;
    }
    SetWindowTextW(edit, L"");  // the edit control does not hold it twice
    if (!view.window) {
      const ui::Bounds b = ui::BoundsIn(box, form);
      view.window = CreateWindowExW(WS_EX_CLIENTEDGE, kProgramViewClass, L"",
                                    WS_CHILD | WS_VSCROLL | WS_HSCROLL, b.x, b.y, b.width, b.height,
                                    window, nullptr, ThisModule(), nullptr);
      if (!view.window) {
        Fail("the program view of " + box.Name() + " could not be created");
        return;
      }
      SetWindowLongPtrW(view.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      SetWindowPos(view.window, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      viewBoxes[view.window] = &box;
    }
    view.active = true;
    view.lineStarts.clear();
    view.lineStarts.reserve(lines + 1);
    view.lineStarts.push_back(0);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
      view.lineStarts.push_back(at + 1);
    }
    HDC dc = GetDC(view.window);
    HGDIOBJ old = SelectObject(dc, FontFor(box));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    view.lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));
    SelectObject(dc, old);
    ReleaseDC(view.window, dc);
    UpdateViewScrolling(view, /*toTop=*/true);
    SyncVisible(box);
    InvalidateRect(view.window, nullptr, TRUE);
  }

  // Lines are the vertical scroll unit; the horizontal range is a fixed width
  // that holds the longest program lines.
  void UpdateViewScrolling(ProgramView& view, bool toTop) {
    RECT client;
    GetClientRect(view.window, &client);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | (toTop ? SIF_POS : 0);
    info.nMin = 0;
    info.nMax = static_cast<int>(view.lineStarts.size()) - 1;
    info.nPage = static_cast<UINT>(std::max(1L, client.bottom / view.lineHeight));
    info.nPos = 0;
    SetScrollInfo(view.window, SB_VERT, &info, TRUE);
    info.nMax = 2000;
    info.nPage = static_cast<UINT>(std::max(1L, client.right));
    SetScrollInfo(view.window, SB_HORZ, &info, TRUE);
  }

  void PaintView(HWND handle) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    RECT client;
    GetClientRect(handle, &client);
    FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_WINDOW));
    auto box = viewBoxes.find(handle);
    if (box != viewBoxes.end()) {
      const ProgramView& view = views[box->second];
      const std::string& text = box->second->Text();
      const int top = GetScrollPos(handle, SB_VERT);
      const int left = GetScrollPos(handle, SB_HORZ);
      HGDIOBJ old = SelectObject(dc, FontFor(*box->second));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      const std::size_t count = view.lineStarts.size();
      for (int row = 0; row * view.lineHeight < client.bottom; ++row) {
        const std::size_t line = static_cast<std::size_t>(top) + static_cast<std::size_t>(row);
        if (line >= count) break;
        const std::size_t begin = view.lineStarts[line];
        std::size_t end = line + 1 < count ? view.lineStarts[line + 1] : text.size();
        while (end > begin && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
        const std::wstring shown = WideFromUtf8(std::string_view(text).substr(begin, end - begin));
        TextOutW(dc, 2 - left, row * view.lineHeight, shown.c_str(),
                 static_cast<int>(shown.size()));
      }
      SelectObject(dc, old);
    }
    EndPaint(handle, &paint);
  }

  void ScrollView(HWND handle, int bar, int request, int amount) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(handle, bar, &info);
    const int page = static_cast<int>(info.nPage);
    const int step = bar == SB_VERT ? 1 : 20;
    int position = info.nPos;
    switch (request) {
      case SB_LINEUP:
        position -= step;
        break;
      case SB_LINEDOWN:
        position += step;
        break;
      case SB_PAGEUP:
        position -= page;
        break;
      case SB_PAGEDOWN:
        position += page;
        break;
      case SB_TOP:
        position = info.nMin;
        break;
      case SB_BOTTOM:
        position = info.nMax;
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
      case -1:
        position += amount;
        break;  // the wheel
      default:
        return;
    }
    position = std::clamp(position, info.nMin, std::max(info.nMin, info.nMax - page + 1));
    if (position == info.nPos) return;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(handle, bar, &info, TRUE);
    InvalidateRect(handle, nullptr, FALSE);
  }

  void SyncEnabled(ui::Control& control) {
    if (HWND h = Handle(control)) EnableWindow(h, EffectivelyEnabled(control));
  }

  void SyncStyle(ui::Control& control) {
    HWND h = Handle(control);
    if (!h) return;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), TRUE);
    if (control.Kind() == ui::ControlKind::kTextBox) {
      SendMessageW(h, EM_SETREADONLY, static_cast<ui::TextBox&>(control).ReadOnly(), 0);
    }
    InvalidateRect(h, nullptr, TRUE);
  }

  void SyncValue(ui::Control& control) {
    HWND h = Handle(control);
    if (!h) return;
    switch (control.Kind()) {
      case ui::ControlKind::kCheckBox:
        SendMessageW(h, BM_SETCHECK,
                     static_cast<ui::CheckBox&>(control).Checked() ? BST_CHECKED : BST_UNCHECKED,
                     0);
        break;
      case ui::ControlKind::kComboBox:
        SendMessageW(h, CB_SETCURSEL,
                     static_cast<WPARAM>(static_cast<ui::ComboBox&>(control).SelectedIndex()), 0);
        break;
      case ui::ControlKind::kTabControl:
        TabCtrl_SetCurSel(h, static_cast<ui::TabControl&>(control).SelectedIndex());
        break;
      default:
        break;
    }
  }

  void FillComboBox(ui::ComboBox& combo) {
    HWND h = Handle(combo);
    if (!h) return;
    SendMessageW(h, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : combo.Items()) {
      SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(item).c_str()));
    }
    SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(combo.SelectedIndex()), 0);
  }

  void FillTabs(ui::TabControl& tabs) {
    HWND h = Handle(tabs);
    if (!h) return;
    TabCtrl_DeleteAllItems(h);
    int index = 0;
    for (ui::TabPage* page : tabs.Pages()) {
      std::wstring caption = WideFromUtf8(page->Text());
      TCITEMW item = {};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      SendMessageW(h, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
    }
    TabCtrl_SetCurSel(h, tabs.SelectedIndex());
    // Bottom tabs are a style of the native control.
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    const LONG_PTR wanted = tabs.Alignment() == ui::TabAlignment::kBottom ? (style | TCS_BOTTOM)
                                                                          : (style & ~TCS_BOTTOM);
    if (wanted != style) SetWindowLongPtrW(h, GWL_STYLE, wanted);
  }

  void UpdateTabCaption(ui::Control& page) {
    auto* tabs = dynamic_cast<ui::TabControl*>(page.Parent());
    if (!tabs) return;
    const std::optional<std::size_t> index = tabs->IndexOf(static_cast<ui::TabPage&>(page));
    HWND h = Handle(*tabs);
    if (!index || !h) return;
    std::wstring caption = WideFromUtf8(page.Text());
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(h, TCM_SETITEMW, *index, reinterpret_cast<LPARAM>(&item));
  }

  void FillGridColumns(ui::DataGrid& grid) {
    HWND h = Handle(grid);
    if (!h) return;
    while (ListView_DeleteColumn(h, 0)) {
    }
    int index = 0;
    if (grid.RowHeadersVisible()) {
      LVCOLUMNW item = {};
      item.mask = LVCF_TEXT | LVCF_WIDTH;
      item.cx = kRowHeaderWidth;
      item.pszText = const_cast<wchar_t*>(L"");
      SendMessageW(h, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
    }
    for (const ui::GridColumn& column : grid.Columns()) {
      std::wstring caption = WideFromUtf8(column.name);
      LVCOLUMNW item = {};
      item.mask = LVCF_TEXT | LVCF_WIDTH;
      item.cx = column.width;
      item.pszText = caption.data();
      SendMessageW(h, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
    }
    RefreshGrid(grid);
  }

  void RefreshGrid(ui::DataGrid& grid) {
    HWND h = Handle(grid);
    if (!h) return;
    ++writing;
    ListView_SetItemCountEx(h, static_cast<int>(grid.LineCount()), LVSICF_NOSCROLL);
    // The current cell's line is the list view's selected and focused item.
    ListView_SetItemState(h, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (const std::optional<ui::CellPos> current = grid.CurrentCell()) {
      const int row = static_cast<int>(current->row);
      ListView_SetItemState(h, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (const std::optional<std::size_t> shown = grid.ShownLine()) {
      ListView_EnsureVisible(h, static_cast<int>(*shown), FALSE);
    }
    ShowSortArrows(grid, h);
    InvalidateRect(h, nullptr, FALSE);
    --writing;
  }

  static int FirstColumn(const ui::DataGrid& grid) { return grid.RowHeadersVisible() ? 1 : 0; }

  // The header's arrow on the sort column.
  void ShowSortArrows(const ui::DataGrid& grid, HWND list) {
    HWND header = ListView_GetHeader(list);
    if (!header) return;
    const int count = Header_GetItemCount(header);
    for (int i = 0; i < count; ++i) {
      HDITEMW item = {};
      item.mask = HDI_FORMAT;
      if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(&item))) {
        continue;
      }
      int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
      const int column = i - FirstColumn(grid);
      if (column >= 0 && grid.SortColumn() == static_cast<std::size_t>(column)) {
        if (grid.GetSortOrder() == ui::SortOrder::kAscending) format |= HDF_SORTUP;
        if (grid.GetSortOrder() == ui::SortOrder::kDescending) format |= HDF_SORTDOWN;
      }
      if (format != item.fmt) {
        item.fmt = format;
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      }
    }
  }

  // --- Grid editing ---

  // A cell of a grid under a point of its list view: the line and the list
  // view's column (the row headers' column included).
  struct GridHit {
    int line = -1;
    int column = -1;
  };
  static GridHit HitCell(HWND list, POINT point) {
    LVHITTESTINFO hit = {};
    hit.pt = point;
    if (SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 ||
        hit.iItem < 0 || !(hit.flags & LVHT_ONITEM)) {
      return {};
    }
    return {hit.iItem, hit.iSubItem};
  }

  RECT CellRect(HWND list, int line, int nativeColumn) {
    RECT r = {};
    r.top = nativeColumn;
    r.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&r));
    if (nativeColumn == 0) {
      // The first column's bounds are the whole line's: cut to its width.
      r.right = r.left + ListView_GetColumnWidth(list, 0);
    }
    return r;
  }

  // Opens the editor over a cell; `typed` replaces the cell's text with what
  // the operator began to type.
  void BeginEdit(ui::DataGrid& grid, std::size_t line, std::size_t column,
                 const std::wstring* typed = nullptr) {
    HWND list = Handle(grid);
    if (!list || line >= grid.LineCount() || column >= grid.Columns().size()) return;
    EndEdit(/*commit=*/true);
    const ui::GridColumn& definition = grid.Columns()[column];
    const int nativeColumn = static_cast<int>(column) + FirstColumn(grid);
    ListView_EnsureVisible(list, static_cast<int>(line), FALSE);
    const RECT r = CellRect(list, static_cast<int>(line), nativeColumn);
    const std::wstring text = grid.IsNewRowLine(line)
                                  ? std::wstring()
                                  : WideFromUtf8(std::string(grid.Text(line, column)));
    HWND box = nullptr;
    if (definition.dropDown) {
      box = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST, r.left,
                            r.top, r.right - r.left, r.bottom - r.top + kDropDownHeight, list,
                            nullptr, ThisModule(), nullptr);
    } else {
      box = CreateWindowExW(0, L"EDIT", typed ? typed->c_str() : text.c_str(),
                            WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, list, nullptr, ThisModule(), nullptr);
    }
    if (!box) {
      Fail("the cell editor of " + grid.Name() + " could not be created");
      return;
    }
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(grid)), FALSE);
    if (definition.dropDown) {
      int selected = -1;
      for (std::size_t i = 0; i < definition.items.size(); ++i) {
        const std::wstring item = WideFromUtf8(definition.items[i]);
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        if (item == text) selected = static_cast<int>(i);
      }
      SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    } else if (typed) {
      SendMessageW(box, EM_SETSEL, typed->size(), typed->size());
    } else {
      SendMessageW(box, EM_SETSEL, 0, -1);
    }
    editor = CellEditor{box, &grid, line, column, definition.dropDown};
    SetWindowSubclass(box, &CellEditorProc, 0, reinterpret_cast<DWORD_PTR>(this));
    ShowWindow(box, SW_SHOW);
    SetFocus(box);
  }

  // Closes the editor; with `commit` its text goes into the cell through the
  // model (on the new-row line a row is added, unless nothing was entered).
  void EndEdit(bool commit) {
    if (!editor.window) return;
    const CellEditor ending = editor;
    editor = CellEditor{};  // before destroying: losing the focus ends nothing twice
    std::optional<std::string> text;
    if (ending.dropDown) {
      const LRESULT index = SendMessageW(ending.window, CB_GETCURSEL, 0, 0);
      const auto& items = ending.grid->Columns()[ending.column].items;
      if (index >= 0 && static_cast<std::size_t>(index) < items.size()) {
        text = items[static_cast<std::size_t>(index)];
      }
    } else {
      text = Utf8FromWide(WindowText(ending.window));
    }
    const bool hadFocus = GetFocus() == ending.window;
    HWND list = GetParent(ending.window);
    DestroyWindow(ending.window);
    ui::DataGrid& grid = *ending.grid;
    if (commit && text && ending.line < grid.LineCount() && ending.column < grid.Columns().size()) {
      const bool newRow = grid.IsNewRowLine(ending.line);
      if (newRow ? !text->empty() : *text != grid.Text(ending.line, ending.column)) {
        const std::size_t row = grid.SetValue(ending.line, ending.column, ui::Cell(*text));
        grid.SetCurrentCell({row, ending.column});
      }
    }
    if (hadFocus) SetFocus(list);
    AfterEvent();
  }

  // A click into a grid: the row headers select their line; a cell becomes the
  // current one, and clicking the current cell again edits it.
  void GridClick(ui::DataGrid& grid, HWND list, POINT point) {
    EndEdit(/*commit=*/true);
    SetFocus(list);
    const GridHit hit = HitCell(list, point);
    if (hit.line < 0) return;
    const auto line = static_cast<std::size_t>(hit.line);
    if (hit.column < FirstColumn(grid)) {
      grid.SelectRow(line);
      AfterEvent();
      return;
    }
    const auto column = static_cast<std::size_t>(hit.column - FirstColumn(grid));
    const std::optional<ui::CellPos> current = grid.CurrentCell();
    const bool again = current && current->row == line && current->column == column;
    grid.SetCurrentCell({line, column});
    AfterEvent();
    if (again) {
      BeginEdit(grid, line, column);
      if (editor.window && editor.dropDown) SendMessageW(editor.window, CB_SHOWDROPDOWN, TRUE, 0);
    }
  }

  // Keys in a grid that is not editing: F2 edits the current cell, a typed
  // character starts editing with it, the arrows move the current cell.
  bool GridKey(ui::DataGrid& grid, WPARAM key) {
    const std::optional<ui::CellPos> current = grid.CurrentCell();
    if (key == VK_F2) {
      if (current) BeginEdit(grid, current->row, current->column);
      return true;
    }
    if (key != VK_UP && key != VK_DOWN && key != VK_LEFT && key != VK_RIGHT) return false;
    ui::CellPos cell = current.value_or(ui::CellPos{});
    if (current) {
      if (key == VK_UP && cell.row > 0) --cell.row;
      if (key == VK_DOWN && cell.row + 1 < grid.LineCount()) ++cell.row;
      if (key == VK_LEFT && cell.column > 0) --cell.column;
      if (key == VK_RIGHT && cell.column + 1 < grid.Columns().size()) ++cell.column;
    }
    grid.SetCurrentCell(cell);
    grid.ScrollToLine(cell.row);
    AfterEvent();
    return true;
  }

  void GridChar(ui::DataGrid& grid, WPARAM unit) {
    const std::optional<ui::CellPos> current = grid.CurrentCell();
    if (!current || unit < 0x20 || unit == 0x7F) return;
    if (grid.Columns()[current->column].dropDown) {
      BeginEdit(grid, current->row, current->column);
      if (editor.window) SendMessageW(editor.window, CB_SHOWDROPDOWN, TRUE, 0);
      return;
    }
    const std::wstring typed(1, static_cast<wchar_t>(unit));
    BeginEdit(grid, current->row, current->column, &typed);
  }

  // A header click sorts by that column through the model: ascending first,
  // then the other way round.
  void GridHeaderClick(ui::DataGrid& grid, int nativeColumn) {
    EndEdit(/*commit=*/true);
    const int column = nativeColumn - FirstColumn(grid);
    if (column < 0 || static_cast<std::size_t>(column) >= grid.Columns().size()) return;
    const auto index = static_cast<std::size_t>(column);
    const ui::SortOrder order =
        grid.SortColumn() == index && grid.GetSortOrder() == ui::SortOrder::kAscending
            ? ui::SortOrder::kDescending
            : ui::SortOrder::kAscending;
    grid.Sort(index, order);
    AfterEvent();
  }

  // --- Timers ---

  void SyncTimers() {
    if (!window) return;
    for (std::size_t i = 0; i < timers.size(); ++i) {
      const int wanted = timers[i]->Enabled() ? std::max(1, timers[i]->Interval()) : 0;
      if (wanted == timerIntervals[i]) continue;
      if (wanted) {
        SetTimer(window, kTimerIdBase + i, static_cast<UINT>(wanted), nullptr);
      } else {
        KillTimer(window, kTimerIdBase + i);
      }
      timerIntervals[i] = wanted;
    }
  }

  void OnTimer(UINT_PTR id) {
    if (id < kTimerIdBase || id - kTimerIdBase >= timers.size()) return;
    timers[id - kTimerIdBase]->Tick();
    AfterEvent();
  }

  // --- Native to model ---

  void OnCommand(HWND handle, WORD code) {
    auto found = controls.find(handle);
    if (found == controls.end() || writing) return;
    ui::Control& control = *found->second;
    switch (control.Kind()) {
      case ui::ControlKind::kButton:
        if (code == BN_CLICKED) static_cast<ui::Button&>(control).Click();
        break;
      case ui::ControlKind::kCheckBox:
        if (code == BN_CLICKED) static_cast<ui::CheckBox&>(control).Click();
        break;
      case ui::ControlKind::kComboBox:
        if (code == CBN_SELCHANGE) {
          static_cast<ui::ComboBox&>(control).SetSelectedIndex(
              static_cast<int>(SendMessageW(handle, CB_GETCURSEL, 0, 0)));
        }
        break;
      case ui::ControlKind::kTextBox:
        if (code == EN_CHANGE) TakeText(static_cast<ui::TextBox&>(control), handle);
        break;
      default:
        return;
    }
    AfterEvent();
  }

  void TakeText(ui::TextBox& box, HWND handle) {
    std::string text = Utf8FromWide(WindowText(handle));
    if (text == box.Text()) return;
    ++writing;
    box.SetText(std::move(text));
    --writing;
    TakeSelection(box, handle);
  }

  void TakeSelection(ui::TextBox& box, HWND handle) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(handle, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const std::wstring text = WindowText(handle);
    const std::size_t from = CodePoints(text, start);
    box.Select(from, CodePoints(text, end) - from);
  }

  // A typed character, before the edit control sees it: the model's key-press
  // event runs (the key filters); a swallowed character never reaches the box,
  // and one the filter changed (a "," entered as ".") reaches it as changed.
  bool OnChar(HWND handle, WPARAM& unit) {
    auto found = controls.find(handle);
    if (found == controls.end()) return true;
    auto& box = static_cast<ui::TextBox&>(*found->second);
    char32_t c = static_cast<char32_t>(unit);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      pendingHighSurrogate = static_cast<wchar_t>(unit);
      return true;  // decided with the second half
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF && pendingHighSurrogate) {
      c = 0x10000 + ((static_cast<char32_t>(pendingHighSurrogate) - 0xD800) << 10) +
          (static_cast<char32_t>(unit) - 0xDC00);
    }
    pendingHighSurrogate = 0;
    TakeText(box, handle);
    TakeSelection(box, handle);
    ui::KeyPressEvent event{c};
    if (box.onKeyPress) box.onKeyPress(box, event);
    AfterEvent();
    if (event.handled) return false;
    if (event.keyChar != c && event.keyChar < 0xD800) unit = static_cast<WPARAM>(event.keyChar);
    return true;
  }

  void OnNotify(const NMHDR& header, LRESULT& result) {
    auto found = controls.find(header.hwndFrom);
    if (found == controls.end()) return;
    ui::Control& control = *found->second;
    if (control.Kind() == ui::ControlKind::kTabControl && header.code == TCN_SELCHANGE &&
        !writing) {
      static_cast<ui::TabControl&>(control).SetSelectedIndex(TabCtrl_GetCurSel(header.hwndFrom));
      AfterEvent();
    } else if (control.Kind() == ui::ControlKind::kDataGrid && header.code == LVN_GETDISPINFOW) {
      auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
      FillGridCell(static_cast<ui::DataGrid&>(control), const_cast<LVITEMW&>(info.item));
    } else if (control.Kind() == ui::ControlKind::kDataGrid && header.code == LVN_COLUMNCLICK &&
               !writing) {
      GridHeaderClick(static_cast<ui::DataGrid&>(control),
                      reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
    }
    result = 0;
  }

  void FillGridCell(ui::DataGrid& grid, LVITEMW& item) {
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    item.pszText[0] = L'\0';
    const auto line = static_cast<std::size_t>(item.iItem);
    if (item.iItem < 0 || line >= grid.LineCount()) return;
    if (item.iSubItem < FirstColumn(grid)) {
      // The row header: the model's text; the new-row line is marked with a star
      // before it, so that it stands apart from a row whose cells are empty.
      std::wstring header = WideFromUtf8(std::string(grid.RowHeader(line)));
      if (grid.IsNewRowLine(line)) header = header.empty() ? L"*" : L"* " + header;
      lstrcpynW(item.pszText, header.c_str(), item.cchTextMax);
      return;
    }
    const auto column = static_cast<std::size_t>(item.iSubItem - FirstColumn(grid));
    if (column >= grid.Columns().size() || grid.IsNewRowLine(line)) return;
    const std::wstring text = WideFromUtf8(std::string(grid.Text(line, column)));
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
  }

  // After the models acted on the operator's input: tables raise no events, so
  // the grids are brought up to date.
  void AfterEvent() {
    for (ui::DataGrid* grid : grids) RefreshGrid(*grid);
    SyncTimers();
  }

  void OnSize(WPARAM kind, int width, int height) {
    if (writing) return;
    switch (kind) {
      case SIZE_MINIMIZED:
        form.SetWindowState(ui::WindowState::kMinimised);
        return;
      case SIZE_MAXIMIZED:
        form.SetWindowState(ui::WindowState::kMaximised);
        break;
      case SIZE_RESTORED:
        form.SetWindowState(ui::WindowState::kNormal);
        break;
      default:
        return;
    }
    if (width != form.GetBounds().width || height != form.GetBounds().height) {
      form.SetClientSize(width, height);
    }
  }

  LRESULT OnColor(HDC dc, HWND handle) {
    auto found = controls.find(handle);
    const ui::Control* control = found == controls.end() ? &form : found->second;
    const COLORREF back =
        control->Kind() == ui::ControlKind::kTextBox
            ? (static_cast<const ui::TextBox*>(control)->ReadOnly() ? GetSysColor(COLOR_BTNFACE)
                                                                    : GetSysColor(COLOR_WINDOW))
            : BackgroundOf(*control);
    const COLORREF fore =
        control->ForeColor() ? ColorOf(*control->ForeColor()) : GetSysColor(COLOR_WINDOWTEXT);
    SetTextColor(dc, fore);
    SetBkColor(dc, control->BackColor() ? ColorOf(*control->BackColor()) : back);
    return reinterpret_cast<LRESULT>(
        Brush(control->BackColor() ? ColorOf(*control->BackColor()) : back));
  }

  void DrawButton(const DRAWITEMSTRUCT& item) {
    auto found = controls.find(item.hwndItem);
    if (found == controls.end()) return;
    const ui::Control& button = *found->second;
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const COLORREF face =
        button.BackColor() ? ColorOf(*button.BackColor()) : GetSysColor(COLOR_BTNFACE);
    FillRect(item.hDC, &r, Brush(face));
    DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                           : button.ForeColor()            ? ColorOf(*button.ForeColor())
                                                           : GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(item.hDC, FontFor(button));
    RECT text = r;
    if (pressed) OffsetRect(&text, 1, 1);
    DrawTextW(item.hDC, WideFromUtf8(button.Text()).c_str(), -1, &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
    if (item.itemState & ODS_FOCUS) {
      InflateRect(&r, -3, -3);
      DrawFocusRect(item.hDC, &r);
    }
  }

  void PaintPicture(HWND handle) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    RECT client;
    GetClientRect(handle, &client);
    // Drawn off-screen first, so a repaint does not flicker.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap =
        CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
    HGDIOBJ old = SelectObject(memory, bitmap);
    auto found = controls.find(handle);
    const ui::Control* control = found == controls.end() ? nullptr : found->second;
    FillRect(memory, &client, Brush(control ? BackgroundOf(*control) : GetSysColor(COLOR_WINDOW)));
    if (control && control->Kind() == ui::ControlKind::kPictureBox) {
      const auto& box = static_cast<const ui::PictureBox&>(*control);
      if (const geometry::Picture* shown = box.Shown()) {
        // The preview at its own size; the start drawing zoomed to the box.
        Pictures().Draw(memory, *shown, client, /*zoom=*/!box.Image().has_value());
      }
      if (box.Border()) DrawEdge(memory, &client, EDGE_SUNKEN, BF_RECT);
    } else if (control && control->Kind() == ui::ControlKind::kPanel) {
      Pictures().Draw(memory, static_cast<const ui::Panel&>(*control).Paint(), client);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(handle, &paint);
  }

  wchar_t pendingHighSurrogate = 0;

  // --- Window procedures ---

  static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case WM_COMMAND:
        if (lParam) self->OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
      case WM_NOTIFY: {
        LRESULT result = 0;
        self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
        return result;
      }
      case WM_DRAWITEM:
        self->DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX:
        return self->OnColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client,
                 self->Brush(self->BackgroundOf(self->form)));
        return 1;
      }
      case WM_SIZE:
        self->OnSize(wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
      case WM_TIMER:
        self->OnTimer(wParam);
        return 0;
      case WM_CLOSE:
        // The close box asks the model; the dialog turns it into hiding.
        self->form.Close(ui::CloseReason::kUser);
        return 0;
      case WM_ACTIVATE:
        self->form.SetFocused(LOWORD(wParam) != WA_INACTIVE);
        break;
      default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  static LRESULT CALLBACK ProgramViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
      switch (message) {
        case WM_PAINT:
          self->PaintView(window);
          return 0;
        case WM_VSCROLL:
          self->ScrollView(window, SB_VERT, LOWORD(wParam), 0);
          return 0;
        case WM_HSCROLL:
          self->ScrollView(window, SB_HORZ, LOWORD(wParam), 0);
          return 0;
        case WM_MOUSEWHEEL:
          self->ScrollView(window, SB_VERT, -1, -3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
          return 0;
        case WM_SIZE:
          if (auto box = self->viewBoxes.find(window); box != self->viewBoxes.end()) {
            self->UpdateViewScrolling(self->views[box->second], /*toTop=*/false);
          }
          return 0;
        case WM_LBUTTONDOWN:
          SetFocus(window);
          return 0;
        case WM_KEYDOWN:
          switch (wParam) {
            case VK_UP:
              self->ScrollView(window, SB_VERT, SB_LINEUP, 0);
              return 0;
            case VK_DOWN:
              self->ScrollView(window, SB_VERT, SB_LINEDOWN, 0);
              return 0;
            case VK_PRIOR:
              self->ScrollView(window, SB_VERT, SB_PAGEUP, 0);
              return 0;
            case VK_NEXT:
              self->ScrollView(window, SB_VERT, SB_PAGEDOWN, 0);
              return 0;
            case VK_HOME:
              self->ScrollView(window, SB_VERT, SB_TOP, 0);
              return 0;
            case VK_END:
              self->ScrollView(window, SB_VERT, SB_BOTTOM, 0);
              return 0;
            default:
              break;
          }
          break;
        default:
          break;
      }
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
      self->PaintPicture(window);
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  // A group box draws its frame and caption only: its inside is filled here
  // first (the controls it frames are siblings above it, clipped out).
  static LRESULT CALLBACK GroupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<State*>(data);
    if (message == WM_PAINT || message == WM_ERASEBKGND) {
      auto found = self->controls.find(window);
      if (found != self->controls.end()) {
        RECT client;
        GetClientRect(window, &client);
        HDC dc = GetDC(window);
        FillRect(dc, &client, self->Brush(self->BackgroundOf(*found->second)));
        ReleaseDC(window, dc);
      }
      if (message == WM_ERASEBKGND) return 1;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &GroupProc, 0);
    return DefSubclassProc(window, message, wParam, lParam);
  }

  // The grids' list views: clicks, keys and characters go to the grid model
  // (the list view only shows it).
  static LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<State*>(data);
    auto found = self->controls.find(window);
    if (found != self->controls.end() && found->second->Kind() == ui::ControlKind::kDataGrid) {
      auto& grid = static_cast<ui::DataGrid&>(*found->second);
      switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
          const POINT point = {static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
          if (HitCell(window, point).line >= 0) {
            self->GridClick(grid, window, point);
            return 0;
          }
          self->EndEdit(/*commit=*/true);
          break;
        }
        case WM_KEYDOWN:
          if (self->GridKey(grid, wParam)) return 0;
          break;
        case WM_CHAR:
          self->GridChar(grid, wParam);
          return 0;
        case WM_GETDLGCODE:
          return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_COMMAND:
          // The drop-down editor: a picked item is committed at once.
          if (reinterpret_cast<HWND>(lParam) == self->editor.window &&
              HIWORD(wParam) == CBN_SELENDOK) {
            self->EndEdit(/*commit=*/true);
            return 0;
          }
          break;
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_MOUSEWHEEL:
          self->EndEdit(/*commit=*/true);
          break;
        default:
          break;
      }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &GridProc, 0);
    return DefSubclassProc(window, message, wParam, lParam);
  }

  // The cell editor: Enter commits, Escape cancels, losing the focus commits.
  static LRESULT CALLBACK CellEditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<State*>(data);
    if (self->editor.window == window) {
      switch (message) {
        case WM_GETDLGCODE:
          return DLGC_WANTALLKEYS | DefSubclassProc(window, message, wParam, lParam);
        case WM_KEYDOWN:
          if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            // A drop-down's open list takes the key itself first.
            if (self->editor.dropDown && SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0)) break;
            self->EndEdit(/*commit=*/wParam == VK_RETURN);
            return 0;
          }
          break;
        case WM_CHAR:
          if (wParam == L'\r' || wParam == 27) return 0;  // no beep
          break;
        case WM_KILLFOCUS:
          // A drop-down's own list takes no focus; anything else ends the edit.
          if (reinterpret_cast<HWND>(wParam) != window) {
            DefSubclassProc(window, message, wParam, lParam);
            self->EndEdit(/*commit=*/true);
            return 0;
          }
          break;
        default:
          break;
      }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &CellEditorProc, 0);
    return DefSubclassProc(window, message, wParam, lParam);
  }

  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<State*>(data);
    if (message == WM_CHAR && !self->OnChar(window, wParam)) return 0;  // may change wParam
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &EditProc, 0);
    return DefSubclassProc(window, message, wParam, lParam);
  }
};

NativeForm::NativeForm(ui::Form& form, void* owner) : state_(std::make_unique<State>(form)) {
  state_->CreateWindowAndControls(static_cast<HWND>(owner));
}

NativeForm::~NativeForm() = default;

void* NativeForm::Handle() const {
  return state_->window;
}

void* NativeForm::ControlHandle(const ui::Control& control) const {
  return state_->Handle(control);
}

const std::string& NativeForm::Failure() const {
  return state_->failure;
}

void NativeForm::RefreshGrids() {
  state_->AfterEvent();
}

void NativeForm::AddTimer(ui::Timer& timer) {
  state_->timers.push_back(&timer);
  state_->timerIntervals.push_back(0);
  state_->SyncTimers();
}

namespace {

struct HookState {
  HHOOK hook = nullptr;
  int installs = 0;
};
thread_local HookState hookState;

bool IsOurForm(HWND window) {
  wchar_t name[32] = {};
  return window && GetClassNameW(window, name, 32) && lstrcmpW(name, kFormClass) == 0;
}

LRESULT CALLBACK DialogMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST) {
      HWND root = GetAncestor(message->hwnd, GA_ROOT);
      if (IsOurForm(root) && IsDialogMessageW(root, message)) {
        // Handled: the host's loop must not dispatch it again.
        message->message = WM_NULL;
        message->wParam = 0;
        message->lParam = 0;
      }
    }
  }
  return CallNextHookEx(hookState.hook, code, wParam, lParam);
}

}  // namespace

bool InstallDialogMessageHook() {
  if (hookState.installs++ > 0) return hookState.hook != nullptr;
  hookState.hook =
      SetWindowsHookExW(WH_GETMESSAGE, &DialogMessageHook, nullptr, GetCurrentThreadId());
  return hookState.hook != nullptr;
}

void RemoveDialogMessageHook() {
  if (hookState.installs == 0 || --hookState.installs > 0) return;
  if (hookState.hook) UnhookWindowsHookEx(hookState.hook);
  hookState.hook = nullptr;
}

}  // namespace kelvora::win32
