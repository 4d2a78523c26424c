// The streaming table writer against the whole-text rules, on any input,
// any separator and any way of cutting the input into chunks.
//
// Input: a byte giving the separator's length (mod 8) and the encoding (bit
// 3: UTF-8), the separator, a byte choosing how the text is cut (largest
// chunk and seed), then the text.
#include <array>
#include <cstdlib>

#include "convert/table.h"
#include "convert/table_writer.h"
#include "fuzz_input.h"

using txt2csv::fuzzing::fuzz_input;
using txt2csv::fuzzing::print_bytes;

namespace {

// Chunk sizes from a small generator, so that one byte stands for a whole
// pattern of cuts; an empty chunk now and then as well.
class chunk_sizes {
 public:
  explicit chunk_sizes(uint8_t choice) : state_(choice | 0x100u) {
    constexpr std::array<size_t, 8> largest = {1, 2, 3, 5, 16, 255, 4096, 1 << 20};
    largest_ = largest[choice % largest.size()];
  }

  size_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ % (largest_ + 1);
  }

 private:
  uint32_t state_;
  size_t largest_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input input(data, size);
  const uint8_t shape = input.byte();
  const std::string_view separator = input.bytes(shape % 8);
  const auto encoding = shape & 8 ? txt2csv::text_encoding::utf8 : txt2csv::text_encoding::gbk;
  chunk_sizes chunks(input.byte());
  const std::string_view text = input.rest();

  std::string streamed;
  txt2csv::table_writer writer(
      separator,
      [&](std::string_view piece) {
        streamed += piece;
        return true;
      },
      encoding);
  bool accepted = true;
  for (std::string_view left = text; !left.empty();) {
    std::string_view chunk = left.substr(0, chunks.next());
    accepted = writer.write(chunk) && accepted;
    left.remove_prefix(chunk.size());
  }
  accepted = writer.finish() && accepted;

  const std::string expected = txt2csv::table_from_whole_text(text, separator, encoding);
  if (!accepted || streamed != expected) {
    print_bytes("separator", separator);
    print_bytes("text", text);
    print_bytes("streamed", streamed);
    print_bytes("expected", expected);
    std::abort();
  }
  return 0;
}
