// What the FLTK shell offers the window's routines beyond shell.h.
#pragma once

#include <cstdint>

class Fl_Window;

namespace txt2csv {

// The live window of that description, or nullptr when it is not (or no
// longer) there. The main window's is the owner of the program's message boxes.
Fl_Window* loaded_window(std::uint32_t window_number);

}  // namespace txt2csv
