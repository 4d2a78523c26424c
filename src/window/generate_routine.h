// The generate button's work, the same for every toolkit: each toolkit's
// clicked routine names the main window and how to read its separator box.
#pragma once

#include <cstdint>

#include "convert/convert_file.h"

namespace txt2csv {

// Reads the separator from the box of the main window `owner`,
// converts 1.txt beside the program with it and shows the outcome in a box
// owned by `owner`. Running out of memory anywhere on the way ends the
// program through the run-time error report.
void generate_and_report(std::intptr_t owner,
                         separator_spellings (*separator_of)(std::intptr_t owner));

}  // namespace txt2csv
