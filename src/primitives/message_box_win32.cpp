#include <windows.h>

#include "primitives/code_page_win32.h"
#include "primitives/message_box.h"

namespace txt2csv {

int message_box(std::string_view message, unsigned style, std::optional<std::string_view> title,
                std::optional<std::intptr_t> owner) {
  HWND owner_window = owner ? reinterpret_cast<HWND>(*owner) : nullptr;
  if (owner_window && !IsWindow(owner_window)) owner_window = nullptr;
  std::wstring wide_message = wide_from_gbk(message);
  std::wstring wide_title = wide_from_gbk(title ? *title : default_box_title());
  int button = MessageBoxW(owner_window, wide_message.c_str(), wide_title.c_str(),
                           effective_box_style(style));
  return box_button_number(button);
}

}  // namespace txt2csv
