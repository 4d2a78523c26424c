// On Windows the command line is wide text. It is read as UTF-8 for the
// portable option parsing, and paths go back to wide text.
#include <windows.h>

#include "cli/cli.h"
#include "primitives/code_page_win32.h"

namespace txt2csv {

path path_from_argument(std::string_view argument) { return path(wide_from_utf8(argument)); }

}  // namespace txt2csv

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(txt2csv::utf8_from_wide(argv[i]));
  return txt2csv::run_command_line(arguments);
}
