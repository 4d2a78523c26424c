#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "convert/table.h"
#include "convert/table_writer.h"

namespace txt2csv {
namespace {

using namespace std::string_literals;

constexpr auto gbk = text_encoding::gbk;
constexpr auto utf8 = text_encoding::utf8;

// A writer that appends its table to `table`.
table_writer writer_into(std::string& table, std::string_view separator,
                         text_encoding encoding = gbk) {
  return table_writer(
      separator,
      [&table](std::string_view piece) {
        table += piece;
        return true;
      },
      encoding);
}

// Streams `input` through a table_writer in chunks of `chunk` bytes.
std::string stream_table(std::string_view input, std::string_view separator, size_t chunk,
                         text_encoding encoding = gbk) {
  std::string table;
  table_writer writer = writer_into(table, separator, encoding);
  for (size_t at = 0; at < input.size(); at += chunk)
    EXPECT_TRUE(writer.write(input.substr(at, chunk)));
  EXPECT_TRUE(writer.finish());
  return table;
}

struct table_case {
  std::string name;
  std::string input;
  std::string separator;
  std::string table;
  text_encoding encoding = gbk;
};

const std::string bar_inside = "\x81|";  // a GBK character whose second byte is "|"
const std::string mark = "\xEF\xBB\xBF";  // UTF-8's byte-order mark

const table_case table_cases[] = {
    {"bar fields", "a|b|c\r\n", "|", "a,b,c\r\n"},
    {"last line without a line break", "a|b\r\nc|d", "|", "a,b\r\nc,d\r\n"},
    {"no separator in the line", "abc\r\n", "|", "abc\r\n"},
    {"adjacent and leading separators", "|a||b\r\n", "|", ",a,,b\r\n"},
    {"trailing separator gives no empty field", "a|b|\r\n", "|", "a,b\r\n"},
    {"two trailing separators", "a||\r\n", "|", "a,\r\n"},
    {"empty lines give empty rows", "a\r\n\r\nb\r\n", "|", "a\r\n\r\nb\r\n"},
    {"only line breaks", "\r\n\r\n", "|", "\r\n\r\n"},
    {"empty input", "", "|", ""},
    {"input starting with NUL", "\0a|b"s, "|", ""},
    {"NUL in the middle ends the text", "a|b\r\nc\0|d\r\ne"s, "|", "a,b\r\nc\r\n"},
    {"lone CR and LF stay in their field", "a\rb|c\nd\r\n", "|", "\"a\rb\",\"c\nd\"\r\n"},
    {"CR before CR LF", "a\r\r\nb", "|", "\"a\r\"\r\nb\r\n"},
    {"comma inside a field is quoted", "x,y|z\r\n", "|", "\"x,y\",z\r\n"},
    {"quotes are doubled", "say \"hi\"|z\r\n", "|", "\"say \"\"hi\"\"\",z\r\n"},
    {"lone quote", "\"|\r\n", "|", "\"\"\"\"\r\n"},
    {"comma separator", "a,b,,c\r\n", ",", "a,b,,c\r\n"},
    {"bar inside a GBK character", "x" + bar_inside + "|y\r\n", "|", "x" + bar_inside + ",y\r\n"},
    {"GBK characters throughout", "\xD6\xD0\xCE\xC4|\xB1\xED\r\n", "|", "\xD6\xD0\xCE\xC4,\xB1\xED\r\n"},
    {"GBK separator", "a\xA3\xAC" "b\xA3\xAC" "c\r\n", "\xA3\xAC", "a,b,c\r\n"},
    {"GBK separator not matched across characters", "\xB0\xA3\xAC" "b\r\n", "\xA3\xAC",
     "\xB0\xA3\xAC" "b\r\n"},
    {"two-byte separator", "a::b:c::\r\n", "::", "a,b:c\r\n"},
    {"separator longer than a line", "ab\r\nabcd|\r\n", "abcd|", "ab\r\n\r\n"},
    {"separator is trimmed", "a|b\r\n", " |\xA1\xA1", "a,b\r\n"},
    {"space alone stays a separator", "a b  c\r\n", " ", "a,b,,c\r\n"},
    {"empty separator keeps the line whole", "a,b|c\r\n\r\nd\r\n", "", "\"a,b|c\"\r\n\r\nd\r\n"},
    {"lead byte before CR swallows it", "a\x81\r\nb\r\n", "|", "\"a\x81\r\nb\"\r\n"},
    {"lone lead byte at the end", "a|\x81", "|", "a,\x81\r\n"},
    {"lead byte dropped from the separator by trimming", "a|\x81" "b\r\n", "|\x81",
     "a,\x81" "b\r\n"},
    // A lone lead byte as separator: its fields walk differently from the lines.
    {"lead byte as separator", "a\x81\r\nb\x81\x81" "c", "\x81", "a,\"\r\nb\",,c\r\n"},
    {"separator made of a line break", "a\r\nb", "\r\n", "a\r\nb\r\n"},
    {"separator holding a line break", "ax\r\nyb\r\n", "x\r\ny", "ax\r\nyb\r\n"},

    // UTF-8: 中 is E4 B8 AD, ， (full-width comma) EF BC 8C, U+3000 E3 80 80.
    {"UTF-8 separator right after a three-byte character", "\xE4\xB8\xAD,a\r\n", ",",
     mark + "\xE4\xB8\xAD,a\r\n", utf8},
    {"GBK reads the same bytes as one field", "\xE4\xB8\xAD,a\r\n", ",", "\"\xE4\xB8\xAD,a\"\r\n"},
    {"UTF-8 full-width comma as separator", "a\xEF\xBC\x8C\xE4\xB8\xAD\xEF\xBC\x8C\r\n",
     "\xEF\xBC\x8C", mark + "a,\xE4\xB8\xAD\r\n", utf8},
    {"UTF-8 mark before a quoted first field", mark + "\"a\"|b\r\n", "|",
     mark + "\"\"\"a\"\"\",b\r\n", utf8},
    {"UTF-8 mark only at the start", mark + mark + "|b", "|", mark + mark + ",b\r\n", utf8},
    {"UTF-8 separator trimmed of U+3000", "a|b\r\n", "\xE3\x80\x80|\xE3\x80\x80 ",
     mark + "a,b\r\n", utf8},
    {"UTF-8 empty input still gets the mark", "", "|", mark, utf8},
    {"UTF-8 input of a mark alone", mark, "|", mark, utf8},
    {"UTF-8 part of a mark is text", "\xEF\xBB", "|", mark + "\xEF\xBB\r\n", utf8},
    {"UTF-8 malformed bytes stand alone", "\xE4\xB8|\xFF\r\n\xE4\r\n", "|",
     mark + "\xE4\xB8,\xFF\r\n\xE4\r\n", utf8},
    {"UTF-8 separator starting inside a character", "\xE4\xB8\xAD\xB8\xAD" "a", "\xB8\xAD",
     mark + "\xE4\xB8\xAD,a\r\n", utf8},
    {"UTF-8 separator holding a line break", "a\xE4\xB8\xAD\r\nb", "\xAD\r\n",
     mark + "a\xE4\xB8\xAD\r\nb\r\n", utf8},
};

TEST(table, whole_text_rules_give_the_expected_table) {
  for (const table_case& c : table_cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(table_from_whole_text(c.input, c.separator, c.encoding), c.table);
  }
}

TEST(table_writer, matches_the_whole_text_at_every_chunk_size) {
  for (const table_case& c : table_cases) {
    for (size_t chunk = 1; chunk <= c.input.size() + 1; ++chunk) {
      SCOPED_TRACE(c.name + ", chunk " + std::to_string(chunk));
      EXPECT_EQ(stream_table(c.input, c.separator, chunk, c.encoding), c.table);
    }
  }
}

// The converter works on blocks of 64 bytes: every case again with its bytes
// moved across block boundaries, fed whole and in pieces that split blocks.
TEST(table_writer, matches_the_whole_text_across_block_boundaries) {
  for (const table_case& c : table_cases) {
    for (size_t shift = 0; shift <= 130; ++shift) {
      const std::string input = std::string(shift, 'x') + c.input;
      const std::string expected = table_from_whole_text(input, c.separator, c.encoding);
      for (size_t chunk : {size_t{1}, size_t{63}, size_t{65}, size_t{200}}) {
        SCOPED_TRACE(c.name + ", shift " + std::to_string(shift) + ", chunk " +
                     std::to_string(chunk));
        ASSERT_EQ(stream_table(input, c.separator, chunk, c.encoding), expected);
      }
    }
  }
}

// GBK's bytes that matter and pieces of UTF-8 sequences (中, ，, U+3000, the mark).
const std::string random_alphabet = "ab|,\" \r\n\x81\xA1\xA3\xAC\0\xE4\xB8\xAD\xEF\xBC\x8C\xE3\x80\xBB\xBF"s;
const std::string random_separators[] = {
    "|",  ",",      "",   " ",    "::",     "\xA3\xAC",     "|\x81",     "\r",
    "\n", "\r\n",   "a|b", "\xA1\xA1", "\x81",   "\"",           "ab\"|",     "\xEF\xBC\x8C",
    "\xB8", "\xE4",  "\xAD|", "\xE3\x80\x80", "\xE4\xB8\xAD\xE4"};

std::string random_text(std::mt19937& random, size_t size) {
  std::string text(size, ' ');
  for (char& byte : text) byte = random_alphabet[random() % random_alphabet.size()];
  return text;
}

// Random texts over the bytes that matter, random separators and chunk sizes.
TEST(table_writer, matches_the_whole_text_on_random_inputs) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 3000; ++round) {
    const std::string input = random_text(random, random() % 40);
    const std::string& separator = random_separators[random() % std::size(random_separators)];
    const size_t chunk = 1 + random() % 9;
    const text_encoding encoding = round % 2 ? utf8 : gbk;
    SCOPED_TRACE(testing::Message() << "round " << round << ", chunk " << chunk);
    ASSERT_EQ(stream_table(input, separator, chunk, encoding),
              table_from_whole_text(input, separator, encoding));
  }
}

