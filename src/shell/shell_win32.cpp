#include "shell/shell_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "primitives/code_page_win32.h"
#include "shell/shell.h"
#include "window/main_window.h"
#include "window/main_window_win32.h"

namespace txt2csv {

namespace {

struct loaded_window_entry {
  const window_description* description;
  HWND window = nullptr;
};

struct shell_state {
  std::filesystem::path run_directory;
  std::vector<loaded_window_entry> windows;
  bool loop_started = false;
  exit_routines routines;
};

shell_state& shell() {
  static shell_state state;
  return state;
}

// The executable's full path, however long.
std::wstring executable_path() {
  std::wstring path(MAX_PATH, L'\0');
  while (path.size() <= 0x10000) {  // a path holds at most 32767 characters
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
  return {};
}

bool any_window_exists() {
  return std::ranges::any_of(
      shell().windows, [](const loaded_window_entry& entry) { return IsWindow(entry.window); });
}

void end_of_window(HWND window) {
  for (loaded_window_entry& entry : shell().windows)
    if (entry.window == window) entry.window = nullptr;
  if (shell().loop_started && !any_window_exists()) PostQuitMessage(0);
}

bool taken_by_a_window(const MSG& message) {
  return std::ranges::any_of(shell().windows, [&](const loaded_window_entry& entry) {
    return entry.window != nullptr && handle_key_message(entry.window, message);
  });
}

}  // namespace

void start_shell() {
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  shell_state& state = shell();
  state.run_directory = directory_of(executable_path());
  // With its backslash: a drive's root, "C:", would otherwise name the
  // drive's own current directory. A failure leaves the current directory.
  if (!state.run_directory.empty())
    SetCurrentDirectoryW((state.run_directory.native() + L'\\').c_str());

  for (const window_description* description : stored_window_descriptions())
    state.windows.push_back({description});
}

const std::filesystem::path& run_directory() { return shell().run_directory; }

void register_exit_routine(exit_routine routine) { shell().routines.add(routine); }

void load_window(std::uint32_t window_number) {
  auto entry = std::ranges::find(shell().windows, window_number, [](const loaded_window_entry& e) {
    return e.description->properties.number;
  });
  if (entry == shell().windows.end()) report_runtime_error(window_load_failure_message());
  const HWND window = build_window(*entry->description, end_of_window);
  if (window == nullptr) report_runtime_error(window_load_failure_message());
  entry->window = window;
}

HWND loaded_window(std::uint32_t window_number) {
  for (const loaded_window_entry& entry : shell().windows)
    if (entry.description->properties.number == window_number && IsWindow(entry.window))
      return entry.window;
  return nullptr;
}

int run_message_loop() {
  shell().loop_started = true;
  if (!any_window_exists()) return 0;
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (taken_by_a_window(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

void end_program(int exit_code) {
  shell().windows.clear();
  shell().routines.run_all();
  ExitProcess(static_cast<UINT>(exit_code));
}

void report_runtime_error(std::string_view message) {
  MessageBoxW(nullptr, wide_from_gbk(runtime_error_box_text(message)).c_str(),
              wide_from_gbk(runtime_error_box_title()).c_str(), MB_OK | MB_ICONERROR);
  shell().routines.clear();
  end_program(-1);
}

}  // namespace txt2csv
