// GBK texts: this file is compiled with the execution character set GBK.
#include "convert/generate.h"

namespace txt2csv {

namespace {

constexpr std::string_view missing_input =
    "源文本文件不存在，请确定在本程序同级目录下是否有1.txt文件";
constexpr std::string_view unreadable_input =
    "无法读取1.txt文件，请确认它没有被其他程序占用，并且可以读取";
constexpr std::string_view done = "已生成完成，请在该目录下查看1.csv文件";
constexpr std::string_view output_failed =
    "生成失败，因为1.csv文件已经存在或者已打开，请删除或者重命名该目录下的1.csv后再试";

}  // namespace

generate_report generate_table(const path& run_directory, const separator_spellings& separator) {
  conversion_result result =
      convert_file(run_directory / "1.txt", run_directory / "1.csv", separator);
  switch (result.outcome) {
    case conversion_outcome::done:
      return {done, box_style::icon_information};
    case conversion_outcome::input_missing:
      return {missing_input, box_style::icon_warning};
    case conversion_outcome::input_unreadable:
      return {unreadable_input, box_style::icon_warning};
    case conversion_outcome::output_failed:
      break;
  }
  return {output_failed, box_style::icon_warning};
}

}  // namespace txt2csv
