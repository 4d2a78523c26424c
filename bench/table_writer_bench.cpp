// The streaming converter in memory: bytes of input per second, fed in the
// chunks txt2csv-cli reads, for the separators people use and two line lengths.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "convert/table_writer.h"
#include "input_generator.h"

namespace {

constexpr size_t input_size = 16 << 20;
constexpr size_t chunk_size = 256 << 10;

void convert_in_memory(benchmark::State& state, const txt2csv::bench::input_shape& shape) {
  const std::string input = txt2csv::bench::generate_input(input_size, shape);
  size_t table_size = 0;
  for (auto _ : state) {
    table_size = 0;
    txt2csv::table_writer writer(shape.separator, [&](std::string_view piece) {
      benchmark::DoNotOptimize(piece.data());
      table_size += piece.size();
      return true;
    });
    for (size_t at = 0; at < input.size(); at += chunk_size)
      writer.write(std::string_view(input).substr(at, chunk_size));
    writer.finish();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["table_per_input"] = static_cast<double>(table_size) / static_cast<double>(input.size());
}

struct bench_case {
  const char* name;
  txt2csv::bench::input_shape shape;
};

const bench_case cases[] = {
    {"bar/short_lines", {"|", 8}},
    {"bar/long_lines", {"|", 500}},
    {"comma/short_lines", {",", 8}},
    {"comma/long_lines", {",", 500}},
    {"two_bytes/short_lines", {"::", 8}},
    {"two_bytes/long_lines", {"::", 500}},
    {"gbk/short_lines", {"\xA3\xAC", 8}},
    {"gbk/long_lines", {"\xA3\xAC", 500}},
};

}  // namespace

int main(int argc, char** argv) {
  for (const bench_case& c : cases)
    benchmark::RegisterBenchmark((std::string("table_writer/") + c.name).c_str(), convert_in_memory,
                                 c.shape)
        ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
