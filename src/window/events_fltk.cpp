#include <new>

#include "convert/generate.h"
#include "primitives/allocation.h"
#include "primitives/code_page.h"
#include "primitives/message_box.h"
#include "shell/shell.h"
#include "shell/shell_fltk.h"
#include "window/events.h"
#include "window/main_window.h"
#include "window/main_window_fltk.h"

namespace txt2csv {

void on_generate_clicked() {
  try {
    Fl_Window* main_window = loaded_window(main_window_number);
    text separator = gbk_from_utf8(separator_box_text(main_window));
    generate_report report = generate_table(run_directory(), separator);
    message_box(report.message, report.box_style, std::nullopt,
                reinterpret_cast<std::intptr_t>(main_window));
  } catch (const std::bad_alloc&) {
    // Unwinding has removed the unfinished table; 1.csv is as it was.
    report_runtime_error(allocation_failure_message(failed_allocation_size()));
  }
}

}  // namespace txt2csv
