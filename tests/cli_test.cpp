#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "convert/table.h"
#include "scratch_directory.h"

namespace txt2csv {
namespace {

using testing_support::file_contents;
using testing_support::put_file;
using testing_support::scratch_directory;

struct outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs txt2csv-cli in `dir` through the shell, with `arguments` as written
// and after `feed`, the start of a pipeline that ends in it.
outcome run_cli(const scratch_directory& dir, const std::string& arguments,
                const std::string& feed = "") {
  const std::string command = "cd '" + dir.path().string() + "' && " + feed + " '" TXT2CSV_CLI
                              "' " + arguments + " >.stdout 2>.stderr";
  int status = std::system(command.c_str());
  outcome result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, file_contents(dir / ".stdout"),
                 file_contents(dir / ".stderr")};
  std::filesystem::remove(dir / ".stdout");
  std::filesystem::remove(dir / ".stderr");
  return result;
}

const std::string sample = "\xD6\xD0\x81|\xCE\xC4|x,y||end\r\nsecond\r\n";
const std::string sample_table = "\xD6\xD0\x81|\xCE\xC4,\"x,y\",,end\r\nsecond\r\n";

TEST(txt2csv_cli, converts_files_and_streams) {
  const struct {
    std::string arguments;
    std::string input;
    std::string expected_stdout;
    std::string expected_file;  // 1.csv after the run; empty: not written
  } cases[] = {
      {"-s '|' 1.txt 1.csv", sample, "", sample_table},
      {"'-s|' 1.txt 1.csv", sample, "", sample_table},
      {"-s '|' 1.txt", sample, sample_table, ""},
      {"-s '|' - - < 1.txt", sample, sample_table, ""},
      {"-s '|' < 1.txt", sample, sample_table, ""},
      {"-s '|' - 1.csv < 1.txt", sample, "", sample_table},
      {"1.txt 1.csv", "a,b\r\n", "", "a,b\r\n"},
      {"-s ' | ' 1.txt", "a|b\r\n", "a,b\r\n", ""},
      {"-s '' 1.txt", "a|b,c\r\n", "\"a|b,c\"\r\n", ""},
      {"-- 1.txt 1.csv", "a\r\n", "", "a\r\n"},
      {"1.txt 1.csv", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    scratch_directory dir;
    put_file(dir / "1.txt", c.input);
    outcome result = run_cli(dir, c.arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, c.expected_stdout);
    if (!c.expected_file.empty() || c.input.empty()) {
      EXPECT_EQ(file_contents(dir / "1.csv"), c.expected_file);
    }
  }
}

TEST(txt2csv_cli, replaces_an_existing_table) {
  scratch_directory dir;
  put_file(dir / "1.txt", "a|b\r\n");
  put_file(dir / "1.csv", "an older, longer table\r\nwith two rows\r\n");
  EXPECT_EQ(run_cli(dir, "-s '|' 1.txt 1.csv").status, 0);
  EXPECT_EQ(file_contents(dir / "1.csv"), "a,b\r\n");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"1.txt", "1.csv"}));
}

// Each failure: exit status 1, a message naming the file, the old table intact.
TEST(txt2csv_cli, failures_leave_the_old_table) {
  const struct {
    std::string name;
    std::string arguments;
    std::function<void(const scratch_directory&)> arrange;
    std::string message;
  } cases[] = {
      {"missing input", "missing.txt 1.csv", [](const scratch_directory&) {},
       "txt2csv-cli: cannot find 'missing.txt': no such file\n"},
      {"input is a directory", "dir.txt 1.csv",
       [](const scratch_directory& dir) { std::filesystem::create_directory(dir / "dir.txt"); },
       "txt2csv-cli: cannot read 'dir.txt': it is a directory\n"},
      {"output directory missing", "1.txt none/1.csv", [](const scratch_directory&) {},
       "txt2csv-cli: cannot write 'none/1.csv': No such file or directory; it was not changed\n"},
      {"output is a directory", "1.txt out", [](const scratch_directory& dir) {
         std::filesystem::create_directory(dir / "out");
       },
       "txt2csv-cli: cannot write 'out': Is a directory; it was not changed\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_directory dir;
    put_file(dir / "1.txt", "a|b\r\n");
    put_file(dir / "1.csv", "old\r\n");
    c.arrange(dir);
    const std::set<std::string> before = dir.names();
    outcome result = run_cli(dir, c.arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.message);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(file_contents(dir / "1.csv"), "old\r\n");
    EXPECT_EQ(dir.names(), before);
  }
}

TEST(txt2csv_cli, keeps_a_table_another_program_holds) {
  scratch_directory dir;
  put_file(dir / "1.txt", "a|b\r\n");
  put_file(dir / "1.csv", "old\r\n");
  int holder = ::open((dir / "1.csv").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_SH), 0);
  outcome result = run_cli(dir, "-s '|' 1.txt 1.csv");
  ::close(holder);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "txt2csv-cli: cannot write '1.csv': another program holds it open; it was not changed\n");
  EXPECT_EQ(file_contents(dir / "1.csv"), "old\r\n");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"1.txt", "1.csv"}));
}

