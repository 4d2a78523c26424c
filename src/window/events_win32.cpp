#include <windows.h>

#include "primitives/code_page_win32.h"
#include "shell/shell_win32.h"
#include "window/events.h"
#include "window/generate_routine.h"
#include "window/main_window.h"
#include "window/main_window_win32.h"

namespace txt2csv {

void on_generate_clicked() {
  generate_and_report(reinterpret_cast<std::intptr_t>(loaded_window(main_window_number)),
                      [](std::intptr_t owner) {
                        return spell_separator(
                            utf8_from_wide(separator_box_text(reinterpret_cast<HWND>(owner))));
                      });
}

}  // namespace txt2csv
