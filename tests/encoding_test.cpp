#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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

// The decision by definition, one character at a time.
text_encoding reference_decision(std::string_view input) {
  if (input.starts_with(utf8_byte_order_mark)) return utf8;
  const std::string text = bytes_to_text(input);
  const bool has_high = std::any_of(text.begin(), text.end(), is_lead_byte);
  return is_well_formed_utf8(text) && has_high ? utf8 : gbk;
}

// Sequences at the edges of what UTF-8 allows, and just past them.
const std::string well_formed_pieces[] = {
    "a",       "\x7F",     "\xC2\x80",       "\xDF\xBF",       "\xE0\xA0\x80",
    "\xE4\xB8\xAD", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80",
    "\xF3\xBF\xBF\xBF", "\xF4\x8F\xBF\xBF"};
const std::string malformed_pieces[] = {
    "\x80",         "\xBF",         "\xC0\x80",     "\xC1\xBF",     "\xC2",         "\xC2\x41",
    "\xC2\x80\x80",   "\xE0\x80\x80",   "\xE0\x9F\xBF", "\xE4\xB8",     "\xE4\xB8\x41", "\xE4\x41",
    "\xED\xA0\x80",   "\xED\xBF\xBF",   "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
    "\xF5\x80\x80\x80", "\xF8\x88\x80\x80", "\xFF",         "\xF0\x90\x80", "\xF0\x90\x80\x41",
    "\xE4\xB8\xAD\x80"};

// Whole blocks of the input are checked together: every piece at every
// place across two blocks and their lanes, alone and after a character.
TEST(encoding_detector, tells_every_piece_at_every_place) {
  std::vector<std::string> pieces(std::begin(well_formed_pieces), std::end(well_formed_pieces));
  pieces.insert(pieces.end(), std::begin(malformed_pieces), std::end(malformed_pieces));
  for (const std::string& piece : pieces) {
    for (const std::string& before : {std::string(), std::string("\xE4\xB8\xAD")}) {
      for (size_t place = 0; place + before.size() + piece.size() <= 100; ++place) {
        std::string input(100, 'x');
        input.replace(place, before.size() + piece.size(), before + piece);
        SCOPED_TRACE(testing::PrintToString(piece) + " at " + std::to_string(place));
        ASSERT_EQ(detect_encoding(input), reference_decision(input));
      }
    }
  }
}

// Long random inputs of such pieces, fed in chunks of changing sizes.
TEST(encoding_detector, decides_by_the_definition_on_random_inputs) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 4000; ++round) {
    std::string input;
    const size_t pieces = random() % 200;
    const bool spoiled = round % 2 == 0;
    for (size_t i = 0; i < pieces; ++i)
      input += well_formed_pieces[random() % std::size(well_formed_pieces)];
    if (spoiled)
      input.insert(random() % (input.size() + 1),
                   malformed_pieces[random() % std::size(malformed_pieces)]);
    SCOPED_TRACE(testing::Message() << "round " << round);
    encoding_detector detector;
    for (size_t at = 0, chunk; at < input.size(); at += chunk) {
      chunk = 1 + random() % 90;
      detector.feed(std::string_view(input).substr(at, chunk));
    }
    ASSERT_EQ(detector.decision(), reference_decision(input));
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
