#include <gtest/gtest.h>

#include "convert/convert_file.h"
#include "convert/table.h"
#include "scratch_directory.h"

namespace txt2csv {
namespace {

using testing_support::file_contents;
using testing_support::put_file;
using testing_support::scratch_directory;

const std::string mark = "\xEF\xBB\xBF";
const std::string full_width_comma = "\xEF\xBC\x8C";  // ， in UTF-8; A3 AC in GBK
// More than the conversion keeps in memory while it tells the encoding, so
// that the file is read again from its start.
const std::string long_ascii_start = std::string(3 << 20, 'a') + "\r\n";

TEST(convert_file, tells_the_encoding_before_it_splits) {
  const struct {
    const char* name;
    std::string input;
    std::string typed_separator;  // UTF-8
    std::string table;
  } cases[] = {
      {"UTF-8: the comma after 中 separates", "\xE4\xB8\xAD,\xE6\x96\x87\r\n", ",",
       mark + "\xE4\xB8\xAD,\xE6\x96\x87\r\n"},
      {"UTF-8 with the mark and a quoted first field",
       mark + "\"a\"" + full_width_comma + "b\r\n", full_width_comma,
       mark + "\"\"\"a\"\"\",b\r\n"},
      {"GBK: the typed full-width comma separates", "a\xA3\xAC" "b\r\n", full_width_comma,
       "a,b\r\n"},
      {"short GBK is no UTF-8", "\xCE\xC4", ",", "\xCE\xC4\r\n"},
      {"GBK whose second bytes could continue UTF-8", "\xB5\xC4\xB0\xA1", ",",
       "\xB5\xC4\xB0\xA1\r\n"},
      {"ASCII only stays GBK, without a mark", "a,b", ",", "a,b\r\n"},
      {"long ASCII, then UTF-8", long_ascii_start + "\xE4\xB8\xAD,x", ",",
       mark + long_ascii_start + "\xE4\xB8\xAD,x\r\n"},
      {"long ASCII, then GBK", long_ascii_start + "\xE4\xB8\xAD,x\xFF", ",",
       long_ascii_start + "\"\xE4\xB8\xAD,x\xFF\"\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_directory dir;
    put_file(dir / "1.txt", c.input);
    conversion_result result =
        convert_file(dir / "1.txt", dir / "1.csv", spell_separator(c.typed_separator));
    ASSERT_EQ(result.outcome, conversion_outcome::done) << result.reason;
    EXPECT_TRUE(file_contents(dir / "1.csv") == c.table);
  }
}

TEST(convert_file, takes_the_encoding_it_is_given) {
  scratch_directory dir;
  put_file(dir / "1.txt", "\xE4\xB8\xAD,a");
  ASSERT_EQ(convert_file(dir / "1.txt", dir / "1.csv", spell_separator(","), text_encoding::gbk)
                .outcome,
            conversion_outcome::done);
  EXPECT_EQ(file_contents(dir / "1.csv"), "\"\xE4\xB8\xAD,a\"\r\n");
  put_file(dir / "1.txt", "\xCE\xC4,a");
  ASSERT_EQ(convert_file(dir / "1.txt", dir / "1.csv", spell_separator(","), text_encoding::utf8)
                .outcome,
            conversion_outcome::done);
  EXPECT_EQ(file_contents(dir / "1.csv"), mark + "\xCE\xC4,a\r\n");
}

TEST(scratch_file, gives_back_what_was_written) {
  scratch_file scratch;
  ASSERT_TRUE(scratch.is_open()) << scratch.failure();
  const std::string first(3 << 20, 'x');
  ASSERT_TRUE(scratch.write(first));
  ASSERT_TRUE(scratch.write("end"));
  ASSERT_TRUE(scratch.rewind());
  std::string back;
  std::string buffer(1 << 20, '\0');
  while (std::optional<size_t> count = scratch.read(buffer.data(), buffer.size())) {
    if (*count == 0) break;
    back.append(buffer, 0, *count);
  }
  EXPECT_TRUE(back == first + "end");
}

}  // namespace
}  // namespace txt2csv
