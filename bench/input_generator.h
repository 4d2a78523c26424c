// A deterministic stand-in for a real GBK export: Chinese words, numbers,
// characters whose second byte is the separator, a few fields that need
// quoting, CR LF lines. The same shape and seed always give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace txt2csv::bench {

struct input_shape {
  std::string separator = "|";
  int fields_per_line = 8;
};

class input_generator {
 public:
  explicit input_generator(input_shape shape, std::uint64_t seed = 1);

  // Appends whole lines until `text` holds at least `size` bytes.
  void append_lines(std::string& text, size_t size);

 private:
  std::uint64_t next();
  unsigned below(unsigned bound) { return static_cast<unsigned>(next() % bound); }
  void append_field(std::string& text);
  void append_word(std::string& text);
  void append_number(std::string& text);

  input_shape shape_;
  std::string trap_;  // a character with the separator as its second byte, or empty
  std::uint64_t state_;
};

std::string generate_input(size_t size, const input_shape& shape);

}  // namespace txt2csv::bench
