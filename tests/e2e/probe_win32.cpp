// window_probe: looks at txt2csv's windows from outside, through Win32, for
// the end-to-end tests. Prints JSON (UTF-8) on standard output. Arguments are
// ASCII: Wine turns a command line into wide text by the host's locale.
//
//   window_probe windows IMAGE COUNT TIMEOUT_MS
//       waits until COUNT visible main windows of processes named IMAGE are up
//       (COUNT 0: until none is left) and lists them
//   window_probe describe HWND       the window, its controls, focus and caret
//   window_probe send HWND CONTROL_ID MESSAGE WPARAM LPARAM
//       sends a message to a control and prints the answer
//   window_probe text HWND CONTROL_ID         a control's text
//   window_probe set-text HWND CONTROL_ID UTF16_HEX
//       sets a control's text, given as hexadecimal UTF-16 code units
//       ("FF0C" is a full-width comma)
//   window_probe message-box IMAGE TIMEOUT_MS [press]
//       waits for a message box of a process named IMAGE, prints it and
//       with "press" presses its first button and waits until it is gone
//   window_probe wait-event NAME TIMEOUT_MS    waits until a named event is set
//   window_probe set-event NAME
//   window_probe resources EXE       the icon, version block and manifest
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t main_window_class[] = L"txt2csv_window";

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::string quoted(std::wstring_view text) {
  std::string out = "\"";
  for (unsigned char c : utf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string number(long long value) { return std::to_string(value); }

std::string rect_json(const RECT& r) {
  return "[" + number(r.left) + "," + number(r.top) + "," + number(r.right) + "," +
         number(r.bottom) + "]";
}

std::string handle_json(HWND window) {
  return number(static_cast<long long>(reinterpret_cast<UINT_PTR>(window)));
}

std::wstring window_text(HWND window) {
  // WM_GETTEXT reaches another process's window; GetWindowText may not.
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const auto copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied));
  return text;
}

