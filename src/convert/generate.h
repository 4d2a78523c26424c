// What the generate button does: converts 1.txt beside the program into
// 1.csv beside it and says how it went.
#pragma once

#include <string_view>

#include "primitives/files.h"

namespace txt2csv {

enum class report_icon { information, warning };

struct generate_report {
  std::string_view message;  // GBK
  report_icon icon;
};

generate_report generate_table(const path& run_directory, std::string_view typed_separator);

}  // namespace txt2csv
