// What the generate button does: converts 1.txt beside the program into
// 1.csv beside it and says how it went.
#pragma once

#include <string_view>

#include "convert/convert_file.h"
#include "primitives/files.h"
#include "primitives/message_box.h"

namespace txt2csv {

struct generate_report {
  std::string_view message;  // GBK
  unsigned box_style;        // the icon: information on success, else a warning
};

generate_report generate_table(const path& run_directory, const separator_spellings& separator);

}  // namespace txt2csv
