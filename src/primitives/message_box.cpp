#include "primitives/message_box.h"

namespace txt2csv {

// "信息：" in GBK, spelt as bytes: clang, which builds the fuzzers of the
// core, cannot compile to GBK.
std::string_view default_box_title() { return "\xD0\xC5\xCF\xA2\xA3\xBA"; }

unsigned effective_box_style(unsigned style) {
  return (style & box_style::system_modal) ? style : style | box_style::task_modal;
}

int box_button_number(int platform_button) {
  constexpr int first = 1;  // IDOK
  constexpr int last = 7;   // IDNO
  return platform_button >= first && platform_button <= last ? platform_button - 1 : 0;
}

}  // namespace txt2csv
