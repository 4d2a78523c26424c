// The calls on an open file that the file layer is built on, one
// implementation per platform (files_posix.cpp, files_win32.cpp). A failure
// leaves its reason, for a person, in `failure`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace txt2csv {

// The count of bytes read, 0 at the end, nothing after a read error.
std::optional<size_t> read_from(std::intptr_t handle, char* buffer, size_t size,
                                std::string& failure);
// Writes all of `bytes`.
bool write_to(std::intptr_t handle, std::string_view bytes, std::string& failure);
// Moves to `offset` bytes from the start.
bool seek_to(std::intptr_t handle, std::int64_t offset, std::string& failure);

}  // namespace txt2csv
