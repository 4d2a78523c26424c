// One conversion from an input file to an output file, streamed in chunks.
#pragma once

#include <string>
#include <string_view>

#include "primitives/files.h"

namespace txt2csv {

enum class conversion_outcome { done, input_missing, input_unreadable, output_failed };

struct conversion_result {
  conversion_outcome outcome;
  std::string reason;  // why it failed, for a person; empty when done
};

// Streams `input` into `output` and commits it. Nothing is committed when
// reading or writing fails.
conversion_result convert_stream(input_file& input, output_file& output,
                                 std::string_view typed_separator);

// Converts the file `input` into `output`, replacing `output` only on success.
conversion_result convert_file(const path& input, const path& output,
                               std::string_view typed_separator);

}  // namespace txt2csv
