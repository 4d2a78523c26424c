#include "shell/shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace txt2csv {
namespace {

std::vector<char> ran;
void routine_a() { ran.push_back('a'); }
void routine_b() { ran.push_back('b'); }

TEST(exit_routines, each_runs_once_in_order_of_registration) {
  ran.clear();
  exit_routines routines;
  routines.add(routine_a);
  routines.add(routine_b);
  routines.add(routine_a);
  routines.run_all();
  routines.run_all();
  EXPECT_EQ(ran, (std::vector<char>{'a', 'b'}));
}

TEST(exit_routines, cleared_ones_never_run) {
  ran.clear();
  exit_routines routines;
  routines.add(routine_a);
  routines.clear();
  routines.run_all();
  EXPECT_TRUE(ran.empty());
}

TEST(directory_of, cuts_at_the_last_backslash) {
  const std::wstring deep = L"C:\\" + std::wstring(600, L'd') + L"\\" + std::wstring(600, L'e');
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"C:\\tools\\txt2csv.exe", L"C:\\tools"},
      {L"C:\\txt2csv.exe", L"C:"},
      {L"\\\\server\\share\\txt2csv.exe", L"\\\\server\\share"},
      {L"D:\\\x8AA0\\txt2csv.exe", L"D:\\\x8AA0"},  // 誠 is 0xD5 0x5C in GBK
      {deep + L"\\txt2csv.exe", deep},
      {L"txt2csv.exe", L""},
      {L"", L""},
  };
  for (const auto& [path, directory] : cases) EXPECT_EQ(directory_of(path), directory);
}

TEST(runtime_error_box_text, frames_the_message) {
  const std::string failure = "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCA\xA7\xB0\xDC";
  EXPECT_EQ(window_load_failure_message(), failure);
  EXPECT_EQ(runtime_error_box_text(failure),
            "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n"
            "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA" +
                failure + "\r\n");
  EXPECT_EQ(runtime_error_box_text(""), "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n");
  EXPECT_EQ(runtime_error_box_title(), "\xB4\xED\xCE\xF3");
}

}  // namespace
}  // namespace txt2csv
