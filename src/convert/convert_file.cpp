#include "convert/convert_file.h"

#include <memory>
#include <optional>

#include "convert/file_pump.h"
#include "convert/table_writer.h"
#include "primitives/code_page.h"
#include "primitives/encoding.h"

namespace txt2csv {

separator_spellings spell_separator(std::string_view typed_utf8) {
  return {gbk_from_utf8(typed_utf8), text(typed_utf8)};
}

separator_spellings separator_from_bytes(std::string_view bytes) {
  if (is_well_formed_utf8(bytes)) return spell_separator(bytes);
  return {text(bytes), text(bytes)};
}

namespace {

constexpr size_t read_chunk = 512 << 10;

// Bytes read ahead while the encoding is told are kept in memory up to this
// much; past it a file is read again from its start, and a pipe's bytes go
// to a temporary file.
constexpr size_t kept_in_memory = 1 << 20;

// What was read of the input before the conversion started, to be converted first.
class read_ahead {
 public:
  explicit read_ahead(input_file& input) : input_(input) {}

  bool keep(std::string_view chunk) {
    if (read_again_) return true;
    if (!spill_ && memory_.size() + chunk.size() <= kept_in_memory) {
      memory_ += chunk;
      return true;
    }
    if (!spill_ && input_.can_rewind()) {
      read_again_ = true;
      std::string().swap(memory_);
      return true;
    }
    if (!spill_) {
      spill_.emplace();
      if (!spill_->write(memory_)) return false;
      std::string().swap(memory_);
    }
    return spill_->write(chunk);
  }

  // Hands what was read to `writer`, or sets the input back to its start.
  conversion_result replay(table_writer& writer, char* buffer, output_file& output) {
    if (read_again_) {
      if (input_.rewind()) return {conversion_outcome::done, {}};
      return {conversion_outcome::input_unreadable, input_.failure()};
    }
    if (!spill_) {
      if (writer.write(memory_)) return {conversion_outcome::done, {}};
      return {conversion_outcome::output_failed, output.failure()};
    }
    if (!spill_->rewind()) return {conversion_outcome::input_unreadable, aside_failure()};
    for (;;) {
      std::optional<size_t> count = spill_->read(buffer, read_chunk);
      if (!count) return {conversion_outcome::input_unreadable, aside_failure()};
      if (*count == 0) return {conversion_outcome::done, {}};
      if (!writer.write({buffer, *count}))
        return {conversion_outcome::output_failed, output.failure()};
    }
  }

  // Why keeping the bytes aside failed, for a person.
  std::string aside_failure() const {
    return "it could not be kept in a temporary file while its encoding was told (" +
           spill_->failure() + ")";
  }

 private:
  input_file& input_;
  std::string memory_;
  bool read_again_ = false;
  std::optional<scratch_file> spill_;
};

// Reads until the encoding is known, keeping what it read in `ahead`.
conversion_result tell_encoding(input_file& input, char* buffer, read_ahead& ahead,
                                text_encoding& encoding) {
  encoding_detector detector;
  while (!detector.early_decision()) {
    std::optional<size_t> count = input.read(buffer, read_chunk);
    if (!count) return {conversion_outcome::input_unreadable, input.failure()};
    if (*count == 0) break;
    detector.feed({buffer, *count});
    if (!ahead.keep({buffer, *count}))
      return {conversion_outcome::input_unreadable, ahead.aside_failure()};
  }
  encoding = detector.decision();
  return {conversion_outcome::done, {}};
}

}  // namespace

conversion_result convert_stream(input_file& input, output_file& output,
                                 const separator_spellings& separator,
                                 std::optional<text_encoding> encoding) {
  if (!output.is_open()) return {conversion_outcome::output_failed, output.failure()};
  auto buffer = std::make_unique_for_overwrite<char[]>(read_chunk);
  read_ahead ahead(input);
  if (!encoding) {
    encoding.emplace();
    conversion_result told = tell_encoding(input, buffer.get(), ahead, *encoding);
    if (told.outcome != conversion_outcome::done) return told;
  }
  file_pump files(input, output);
  table_writer writer(
      separator.in(*encoding), [&](std::string_view piece) { return files.write(piece); },
      *encoding);
  conversion_result replayed = ahead.replay(writer, buffer.get(), output);
  if (replayed.outcome != conversion_outcome::done) return replayed;
  while (!writer.text_ended()) {
    std::optional<std::string_view> chunk = files.next_chunk();
    if (!chunk) return {conversion_outcome::input_unreadable, input.failure()};
    if (chunk->empty()) break;
    if (!writer.write(*chunk)) return {conversion_outcome::output_failed, output.failure()};
  }
  if (!writer.finish() || !files.finish() || !output.commit())
    return {conversion_outcome::output_failed, output.failure()};
  return {conversion_outcome::done, {}};
}

conversion_result convert_file(const path& input, const path& output,
                               const separator_spellings& separator,
                               std::optional<text_encoding> encoding) {
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
  return convert_stream(source, table, separator, encoding);
}

}  // namespace txt2csv
