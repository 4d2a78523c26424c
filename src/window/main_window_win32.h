// Builds a window from its description with Win32 controls, and its keyboard
// handling.
#pragma once

#include <windows.h>

#include <string>

#include "window/main_window.h"

namespace txt2csv {

// Called when the window has received its last message.
using window_ended_callback = void (*)(HWND window);

// Builds the window hidden without raising events, raises its created event
// and shows it with the focus in its first control. Nullptr when the window
// or a control cannot be created; nothing of it is left on the screen then.
HWND build_window(const window_description& description, window_ended_callback on_ended);

// Acts on the key presses meant for `window` or one of its controls that its
// keyboard rules claim; true when the message should go no further.
bool handle_key_message(HWND window, const MSG& message);

// The separator box's live text, exactly as the user left it.
std::wstring separator_box_text(HWND main_window);

}  // namespace txt2csv
