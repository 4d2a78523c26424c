// txt2csv-cli when the disk fails it: every fault of the file layer leaves the
// old table exactly as it was and no temporary file behind, and ends with
// exit status 1 and the reason on standard error.
#include <sys/mount.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>

#include "child_process.h"
#include "convert/table.h"
#include "scratch_directory.h"

namespace txt2csv {
namespace {

using testing_support::child_command;
using testing_support::child_outcome;
using testing_support::file_contents;
using testing_support::names_in;
using testing_support::put_file;
using testing_support::run_child;
using testing_support::scratch_directory;

const std::string old_table = "old,table\r\nkept\r\n";

// About 2 MiB of lines, so that the table leaves in many writes.
std::string sample_input() {
  std::string input;
  for (int line = 0; input.size() < (2 << 20); ++line)
    input += "\xD6\xD0\xCE\xC4|x,y|" + std::to_string(line) + "||\"q\"\r\n";
  return input;
}

const std::string input = sample_input();
const std::string table = table_from_whole_text(input, "|");

ino_t inode_of(const std::filesystem::path& name) {
  struct stat info {};
  ::stat(name.c_str(), &info);
  return info.st_ino;
}

// txt2csv-cli converting `source` into `target` in `dir`, with the fault armed.
child_command command_with_fault(const scratch_directory& dir, const std::string& fault,
                                 const std::string& source, const std::string& target) {
  child_command command;
  command.arguments = {TXT2CSV_CLI, "-s", "|", source, target};
  command.directory = dir.path();
  const char* asan_options = std::getenv("ASAN_OPTIONS");
  command.environment = {
      "LD_PRELOAD=" TXT2CSV_FAILING_IO, "TXT2CSV_FAULT=" + fault,
      // AddressSanitizer's runtime would otherwise insist on coming first.
      std::string("ASAN_OPTIONS=") + (asan_options ? asan_options : "") +
          ":verify_asan_link_order=0"};
  return command;
}

// Converts `input` into `target` with the fault armed in txt2csv-cli.
child_outcome convert_with_fault(const scratch_directory& dir, const std::string& fault,
                                 const std::string& target = "1.csv") {
  return run_child(command_with_fault(dir, fault, "1.txt", target));
}

struct fault_case {
  std::string name;
  std::string fault;
  std::string message;  // what follows "txt2csv-cli: "
};

const std::string not_written = "cannot write '1.csv': ";
const std::string kept = "; it was not changed";

const fault_case fault_cases[] = {
    {"disk full at the first write", "write:0:ENOSPC", not_written + "No space left on device" + kept},
    {"disk full part way", "write:300001:ENOSPC", not_written + "No space left on device" + kept},
    {"disk full at the very last byte", "write:" + std::to_string(table.size() - 1) + ":ENOSPC",
     not_written + "No space left on device" + kept},
    {"quota exceeded part way", "write:1000000:EDQUOT", not_written + "Disk quota exceeded" + kept},
    {"write error part way", "write:65536:EIO", not_written + "Input/output error" + kept},
    {"error reported late, by fsync", "fsync:EIO", not_written + "Input/output error" + kept},
    {"close fails", "close:EIO", not_written + "Input/output error" + kept},
    {"close reports a full disk", "close:ENOSPC", not_written + "No space left on device" + kept},
    {"rename refused", "rename:EACCES", not_written + "Permission denied" + kept},
    {"rename across file systems", "rename:EXDEV", not_written + "Invalid cross-device link" + kept},
    {"read error part way", "read:1048577:EIO", "cannot read '1.txt': Input/output error"},
};

TEST(txt2csv_cli_faults, every_fault_keeps_the_old_table) {
  for (const fault_case& c : fault_cases) {
    SCOPED_TRACE(c.name + " (" + c.fault + ")");
    scratch_directory dir;
    put_file(dir / "1.txt", input);
    put_file(dir / "1.csv", old_table);
    const ino_t old_inode = inode_of(dir / "1.csv");
    child_outcome result = convert_with_fault(dir, c.fault);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "txt2csv-cli: " + c.message + "\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(file_contents(dir / "1.csv"), old_table);
    EXPECT_EQ(inode_of(dir / "1.csv"), old_inode);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"1.txt", "1.csv"}));
  }
}

