#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "primitives/text.h"

namespace txt2csv {
namespace {

struct split_case {
  std::string input;
  std::optional<std::string> separator;  // absent: left out of the call
  std::optional<long long> limit;
  std::vector<std::string> members;
};

text_array split(const split_case& c) {
  if (c.separator) return split_text(c.input, *c.separator, c.limit);
  return c.limit ? split_text(c.input, ",", c.limit) : split_text(c.input);
}

TEST(split_text, follows_every_rule) {
  const std::string bar_inside = "\x81|";  // a GBK character whose second byte is "|"
  const split_case cases[] = {
      {"a,b,c", {}, {}, {"a", "b", "c"}},
      {"a,,b", {}, {}, {"a", "", "b"}},
      {",a", {}, {}, {"", "a"}},
      {"a,", {}, {}, {"a"}},
      {"a,,", {}, {}, {"a", ""}},
      {",", {}, {}, {""}},
      {",,", {}, {}, {"", ""}},
      {"", {}, {}, {}},
      {"abc", {}, {}, {"abc"}},
      {"a,b,c", {}, 2, {"a", "b"}},
      {"a,b", {}, 2, {"a", "b"}},
      {"a,b,c", {}, 0, {}},
      {"a,b,c", {}, -1, {}},
      {"a,b,c", {}, -1000000, {}},
      {"a,b,c", {}, 1, {"a"}},
      {"a,b,c", {}, 3, {"a", "b", "c"}},
      {"abc", "", {}, {"abc"}},
      {"", "", {}, {}},
      {"ab", "abc", {}, {"ab"}},
      {"a|b|c", "|", {}, {"a", "b", "c"}},
      {"aXYbXYc", "XY", {}, {"a", "b", "c"}},
      {"aXXYb", "XY", {}, {"aX", "b"}},
      {"A,a", "a", {}, {"A,"}},  // case matters
      // CR LF lines: a final line break gives no empty line, two give one.
      {"one\r\ntwo\r\n", "\r\n", {}, {"one", "two"}},
      {"one\r\n\r\ntwo", "\r\n", {}, {"one", "", "two"}},
      {"a\rb\nc", "\r\n", {}, {"a\rb\nc"}},
      // GBK: never matched at a second byte, matched right after one.
      {"x" + bar_inside + "|y", "|", {}, {"x" + bar_inside, "y"}},
      {bar_inside + bar_inside, "|", {}, {bar_inside + bar_inside}},
      {"\xD6\xD0,\xCE\xC4", {}, {}, {"\xD6\xD0", "\xCE\xC4"}},
      {"a\x81\r\nb", "\r\n", {}, {"a\x81\r\nb"}},
      // A lone lead byte at the end stops the scan.
      {"a|\x81", "|", {}, {"a", "\x81"}},
      {"a\x81", "\x81", {}, {"a"}},
      // A GBK separator (the full-width comma).
      {"a\xA3\xAC" "b", "\xA3\xAC", {}, {"a", "b"}},
      {"\xB0\xA3\xAC" "b", "\xA3\xAC", {}, {"\xB0\xA3\xAC" "b"}},
  };
  for (const split_case& c : cases) {
    SCOPED_TRACE(testing::Message() << "input [" << c.input << "] separator ["
                                    << c.separator.value_or("(omitted)") << "] limit "
                                    << (c.limit ? std::to_string(*c.limit) : "(omitted)"));
    EXPECT_EQ(split(c), c.members);
  }
}

TEST(trim_both_ends, removes_both_kinds_of_space) {
  const std::string full = "\xA1\xA1";
  const struct {
    std::string input;
    std::string trimmed;
  } cases[] = {
      {"  ab  ", "ab"},
      {" a b ", "a b"},
      {full + full + "ab" + full + " ", "ab"},
      {" " + full + " ab" + " " + full, "ab"},
      {"   ", ""},
      {full, ""},
      {"", ""},
      {"ab", "ab"},
      {"\tab\t", "\tab\t"},
      {"\r\nab\r\n", "\r\nab\r\n"},
      // A lone lead byte at the end goes alone; the spaces before it stay.
      {"ab  \x81", "ab  "},
      {"  \x81", ""},
      {"\x81", ""},
      // 0xA1 0xA1 only counts on a character boundary.
      {"a\xB0\xA1\xA1", "a\xB0\xA1"},
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
      {"\xA1\xA1\xA1", ""},
      {" \xA1", ""},
      {"\xA1 ", "\xA1 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("input [" + c.input + "]");
    EXPECT_EQ(trim_both_ends(c.input), c.trimmed);
  }
}

TEST(trim_both_ends, leaves_its_argument_alone) {
  const std::string input = "  ab  ";
  EXPECT_EQ(trim_both_ends(input), "ab");
  EXPECT_EQ(input, "  ab  ");
}

TEST(bytes_and_texts, convert_up_to_the_first_nul) {
  using namespace std::string_literals;
  const struct {
    std::string block;
    std::string text;
  } cases[] = {
      {"abc", "abc"},
      {"ab\0cd"s, "ab"},
      {"\0abc"s, ""},
      {"", ""},
      {"\xD6\xD0\x81", "\xD6\xD0\x81"},
  };
  for (const auto& c : cases) EXPECT_EQ(bytes_to_text(c.block), c.text);
  EXPECT_EQ(text_to_bytes("\xD6\xD0|x"), "\xD6\xD0|x");
  EXPECT_EQ(text_to_bytes(""), "");
}

TEST(concatenate_texts, joins_in_order) {
  EXPECT_EQ(concatenate_texts({"C:\\dir", "\\1.txt"}), "C:\\dir\\1.txt");
  EXPECT_EQ(concatenate_texts({"", "", ""}), "");
  EXPECT_EQ(concatenate_texts({"a", "", "b", "c"}), "abc");
}

}  // namespace
}  // namespace txt2csv
