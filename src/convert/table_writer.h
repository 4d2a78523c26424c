// The conversion as a stream: the input arrives in chunks of any size, the
// table leaves in chunks, and the result is byte for byte what
// table_from_whole_text gives for the whole input. Memory holds the field
// being read and a little output, never a whole line or file.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace txt2csv {

class table_writer {
 public:
  // Receives the table piece by piece; returning false stops the writing.
  using sink = std::function<bool(std::string_view)>;

  table_writer(std::string_view typed_separator, sink output);

  // Both return false once the sink has failed; nothing more is written then.
  bool write(std::string_view chunk);
  bool finish();

 private:
  void take_line_byte(char byte);
  void append_to_line(char byte);
  void scan_fields();
  void end_line();
  void add_field(std::string_view field);
  bool flush();

  const std::string separator_;
  sink output_;

  // The line walk over the whole text.
  bool text_ended_ = false;     // a NUL byte ends the text
  bool expect_trail_ = false;   // the previous byte began a two-byte character
  bool held_cr_ = false;        // a CR that may begin a line break
  bool line_has_bytes_ = false;

  // The field walk within the current line, over the bytes not yet written.
  std::string line_rest_;
  size_t field_start_ = 0;
  size_t scan_position_ = 0;
  bool row_has_field_ = false;

  std::string table_;
  bool failed_ = false;
};

}  // namespace txt2csv
