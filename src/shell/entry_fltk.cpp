// The program's entry: the shell carries it from here to its end.
#include <new>

#include "primitives/allocation.h"
#include "shell/shell.h"
#include "window/main_window.h"

namespace {

// The program keeps nothing that needs releasing at its end.
void program_exit_routine() {}

}  // namespace

int main() {
  try {
    txt2csv::start_shell();
    txt2csv::register_exit_routine(program_exit_routine);
    txt2csv::load_window(txt2csv::main_window_number);
    txt2csv::end_program(txt2csv::run_message_loop());
  } catch (const std::bad_alloc&) {
    txt2csv::report_runtime_error(
        txt2csv::allocation_failure_message(txt2csv::failed_allocation_size()));
  }
}
