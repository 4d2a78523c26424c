// The conversion's input and output, moved on a second thread: the input is
// read a few chunks ahead of the conversion and the table is written behind
// it, so that converting overlaps with copying bytes from and to the system.
// One thread moves both ways: with the conversion that makes two busy
// threads, as many as the machine has cores; a third would take turns on the
// conversion's core. Whenever the conversion would wait for it, it does the
// next read or write itself instead, and it does all of them when no thread
// can be started.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "primitives/files.h"

namespace txt2csv {

class file_pump {
 public:
  file_pump(input_file& input, output_file& output);
  file_pump(const file_pump&) = delete;
  file_pump& operator=(const file_pump&) = delete;
  // Stops: waits for a read or write in progress and writes nothing more.
  ~file_pump();

  // The next chunk of the input, valid until the next call: empty at the
  // end, nothing after a read error (the input's failure() says why). The
  // input is not touched before the first call, so the caller may read it
  // or set it back to its start until then.
  std::optional<std::string_view> next_chunk();

  // Takes a copy of `bytes` to write. False once an earlier write has
  // failed: nothing more is written and the output's failure() says why.
  bool write(std::string_view bytes);
  // Writes the rest and waits for it: true when every byte has been written.
  bool finish();

 private:
  // Buffers filled in turn and emptied in the same order.
  struct ring {
    explicit ring(size_t buffer_count);
    size_t in_use() const { return filled - emptied; }
    bool full() const { return in_use() == buffer_count; }
    char* to_fill() const { return buffer(filled); }
    std::string_view to_empty() const { return {buffer(emptied), counts[emptied % buffer_count]}; }
    char* buffer(std::uint64_t serial) const;

    const size_t buffer_count;
    std::unique_ptr<char[]> bytes;
    std::unique_ptr<size_t[]> counts;
    std::uint64_t filled = 0;
    std::uint64_t emptied = 0;
  };

  bool read_due() const;
  bool write_due() const;
  bool transfer_one(std::unique_lock<std::mutex>& lock);
  void pump();
  void pump_transfers(std::unique_lock<std::mutex>& lock);
  void wait_until(std::unique_lock<std::mutex>& lock, auto done);
  void pass_on_table_chunk();

  input_file& input_;
  output_file& output_;
  std::mutex mutex_;
  std::condition_variable changed_;
  ring input_ring_;  // filled by reads, emptied by the conversion
  ring table_ring_;  // filled by the conversion, emptied by writes
  bool reading_ = false;  // the conversion has asked for the input
  bool read_in_progress_ = false;
  bool write_in_progress_ = false;
  bool input_ended_ = false;
  bool read_failed_ = false;
  bool write_failed_ = false;
  bool stopped_ = false;
  // What ended the pump thread (running out of memory), thrown again to the conversion.
  std::exception_ptr pump_failure_;
  bool caller_waits_ = false;
  bool pump_waits_ = false;
  // The conversion's own: the input chunk it holds, the table buffer it fills.
  bool holding_input_ = false;
  char* filling_ = nullptr;
  size_t filled_ = 0;
  std::thread pump_;
};

}  // namespace txt2csv
