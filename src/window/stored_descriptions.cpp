// The window descriptions the program carries. Kept apart so that a test-only
// build can withhold them.
#include "window/main_window.h"

namespace txt2csv {

std::span<const window_description* const> stored_window_descriptions() {
  static constexpr const window_description* descriptions[] = {&main_window_description};
  return descriptions;
}

}  // namespace txt2csv
