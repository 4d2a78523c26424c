#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "primitives/files.h"
#include "scratch_directory.h"

namespace txt2csv {
namespace {

using namespace std::string_literals;
using testing_support::file_contents;
using testing_support::put_file;
using testing_support::scratch_directory;

// Another program's hold on a file: an open descriptor with an advisory lock.
class held_file {
 public:
  held_file(const path& name, int lock) : descriptor_(::open(name.c_str(), O_RDONLY | O_CLOEXEC)) {
    EXPECT_GE(descriptor_, 0);
    EXPECT_EQ(::flock(descriptor_, lock | LOCK_NB), 0);
  }
  ~held_file() { ::close(descriptor_); }

 private:
  int descriptor_;
};

TEST(file_exists, sees_files_and_directories) {
  scratch_directory dir;
  put_file(dir / "1.txt", "x");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(file_exists(dir / "1.txt"));
  EXPECT_TRUE(file_exists(dir / "sub"));
  EXPECT_FALSE(file_exists(dir / "2.txt"));
  EXPECT_FALSE(file_exists(dir / "sub" / "1.txt"));
  EXPECT_FALSE(file_exists(""));
}

TEST(input_file, tells_missing_from_unreadable) {
  scratch_directory dir;
  std::filesystem::create_directory(dir / "1.txt");
  put_file(dir / "locked.txt", "x");
  held_file writer(dir / "locked.txt", LOCK_EX);

  EXPECT_EQ(input_file(dir / "none.txt").status(), open_status::missing);
  EXPECT_EQ(input_file(dir / "none" / "1.txt").status(), open_status::missing);
  EXPECT_EQ(input_file("").status(), open_status::missing);
  input_file directory(dir / "1.txt");
  EXPECT_EQ(directory.status(), open_status::unreadable);
  EXPECT_FALSE(directory.failure().empty());
  EXPECT_EQ(input_file(dir / "locked.txt").status(), open_status::unreadable);
  EXPECT_EQ(read_whole_file(dir / "1.txt"), std::nullopt);
}

TEST(read_whole_file, reads_while_another_reader_shares_it) {
  scratch_directory dir;
  const std::string contents = "a|b\0c\r\n\xD6\xD0"s;
  put_file(dir / "1.txt", contents);
  put_file(dir / "empty.txt", "");
  held_file reader(dir / "1.txt", LOCK_SH);
  EXPECT_EQ(read_whole_file(dir / "1.txt"), contents);
  EXPECT_EQ(read_whole_file(dir / "empty.txt"), "");
  EXPECT_EQ(read_whole_file(dir / "none.txt"), std::nullopt);
}

TEST(read_whole_file, reads_files_larger_than_one_read) {
  scratch_directory dir;
  std::string contents(3 * 1024 * 1024 + 17, 'x');
  contents[contents.size() / 2] = '\0';
  put_file(dir / "big.txt", contents);
  EXPECT_EQ(read_whole_file(dir / "big.txt"), contents);
}

TEST(write_whole_file, replaces_the_old_contents_whole) {
  scratch_directory dir;
  put_file(dir / "1.csv", "an older and much longer table\r\n");
  EXPECT_TRUE(write_whole_file(dir / "1.csv", {"a,b", "", "\r\n"}));
  EXPECT_EQ(file_contents(dir / "1.csv"), "a,b\r\n");
  EXPECT_TRUE(write_whole_file(dir / "1.csv", {"", ""}));
  EXPECT_EQ(file_contents(dir / "1.csv"), "");
  EXPECT_TRUE(write_whole_file(dir / "new.csv", {"x"}));
  EXPECT_EQ(file_contents(dir / "new.csv"), "x");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"1.csv", "new.csv"}));
}

TEST(write_whole_file, gives_new_files_the_usual_permissions) {
  scratch_directory dir;
  mode_t mask = ::umask(022);
  EXPECT_TRUE(write_whole_file(dir / "1.csv", {"x"}));
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(::stat((dir / "1.csv").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// Every way the replacement can be refused leaves the old file as it was
// and no temporary file behind.
TEST(output_file, refused_replacement_keeps_the_old_file) {
  const std::string old_table = "old,table\r\n";
  const struct {
    std::string name;
    std::function<std::shared_ptr<void>(const scratch_directory&)> arrange;
    std::string target;
  } cases[] = {
      {"held open with a shared lock",
       [](const scratch_directory& dir) {
         return std::make_shared<held_file>(dir / "1.csv", LOCK_SH);
       },
       "1.csv"},
      {"held open with an exclusive lock",
       [](const scratch_directory& dir) {
         return std::make_shared<held_file>(dir / "1.csv", LOCK_EX);
       },
       "1.csv"},
      {"read-only",
       [](const scratch_directory& dir) {
         std::filesystem::permissions(dir / "1.csv", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read);
         return std::shared_ptr<void>();
       },
       "1.csv"},
      {"a directory of that name",
       [](const scratch_directory& dir) {
         std::filesystem::create_directory(dir / "table");
         return std::shared_ptr<void>();
       },
       "table"},
      {"its directory is missing",
       [](const scratch_directory&) { return std::shared_ptr<void>(); }, "none/1.csv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_directory dir;
    put_file(dir / "1.csv", old_table);
    auto hold = c.arrange(dir);
    const std::set<std::string> before = dir.names();
    EXPECT_FALSE(write_whole_file(dir / c.target, {"new,table\r\n"}));
    EXPECT_EQ(file_contents(dir / "1.csv"), old_table);
    EXPECT_EQ(dir.names(), before);
  }
}

TEST(output_file, without_commit_changes_nothing) {
  scratch_directory dir;
  put_file(dir / "1.csv", "old");
  {
    output_file output = output_file::replacing(dir / "1.csv");
    ASSERT_TRUE(output.is_open());
    EXPECT_TRUE(output.write("new"));
    EXPECT_EQ(dir.names().size(), 2u);  // the new table is written beside the old
  }
  EXPECT_EQ(file_contents(dir / "1.csv"), "old");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"1.csv"}));
}

}  // namespace
}  // namespace txt2csv
