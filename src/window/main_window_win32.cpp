#include "window/main_window_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "resource.h"
#include "primitives/code_page_win32.h"

namespace txt2csv {

namespace {

constexpr wchar_t window_class_name[] = L"txt2csv_window";

// A feedback request to a control; its two integers are wParam and lParam.
constexpr UINT feedback_message = 32885;

struct live_window {
  const window_description* description = nullptr;
  window_ended_callback on_ended = nullptr;
  std::vector<HWND> controls;  // in the order of the description
  bool raising_events = false;
  std::optional<std::size_t> last_focused;
};

HINSTANCE program_instance() { return GetModuleHandleW(nullptr); }

HFONT user_interface_font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

COLORREF colour_value(colour wanted) {
  return wanted.is_button_face ? GetSysColor(COLOR_BTNFACE)
                               : RGB(wanted.red, wanted.green, wanted.blue);
}

// The DC's own brush, set to the colour: nothing to create or release.
HBRUSH brush_of(HDC dc, colour wanted) {
  SetDCBrushColor(dc, colour_value(wanted));
  return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

live_window* live_window_of(HWND window) {
  return reinterpret_cast<live_window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

std::optional<std::size_t> control_index(const live_window& live, HWND control) {
  if (control == nullptr) return std::nullopt;
  auto found = std::ranges::find(live.controls, control);
  if (found == live.controls.end()) return std::nullopt;
  return static_cast<std::size_t>(found - live.controls.begin());
}

const control_description* description_of(const live_window& live, HWND control) {
  auto index = control_index(live, control);
  return index ? &live.description->controls[*index] : nullptr;
}

std::wstring window_text(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void focus_control(const live_window& live, std::optional<std::size_t> index) {
  if (index) SetFocus(live.controls[*index]);
}

void move_focus(const live_window& live, tab_direction direction) {
  focus_control(live,
                next_focus(live.description->controls, control_index(live, GetFocus()), direction));
}

void raise_control_event(const live_window& live, HWND control, WORD notification) {
  const control_description* description = description_of(live, control);
  if (!live.raising_events || description == nullptr) return;
  event_routine bound = nullptr;
  if (description->kind == control_kind::edit_box && notification == EN_CHANGE)
    bound = description->text_changed;
  if (description->kind == control_kind::button && notification == BN_CLICKED)
    bound = description->clicked;
  if (bound) bound();
}

void paint_label(const live_window& live, const DRAWITEMSTRUCT& item) {
  const control_description* label = description_of(live, item.hwndItem);
  if (label == nullptr) return;
  FillRect(item.hDC, &item.rcItem, brush_of(item.hDC, label->background));
  SetTextColor(item.hDC, colour_value(label->text_colour));
  SetBkMode(item.hDC, TRANSPARENT);
  const HGDIOBJ old_font = SelectObject(
      item.hDC, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  const UINT layout =
      label->layout == text_layout::wrapped_from_top ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
  const std::wstring text = window_text(item.hwndItem);
  RECT area = item.rcItem;
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
            DT_LEFT | DT_NOPREFIX | layout);
  SelectObject(item.hDC, old_font);
}

LRESULT colour_edit_box(const live_window& live, HDC dc, HWND box) {
  const control_description* description = description_of(live, box);
  if (description == nullptr) return 0;
  SetTextColor(dc, colour_value(description->text_colour));
  SetBkColor(dc, colour_value(description->background));
  return reinterpret_cast<LRESULT>(brush_of(dc, description->background));
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<std::unique_ptr<live_window>*>(
        reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner->release()));
  }
  live_window* live = live_window_of(window);
  if (live == nullptr) return DefWindowProcW(window, message, wparam, lparam);

  switch (message) {
    case WM_COMMAND:
      raise_control_event(*live, reinterpret_cast<HWND>(lparam), HIWORD(wparam));
      return 0;
    case WM_DRAWITEM:
      paint_label(*live, *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CTLCOLOREDIT:
      return colour_edit_box(*live, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_ERASEBKGND: {
      const HDC dc = reinterpret_cast<HDC>(wparam);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, brush_of(dc, live->description->properties.background));
      return 1;
    }
    case WM_GETMINMAXINFO: {
      // The platform would shrink a window wider than the screen; ours keeps its size.
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lparam);
      const extent size = live->description->properties.size;
      limits.ptMaxTrackSize.x = std::max<LONG>(limits.ptMaxTrackSize.x, size.width);
      limits.ptMaxTrackSize.y = std::max<LONG>(limits.ptMaxTrackSize.y, size.height);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) live->last_focused = control_index(*live, GetFocus());
      break;
    case WM_SETFOCUS:
      focus_control(*live, focus_on_activation(live->description->controls, live->last_focused));
      return 0;
    case WM_NCDESTROY: {
      const std::unique_ptr<live_window> ended(live);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      if (ended->on_ended) ended->on_ended(window);
      return 0;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Feedback requests go to the bound routine; its answer, or 0, is the reply.
LRESULT CALLBACK feedback_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR, DWORD_PTR reference) {
  if (message == feedback_message) {
    const auto& description = *reinterpret_cast<const control_description*>(reference);
    const live_window* live = live_window_of(GetParent(control));
    if (live == nullptr || !live->raising_events) return 0;
    return description
        .feedback(static_cast<std::int32_t>(wparam), static_cast<std::int32_t>(lparam))
        .value_or(0);
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(control, feedback_procedure, 0);
  return DefSubclassProc(control, message, wparam, lparam);
}

int line_height(HWND box) {
  const HDC dc = GetDC(box);
  const HGDIOBJ old_font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old_font);
  ReleaseDC(box, dc);
  return metrics.tmHeight;
}

// A single-line edit box draws its line at the top of its client area.
// Narrowing the client area to that one line, centred, puts the line in the
// middle; the bands above and below are painted in the box's background.
LRESULT CALLBACK centred_line_procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR reference) {
  switch (message) {
    case WM_NCCALCSIZE: {
      const LRESULT result = DefSubclassProc(box, message, wparam, lparam);
      RECT& client = wparam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam)->rgrc[0]
                            : *reinterpret_cast<RECT*>(lparam);
      const int band = (client.bottom - client.top - line_height(box)) / 2;
      if (band > 0) {
        client.top += band;
        client.bottom -= band;
      }
      return result;
    }
    case WM_NCPAINT: {
      const LRESULT result = DefSubclassProc(box, message, wparam, lparam);
      RECT outer;
      RECT client;
      GetWindowRect(box, &outer);
      GetClientRect(box, &client);
      MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
      OffsetRect(&client, -outer.left, -outer.top);
      // Inside the edge: the client area's width, from the edge's top to its bottom.
      RECT inside = {client.left, GetSystemMetrics(SM_CYEDGE), client.right,
                     outer.bottom - outer.top - GetSystemMetrics(SM_CYEDGE)};
      const HDC dc = GetWindowDC(box);
      ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
      FillRect(dc, &inside,
               brush_of(dc, reinterpret_cast<const control_description*>(reference)->background));
      ReleaseDC(box, dc);
      return result;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(box, centred_line_procedure, 0); break;
  }
  return DefSubclassProc(box, message, wparam, lparam);
}

struct control_class {
  const wchar_t* name;
  DWORD style;
  DWORD extended_style;
};

control_class class_of(const control_description& control) {
  switch (control.kind) {
    case control_kind::label: return {L"STATIC", SS_OWNERDRAW, 0};  // painted by paint_label
    case control_kind::edit_box:
      return {L"EDIT", ES_LEFT | (control.scrolls_horizontally ? ES_AUTOHSCROLL : 0u),
              control.sunken_edge ? WS_EX_CLIENTEDGE : 0u};
    case control_kind::button:
      return {L"BUTTON",
              (control.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_CENTER | BS_VCENTER |
                  (control.layout == text_layout::wrapped_centred ? BS_MULTILINE : 0u),
              0};
  }
  return {};
}

HWND create_control(HWND window, const control_description& control) {
  const control_class kind = class_of(control);
  const DWORD style = WS_CHILD | kind.style | (control.tab_stop ? WS_TABSTOP : 0u) |
                      (control.enabled ? 0u : WS_DISABLED);
  const HWND created = CreateWindowExW(
      kind.extended_style, kind.name, wide_from_gbk(control.text).c_str(), style, control.place.x,
      control.place.y, control.size.width, control.size.height, window,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control.number)), program_instance(), nullptr);
  if (created == nullptr) return nullptr;

  SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(user_interface_font()), FALSE);
  const auto reference = reinterpret_cast<DWORD_PTR>(&control);
  if (control.kind == control_kind::edit_box) {
    SendMessageW(created, EM_SETLIMITTEXT, static_cast<WPARAM>(control.length_limit.value_or(0)),
                 0);
    SetWindowSubclass(created, centred_line_procedure, 0, reference);
    // Its client area is measured again, now with its font.
    SetWindowPos(created, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SendMessageW(created, EM_SETSEL, 0, 0);
  }
  if (control.feedback) SetWindowSubclass(created, feedback_procedure, 0, reference);
  return created;
}

DWORD window_style(const window_properties& properties) {
  return WS_OVERLAPPED | WS_CAPTION | (properties.control_box ? WS_SYSMENU : 0u) |
         (properties.minimize_box ? WS_MINIMIZEBOX : 0u) |
         (properties.maximize_box ? WS_MAXIMIZEBOX : 0u) |
         (properties.resizable ? WS_THICKFRAME : 0u);
}

DWORD window_extended_style(const window_properties& properties) {
  return (properties.own_taskbar_button ? WS_EX_APPWINDOW : 0u) |
         (properties.always_on_top ? WS_EX_TOPMOST : 0u);
}

bool register_window_class(const window_properties& properties) {
  const HINSTANCE instance = program_instance();
  WNDCLASSEXW window_class{};
  if (GetClassInfoExW(instance, window_class_name, &window_class)) return true;
  const int small_icon = GetSystemMetrics(SM_CXSMICON);
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hIcon =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TXT2CSV_ICON), IMAGE_ICON,
                                    properties.icon_size, properties.icon_size, 0));
  window_class.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(TXT2CSV_ICON), IMAGE_ICON, small_icon, small_icon, 0));
  window_class.lpszClassName = window_class_name;
  return RegisterClassExW(&window_class) != 0;
}

