// The routines bound to the main window's events. Only the generate button's
// does work: it is the conversion's entry.
#pragma once

#include <cstdint>
#include <optional>

namespace txt2csv {

void on_main_window_created();
void on_separator_text_changed();
// Each toolkit's (events_win32.cpp): it reads that toolkit's separator box.
void on_generate_clicked();
std::optional<std::int32_t> on_edition_feedback(std::int32_t first, std::int32_t second);

}  // namespace txt2csv
