// One conversion from an input file to an output file, streamed in chunks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "primitives/files.h"
#include "primitives/text.h"

namespace txt2csv {

// The separator a person typed, spelled in each encoding an input may have.
struct separator_spellings {
  text gbk;
  text utf8;

  const text& in(text_encoding encoding) const {
    return encoding == text_encoding::utf8 ? utf8 : gbk;
  }
};

// Typed text, in UTF-8. A character that GBK lacks makes its GBK spelling
// match nothing.
separator_spellings spell_separator(std::string_view typed_utf8);

// Bytes that are text when they are well-formed UTF-8, and are taken as they
// are in both encodings otherwise.
separator_spellings separator_from_bytes(std::string_view bytes);

enum class conversion_outcome { done, input_missing, input_unreadable, output_failed };

struct conversion_result {
  conversion_outcome outcome;
  std::string reason;  // why it failed, for a person; empty when done
};

// Streams `input` into `output` and commits it. Nothing is committed when
// reading or writing fails. Without an encoding, it is told from the input
// before the conversion starts: UTF-8 when the input begins with the
// byte-order mark or is well-formed UTF-8 with a character beyond ASCII,
// GBK otherwise.
conversion_result convert_stream(input_file& input, output_file& output,
                                 const separator_spellings& separator,
                                 std::optional<text_encoding> encoding = std::nullopt);

// Converts the file `input` into `output`, replacing `output` only on success.
conversion_result convert_file(const path& input, const path& output,
                               const separator_spellings& separator,
                               std::optional<text_encoding> encoding = std::nullopt);

}  // namespace txt2csv
