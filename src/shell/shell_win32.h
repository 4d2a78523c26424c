// What the Windows shell offers the window's routines beyond shell.h.
#pragma once

#include <windows.h>

#include <cstdint>

namespace txt2csv {

// The live window of that description, or nullptr when it is not (or no
// longer) there. The main window's is the owner of the program's message boxes.
HWND loaded_window(std::uint32_t window_number);

}  // namespace txt2csv