std::wstring class_name(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring image_name(DWORD process_id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (!process) return {};
  wchar_t path[MAX_PATH * 4] = {};
  DWORD size = MAX_PATH * 4;
  QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  std::wstring full(path, size);
  return full.substr(full.find_last_of(L"\\/") + 1);
}

bool same_name(std::wstring a, std::wstring b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

DWORD process_of(HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  return process_id;
}

struct top_level_search {
  const wchar_t* class_name;
  std::wstring image;
  std::vector<HWND> found;
};

BOOL CALLBACK collect_top_level(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<top_level_search*>(parameter);
  if (IsWindowVisible(window) && class_name(window) == search.class_name &&
      same_name(image_name(process_of(window)), search.image))
    search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> top_level_windows(const wchar_t* class_name, const std::wstring& image) {
  top_level_search search{class_name, image, {}};
  EnumWindows(collect_top_level, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The process's current directory, from its process parameters (x64 layout).
std::wstring current_directory(DWORD process_id) {
  using query_function = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<query_function>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
  if (!process || !query) return {};
  std::wstring directory;
  PROCESS_BASIC_INFORMATION basic{};
  char* parameters = nullptr;
  UNICODE_STRING dos_path{};
  if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
      ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + 0x20, &parameters,
                        sizeof parameters, nullptr) &&
      ReadProcessMemory(process, parameters + 0x38, &dos_path, sizeof dos_path, nullptr)) {
    directory.resize(dos_path.Length / sizeof(wchar_t));
    ReadProcessMemory(process, dos_path.Buffer, directory.data(), dos_path.Length, nullptr);
  }
  CloseHandle(process);
  return directory;
}

std::string list_windows(const std::vector<HWND>& windows) {
  std::string out = "[";
  for (HWND window : windows) {
    if (out.size() > 1) out += ",";
    out += "{\"handle\":" + handle_json(window) + ",\"pid\":" + number(process_of(window)) + "}";
  }
  return out + "]";
}

int windows_command(const std::wstring& image, size_t count, DWORD timeout) {
  const ULONGLONG until = GetTickCount64() + timeout;
  std::vector<HWND> windows = top_level_windows(main_window_class, image);
  while (windows.size() != count && GetTickCount64() < until) {
    Sleep(50);
    windows = top_level_windows(main_window_class, image);
  }
  std::printf("%s\n", list_windows(windows).c_str());
  return windows.size() == count ? 0 : 1;
}

// The middle of the stretch of the title bar that answers `hit`.
std::string point_answering(HWND window, const RECT& outer, LRESULT hit) {
  RECT caption = outer;
  TITLEBARINFO title_bar{};
  title_bar.cbSize = sizeof title_bar;
  if (GetTitleBarInfo(window, &title_bar)) caption = title_bar.rcTitleBar;
  const int y = (caption.top + caption.bottom) / 2;
  int first = outer.right, last = outer.left - 1;
  for (int x = outer.left; x < outer.right; ++x) {
    if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != hit) continue;
    first = std::min(first, x);
    last = x;
  }
  if (last < first) return "null";
  return "[" + number((first + last) / 2) + "," + number(y) + "]";
}

std::string describe_control(HWND window, HWND control) {
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  RECT client;
  GetClientRect(control, &client);
  MapWindowPoints(control, window, reinterpret_cast<POINT*>(&client), 2);
  std::string out = "{\"class\":" + quoted(class_name(control)) +
                    ",\"id\":" + number(GetDlgCtrlID(control)) +
                    ",\"text\":" + quoted(window_text(control)) + ",\"rect\":" + rect_json(place) +
                    ",\"client\":" + rect_json(client) +
                    ",\"style\":" + number(GetWindowLongW(control, GWL_STYLE) & 0xFFFFFFFFLL) +
                    ",\"exstyle\":" + number(GetWindowLongW(control, GWL_EXSTYLE) & 0xFFFFFFFFLL);
  if (class_name(control) == L"Edit") {
    DWORD start = 0, end = 0;
    SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    out += ",\"selection\":[" + number(start) + "," + number(end) + "]";
    out += ",\"limit\":" +
           number(static_cast<long long>(SendMessageW(control, EM_GETLIMITTEXT, 0, 0)));
  }
  return out + "}";
}

int describe_command(HWND window) {
  if (!IsWindow(window)) return 1;
  const auto gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old_font = SelectObject(dc, gui_font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old_font);
  ReleaseDC(nullptr, dc);

  RECT outer;
  GetWindowRect(window, &outer);
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);

  std::string out =
      "{\"title\":" + quoted(window_text(window)) + ",\"pid\":" + number(process_of(window)) +
      ",\"screen\":[" + number(GetSystemMetrics(SM_CXSCREEN)) + "," +
      number(GetSystemMetrics(SM_CYSCREEN)) + "]" + ",\"outer\":" + rect_json(outer) +
      ",\"client\":" + rect_json(client) +
      ",\"style\":" + number(GetWindowLongW(window, GWL_STYLE) & 0xFFFFFFFFLL) +
      ",\"exstyle\":" + number(GetWindowLongW(window, GWL_EXSTYLE) & 0xFFFFFFFFLL) +
      ",\"owner\":" + handle_json(GetWindow(window, GW_OWNER)) +
      ",\"foreground\":" + (GetForegroundWindow() == window ? "true" : "false") +
      ",\"focus\":" + (thread.hwndFocus ? number(GetDlgCtrlID(thread.hwndFocus)) : "null") +
      ",\"caret\":" +
      (thread.hwndCaret ? "{\"id\":" + number(GetDlgCtrlID(thread.hwndCaret)) +
                              ",\"rect\":" + rect_json(thread.rcCaret) + "}"
                        : "null") +
      ",\"font_height\":" + number(metrics.tmHeight) +
      ",\"directory\":" + quoted(current_directory(process_of(window))) +
      ",\"close_box\":" + point_answering(window, outer, HTCLOSE) +
      ",\"caption\":" + point_answering(window, outer, HTCAPTION) + ",\"controls\":[";
  // In z-order, top first.
  bool first = true;
  for (HWND control = GetWindow(window, GW_CHILD); control;
       control = GetWindow(control, GW_HWNDNEXT)) {
    if (!first) out += ",";
    first = false;
    out += describe_control(window, control);
  }
  std::printf("%s]}\n", out.c_str());
  return 0;
}

int send_command(HWND window, int control_id, UINT message, WPARAM wparam, LPARAM lparam) {
  const HWND control = GetDlgItem(window, control_id);
  if (!control) return 1;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(control, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &answer))
    return 1;
  std::printf("{\"answer\":%lld,\"alive\":%s}\n", static_cast<long long>(answer),
              IsWindow(window) ? "true" : "false");
  return 0;
}

int text_command(HWND window, int control_id) {
  const HWND control = GetDlgItem(window, control_id);
  if (!control) return 1;
  std::printf("{\"text\":%s}\n", quoted(window_text(control)).c_str());
  return 0;
}