// Tab, Esc and the others by what they mean to the keyboard rules.
key key_of(WPARAM virtual_key) {
  switch (virtual_key) {
    case VK_TAB: return key::tab;
    case VK_ESCAPE: return key::escape;
    case VK_RETURN: return key::enter;
    case VK_F1: return key::f1;
  }
  return key::other;
}

}  // namespace

HWND build_window(const window_description& description, window_ended_callback on_ended) {
  const window_properties& properties = description.properties;
  const INITCOMMONCONTROLSEX common_controls{sizeof common_controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common_controls);
  if (!register_window_class(properties)) return nullptr;

  auto owner = std::make_unique<live_window>();
  live_window& live = *owner;
  live.description = &description;
  live.on_ended = on_ended;
  live.controls.resize(description.controls.size());

  const extent screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const point place = centred_place(screen, properties.size);
  const HWND window = CreateWindowExW(
      window_extended_style(properties), window_class_name, wide_from_gbk(properties.title).c_str(),
      window_style(properties), place.x, place.y, properties.size.width, properties.size.height,
      nullptr, nullptr, program_instance(), &owner);
  if (window == nullptr) return nullptr;

  RECT outer;
  GetWindowRect(window, &outer);
  if (outer.right - outer.left != properties.size.width ||
      outer.bottom - outer.top != properties.size.height)
    SetWindowPos(window, nullptr, place.x, place.y, properties.size.width, properties.size.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(user_interface_font()), FALSE);
  if (!properties.movable) DeleteMenu(GetSystemMenu(window, FALSE), SC_MOVE, MF_BYCOMMAND);

  // From the last listed to the first; the z-order follows the creation.
  for (std::size_t index = description.controls.size(); index-- > 0;) {
    live.controls[index] = create_control(window, description.controls[index]);
    if (live.controls[index] == nullptr) {
      DestroyWindow(window);
      return nullptr;
    }
  }
  for (std::size_t index = 0; index < description.controls.size(); ++index)
    if (description.controls[index].visible) ShowWindow(live.controls[index], SW_SHOWNA);

  live.raising_events = true;
  if (properties.created) properties.created();
  if (IsWindow(window)) ShowWindow(window, SW_SHOW);
  return window;
}

bool handle_key_message(HWND window, const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  const live_window* live = live_window_of(window);
  if (live == nullptr) return false;

  const key_press press{.pressed = key_of(message.wParam),
                        .ctrl = GetKeyState(VK_CONTROL) < 0,
                        .shift = GetKeyState(VK_SHIFT) < 0,
                        .alt = (HIWORD(message.lParam) & KF_ALTDOWN) != 0};
  switch (action_for_key(live->description->properties, press)) {
    case key_action::pass_on: return false;
    case key_action::ignore: return true;
    case key_action::focus_next: move_focus(*live, tab_direction::forward); return true;
    case key_action::focus_previous: move_focus(*live, tab_direction::backward); return true;
    case key_action::close_window: SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); return true;
  }
  return false;
}

std::wstring separator_box_text(HWND main_window) {
  const HWND box = GetDlgItem(main_window, static_cast<int>(separator_box_number));
  return box ? window_text(box) : std::wstring();
}

}  // namespace txt2csv
