// Writes the benchmark's input file: make_input MIB SEPARATOR [FIELDS_PER_LINE] OUTPUT
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "input_generator.h"

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: make_input MIB SEPARATOR [FIELDS_PER_LINE] OUTPUT\n");
    return 2;
  }
  const size_t size = std::strtoull(argv[1], nullptr, 10) << 20;
  txt2csv::bench::input_shape shape{argv[2]};
  if (argc == 5) shape.fields_per_line = std::atoi(argv[3]);
  std::FILE* output = std::fopen(argv[argc - 1], "wb");
  if (!output) {
    std::perror(argv[argc - 1]);
    return 1;
  }
  txt2csv::bench::input_generator generator(shape);
  std::string piece;
  bool written_all = true;
  for (size_t written = 0; written < size && written_all; written += piece.size()) {
    piece.clear();
    generator.append_lines(piece, std::min<size_t>(size - written, 1 << 20));
    written_all = std::fwrite(piece.data(), 1, piece.size(), output) == piece.size();
  }
  if (std::fclose(output) != 0 || !written_all) {
    std::perror(argv[argc - 1]);
    return 1;
  }
  return 0;
}
