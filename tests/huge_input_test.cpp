// txt2csv-cli on inputs far larger than memory, made on the fly and checked
// as they stream out, so that neither side stores them.
#include <gtest/gtest.h>

#include "child_process.h"
#include "convert/table.h"
#include "repetition.h"

namespace txt2csv {
namespace {

using testing_support::child_command;
using testing_support::child_outcome;
using testing_support::repetition;
using testing_support::run_child;
using testing_support::stream_checker;
using testing_support::write_repetition;

constexpr uint64_t mib = 1 << 20;
constexpr long bounded_kib = 64 << 10;

// Streams `input` through txt2csv-cli and compares its output with `table`.
child_outcome convert_and_check(const std::string& separator, const repetition& input,
                                const repetition& table) {
  stream_checker checker(table);
  child_command command;
  command.arguments = {TXT2CSV_CLI, "-s", separator};
  command.feed = [&](int descriptor) { write_repetition(descriptor, input); };
  command.take = [&](std::string_view piece) { checker.take(piece); };
  child_outcome result = run_child(command);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  checker.expect_complete();
  return result;
}

// Lines of every kind, 193 bytes in all (a prime), so that reads cut them
// at ever other places.
const std::string sample_lines =
    "\xD6\xD0\xCE\xC4|x,y||end\r\n"
    "say \"hi\"|\x81|b|\xA1\xA1 spaced \xA1\xA1\r\n"
    "\r\n"
    "a line without a separator, but with commas\r\n"
    "a|b|c|d|e|f|g|h|i|j|k|l|m|n|o|p\r\n"
    "lone\rCR|lone\nLF|tab\there\r\n"
    "\xB1\xED|\xB8\xF1|\x81\x7C\x81\x7C|trailing|\r\n"
    "|leading and double||\r\n";

TEST(txt2csv_cli_huge, more_than_4_gib_through_standard_input) {
  const uint64_t count = (4096 + 64) * mib / sample_lines.size();
  child_outcome result = convert_and_check(
      "|", {"", sample_lines, count, ""}, {"", table_from_whole_text(sample_lines, "|"), count, ""});
  EXPECT_LT(result.peak_rss_kib, bounded_kib);
}

TEST(txt2csv_cli_huge, a_line_of_hundreds_of_mib_of_short_fields) {
  const uint64_t fields = 384 * mib / 10;
  // The last separator ends the line and gives no empty field.
  child_outcome result = convert_and_check("|", {"", "abcdefghi|", fields, ""},
                                           {"", "abcdefghi,", fields - 1, "abcdefghi\r\n"});
  EXPECT_LT(result.peak_rss_kib, bounded_kib);
}

// Whether a field needs quotes is known only at its end, so the field is held
// whole: memory follows the field's size, and nothing more.
TEST(txt2csv_cli_huge, a_field_of_hundreds_of_mib_takes_memory_in_proportion) {
  const std::string unit = "quoted, because of the comma|";
  const uint64_t count = 256 * mib / unit.size();
  child_outcome result =
      convert_and_check(",|,", {"", unit, count, ""}, {"\"", unit, count, "\"\r\n"});
  const uint64_t field_kib = unit.size() * count / 1024;
  EXPECT_LT(result.peak_rss_kib, static_cast<long>(4 * field_kib) + bounded_kib);
}

}  // namespace
}  // namespace txt2csv
