// On POSIX systems arguments are bytes: paths are taken exactly as given.
#include "cli/cli.h"

namespace txt2csv {

path path_from_argument(std::string_view argument) { return path(std::string(argument)); }

}  // namespace txt2csv

int main(int argc, char** argv) {
  return txt2csv::run_command_line(std::vector<std::string>(argv + 1, argv + argc));
}
