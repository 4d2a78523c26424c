// A store without descriptions, for the build of txt2csv whose main window
// cannot be loaded.
#include "window/main_window.h"

namespace txt2csv {

std::span<const window_description* const> stored_window_descriptions() { return {}; }

}  // namespace txt2csv
