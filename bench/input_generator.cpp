#include "input_generator.h"

namespace txt2csv::bench {

namespace {

bool is_gbk_trail(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// A lead byte followed by the separator, completed to whole characters, so a
// scan that ignores character boundaries cuts there.
std::string trap_for(const std::string& separator) {
  if (separator.empty() || !is_gbk_trail(static_cast<unsigned char>(separator[0]))) return {};
  std::string trap = "\x81" + separator;
  size_t at = 0;
  while (at < trap.size()) at += static_cast<unsigned char>(trap[at]) >= 0x80 ? 2 : 1;
  if (at > trap.size()) trap += '\xA1';
  return trap;
}

}  // namespace

input_generator::input_generator(input_shape shape, std::uint64_t seed)
    : shape_(std::move(shape)), trap_(trap_for(shape_.separator)), state_(seed) {}

// splitmix64: tiny, fast and the same on every platform.
std::uint64_t input_generator::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

void input_generator::append_lines(std::string& text, size_t size) {
  while (text.size() < size) {
    for (int field = 0; field < shape_.fields_per_line; ++field) {
      if (field > 0) text += shape_.separator;
      append_field(text);
    }
    text += "\r\n";
  }
}

void input_generator::append_field(std::string& text) {
  const unsigned kind = below(1000);
  if (kind < 10) {  // a thousands separator
    text += std::to_string(1 + below(999)) + ",";
    text += std::to_string(100 + below(900));
  } else if (kind < 20) {  // a quotation inside a field
    append_word(text);
    text += "\"";
    append_word(text);
    text += "\"";
  } else if (kind < 50) {  // an empty field
  } else if (kind < 100 && !trap_.empty()) {
    append_word(text);
    text += trap_;
  } else if (kind < 550) {
    append_word(text);
  } else {
    append_number(text);
  }
}

// One to four characters of GB2312's first level (lead 0xB0-0xD7, trail 0xA1-0xFE).
void input_generator::append_word(std::string& text) {
  for (unsigned count = 1 + below(4); count > 0; --count) {
    text += static_cast<char>(0xB0 + below(0xD8 - 0xB0));
    text += static_cast<char>(0xA1 + below(0xFF - 0xA1));
  }
}

void input_generator::append_number(std::string& text) {
  text += std::to_string(below(1000000));
  if (below(3) == 0) text += "." + std::to_string(10 + below(90));
}

std::string generate_input(size_t size, const input_shape& shape) {
  std::string text;
  text.reserve(size + 4096);
  input_generator(shape).append_lines(text, size);
  return text;
}

}  // namespace txt2csv::bench
