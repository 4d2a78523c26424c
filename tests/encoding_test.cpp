#include <gtest/gtest.h>

#include "primitives/encoding.h"

namespace txt2csv {
namespace {

using namespace std::string_literals;
constexpr auto gbk = text_encoding::gbk;
constexpr auto utf8 = text_encoding::utf8;

const struct detection_case {
  const char* name;
  std::string input;
  text_encoding encoding;
  bool known_early;  // decided before the end of the input
} detection_cases[] = {
    {"empty", "", gbk, false},
    {"ASCII only", "a|b\r\nc", gbk, false},
    {"UTF-8 Chinese", "\xE4\xB8\xAD,\xE6\x96\x87\r\n", utf8, false},
    {"UTF-8 four-byte character", "x\xF0\x9F\x98\x80y", utf8, false},
    {"byte-order mark alone", "\xEF\xBB\xBF", utf8, true},
    {"byte-order mark before GBK", "\xEF\xBB\xBF\xD6\xD0\xCE\xC4", utf8, true},
    {"GBK Chinese", "\xD6\xD0\xCE\xC4|\xB1\xED", gbk, true},
    {"short GBK", "\xCE\xC4", gbk, true},
    {"short GBK starting with a continuation byte", "\xB5\xC4", gbk, true},
    {"ASCII first, GBK much later", std::string(5000, 'a') + "\r\n\xC4\xE3\xBA\xC3", gbk, true},
    {"overlong two-byte form", "\xC0\x80", gbk, true},
    {"overlong three-byte form", "\xE0\x80\x80", gbk, true},
    {"surrogate", "\xED\xA0\x80", gbk, true},
    {"above U+10FFFF", "\xF4\x90\x80\x80", gbk, true},
    {"byte never in UTF-8", "a\xFF", gbk, true},
    {"cut at the end", "\xE4\xB8\xAD\xE4\xB8", gbk, false},
    {"NUL ends the text", "\xE4\xB8\xAD\0\xFF"s, utf8, true},
    {"NUL first", "\0\xE4\xB8\xAD"s, gbk, true},
    {"NUL after a cut sequence", "\xE4\xB8\0"s, gbk, true},
};

TEST(encoding_detector, decides_the_same_at_every_chunk_size) {
  for (const detection_case& c : detection_cases) {
    EXPECT_EQ(detect_encoding(c.input), c.encoding) << c.name;
    for (size_t chunk = 1; chunk <= c.input.size(); ++chunk) {
      SCOPED_TRACE(std::string(c.name) + ", chunk " + std::to_string(chunk));
      encoding_detector detector;
      for (size_t at = 0; at < c.input.size(); at += chunk)
        detector.feed(std::string_view(c.input).substr(at, chunk));
      EXPECT_EQ(detector.decision(), c.encoding);
      EXPECT_EQ(detector.early_decision().has_value(), c.known_early);
    }
  }
}

TEST(encoding_detector, knows_a_malformed_input_at_once) {
  encoding_detector detector;
  detector.feed("\xE4\xB8\xAD");
  EXPECT_EQ(detector.early_decision(), std::nullopt);
  detector.feed("\xCE\xC4");
  EXPECT_EQ(detector.early_decision(), gbk);
  detector.feed("\xE4\xB8\xAD");
  EXPECT_EQ(detector.decision(), gbk);
}

TEST(split_text, walks_utf8_characters) {
  const std::string zhong = "\xE4\xB8\xAD";     // 中
  const std::string comma = "\xEF\xBC\x8C";     // ，
  const struct {
    std::string input;
    std::string separator;
    std::vector<std::string> members;
  } cases[] = {
      // GBK's rule would take the "," for a second byte here.
      {zhong + "," + zhong, ",", {zhong, zhong}},
      {"a" + comma + "b" + comma, comma, {"a", "b"}},
      // A malformed byte stands alone, so the separator after it is found.
      {"\xFF,a", ",", {"\xFF", "a"}},
      {"\xE4\xB8,a", ",", {"\xE4\xB8", "a"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(split_text(c.input, c.separator, std::nullopt, utf8), c.members) << c.input;
}

TEST(trim_both_ends, trims_utf8_spaces) {
  const std::string ideographic = "\xE3\x80\x80";  // U+3000
  const struct {
    std::string input;
    std::string trimmed;
  } cases[] = {
      {ideographic + " ab" + ideographic, "ab"},
      {" \xA1\xA1|\xA1\xA1", "\xA1\xA1|\xA1\xA1"},  // GBK's full-width space is no space here
      {"ab\xE4", "ab\xE4"},                          // no lone lead byte rule
      {ideographic, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(trim_both_ends(c.input, utf8), c.trimmed) << c.input;
}

}  // namespace
}  // namespace txt2csv
