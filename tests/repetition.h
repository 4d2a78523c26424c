// Big inputs and tables described instead of stored: a head, a unit repeated
// many times, and a tail. They are written and checked as streams, so a test
// holds none of them whole (a child's peak memory counts the test's own at
// the fork).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "child_process.h"

namespace txt2csv::testing_support {

struct repetition {
  repetition(std::string head_bytes = {}, std::string repeated = {}, uint64_t times = 0,
             std::string tail_bytes = {})
      : head(std::move(head_bytes)), unit(std::move(repeated)), count(times),
        tail(std::move(tail_bytes)) {}

  std::string head;
  std::string unit;
  uint64_t count;
  std::string tail;

  uint64_t size() const { return head.size() + unit.size() * count + tail.size(); }
};

// Writes the bytes, the repeated part through a buffer of about a MiB; false
// once the reader has gone.
inline bool write_repetition(int descriptor, const repetition& bytes) {
  const uint64_t per_buffer = std::max<uint64_t>(1, (1 << 20) / std::max<size_t>(1, bytes.unit.size()));
  std::string buffer;
  for (uint64_t i = 0; i < std::min(per_buffer, bytes.count); ++i) buffer += bytes.unit;
  if (!write_all(descriptor, bytes.head)) return false;
  for (uint64_t written = 0; written < bytes.count; written += per_buffer) {
    uint64_t units = std::min(per_buffer, bytes.count - written);
    if (!write_all(descriptor, std::string_view(buffer).substr(0, units * bytes.unit.size())))
      return false;
  }
  return write_all(descriptor, bytes.tail);
}

// Compares a stream, piece by piece as it arrives, with the expected bytes.
class stream_checker {
 public:
  explicit stream_checker(repetition expected)
      : expected_(std::move(expected)),
        body_end_(expected_.head.size() + expected_.unit.size() * expected_.count) {
    if (expected_.count == 0) return;
    while (units_.size() < buffer_size) units_ += expected_.unit;
    units_ += expected_.unit;
  }

  void take(std::string_view piece) {
    while (!piece.empty()) {
      std::string_view expected = expected_next(piece.size());
      std::string_view got = piece.substr(0, std::max<size_t>(expected.size(), 1));
      if (matches_ && got != expected) {
        matches_ = false;
        first_difference_ =
            seen_ + static_cast<uint64_t>(
                        std::mismatch(got.begin(), got.end(), expected.begin(), expected.end())
                            .first -
                        got.begin());
      }
      seen_ += got.size();
      piece.remove_prefix(got.size());
    }
  }

  void expect_complete() const {
    EXPECT_TRUE(matches_) << "first difference at byte " << first_difference_;
    EXPECT_EQ(seen_, expected_.size());
  }

 private:
  static constexpr size_t buffer_size = 1 << 20;

  // What should come next, at most `size` bytes; empty past the end.
  std::string_view expected_next(size_t size) const {
    const std::string& head = expected_.head;
    if (seen_ < head.size()) return std::string_view(head).substr(seen_, size);
    if (seen_ < body_end_) {
      size_t offset = (seen_ - head.size()) % expected_.unit.size();
      uint64_t left = std::min<uint64_t>({size, body_end_ - seen_, buffer_size});
      return std::string_view(units_).substr(offset, left);
    }
    uint64_t in_tail = seen_ - body_end_;
    const std::string& tail = expected_.tail;
    return in_tail < tail.size() ? std::string_view(tail).substr(in_tail, size) : "";
  }

  repetition expected_;
  uint64_t body_end_;
  std::string units_;  // the unit repeated for buffer_size bytes and once more
  uint64_t seen_ = 0;
  bool matches_ = true;
  uint64_t first_difference_ = 0;
};

}  // namespace txt2csv::testing_support