// Long random texts, each cut into chunks of changing sizes, so that blocks
// are put together from several chunks and fields span many blocks.
TEST(table_writer, matches_the_whole_text_on_long_random_inputs) {
  std::mt19937 random(1212);
  for (int round = 0; round < 600; ++round) {
    std::string input = random_text(random, random() % 3000);
    if (round % 2) std::erase(input, '\0');
    const std::string& separator = random_separators[random() % std::size(random_separators)];
    const size_t largest_chunk = 1 + random() % 400;
    const text_encoding encoding = round % 4 < 2 ? utf8 : gbk;
    SCOPED_TRACE(testing::Message() << "round " << round << ", chunks up to " << largest_chunk);
    std::string table;
    table_writer writer = writer_into(table, separator, encoding);
    for (size_t at = 0, chunk; at < input.size(); at += chunk) {
      chunk = 1 + random() % largest_chunk;
      ASSERT_TRUE(writer.write(std::string_view(input).substr(at, chunk)));
    }
    ASSERT_TRUE(writer.finish());
    ASSERT_EQ(table, table_from_whole_text(input, separator, encoding));
  }
}

TEST(table_writer, stops_when_the_sink_fails) {
  int calls = 0;
  table_writer writer("|", [&](std::string_view) {
    ++calls;
    return false;
  });
  EXPECT_TRUE(writer.write("a|b\r\n"));  // still buffered
  EXPECT_FALSE(writer.finish());
  EXPECT_FALSE(writer.write("c\r\n"));
  EXPECT_FALSE(writer.finish());
  EXPECT_EQ(calls, 1);
}

TEST(table_writer, quotes_a_field_longer_than_its_buffer) {
  // The quote at the end of the field is seen long after its start went by.
  const std::string field = std::string(3 << 20, '\xB0') + "\"";
  const std::string input = "a|" + field + "|b\r\n" + field + "\r\n";
  for (size_t chunk : {size_t{4096}, size_t{1} << 20}) {
    SCOPED_TRACE(chunk);
    EXPECT_EQ(stream_table(input, "|", chunk), table_from_whole_text(input, "|"));
  }
}

TEST(table_writer, keeps_memory_to_the_field_being_read) {
  // A long line of short fields goes out as it streams, before its line ends.
  std::string table;
  table_writer writer = writer_into(table, "|");
  const std::string fields(1 << 20, '|');
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(writer.write(fields));
  EXPECT_GE(table.size(), 3u << 20);
  ASSERT_TRUE(writer.finish());
  EXPECT_EQ(table, std::string((4u << 20) - 1, ',') + "\r\n");
}

}  // namespace
}  // namespace txt2csv
