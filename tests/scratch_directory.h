// A directory of a test's own, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace txt2csv::testing_support {

inline std::set<std::string> names_in(const std::filesystem::path& directory) {
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    found.insert(entry.path().filename().string());
  return found;
}

class scratch_directory {
 public:
  scratch_directory() {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
      path_ = base / ("txt2csv-test-" + std::to_string(std::rand()) + std::to_string(attempt));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~scratch_directory() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  scratch_directory(const scratch_directory&) = delete;
  scratch_directory& operator=(const scratch_directory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // The names in the directory, to show that nothing was left behind.
  std::set<std::string> names() const { return names_in(path_); }

 private:
  std::filesystem::path path_;
};

inline void put_file(const std::filesystem::path& name, const std::string& contents) {
  std::ofstream(name, std::ios::binary) << contents;
}

inline std::string file_contents(const std::filesystem::path& name) {
  std::ifstream stream(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace txt2csv::testing_support