// UTF-8: 中 is E4 B8 AD, the full-width comma ， EF BC 8C (GBK: A3 AC).
const std::string mark = "\xEF\xBB\xBF";
const std::string utf8_sample = "\xE4\xB8\xAD,a\r\n";
// Long enough that the encoding is known only after the converter has read
// more than it keeps in memory.
const std::string ascii_start = [] {
  std::string start;
  while (start.size() < (3 << 20)) start += "abc,\"def\"\r\n";
  return start;
}();

TEST(txt2csv_cli, tells_utf8_from_gbk) {
  const struct {
    std::string feed;
    std::string arguments;
    std::string input;
    std::string expected_stdout;
  } cases[] = {
      {"", "1.txt", utf8_sample, mark + utf8_sample},
      {"", "< 1.txt", utf8_sample, mark + utf8_sample},
      {"", "--encoding gbk 1.txt", utf8_sample, "\"" + utf8_sample.substr(0, 5) + "\"\r\n"},
      {"", "--encoding=utf-8 1.txt", "\xCE\xC4,a", mark + "\xCE\xC4,a\r\n"},
      {"", "--encoding auto 1.txt", "\xCE\xC4,a", "\xCE\xC4,a\r\n"},
      // A separator typed as UTF-8 text is spelled in the input's encoding.
      {"", "-s '\xEF\xBC\x8C' 1.txt", "a\xA3\xAC" "b\r\n", "a,b\r\n"},
      {"", "-s '\xEF\xBC\x8C' 1.txt", "a\xEF\xBC\x8C" "b\r\n", mark + "a,b\r\n"},
      // Bytes that are no UTF-8 are taken as they are.
      {"", "-s \"$(printf '\\243\\254')\" 1.txt", "a\xA3\xAC" "b\r\n", "a,b\r\n"},
      // Told late: a file is read again, a pipe's start kept aside.
      {"", "1.txt", ascii_start + utf8_sample,
       table_from_whole_text(ascii_start + utf8_sample, ",", text_encoding::utf8)},
      {"", "1.txt", ascii_start + "\xCE\xC4,a",
       table_from_whole_text(ascii_start + "\xCE\xC4,a", ",", text_encoding::gbk)},
      {"cat 1.txt |", "", ascii_start + utf8_sample,
       table_from_whole_text(ascii_start + utf8_sample, ",", text_encoding::utf8)},
      {"cat 1.txt |", "", ascii_start + "\xCE\xC4,a",
       table_from_whole_text(ascii_start + "\xCE\xC4,a", ",", text_encoding::gbk)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.feed + c.arguments + ", " + std::to_string(c.input.size()) + " bytes");
    scratch_directory dir;
    put_file(dir / "1.txt", c.input);
    outcome result = run_cli(dir, c.arguments, c.feed);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out == c.expected_stdout) << result.out.substr(0, 80);
  }
}

// The text ends at its first NUL, so an endless input after it is not read to
// its end (timeout ends the test's run if it were).
TEST(txt2csv_cli, stops_reading_where_the_text_ends) {
  const struct {
    std::string feed;
    std::string arguments;
    std::string expected_stdout;
  } cases[] = {
      {"timeout 20", "/dev/zero", ""},
      {"(printf 'a|b\\r\\n'; cat /dev/zero) | timeout 20", "-s '|'", "a,b\r\n"},
      {"(printf '\\344\\270\\255,a\\r\\n'; cat /dev/zero) | timeout 20", "", mark + utf8_sample},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.feed + " " + c.arguments);
    scratch_directory dir;
    outcome result = run_cli(dir, c.arguments, c.feed);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, c.expected_stdout);
  }
}

TEST(txt2csv_cli, answers_usage_questions_and_errors) {
  const struct {
    std::string arguments;
    int status;
    std::string out_start;  // what standard output begins with
    std::string err_start;  // what standard error begins with
  } cases[] = {
      {"--help", 0, "usage: txt2csv-cli", ""},
      {"-h", 0, "usage: txt2csv-cli", ""},
      {"--version", 0, "txt2csv-cli 1.0.0\n", ""},
      {"--frobnicate", 2, "", "txt2csv-cli: unknown option '--frobnicate'\nusage:"},
      {"a b c", 2, "", "txt2csv-cli: too many arguments\nusage:"},
      {"-s", 2, "", "txt2csv-cli: -s needs a separator\nusage:"},
      {"--encoding", 2, "", "txt2csv-cli: --encoding needs auto, gbk or utf-8\nusage:"},
      {"--encoding latin-1", 2, "",
       "txt2csv-cli: unknown encoding 'latin-1': auto, gbk or utf-8\nusage:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    scratch_directory dir;
    outcome result = run_cli(dir, c.arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out.substr(0, c.out_start.size()), c.out_start);
    EXPECT_EQ(result.err.substr(0, c.err_start.size()), c.err_start);
    if (c.out_start.empty()) {
      EXPECT_EQ(result.out, "");
    }
    if (c.err_start.empty()) {
      EXPECT_EQ(result.err, "");
    }
  }
}

}  // namespace
}  // namespace txt2csv
