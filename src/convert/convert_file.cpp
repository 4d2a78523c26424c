#include "convert/convert_file.h"

#include <memory>

#include "convert/table_writer.h"

namespace txt2csv {

namespace {
constexpr size_t read_chunk = 512 << 10;
}

conversion_result convert_stream(input_file& input, output_file& output,
                                 std::string_view typed_separator) {
  if (!output.is_open()) return {conversion_outcome::output_failed, output.failure()};
  table_writer writer(typed_separator, [&](std::string_view piece) { return output.write(piece); });
  auto buffer = std::make_unique<char[]>(read_chunk);
  for (;;) {
    std::optional<size_t> count = input.read(buffer.get(), read_chunk);
    if (!count) return {conversion_outcome::input_unreadable, input.failure()};
    if (*count == 0) break;
    if (!writer.write({buffer.get(), *count}))
      return {conversion_outcome::output_failed, output.failure()};
  }
  if (!writer.finish() || !output.commit())
    return {conversion_outcome::output_failed, output.failure()};
  return {conversion_outcome::done, {}};
}

conversion_result convert_file(const path& input, const path& output,
                               std::string_view typed_separator) {
  if (!file_exists(input)) return {conversion_outcome::input_missing, "it does not exist"};
  input_file source(input);
  switch (source.status()) {
    case open_status::opened:
      break;
    case open_status::missing:
      return {conversion_outcome::input_missing, source.failure()};
    case open_status::unreadable:
      return {conversion_outcome::input_unreadable, source.failure()};
  }
  output_file table = output_file::replacing(output);
  return convert_stream(source, table, typed_separator);
}

}  // namespace txt2csv
