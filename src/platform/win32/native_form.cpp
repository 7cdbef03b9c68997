#include "platform/win32/native_form.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/win32/native_grid.h"
#include "platform/win32/native_paint.h"
#include "platform/win32/native_window.h"
#include "platform/win32/program_view.h"
#include "platform/win32/wide_text.h"
#include "ui/data_grid.h"
#include "ui/text_box.h"
#include "ui/widgets.h"

namespace kelvora::win32 {

namespace {

// Win32 timer ids of the form's window: this plus the model timer's index.
constexpr UINT_PTR kTimerIdBase = 0x4B00;

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

// The native control that shows a model control: its window class and the
// styles it has besides WS_CHILD.
struct NativeClass {
  const wchar_t* windowClass = nullptr;  // null: no window of its own
  DWORD style = 0;
  DWORD exStyle = 0;
};

NativeClass NativeClassOf(const ui::Control& control) {
  switch (control.Kind()) {
    case ui::ControlKind::kLabel:
      // A label that answers clicks (a link-like line) keeps to one line and tells its clicks.
      return {L"STATIC", static_cast<const ui::Label&>(control).onClick
                             ? DWORD{SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY}
                             : DWORD{SS_LEFT | SS_NOPREFIX}};
    case ui::ControlKind::kButton:
      return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP};
    case ui::ControlKind::kCheckBox:
      return {L"BUTTON", BS_CHECKBOX | WS_TABSTOP};
    case ui::ControlKind::kComboBox: {
      const bool list =
          static_cast<const ui::ComboBox&>(control).Style() == ui::ComboStyle::kDropDownList;
      return {L"COMBOBOX", static_cast<DWORD>(WS_VSCROLL | WS_TABSTOP |
                                              (list ? CBS_DROPDOWNLIST : CBS_DROPDOWN))};
    }
    case ui::ControlKind::kGroupBox:
      // Below the controls it frames, and never painting over them.
      return {L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS};
    case ui::ControlKind::kPictureBox:
    case ui::ControlKind::kPanel:
      return {kPictureClass};
    case ui::ControlKind::kTabControl:
      return {WC_TABCONTROLW, WS_CLIPSIBLINGS | WS_TABSTOP, WS_EX_CONTROLPARENT};
    case ui::ControlKind::kTextBox: {
      const auto& box = static_cast<const ui::TextBox&>(control);
      DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
      if (box.Multiline()) {
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL;
      }
      if (box.ReadOnly()) style |= ES_READONLY;
      return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case ui::ControlKind::kDataGrid:
      return {WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ui::ControlKind::kTabPage:
    case ui::ControlKind::kForm:
      break;  // pages are the tab control's; forms are windows of their own
  }
  return {};
}

// A combo box's window reaches below it by its drop-down list.
int ExtraHeight(const ui::Control& control) {
  return control.Kind() == ui::ControlKind::kComboBox ? kDropDownHeight : 0;
}

bool IsContainer(const ui::Control& control) {
  return control.Kind() == ui::ControlKind::kTabControl ||
         control.Kind() == ui::ControlKind::kGroupBox;
}

}  // namespace

struct NativeForm::State final : FormSite {
  ui::Form& form;
  HWND window = nullptr;
  std::unordered_map<const ui::Control*, HWND> handles;
  std::unordered_map<HWND, ui::Control*> controls;
  // The model timers and the interval each runs at natively (0: not running).
  std::vector<ui::Timer*> timers;
  std::vector<int> timerIntervals;
  std::string failure;
  // Set while the back-end writes into a native control, so the notifications
  // that writing raises are not taken for the operator's.
  int writing = 0;
  wchar_t pendingHighSurrogate = 0;
  FormPainter painter{form, *this};
  GridWindows grids{*this, painter, writing};
  ProgramViews views{form, *this, painter};

  explicit State(ui::Form& f) : form(f) {}

  ~State() {
    ui::ForEachControl(form, [](ui::Control& c) { c.onChanged = nullptr; });
    grids.DropEdit();
    if (window) {
      for (std::size_t i = 0; i < timers.size(); ++i) KillTimer(window, kTimerIdBase + i);
      for (auto& [control, handle] : handles) UnnameWindow(handle);
      UnnameWindow(window);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      DestroyWindow(window);
    }
  }

  // --- What the parts ask of the form ---

  HWND Window() const override { return window; }

  HWND Handle(const ui::Control& control) const override {
    auto found = handles.find(&control);
    return found == handles.end() ? nullptr : found->second;
  }

  ui::Control* ControlOf(HWND handle) const override {
    auto found = controls.find(handle);
    return found == controls.end() ? nullptr : found->second;
  }

  void Fail(const std::string& what) override {
    if (!failure.empty()) failure += "; ";
    failure += what;
  }

