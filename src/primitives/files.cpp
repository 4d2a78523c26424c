#include "primitives/files.h"

#include <utility>

#include "primitives/file_handles.h"

namespace txt2csv {

input_file::input_file(input_file&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)),
      start_offset_(other.start_offset_),
      owns_handle_(other.owns_handle_),
      status_(other.status_),
      failure_(std::move(other.failure_)) {}

output_file::output_file(output_file&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)),
      owns_handle_(other.owns_handle_),
      target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      failed_(other.failed_),
      failure_(std::move(other.failure_)) {
  other.temporary_.clear();
}

std::optional<size_t> input_file::read(char* buffer, size_t size) {
  if (status_ != open_status::opened) return std::nullopt;
  return read_from(handle_, buffer, size, failure_);
}

bool input_file::rewind() { return can_rewind() && seek_to(handle_, start_offset_, failure_); }

bool output_file::write(std::string_view bytes) {
  if (failed_ || handle_ == -1) return false;
  failed_ = !write_to(handle_, bytes, failure_);
  return !failed_;
}

bool scratch_file::write(std::string_view bytes) {
  return is_open() && write_to(handle_, bytes, failure_);
}

bool scratch_file::rewind() { return is_open() && seek_to(handle_, 0, failure_); }

std::optional<size_t> scratch_file::read(char* buffer, size_t size) {
  if (!is_open()) return std::nullopt;
  return read_from(handle_, buffer, size, failure_);
}

std::optional<byte_block> read_whole_file(const path& name) {
  input_file input(name);
  if (input.status() != open_status::opened) return std::nullopt;
  byte_block contents;
  constexpr size_t chunk = 1 << 20;
  for (;;) {
    size_t old_size = contents.size();
    contents.resize(old_size + chunk);
    std::optional<size_t> count = input.read(contents.data() + old_size, chunk);
    if (!count) return std::nullopt;
    contents.resize(old_size + *count);
    if (*count == 0) return contents;
  }
}

bool write_whole_file(const path& name, std::initializer_list<std::string_view> blocks) {
  output_file output = output_file::replacing(name);
  for (std::string_view block : blocks)
    if (!output.write(block)) return false;
  return output.commit();
}

}  // namespace txt2csv
