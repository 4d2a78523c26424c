#include "convert/file_pump.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace txt2csv {

namespace {
// A few buffers a side, each small enough to stay in the cache.
constexpr size_t buffers_per_ring = 4;
constexpr size_t buffer_size = 256 << 10;
}  // namespace

file_pump::ring::ring(size_t count)
    : buffer_count(count),
      bytes(std::make_unique_for_overwrite<char[]>(count * buffer_size)),
      counts(std::make_unique<size_t[]>(count)) {}

char* file_pump::ring::buffer(std::uint64_t serial) const {
  return bytes.get() + serial % buffer_count * buffer_size;
}

file_pump::file_pump(input_file& input, output_file& output)
    : input_(input),
      output_(output),
      input_ring_(buffers_per_ring),
      table_ring_(buffers_per_ring) {
  try {
    pump_ = std::thread([this] { pump(); });
  } catch (const std::system_error&) {
    // No second thread: the caller's waits do every transfer.
  }
}

file_pump::~file_pump() {
  if (!pump_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
  pump_.join();
}

// One read and one write at a time, so that each goes on where the last ended.
bool file_pump::read_due() const {
  return reading_ && !input_ended_ && !read_in_progress_ && !input_ring_.full();
}

bool file_pump::write_due() const {
  return !write_failed_ && !write_in_progress_ && table_ring_.in_use() > 0;
}

bool file_pump::transfer_one(std::unique_lock<std::mutex>& lock) {
  // Of the two, the side where the conversion is nearer to waiting goes first.
  const bool input_nearer = input_ring_.in_use() < buffers_per_ring - table_ring_.in_use();
  if (read_due() && (input_nearer || !write_due())) {
    read_in_progress_ = true;
    char* buffer = input_ring_.to_fill();
    lock.unlock();
    const std::optional<size_t> count = input_.read(buffer, buffer_size);
    lock.lock();
    read_in_progress_ = false;
    // The end, or a read error, is passed on as an empty chunk.
    input_ring_.counts[input_ring_.filled++ % buffers_per_ring] = count.value_or(0);
    read_failed_ = !count;
    input_ended_ = count.value_or(0) == 0;
  } else if (write_due()) {
    write_in_progress_ = true;
    const std::string_view chunk = table_ring_.to_empty();
    lock.unlock();
    const bool written = output_.write(chunk);
    lock.lock();
    write_in_progress_ = false;
    ++table_ring_.emptied;
    write_failed_ = !written;
  } else {
    return false;
  }
  if (caller_waits_ || pump_waits_) changed_.notify_all();
  return true;
}

void file_pump::pump() {
  std::unique_lock lock(mutex_, std::defer_lock);
  try {
    lock.lock();
    pump_transfers(lock);
  } catch (...) {
    if (!lock.owns_lock()) lock.lock();
    pump_failure_ = std::current_exception();
    changed_.notify_all();
  }
}

void file_pump::pump_transfers(std::unique_lock<std::mutex>& lock) {
  while (!stopped_) {
    if (transfer_one(lock)) continue;
    // With the input ring full, the pump waits until half of it is free,
    // so that it then reads several chunks instead of waking for each.
    pump_waits_ = true;
    changed_.wait(lock, [&] {
      return stopped_ || write_due() ||
             (read_due() && input_ring_.in_use() <= buffers_per_ring / 2);
    });
    pump_waits_ = false;
  }
}

void file_pump::wait_until(std::unique_lock<std::mutex>& lock, auto done) {
  while (!done()) {
    if (pump_failure_) std::rethrow_exception(pump_failure_);
    if (transfer_one(lock)) continue;
    caller_waits_ = true;
    changed_.wait(lock, [&] { return done() || read_due() || write_due() || pump_failure_; });
    caller_waits_ = false;
  }
}

std::optional<std::string_view> file_pump::next_chunk() {
  std::unique_lock lock(mutex_);
  reading_ = true;
  if (holding_input_) {
    ++input_ring_.emptied;
    holding_input_ = false;
  }
  if (pump_waits_ && input_ring_.in_use() <= buffers_per_ring / 2) changed_.notify_all();
  wait_until(lock, [&] { return input_ring_.in_use() > 0; });
  const std::string_view chunk = input_ring_.to_empty();
  if (chunk.empty()) {
    if (read_failed_) return std::nullopt;
    return chunk;
  }
  holding_input_ = true;
  return chunk;
}

void file_pump::pass_on_table_chunk() {
  std::lock_guard lock(mutex_);
  table_ring_.counts[table_ring_.filled++ % buffers_per_ring] = filled_;
  filling_ = nullptr;
  filled_ = 0;
  if (pump_waits_) changed_.notify_all();
}

bool file_pump::write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (!filling_) {
      std::unique_lock lock(mutex_);
      wait_until(lock, [&] { return write_failed_ || !table_ring_.full(); });
      if (write_failed_) return false;
      filling_ = table_ring_.to_fill();
    }
    const size_t count = std::min(bytes.size(), buffer_size - filled_);
    std::memcpy(filling_ + filled_, bytes.data(), count);
    filled_ += count;
    bytes.remove_prefix(count);
    if (filled_ == buffer_size) pass_on_table_chunk();
  }
  return true;
}

bool file_pump::finish() {
  if (filled_ > 0) pass_on_table_chunk();
  std::unique_lock lock(mutex_);
  reading_ = false;  // the rest of the input is not needed
  wait_until(lock, [&] { return write_failed_ || table_ring_.in_use() == 0; });
  return !write_failed_;
}

}  // namespace txt2csv
