// txt2csv-cli on hostile inputs and when memory runs out.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <regex>

#include "child_process.h"
#include "repetition.h"
#include "scratch_directory.h"

namespace txt2csv {
namespace {

using testing_support::child_command;
using testing_support::child_outcome;
using testing_support::file_contents;
using testing_support::put_file;
using testing_support::repetition;
using testing_support::run_child;
using testing_support::scratch_directory;
using testing_support::stream_checker;
using testing_support::write_repetition;

constexpr bool with_address_sanitizer = TXT2CSV_ADDRESS_SANITIZER;

// Odd, and more than the converter reads at once.
constexpr uint64_t n = (8 << 20) + 1;

struct hostile_case {
  std::string name;
  repetition input;
  std::string separator;
  repetition table;
  uint64_t longest_field;  // what the converter has to hold whole
};

const hostile_case hostile_cases[] = {
    {"all separators", {"", "|", n}, "|", {"", ",", n - 1, "\r\n"}, 0},
    {"all halves of a two-byte separator", {"", ":", n}, "::", {"", ",", n / 2, ":\r\n"}, 1},
    {"all line breaks", {"", "\r\n", n}, "|", {"", "\r\n", n}, 0},
    {"all high bytes", {"", "\xFF", n}, "|", {"", "\xFF", n, "\r\n"}, n},
    {"all high bytes, that byte the separator", {"", "\xFF", n}, "\xFF", {"", ",", n - 1, "\r\n"},
     0},
    {"all high bytes, two of them the separator", {"", "\xFF", n}, "\xFF\xFF",
     {"", ",", n / 2, "\xFF\r\n"}, 1},
    {"GBK characters ending in the separator byte", {"", "\x81|", n}, "|",
     {"", "\x81|", n, "\r\n"}, 2 * n},
    {"all full-width spaces, space as separator", {"", "\xA1\xA1", n}, " ",
     {"", "\xA1\xA1", n, "\r\n"}, 2 * n},
    {"all NUL bytes", {"", std::string(1, '\0'), n}, "|", {}, 0},
    {"NUL bytes after the first line", {"a|b\r\n", std::string(1, '\0'), n}, "|", {"a,b\r\n"}, 1},
    {"all double quotes", {"", "\"", n}, "|", {"\"", "\"\"", n, "\"\r\n"}, n},
    {"all lone CRs", {"", "\r", n}, "|", {"\"", "\r", n, "\"\r\n"}, n},
    {"all lone LFs", {"", "\n", n}, "|", {"\"", "\n", n, "\"\r\n"}, n},
    {"separator longer than the file", {"ab|cd\r\nef"}, std::string(65536, '|'),
     {"ab|cd\r\nef\r\n"}, 5},
    {"separator that the file begins", {"abc"}, "abcd", {"abc\r\n"}, 3},
    {"separator that is the whole file", {"||"}, "||", {"\r\n"}, 0},
    {"empty file", {}, "|", {}, 0},
};

// Memory is bounded by the longest field, never by the file.
long memory_bound_kib(uint64_t longest_field) {
  return static_cast<long>((64 << 10) + 4 * longest_field / 1024);
}

TEST(txt2csv_cli_inputs, hostile_files_convert_in_bounded_memory) {
  for (const hostile_case& c : hostile_cases) {
    SCOPED_TRACE(c.name);
    scratch_directory dir;
    int file = ::open((dir / "1.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_TRUE(write_repetition(file, c.input));
    ::close(file);
    stream_checker checker(c.table);
    child_command command;
    command.arguments = {TXT2CSV_CLI, "-s", c.separator, "1.txt"};
    command.directory = dir.path();
    command.take = [&](std::string_view piece) { checker.take(piece); };
    child_outcome result = run_child(command);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    checker.expect_complete();
    if (!with_address_sanitizer) {
      EXPECT_LT(result.peak_rss_kib, memory_bound_kib(c.longest_field));
    }
  }
}

// A field too big for the memory allowed: a clear message naming the size,
// exit status 1, and the old table kept.
TEST(txt2csv_cli_inputs, running_out_of_memory_keeps_the_old_table) {
  if (with_address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  const std::string old_table = "old,table\r\n";
  const std::string targets[] = {"1.csv", "new.csv"};
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    scratch_directory dir;
    put_file(dir / "1.csv", old_table);
    child_command command;
    command.arguments = {TXT2CSV_CLI, "-", target};
    command.directory = dir.path();
    command.feed = [](int input) { write_repetition(input, {"", "0123456789abcdef", 16 << 20}); };
    command.address_space_limit = 128 << 20;
    child_outcome result = run_child(command);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(std::regex_match(
        result.err, std::regex("txt2csv-cli: out of memory: [1-9][0-9]* bytes could not be "
                               "allocated\n")))
        << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(file_contents(dir / "1.csv"), old_table);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"1.csv"}));
  }
}

}  // namespace
}  // namespace txt2csv
