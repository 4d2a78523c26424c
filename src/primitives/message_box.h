// Telling the user something in a modal message box. The texts are GBK;
// showing them is the platform's part (message_box_win32.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "primitives/text.h"

namespace txt2csv {

// Message-box style bits, as the Windows API numbers them.
namespace box_style {
inline constexpr unsigned ok_only = 0x0000;
inline constexpr unsigned icon_error = 0x0010;
inline constexpr unsigned icon_warning = 0x0030;
inline constexpr unsigned icon_information = 0x0040;
inline constexpr unsigned system_modal = 0x1000;
inline constexpr unsigned task_modal = 0x2000;
}  // namespace box_style

// "信息：", the title of a box that is given none.
std::string_view default_box_title();

// Without an owner no window of the program takes input while the box is
// up, so the task-modal bit is added unless the box is system-modal.
unsigned effective_box_style(unsigned style);

// The button that closed the box, from the platform's button identifier:
// OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6, anything else 0.
int box_button_number(int platform_button);

// Shows the box and waits until the user closes it. An owner that is not a
// live window counts as none; a box that cannot be shown gives 0.
int message_box(std::string_view message, unsigned style,
                std::optional<std::string_view> title = std::nullopt,
                std::optional<std::intptr_t> owner = std::nullopt);

}  // namespace txt2csv
