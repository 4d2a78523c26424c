#include <gtest/gtest.h>

#include "primitives/code_page.h"

namespace txt2csv {
namespace {

using namespace std::string_literals;

TEST(code_page, converts_between_gbk_and_utf8) {
  const struct {
    std::string gbk;
    std::string utf8;
  } cases[] = {
      {"", ""},
      {"a|b", "a|b"},
      {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},        // 中文
      {"\xA3\xAC", "\xEF\xBC\x8C"},                            // full-width comma
      {"\x83\x7C", "\xE5\x84\x84"},                            // 億, second byte "|"
      {"\x80", "\xE2\x82\xAC"},                                // the euro sign of code page 936
      {"\xD0\xC5\xCF\xA2\xA3\xBA", "\xE4\xBF\xA1\xE6\x81\xAF\xEF\xBC\x9A"},  // 信息：
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8_from_gbk(c.gbk), c.utf8);
    EXPECT_EQ(gbk_from_utf8(c.utf8), c.gbk);
  }
}

TEST(code_page, marks_what_gbk_cannot_hold) {
  // Hangul and a snowman have no GBK form: each becomes NUL.
  EXPECT_EQ(gbk_from_utf8("a\xED\x95\x9C|\xE2\x98\x83"), "a\0|\0"s);
}

}  // namespace
}  // namespace txt2csv
