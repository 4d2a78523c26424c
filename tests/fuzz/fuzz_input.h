// Reading a fuzzer's input as the parts of one test: small numbers and
// strings taken from its front, the rest as the text to convert.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace txt2csv::fuzzing {

class fuzz_input {
 public:
  fuzz_input(const uint8_t* data, size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  // A byte from the front; 0 once the input is used up.
  uint8_t byte() {
    if (rest_.empty()) return 0;
    auto value = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return value;
  }

  // Up to `size` bytes from the front.
  std::string_view bytes(size_t size) {
    std::string_view taken = rest_.substr(0, size);
    rest_.remove_prefix(taken.size());
    return taken;
  }

  std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

inline void print_bytes(const char* what, std::string_view bytes) {
  std::fprintf(stderr, "%s (%zu bytes):", what, bytes.size());
  for (char byte : bytes) std::fprintf(stderr, " %02X", static_cast<unsigned char>(byte));
  std::fprintf(stderr, "\n");
}

}  // namespace txt2csv::fuzzing
