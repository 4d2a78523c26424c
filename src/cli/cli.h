// txt2csv-cli: the conversion from a command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "primitives/files.h"

namespace txt2csv {

// Runs the command with its arguments (the program name left out) and gives
// the exit status: 0 done, 1 the conversion failed (running out of memory
// included), 2 a usage error.
int run_command_line(const std::vector<std::string>& arguments);

// What each platform makes of a path argument's bytes (cli_posix.cpp, cli_win32.cpp).
path path_from_argument(std::string_view argument);

}  // namespace txt2csv
