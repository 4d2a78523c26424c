#include "convert/file_pump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "scratch_directory.h"

namespace txt2csv {
namespace {

using testing_support::file_contents;
using testing_support::put_file;
using testing_support::scratch_directory;

// Distinct bytes everywhere, so that a chunk lost, repeated or out of order shows.
std::string numbered_bytes(size_t size) {
  std::string bytes;
  for (size_t line = 0; bytes.size() < size; ++line) bytes += std::to_string(line) + "\r\n";
  bytes.resize(size);
  return bytes;
}

// Copies `input` through the pump, handing each chunk back in pieces of
// `piece_size`, after the caller itself has read its first `read_first` bytes.
std::string copy_through_pump(const std::string& input, size_t piece_size, size_t read_first) {
  scratch_directory dir;
  put_file(dir / "in", input);
  input_file source(dir / "in");
  output_file table = output_file::replacing(dir / "out");
  {
    file_pump files(source, table);
    // Time enough for a pump that reads too early to take the caller's bytes.
    if (read_first > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::string first(read_first, '\0');
    for (size_t done = 0; done < read_first;) {
      std::optional<size_t> count = source.read(first.data() + done, read_first - done);
      if (!count || *count == 0) return "the caller's own read failed";
      done += *count;
    }
    if (!files.write(first)) return "write failed";
    for (;;) {
      std::optional<std::string_view> chunk = files.next_chunk();
      if (!chunk) return "read failed";
      if (chunk->empty()) break;
      for (size_t at = 0; at < chunk->size(); at += piece_size)
        if (!files.write(chunk->substr(at, piece_size))) return "write failed";
    }
    if (!files.finish()) return "finish failed";
    // Asking again after the end gives the end again.
    std::optional<std::string_view> after_end = files.next_chunk();
    if (!after_end || !after_end->empty()) return "no end after the end";
  }
  if (!table.commit()) return "commit failed";
  return file_contents(dir / "out");
}

// Sizes about the pump's buffers (256 KiB) and its rings of four.
TEST(file_pump, moves_every_byte_once_in_order) {
  constexpr size_t kib = 1024;
  const struct {
    size_t size;
    size_t piece_size;
    size_t read_first;  // by the caller, before it asks the pump for the input
  } cases[] = {
      {0, 1000, 0},
      {1, 1000, 0},
      {256 * kib - 1, 1 << 20, 0},
      {256 * kib, 1 << 20, 0},
      {256 * kib + 1, 4097, 0},
      {1024 * kib, 1 << 20, 0},
      {1024 * kib + 1, 256 * kib, 0},
      {3 * 1024 * kib + 12345, 4097, 0},
      {3 * 1024 * kib + 12345, 1 << 20, 100 * kib + 3},
      {5, 1000, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("size " + std::to_string(c.size) + ", pieces of " +
                 std::to_string(c.piece_size) + ", " + std::to_string(c.read_first) +
                 " read first");
    const std::string input = numbered_bytes(c.size);
    EXPECT_TRUE(copy_through_pump(input, c.piece_size, c.read_first) == input);
  }
}

// Given up part way, as after a failure: it stops without waiting for the
// rest of the input and leaves no table.
TEST(file_pump, stops_part_way_without_a_table) {
  scratch_directory dir;
  put_file(dir / "in", numbered_bytes(8 << 20));
  input_file source(dir / "in");
  {
    output_file table = output_file::replacing(dir / "out");
    file_pump files(source, table);
    std::optional<std::string_view> chunk = files.next_chunk();
    ASSERT_TRUE(chunk && !chunk->empty());
    ASSERT_TRUE(files.write(*chunk));
  }
  EXPECT_EQ(dir.names(), (std::set<std::string>{"in"}));
}

}  // namespace
}  // namespace txt2csv
