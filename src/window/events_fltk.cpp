#include "shell/shell_fltk.h"
#include "window/events.h"
#include "window/generate_routine.h"
#include "window/main_window.h"
#include "window/main_window_fltk.h"

namespace txt2csv {

void on_generate_clicked() {
  generate_and_report(reinterpret_cast<std::intptr_t>(loaded_window(main_window_number)),
                      [](std::intptr_t owner) {
                        return spell_separator(
                            separator_box_text(reinterpret_cast<Fl_Window*>(owner)));
                      });
}

}  // namespace txt2csv
