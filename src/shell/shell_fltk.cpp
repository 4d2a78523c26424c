#include "shell/shell_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "primitives/message_box.h"
#include "shell/shell.h"
#include "window/main_window.h"
#include "window/main_window_fltk.h"

namespace txt2csv {

namespace {

struct loaded_window_entry {
  const window_description* description;
  Fl_Window* window = nullptr;
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

// The executable's own path, however long; empty when the system does not tell.
std::filesystem::path executable_path() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

bool any_window_exists() {
  return std::ranges::any_of(shell().windows,
                             [](const loaded_window_entry& entry) { return entry.window; });
}

void end_of_window(Fl_Window* window) {
  for (loaded_window_entry& entry : shell().windows)
    if (entry.window == window) entry.window = nullptr;
}

// Every event passes the windows' own handling before FLTK's, as every
// message passes the keyboard handling on Windows.
int offer_to_windows(int event, Fl_Window* window) {
  for (const loaded_window_entry& entry : shell().windows)
    if (entry.window != nullptr && entry.window == window && handle_window_event(window, event))
      return 1;
  return Fl::handle_(event, window);
}

}  // namespace

void start_shell() {
  shell_state& state = shell();
  state.run_directory = executable_path().parent_path();
  // A failure leaves the current directory as it was.
  std::error_code ignored;
  if (!state.run_directory.empty()) std::filesystem::current_path(state.run_directory, ignored);

  use_interface_font();
  Fl_Window::default_xclass("txt2csv");
  Fl::event_dispatch(offer_to_windows);
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
  entry->window = build_window(*entry->description, end_of_window);
}

Fl_Window* loaded_window(std::uint32_t window_number) {
  for (const loaded_window_entry& entry : shell().windows)
    if (entry.description->properties.number == window_number) return entry.window;
  return nullptr;
}

int run_message_loop() {
  shell().loop_started = true;
  while (any_window_exists()) Fl::wait();
  return 0;
}

void end_program(int exit_code) {
  shell().windows.clear();
  shell().routines.run_all();
  std::exit(exit_code);
}

void report_runtime_error(std::string_view message) {
  message_box(runtime_error_box_text(message), box_style::icon_error, runtime_error_box_title());
  shell().routines.clear();
  end_program(-1);
}

}  // namespace txt2csv
