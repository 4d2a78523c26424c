// Telling UTF-8 input from GBK input. An input is UTF-8 when it starts with
// the byte-order mark, or when its text (up to the first NUL) is well-formed
// UTF-8 throughout and holds at least one multi-byte character; every other
// input is GBK. The input arrives in chunks of any size.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "primitives/text.h"

namespace txt2csv {

inline constexpr std::string_view utf8_byte_order_mark = "\xEF\xBB\xBF";

class encoding_detector {
 public:
  void feed(std::string_view chunk);

  // Known before the end of the input: a byte-order mark, a byte that UTF-8
  // does not allow, or a NUL, where the text ends.
  std::optional<text_encoding> early_decision() const;

  // The decision once the whole input has been fed.
  text_encoding decision() const;

 private:
  std::string start_;       // the first bytes, until the mark is told
  std::string unfinished_;  // a sequence cut by the end of a chunk
  bool text_ended_ = false;
  bool has_mark_ = false;
  bool malformed_ = false;
  bool has_multibyte_ = false;
};

text_encoding detect_encoding(std::string_view whole_input);

}  // namespace txt2csv
