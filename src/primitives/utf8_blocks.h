// Checking UTF-8 32 bytes at a time, for telling an input's encoding at the
// speed of reading it. A byte-at-a-time walk over Chinese text stalls on
// every change between ASCII and three-byte characters.
#pragma once

#include <cstddef>
#include <string_view>

namespace txt2csv {

struct utf8_blocks_check {
  size_t checked = 0;      // bytes looked at: whole blocks from the start, 0 without AVX2
  bool malformed = false;  // a sequence among them that UTF-8 does not allow
  bool has_high = false;   // a byte of 0x80 or more among them
};

// Looks at the whole 32-byte blocks of `bytes`, which begin on a character
// boundary. A sequence that the end of the last block cuts is not malformed
// for that, and is left for the caller to walk.
utf8_blocks_check check_utf8_blocks(std::string_view bytes);

}  // namespace txt2csv
