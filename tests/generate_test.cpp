// GBK texts: this file is compiled with the execution character set GBK.
#include <gtest/gtest.h>

#include "convert/generate.h"
#include "scratch_directory.h"

namespace txt2csv {
namespace {

using testing_support::file_contents;
using testing_support::put_file;
using testing_support::scratch_directory;

TEST(generate_table, reports_each_outcome_in_its_own_words) {
  const struct {
    const char* name;
    std::function<void(const scratch_directory&)> arrange;
    std::string_view message;
    unsigned box_style;
    std::string table;  // 1.csv afterwards
  } cases[] = {
      {"converted", [](const scratch_directory& dir) { put_file(dir / "1.txt", "a|b\r\n"); },
       "已生成完成，请在该目录下查看1.csv文件", box_style::icon_information, "a,b\r\n"},
      {"no 1.txt", [](const scratch_directory&) {},
       "源文本文件不存在，请确定在本程序同级目录下是否有1.txt文件", box_style::icon_warning,
       "old\r\n"},
      {"1.txt is a directory",
       [](const scratch_directory& dir) { std::filesystem::create_directory(dir / "1.txt"); },
       "无法读取1.txt文件，请确认它没有被其他程序占用，并且可以读取", box_style::icon_warning,
       "old\r\n"},
      {"1.csv is a directory",
       [](const scratch_directory& dir) {
         put_file(dir / "1.txt", "a|b\r\n");
         std::filesystem::remove(dir / "1.csv");
         std::filesystem::create_directory(dir / "1.csv");
       },
       "生成失败，因为1.csv文件已经存在或者已打开，请删除或者重命名该目录下的1.csv后再试",
       box_style::icon_warning, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_directory dir;
    put_file(dir / "1.csv", "old\r\n");
    c.arrange(dir);
    generate_report report = generate_table(dir.path(), spell_separator("|"));
    EXPECT_EQ(report.message, c.message);
    EXPECT_EQ(report.box_style, c.box_style);
    if (std::filesystem::is_regular_file(dir / "1.csv")) {
      EXPECT_EQ(file_contents(dir / "1.csv"), c.table);
    }
  }
}

}  // namespace
}  // namespace txt2csv
