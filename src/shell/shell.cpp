// The texts below are written as UTF-8 and compiled to GBK bytes
// (-finput-charset=UTF-8 -fexec-charset=GBK, set in CMakeLists.txt).
#include "shell/shell.h"

#include <algorithm>

namespace txt2csv {

void exit_routines::add(exit_routine routine) {
  if (std::ranges::find(routines_, routine) == routines_.end()) routines_.push_back(routine);
}

void exit_routines::run_all() {
  // Taken out first: a routine that registers another does not disturb the walk.
  std::vector<exit_routine> to_run;
  to_run.swap(routines_);
  for (exit_routine routine : to_run) routine();
}

std::wstring directory_of(std::wstring_view executable_path) {
  const std::size_t last_backslash = executable_path.rfind(L'\\');
  if (last_backslash == std::wstring_view::npos) return {};
  return std::wstring(executable_path.substr(0, last_backslash));
}

std::string runtime_error_box_text(std::string_view message) {
  std::string text = "运行时出错!\r\n\r\n";
  if (!message.empty()) {
    text += "错误信息：";
    text += message;
    text += "\r\n";
  }
  return text;
}

std::string_view runtime_error_box_title() { return "错误"; }

std::string_view window_load_failure_message() { return "载入启动窗口失败"; }

std::string allocation_failure_message(std::size_t size) {
  return "分配 " + std::to_string(size) + " 字节内存失败!";
}

}  // namespace txt2csv