std::wstring from_utf16_hex(std::wstring_view hex) {
  std::wstring text;
  for (size_t at = 0; at + 4 <= hex.size(); at += 4)
    text +=
        static_cast<wchar_t>(std::wcstoul(std::wstring(hex.substr(at, 4)).c_str(), nullptr, 16));
  return text;
}

int set_text_command(HWND window, int control_id, const std::wstring& text) {
  const HWND control = GetDlgItem(window, control_id);
  if (!control) return 1;
  DWORD_PTR answer = 0;
  const bool sent =
      SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_ABORTIFHUNG, 5000, &answer);
  return sent && answer == TRUE ? 0 : 1;
}

// The pixels, as 0xRRGGBB, of a picture of the given size that `paint` draws.
template <typename Paint>
std::vector<DWORD> pixels(int width, int height, Paint paint) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  paint(dc);
  GdiFlush();
  const auto* first = static_cast<const DWORD*>(bits);
  std::vector<DWORD> out(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
  for (DWORD& pixel : out) pixel &= 0xFFFFFF;
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return out;
}

// Which system icon an icon control of another process shows. Its icon
// handle cannot be looked into from here, so its pixels on the screen are
// compared with each system icon drawn here, where the icon covers them
// fully: those come out the same on black and on white.
std::string shown_icon(HWND icon_control) {
  RECT place;
  GetWindowRect(icon_control, &place);
  const int width = place.right - place.left, height = place.bottom - place.top;
  if (width <= 0 || height <= 0) return "null";
  const std::vector<DWORD> shown = pixels(width, height, [&](HDC dc) {
    const HDC screen = GetDC(nullptr);
    BitBlt(dc, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
  const std::pair<const wchar_t*, const char*> system_icons[] = {{IDI_WARNING, "warning"},
                                                                 {IDI_INFORMATION, "information"},
                                                                 {IDI_ERROR, "error"},
                                                                 {IDI_QUESTION, "question"}};
  for (const auto& [id, name] : system_icons) {
    const HICON icon = LoadIconW(nullptr, id);
    const auto drawn_on = [&](int stock_brush) {
      return pixels(width, height, [&](HDC dc) {
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(stock_brush)));
        DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
      });
    };
    const std::vector<DWORD> on_black = drawn_on(BLACK_BRUSH), on_white = drawn_on(WHITE_BRUSH);
    size_t covered = 0, matching = 0;
    for (size_t at = 0; at < shown.size(); ++at) {
      if (on_black[at] != on_white[at]) continue;
      ++covered;
      if (on_black[at] == shown[at]) ++matching;
    }
    if (covered > 0 && matching == covered) return "\"" + std::string(name) + "\"";
  }
  return "\"unknown\"";
}

int message_box_command(const std::wstring& image, DWORD timeout, bool press) {
  const ULONGLONG until = GetTickCount64() + timeout;
  std::vector<HWND> boxes = top_level_windows(L"#32770", image);
  while (boxes.empty() && GetTickCount64() < until) {
    Sleep(50);
    boxes = top_level_windows(L"#32770", image);
  }
  if (boxes.empty()) return 1;
  const HWND box = boxes.front();
  std::string texts = "[", buttons = "[";
  HWND icon_control = nullptr;
  HWND first_button = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring kind = class_name(child);
    if (kind == L"Button") {
      if (!first_button) first_button = child;
      buttons += (buttons.size() > 1 ? "," : "") + quoted(window_text(child));
    } else if (kind == L"Static") {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        icon_control = child;
      else if (!window_text(child).empty())
        texts += (texts.size() > 1 ? "," : "") + quoted(window_text(child));
    }
  }
  // A box that has just come up may not be painted yet.
  std::string icon = "null";
  if (icon_control) {
    const ULONGLONG painted_by = GetTickCount64() + 3000;
    while ((icon = shown_icon(icon_control)) == "\"unknown\"" && GetTickCount64() < painted_by)
      Sleep(50);
  }
  const bool program_windows = !top_level_windows(main_window_class, image).empty();
  std::printf(
      "{\"title\":%s,\"texts\":%s],\"buttons\":%s],\"icon\":%s,\"owner\":%s,\"program_windows\":%s}"
      "\n",
      quoted(window_text(box)).c_str(), texts.c_str(), buttons.c_str(), icon.c_str(),
      handle_json(GetWindow(box, GW_OWNER)).c_str(), program_windows ? "true" : "false");
  if (press && first_button) {
    PostMessageW(first_button, BM_CLICK, 0, 0);
    const ULONGLONG closed_by = GetTickCount64() + 5000;
    while (IsWindow(box) && GetTickCount64() < closed_by) Sleep(20);
    if (IsWindow(box)) return 1;
  }
  return 0;
}

