// On Windows the command line is wide text. It is read as UTF-8 for the
// portable option parsing; paths go back to wide text and the separator
// becomes GBK bytes, the code page of the files it splits.
#include <windows.h>

#include "cli/cli.h"
#include "primitives/code_page.h"

namespace txt2csv {

namespace {

std::string utf8_from_wide(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring wide_from_utf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size = static_cast<int>(utf8.size());
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

}  // namespace

path path_from_argument(std::string_view argument) { return path(wide_from_utf8(argument)); }

text separator_from_argument(std::string_view argument) {
  return gbk_from_wide(wide_from_utf8(argument));
}

}  // namespace txt2csv

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(txt2csv::utf8_from_wide(argv[i]));
  return txt2csv::run_command_line(arguments);
}
