// The application shell: carries the process from start to end on its one
// thread. The operations are the platform's (shell_win32.cpp); the rules
// that need no platform are here and in shell.cpp.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace txt2csv {

// Records the run directory, makes it the current directory, keeps the
// platform from showing dialogs of its own for failing drives and files, and
// takes in the stored window descriptions.
void start_shell();

// The directory that holds the executable, without a trailing separator.
const std::filesystem::path& run_directory();

using exit_routine = void (*)();
void register_exit_routine(exit_routine routine);

// Builds and shows the window of that description; reports a run-time error
// and ends the program when it cannot.
void load_window(std::uint32_t window_number);

// Runs until the last window is gone; gives the exit code WM_QUIT carries.
int run_message_loop();

// Runs the exit routines and ends the process.
[[noreturn]] void end_program(int exit_code);

// Shows the error box (GBK message) and ends the process with -1, without
// running the exit routines.
[[noreturn]] void report_runtime_error(std::string_view message);

// Platform-free parts, used by the platform's shell.

// Each routine once, in the order of their first registration.
class exit_routines {
 public:
  void add(exit_routine routine);
  // Runs each once and empties the list.
  void run_all();
  void clear() { routines_.clear(); }

 private:
  std::vector<exit_routine> routines_;
};

// The directory part of an executable's path: everything before the last
// backslash, nothing when there is none.
std::wstring directory_of(std::wstring_view executable_path);

// The text of the run-time error box (GBK).
std::string runtime_error_box_text(std::string_view message);
std::string_view runtime_error_box_title();
std::string_view window_load_failure_message();
// The message for an allocation of `size` bytes that failed (GBK).
std::string allocation_failure_message(std::size_t size);

}  // namespace txt2csv
