#include "window/events.h"

namespace txt2csv {

void on_main_window_created() {}

void on_separator_text_changed() {}

std::optional<std::int32_t> on_edition_feedback(std::int32_t, std::int32_t) { return std::nullopt; }

}  // namespace txt2csv
