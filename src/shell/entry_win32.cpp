// The program's entry: the shell carries it from here to its end.
#include <windows.h>

#include "shell/shell.h"
#include "window/main_window.h"

namespace {

// The program keeps nothing that needs releasing at its end.
void program_exit_routine() {}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  txt2csv::start_shell();
  txt2csv::register_exit_routine(program_exit_routine);
  txt2csv::load_window(txt2csv::main_window_number);
  txt2csv::end_program(txt2csv::run_message_loop());
}
