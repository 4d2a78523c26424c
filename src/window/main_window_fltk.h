// Builds a window from its description with FLTK widgets, and its keyboard
// handling.
#pragma once

#include <memory>
#include <string>

#include "window/main_window.h"

class Fl_Window;

namespace txt2csv {

// Called when the window has been closed; it is deleted afterwards.
using window_ended_callback = void (*)(Fl_Window* window);

// Makes the toolkit's default face one that holds the Chinese texts, at the
// size of Windows' default interface font on Chinese systems, so that the
// texts fit the places the description gives them.
void use_interface_font();

// The window and its controls, hidden and raising no events yet, centred on
// a screen of that size. Needs no display.
std::unique_ptr<Fl_Window> make_window(const window_description& description, extent screen,
                                       window_ended_callback on_ended);

// Makes the window centred on the primary screen, raises its created event
// and shows it; the focus goes to its first control when it is activated.
Fl_Window* build_window(const window_description& description, window_ended_callback on_ended);

// Sees the window's events before FLTK handles them (Fl::event_dispatch):
// acts on the key presses its keyboard rules claim, and on its mapping, when
// the window manager has framed it. True when the event should go no further.
bool handle_window_event(Fl_Window* window, int event);

// The separator box's live text (UTF-8), exactly as the user left it.
std::string separator_box_text(Fl_Window* main_window);

}  // namespace txt2csv