  void SyncVisible(ui::Control& control) override {
    const bool visible = EffectivelyVisible(control);
    HWND view = views.ActiveView(control);
    if (HWND h = Handle(control)) ShowWindow(h, visible && !view ? SW_SHOWNA : SW_HIDE);
    if (view) ShowWindow(view, visible ? SW_SHOWNA : SW_HIDE);
  }

  // After the models acted on the operator's input: tables raise no events, so
  // the grids are brought up to date.
  void AfterEvent() override {
    grids.RefreshAll();
    SyncTimers();
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
    if (!RegisterClasses(&FormProc, &FormPainter::PictureProc, &ProgramViews::Proc)) {
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

  void CreateControl(ui::Control& control) {
    const NativeClass native = NativeClassOf(control);
    if (!native.windowClass) return;
    const ui::Bounds b = ui::BoundsIn(control, form);
    HWND handle = CreateWindowExW(
        native.exStyle, native.windowClass, NativeText(control).c_str(), WS_CHILD | native.style,
        b.x, b.y, b.width, b.height + ExtraHeight(control), window, nullptr, ThisModule(), nullptr);
    if (!handle) {
      Fail("control " + control.Name() + " could not be created");
      return;
    }
    handles[&control] = handle;
    controls[handle] = &control;
    NameWindow(handle, control.Name());
    if (native.windowClass == kPictureClass) {
      SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&painter));
    }
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(painter.FontFor(control)), FALSE);
    switch (control.Kind()) {
      case ui::ControlKind::kTextBox:
        SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);  // programs of millions of lines
        Subclass<State, &State::EditMessage>(handle, this);
        break;
      case ui::ControlKind::kGroupBox:
        painter.SubclassGroupBox(handle);
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
        grids.Add(static_cast<ui::DataGrid&>(control), handle);
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
          views.ShowText(static_cast<ui::TextBox&>(control));
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
          grids.FillColumns(static_cast<ui::DataGrid&>(control));
        }
        break;
      case ui::Change::kPages:
        if (control.Kind() == ui::ControlKind::kTabControl) {
          FillTabs(static_cast<ui::TabControl&>(control));
        }
        break;
      case ui::Change::kPicture:
        if (handle) {
          painter.PictureChanged(handle);
          InvalidateRect(handle, nullptr, FALSE);
        }
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
      SetWindowPos(h, nullptr, b.x, b.y, b.width, b.height + ExtraHeight(c),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    });
  }

  void SyncEnabled(ui::Control& control) {
    if (HWND h = Handle(control)) EnableWindow(h, EffectivelyEnabled(control));
  }

  void SyncStyle(ui::Control& control) {
    HWND h = Handle(control);
    if (!h) return;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(painter.FontFor(control)), TRUE);
    if (control.Kind() == ui::ControlKind::kTextBox) {
      SendMessageW(h, EM_SETREADONLY, static_cast<ui::TextBox&>(control).ReadOnly(), 0);
    }
    // A picture's background and border are drawn into its kept drawing.
    painter.PictureChanged(h);
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
        if (code == BN_CLICKED) {
          // A button's work (a large job's preview or program) runs on the
          // host's thread: the wait cursor shows it is working until it returns.
          // IDC_WAIT is spelled as a narrow resource name outside UNICODE
          // builds; the number it stands for is the same for LoadCursorW.
          HCURSOR before = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
          static_cast<ui::Button&>(control).Click();
          SetCursor(before);
        }
        break;
      case ui::ControlKind::kCheckBox:
        if (code == BN_CLICKED) static_cast<ui::CheckBox&>(control).Click();
        break;
      case ui::ControlKind::kLabel:
        if (code == STN_CLICKED) static_cast<ui::Label&>(control).Click();
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
    ui::Control* found = ControlOf(header.hwndFrom);
    if (!found) return;
    ui::Control& control = *found;
    if (control.Kind() == ui::ControlKind::kTabControl && header.code == TCN_SELCHANGE &&
        !writing) {
      static_cast<ui::TabControl&>(control).SetSelectedIndex(TabCtrl_GetCurSel(header.hwndFrom));
      AfterEvent();
    } else if (control.Kind() == ui::ControlKind::kDataGrid) {
      grids.OnNotify(static_cast<ui::DataGrid&>(control), header);
    }
    result = 0;
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
        self->painter.DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX:
        return self->painter.OnColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      case WM_ERASEBKGND:
        self->painter.EraseForm(window, reinterpret_cast<HDC>(wParam));
        return 1;
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

  // The text boxes: a typed character passes the model's key filters first.
  LRESULT EditMessage(HWND box, UINT message, WPARAM& wParam, LPARAM, bool& handled) {
    handled = message == WM_CHAR && !OnChar(box, wParam);  // may change wParam
    return 0;
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

}  // namespace kelvora::win32
