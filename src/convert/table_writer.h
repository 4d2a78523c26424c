// The conversion as a stream: the input arrives in chunks of any size, the
// table leaves in chunks, and the result is byte for byte what
// table_from_whole_text gives for the whole input. Memory holds the field
// being read and a little output, never a whole line or file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "primitives/text.h"

namespace txt2csv {

namespace detail {
class table_conversion;
}

class table_writer {
 public:
  // Receives the table piece by piece; returning false stops the writing.
  using sink = std::function<bool(std::string_view)>;

  // A UTF-8 input's byte-order mark is dropped and its table begins with one.
  table_writer(std::string_view typed_separator, sink output,
               text_encoding encoding = text_encoding::gbk);
  table_writer(table_writer&&) noexcept;
  table_writer& operator=(table_writer&&) noexcept;
  ~table_writer();

  // Both return false once the sink has failed; nothing more is written then.
  bool write(std::string_view chunk);
  bool finish();

  // The text ends at its first NUL: the input after it changes nothing.
  bool text_ended() const;

 private:
  std::unique_ptr<detail::table_conversion> conversion_;
  // The input's first bytes, held until they tell whether they are a mark.
  bool mark_pending_;
  std::string start_;
};

}  // namespace txt2csv
