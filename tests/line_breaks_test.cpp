#include "primitives/line_breaks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace txt2csv {
namespace {

// One unit a character, whatever its bytes.
int characters(std::string_view text) {
  int count = 0;
  for (char byte : text) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return count;
}

TEST(wrapped_lines, breaks_at_spaces_and_between_chinese_characters) {
  const struct {
    std::string text;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
      {"", 5, {}},
      {"abc def", 5, {"abc", "def"}},
      {"ab  cd", 3, {"ab", "cd"}},
      {"abc def", 7, {"abc def"}},
      {"abcdefgh", 5, {"abcde", "fgh"}},  // a word wider than the line is cut
      {"中文字符串", 3, {"中文字", "符串"}},
      // A Latin word after Chinese text moves whole to the next line.
      {"生成的后文件为EXCEL的CSV", 8, {"生成的后文件为", "EXCEL的", "CSV"}},
      {"a\r\n\r\nb\r\n", 5, {"a", "", "b"}},
      {"a\nb", 5, {"a", "b"}},
      {"中", 0, {"中"}},  // at least one character a line
  };
  for (const auto& c : cases) {
    const std::vector<std::string_view> lines = wrapped_lines(c.text, c.width, characters);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), c.lines) << c.text;
  }
}

}  // namespace
}  // namespace txt2csv
