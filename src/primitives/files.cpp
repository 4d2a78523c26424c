#include "primitives/files.h"

namespace txt2csv {

std::optional<byte_block> read_whole_file(const path& name) {
  input_file input(name);
  if (input.status() != open_status::opened) return std::nullopt;
  byte_block contents;
  constexpr size_t chunk = 1 << 20;
  for (;;) {
    size_t old_size = contents.size();
    contents.resize(old_size + chunk);
    std::optional<size_t> count = input.read(contents.data() + old_size, chunk);
    if (!count) return std::nullopt;
    contents.resize(old_size + *count);
    if (*count == 0) return contents;
  }
}

bool write_whole_file(const path& name, std::initializer_list<std::string_view> blocks) {
  output_file output = output_file::replacing(name);
  for (std::string_view block : blocks)
    if (!output.write(block)) return false;
  return output.commit();
}

}  // namespace txt2csv