TEST(txt2csv_cli_faults, no_table_appears_when_a_new_one_fails) {
  for (const fault_case& c : fault_cases) {
    SCOPED_TRACE(c.name + " (" + c.fault + ")");
    scratch_directory dir;
    put_file(dir / "1.txt", input);
    child_outcome result = convert_with_fault(dir, c.fault, "new.csv");
    if (c.fault.starts_with("fsync:")) {
      // Only a table that replaces another is flushed first.
      EXPECT_EQ(result.status, 0) << result.err;
      continue;
    }
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(dir.names(), (std::set<std::string>{"1.txt"}));
  }
}

// The injector loaded and transfers made hard but not failing, or no thread
// to make them on: the table is complete and replaces the old one.
TEST(txt2csv_cli_faults, hard_but_working_disk_gives_the_whole_table) {
  const std::string faults[] = {
      "none",
      "short:7",
      "short:4093",
      "interrupt",
      "write:" + std::to_string(table.size()) + ":ENOSPC",  // just enough room
      "thread:EAGAIN",  // no second thread: the conversion moves the bytes itself
  };
  for (const std::string& fault : faults) {
    SCOPED_TRACE(fault);
    scratch_directory dir;
    put_file(dir / "1.txt", input);
    put_file(dir / "1.csv", old_table);
    child_outcome result = convert_with_fault(dir, fault);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(file_contents(dir / "1.csv") == table);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"1.txt", "1.csv"}));
  }
}

// The table is written on a second thread while the conversion goes on: a
// write that fails there must stop the conversion, which then stops reading
// its standard input long before the end.
TEST(txt2csv_cli_faults, failed_write_stops_the_conversion) {
  const struct {
    std::string fault;
    std::string reason;
  } cases[] = {{"write:0:ENOSPC", "No space left on device"},
               {"write:3000001:EIO", "Input/output error"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    scratch_directory dir;
    put_file(dir / "1.csv", old_table);
    child_command command = command_with_fault(dir, c.fault, "-", "1.csv");
    uint64_t fed = 0;
    command.feed = [&](int descriptor) {
      while (fed < (uint64_t{1} << 30) && testing_support::write_all(descriptor, input))
        fed += input.size();
    };
    child_outcome result = run_child(command);
    EXPECT_LT(fed, uint64_t{64} << 20);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "txt2csv-cli: " + not_written + c.reason + kept + "\n");
    EXPECT_EQ(file_contents(dir / "1.csv"), old_table);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"1.csv"}));
  }
}

// A real, tiny file system of the test's own; mounting needs root.
class small_file_system {
 public:
  small_file_system(const std::filesystem::path& where, const std::string& options)
      : where_(where) {
    std::filesystem::create_directory(where_);
    if (::mount("txt2csv-test", where_.c_str(), "tmpfs", 0, options.c_str()) == 0)
      mounted_ = true;
    else
      failure_ = std::strerror(errno);
  }
  ~small_file_system() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& failure() const { return failure_; }

 private:
  std::filesystem::path where_;
  bool mounted_ = false;
  std::string failure_;
};

TEST(txt2csv_cli_faults, full_file_system_keeps_the_old_table) {
  const struct {
    std::string name;
    std::string options;
  } cases[] = {
      {"no room for the table", "size=64k"},
      {"no room for another file", "size=1m,nr_inodes=2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_directory dir;
    put_file(dir / "1.txt", input);
    small_file_system disk(dir / "disk", c.options);
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.failure();
    put_file(dir / "disk" / "1.csv", old_table);
    child_outcome result = convert_with_fault(dir, "none", "disk/1.csv");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "txt2csv-cli: cannot write 'disk/1.csv': No space left on device" + kept + "\n");
    EXPECT_EQ(file_contents(dir / "disk" / "1.csv"), old_table);
    EXPECT_EQ(names_in(dir / "disk"),
              (std::set<std::string>{"1.csv"}));
  }
}

}  // namespace
}  // namespace txt2csv
