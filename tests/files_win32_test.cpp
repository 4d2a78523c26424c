#include <windows.h>

#include <gtest/gtest.h>

#include "primitives/files.h"
#include "scratch_directory.h"

namespace txt2csv {
namespace {

using namespace std::string_literals;
using testing_support::file_contents;
using testing_support::put_file;
using testing_support::scratch_directory;

path beside_this_program(const wchar_t* name) {
  wchar_t own[MAX_PATH];
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  return path(own).parent_path() / name;
}

// Another process that holds a file open with the given access and sharing
// for as long as this object lives.
class held_file {
 public:
  held_file(const path& name, const wchar_t* access, const wchar_t* share) {
    static int serial = 0;
    std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(serial++);
    std::wstring ready_name = L"txt2csv-test-ready-" + tag;
    std::wstring release_name = L"txt2csv-test-release-" + tag;
    ready_ = CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str());
    release_ = CreateEventW(nullptr, TRUE, FALSE, release_name.c_str());
    std::wstring command = L"\"" + beside_this_program(L"hold_file.exe").wstring() + L"\" \"" +
                           name.wstring() + L"\" " + access + L" " + share + L" " + ready_name +
                           L" " + release_name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process_));
    CloseHandle(process_.hThread);
    HANDLE waited[] = {ready_, process_.hProcess};
    EXPECT_EQ(WaitForMultipleObjects(2, waited, FALSE, 30000), WAIT_OBJECT_0)
        << "the holder could not open the file";
  }
  ~held_file() {
    SetEvent(release_);
    WaitForSingleObject(process_.hProcess, 30000);
    CloseHandle(process_.hProcess);
    CloseHandle(ready_);
    CloseHandle(release_);
  }

 private:
  HANDLE ready_;
  HANDLE release_;
  PROCESS_INFORMATION process_{};
};

TEST(file_exists, matches_as_the_directory_search_does) {
  scratch_directory dir;
  put_file(dir / "1.txt", "x");
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(file_exists(dir / "1.txt"));
  EXPECT_TRUE(file_exists(dir / "sub"));
  EXPECT_TRUE(file_exists(dir / "1.t?t"));
  EXPECT_TRUE(file_exists(dir / "*.txt"));
  EXPECT_FALSE(file_exists(dir / "2.txt"));
  EXPECT_FALSE(file_exists(dir / "none" / "1.txt"));
  EXPECT_FALSE(file_exists(""));
}

TEST(input_file, shares_reading_only) {
  scratch_directory dir;
  const std::string contents = "a|b\0c\r\n\xD6\xD0"s;
  put_file(dir / "1.txt", contents);
  std::filesystem::create_directory(dir / "dir.txt");
  {
    held_file reader(dir / "1.txt", L"read", L"read");
    EXPECT_EQ(read_whole_file(dir / "1.txt"), contents);
  }
  {
    held_file writer(dir / "1.txt", L"write", L"write");
    input_file refused(dir / "1.txt");
    EXPECT_EQ(refused.status(), open_status::unreadable);
    EXPECT_EQ(refused.failure(), "another program holds it open");
  }
  EXPECT_EQ(input_file(dir / "dir.txt").status(), open_status::unreadable);
  EXPECT_EQ(input_file(dir / "none.txt").status(), open_status::missing);
  EXPECT_EQ(input_file(dir / "none" / "1.txt").status(), open_status::missing);
  EXPECT_EQ(read_whole_file(dir / "1.txt"), contents);
}

TEST(write_whole_file, replaces_the_old_contents_whole) {
  scratch_directory dir;
  put_file(dir / "1.csv", "an older and much longer table\r\n");
  EXPECT_TRUE(write_whole_file(dir / "1.csv", {"a,b", "", "\r\n"}));
  EXPECT_EQ(file_contents(dir / "1.csv"), "a,b\r\n");
  EXPECT_TRUE(write_whole_file(dir / "1.csv", {"", ""}));
  EXPECT_EQ(file_contents(dir / "1.csv"), "");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"1.csv"}));
}

// Every refusal leaves the old table and no temporary file.
TEST(write_whole_file, refused_replacement_keeps_the_old_file) {
  const struct {
    const char* name;
    const wchar_t* access;  // of the other program; none: no other program
    const wchar_t* share;
    bool read_only;
    const char* target;
  } cases[] = {
      {"held open for reading, sharing reading", L"read", L"read", false, "1.csv"},
      {"held open for reading, sharing everything", L"read", L"write", false, "1.csv"},
      {"held open for writing", L"write", L"none", false, "1.csv"},
      {"read-only", nullptr, nullptr, true, "1.csv"},
      {"a directory of that name", nullptr, nullptr, false, "sub"},
      {"its directory is missing", nullptr, nullptr, false, "none\\1.csv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_directory dir;
    put_file(dir / "1.csv", "old,table\r\n");
    std::filesystem::create_directory(dir / "sub");
    if (c.read_only) SetFileAttributesW((dir / "1.csv").c_str(), FILE_ATTRIBUTE_READONLY);
    std::optional<held_file> other;
    if (c.access) other.emplace(dir / "1.csv", c.access, c.share);
    const std::set<std::string> before = dir.names();
    EXPECT_FALSE(write_whole_file(dir / c.target, {"new,table\r\n"}));
    other.reset();
    EXPECT_EQ(file_contents(dir / "1.csv"), "old,table\r\n");
    EXPECT_EQ(dir.names(), before);
    SetFileAttributesW((dir / "1.csv").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

}  // namespace
}  // namespace txt2csv
