// Files as the conversion needs them: whether a name is there, reading in
// chunks while others may only read, and writing that replaces a file in one
// step so that a failure leaves the old file exactly as it was; and a scratch
// file for bytes that cannot be read twice.
// One implementation per platform: files_posix.cpp, files_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "primitives/text.h"

namespace txt2csv {

using path = std::filesystem::path;

// True when a directory entry of that name is there: a file or a directory.
bool file_exists(const path& name);

enum class open_status { opened, missing, unreadable };

class input_file {
 public:
  // Opens an existing file; others may read it meanwhile, a writer keeps us out.
  explicit input_file(const path& name);
  static input_file standard_input();
  input_file(input_file&& other) noexcept;
  input_file& operator=(input_file&&) = delete;
  ~input_file();

  open_status status() const { return status_; }
  // Why opening or reading failed, for a person.
  const std::string& failure() const { return failure_; }

  // The count of bytes read, 0 at the end, nothing after a read error.
  std::optional<size_t> read(char* buffer, size_t size);

  // Whether reading can start over: a file on disk can, a pipe cannot.
  bool can_rewind() const { return start_offset_ >= 0; }
  // Back to where reading began; false when that failed.
  bool rewind();

 private:
  input_file() = default;
  void note_start();

  std::intptr_t handle_ = -1;
  std::int64_t start_offset_ = -1;  // where reading began, if it can start over
  bool owns_handle_ = true;
  open_status status_ = open_status::unreadable;
  std::string failure_;
};

class output_file {
 public:
  // Writes to a new file beside `target`; commit() puts it in place of
  // `target` in one step. Until then, and whenever anything fails, `target`
  // stays as it was and the new file is removed.
  static output_file replacing(const path& target);
  static output_file standard_output();
  output_file(output_file&& other) noexcept;
  output_file& operator=(output_file&&) = delete;
  ~output_file();

  bool is_open() const { return handle_ != -1; }
  const std::string& failure() const { return failure_; }

  bool write(std::string_view bytes);
  // Closes the file and puts it in place; false when anything failed on the way.
  bool commit();

 private:
  output_file() = default;
  void discard();

  std::intptr_t handle_ = -1;
  bool owns_handle_ = true;
  path target_;
  path temporary_;
  bool failed_ = false;
  std::string failure_;
};

// A temporary file for bytes set aside: written, then read from its start
// again. It has no name, or one that is gone once it is closed.
class scratch_file {
 public:
  scratch_file();
  scratch_file(const scratch_file&) = delete;
  scratch_file& operator=(const scratch_file&) = delete;
  ~scratch_file();

  bool is_open() const { return handle_ != -1; }
  // Why making, writing or reading it failed, for a person.
  const std::string& failure() const { return failure_; }

  bool write(std::string_view bytes);
  bool rewind();
  // The count of bytes read, 0 at the end, nothing after a read error.
  std::optional<size_t> read(char* buffer, size_t size);

 private:
  std::intptr_t handle_ = -1;
  std::string failure_;
};

// The whole file, or nothing when it is missing or cannot be read.
std::optional<byte_block> read_whole_file(const path& name);

// Replaces the file with the blocks, one after another; false leaves it as it was.
bool write_whole_file(const path& name, std::initializer_list<std::string_view> blocks);

}  // namespace txt2csv