int wait_event_command(const wchar_t* name, DWORD timeout) {
  const ULONGLONG until = GetTickCount64() + timeout;
  HANDLE event = nullptr;
  while (!(event = OpenEventW(SYNCHRONIZE, FALSE, name)) && GetTickCount64() < until) Sleep(50);
  if (!event) return 1;
  const ULONGLONG now = GetTickCount64();
  const DWORD waited =
      WaitForSingleObject(event, until > now ? static_cast<DWORD>(until - now) : 0);
  CloseHandle(event);
  return waited == WAIT_OBJECT_0 ? 0 : 1;
}

int set_event_command(const wchar_t* name) {
  const HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
  if (!event) return 1;
  const bool set = SetEvent(event);
  CloseHandle(event);
  return set ? 0 : 1;
}

int resources_command(const wchar_t* executable) {
  const HMODULE module = LoadLibraryExW(executable, nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return 1;
  std::string out = "{";
  if (const auto icon = static_cast<HICON>(
          LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))) {
    ICONINFO info{};
    GetIconInfo(icon, &info);
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    out += "\"icon\":[" + number(bitmap.bmWidth) + "," + number(bitmap.bmHeight) + "," +
           number(bitmap.bmBitsPixel) + "],";
  }
  if (const HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
    const std::string text(bytes, SizeofResource(module, manifest));
    std::wstring wide(text.begin(), text.end());  // the manifest is ASCII
    out += "\"manifest\":" + quoted(wide) + ",";
  }
  FreeLibrary(module);

  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeW(executable, &ignored));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  if (!block.empty() &&
      GetFileVersionInfoW(executable, 0, static_cast<DWORD>(block.size()), block.data()) &&
      VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size)) {
    const auto version = [](DWORD high, DWORD low) {
      return "\"" + number(HIWORD(high)) + "." + number(LOWORD(high)) + "." + number(HIWORD(low)) +
             "." + number(LOWORD(low)) + "\"";
    };
    out += "\"file_version\":" + version(fixed->dwFileVersionMS, fixed->dwFileVersionLS) +
           ",\"product_version\":" + version(fixed->dwProductVersionMS, fixed->dwProductVersionLS) +
           ",";
  }
  out.back() = '}';
  std::printf("%s\n", out.c_str());
  return 0;
}

HWND handle_argument(const wchar_t* text) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(text, nullptr, 10)));
}

long long integer_argument(const wchar_t* text) { return std::wcstoll(text, nullptr, 0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"windows" && argc == 5)
    return windows_command(argv[2], static_cast<size_t>(integer_argument(argv[3])),
                           static_cast<DWORD>(integer_argument(argv[4])));
  if (command == L"describe" && argc == 3) return describe_command(handle_argument(argv[2]));
  if (command == L"send" && argc == 7)
    return send_command(handle_argument(argv[2]), static_cast<int>(integer_argument(argv[3])),
                        static_cast<UINT>(integer_argument(argv[4])),
                        static_cast<WPARAM>(integer_argument(argv[5])),
                        static_cast<LPARAM>(integer_argument(argv[6])));
  if (command == L"text" && argc == 4)
    return text_command(handle_argument(argv[2]), static_cast<int>(integer_argument(argv[3])));
  if (command == L"set-text" && argc == 5)
    return set_text_command(handle_argument(argv[2]), static_cast<int>(integer_argument(argv[3])),
                            from_utf16_hex(argv[4]));
  if (command == L"message-box" && (argc == 4 || argc == 5))
    return message_box_command(argv[2], static_cast<DWORD>(integer_argument(argv[3])),
                               argc == 5 && std::wstring(argv[4]) == L"press");
  if (command == L"wait-event" && argc == 4)
    return wait_event_command(argv[2], static_cast<DWORD>(integer_argument(argv[3])));
  if (command == L"set-event" && argc == 3) return set_event_command(argv[2]);
  if (command == L"resources" && argc == 3) return resources_command(argv[2]);
  std::fprintf(stderr, "usage: see the top of probe_win32.cpp\n");
  return 2;
}
