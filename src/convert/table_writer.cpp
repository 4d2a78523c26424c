#include "convert/table_writer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "convert/byte_blocks.h"
#include "convert/table.h"
#include "primitives/encoding.h"
#include "primitives/text.h"

namespace txt2csv {

namespace {

using namespace byte_blocks;

// Large enough that writing is cheap, small enough to stay in the cache.
constexpr size_t flush_size = 512 * 1024;

constexpr std::uint64_t bits_below(size_t position) {
  return position >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << position) - 1;
}

// The table on its way to the sink. Past its end there is always room for
// one block stored whole, which may leave junk beyond the end.
class table_output {
 public:
  explicit table_output(table_writer::sink sink)
      : sink_(std::move(sink)), bytes_(flush_size + block_size, 0) {}

  char* data() { return bytes_.data(); }
  char* end() { return bytes_.data() + size_; }
  size_t size() const { return size_; }
  bool failed() const { return failed_; }

  // Room for `count` bytes past the end, written there and then counted in
  // with grow() or put().
  void reserve(size_t count) {
    if (size_ + count + block_size > bytes_.size()) enlarge(size_ + count + block_size);
  }
  void grow(size_t count) { size_ += count; }
  void resize(size_t size) { size_ = size; }
  void put(char byte) { bytes_[size_++] = byte; }
  void take_back_last() { --size_; }

  void append(std::string_view piece) {
    reserve(piece.size());
    std::memcpy(end(), piece.data(), piece.size());
    size_ += piece.size();
  }

  // Puts a double quote before the bytes from `start` to the end and doubles
  // the quotes among them: the field they begin is written quoted from now on.
  void open_quote(size_t start) {
    const size_t added = 1 + std::count(bytes_.begin() + start, bytes_.begin() + size_, '"');
    reserve(added);
    char* table = bytes_.data();
    size_t to = size_ + added;
    for (size_t from = size_; from > start;) {
      const char byte = table[--from];
      table[--to] = byte;
      if (byte == '"') table[--to] = '"';
    }
    table[start] = '"';
    size_ += added;
  }

  // Hands the bytes before `keep` to the sink and moves the rest to the front.
  void flush(size_t keep) {
    if (failed_ || keep == 0) return;
    if (!sink_(std::string_view(bytes_.data(), keep))) failed_ = true;
    std::memmove(bytes_.data(), bytes_.data() + keep, size_ - keep);
    size_ -= keep;
  }

 private:
  [[gnu::noinline]] void enlarge(size_t least) {
    bytes_.resize(std::max(2 * bytes_.size(), least));
  }

  table_writer::sink sink_;
  std::string bytes_;
  size_t size_ = 0;
  bool failed_ = false;
};

}  // namespace

namespace detail {

class table_conversion {
 public:
  table_conversion(table_writer::sink sink, std::string_view table_start)
      : output_(std::move(sink)) {
    if (!table_start.empty()) output_.append(table_start);
  }
  virtual ~table_conversion() = default;

  virtual void write(std::string_view chunk) = 0;
  virtual void finish() = 0;
  virtual bool text_ended() const = 0;
  bool failed() const { return output_.failed(); }

 protected:
  table_output output_;
};

}  // namespace detail

namespace {

// The usual case, a separator that ends on a character boundary and holds no
// CR or LF: fields then start on the same boundaries as the lines, and one
// walk over 64-byte blocks serves both. Most blocks are copied whole with
// their separators turned into ","; a block with a field to quote, a
// separator to drop before a line break (no empty last field) or a separator
// of more bytes is written piece by piece. A field that needs quotes and goes
// on past its block is written quoted from then on.
class block_conversion final : public detail::table_conversion {
  enum class separator_kind { none, one_byte, longer };

  // The output's end, kept where the compiler can hold it while blocks are copied.
  struct output_cursor {
    char* table;
    size_t size;
  };

  // What the walk carries from one block to the next.
  struct walk_state {
    std::uint64_t lead_before = 0;       // the byte before began a two-byte character
    std::uint64_t break_before = 0;      // the byte before was the CR of a line break
    std::uint64_t separator_before = 0;  // the byte before was a one-byte separator
    size_t skip = 0;                     // leading bytes still part of a separator
    bool at_line_start = true;
    bool text_ended = false;  // at a NUL
    // The field being read: where its output starts, and how.
    size_t field_start = 0;
    bool field_after_separator = false;
    bool field_quoted = false;  // written in quotes so far
  };

 public:
  block_conversion(std::string separator, text_encoding encoding, std::string_view table_start,
                   table_writer::sink sink)
      : table_conversion(std::move(sink), table_start),
        separator_(std::move(separator)),
        // In UTF-8 no separator, line break or special byte can sit inside a
        // character: every byte may start one, as if none were high.
        high_bytes_(encoding == text_encoding::gbk ? ~std::uint64_t{0} : 0),
        kind_(separator_.empty()       ? separator_kind::none
              : separator_.size() == 1 ? separator_kind::one_byte
                                       : separator_kind::longer),
        probe_{separator_.empty() ? '\0' : separator_[0],
               separator_.size() > 1 ? separator_[1] : '\0', separator_.size() > 1},
        reach_(std::max(2 * block_size, block_size + std::max<size_t>(separator_.size(), 2) - 1)),
        lanes_(widest_lanes()) {
    state_.field_start = output_.size();
  }

  void write(std::string_view chunk) override {
    if (state_.text_ended) return;
    // Bytes held back from the last chunk first, topped up from this one
    // until they make whole blocks.
    if (!held_.empty()) {
      const size_t taken = std::min(chunk.size(), 2 * reach_ - held_.size());
      held_.append(chunk.substr(0, taken));
      const size_t done = convert_blocks(held_.data(), held_.size());
      const size_t rest = held_.size() - done;
      if (state_.text_ended) {
        held_.clear();
        return;
      }
      if (rest > taken) {
        held_.erase(0, done);
        return;
      }
      held_.clear();
      chunk.remove_prefix(taken - rest);
    }
    const size_t done = convert_blocks(chunk.data(), chunk.size());
    held_.assign(state_.text_ended ? std::string_view() : chunk.substr(done));
  }

  bool text_ended() const override { return state_.text_ended; }

  void finish() override {
    // The last bytes, in blocks padded with NUL, which matches nothing.
    std::string padded = held_;
    padded.resize(held_.size() + reach_, '\0');
    for (size_t done = 0; done < held_.size() && !state_.text_ended; done += block_size) {
      output_.reserve(block_output);
      const size_t valid = std::min(block_size, held_.size() - done);
      output_cursor out{output_.data(), output_.size()};
      convert_final_block(padded.data() + done, valid, out);
      output_.resize(out.size);
    }
    held_.clear();
    // The rest after the last line break is a line only when it is not empty.
    if (!state_.at_line_start) {
      if (state_.field_quoted)
        output_.append("\"");
      else if (state_.field_after_separator && state_.field_start == output_.size())
        output_.take_back_last();
      output_.append(line_break);
      state_.at_line_start = true;
    }
    state_.field_quoted = false;
    state_.field_after_separator = false;
    state_.field_start = output_.size();
    output_.flush(output_.size());
  }

 private:
  void convert_final_block(const char* at, size_t valid, output_cursor& out) {
    switch (kind_) {
      case separator_kind::none:
        return convert_block<sse2, separator_kind::none>(at, valid, probe_, state_, out);
      case separator_kind::one_byte:
        return convert_block<sse2, separator_kind::one_byte>(at, valid, probe_, state_, out);
      case separator_kind::longer:
        break;
    }
    convert_block<sse2, separator_kind::longer>(at, valid, probe_, state_, out);
  }

  // A block gives at most three times its size: every byte a doubled quote,
  // and quotes around its fields.
  static constexpr size_t block_output = 3 * block_size;
  static constexpr size_t blocks_per_batch = 64;

  size_t convert_blocks(const char* at, size_t size) {
    switch (lanes_) {
      case lanes_choice::avx512:
        return convert_blocks(avx512{}, at, size);
      case lanes_choice::avx2:
        return convert_blocks(avx2{}, at, size);
      case lanes_choice::sse2:
        break;
    }
    return convert_blocks(sse2{}, at, size);
  }

  // Flattened: the compiler inlines no function that uses wider lanes into
  // one that does not.
  [[gnu::flatten]] size_t convert_blocks(sse2, const char* at, size_t size) {
    return convert_whole_blocks<sse2>(at, size);
  }
  [[gnu::target("avx2"), gnu::flatten]] size_t convert_blocks(avx2, const char* at, size_t size) {
    return convert_whole_blocks<avx2>(at, size);
  }
  [[gnu::target("avx512bw"), gnu::flatten]] size_t convert_blocks(avx512, const char* at,
                                                                  size_t size) {
    return convert_whole_blocks<avx512>(at, size);
  }

  template <class lanes>
  [[gnu::always_inline]] size_t convert_whole_blocks(const char* at, size_t size) {
    switch (kind_) {
      case separator_kind::none:
        return convert_whole_blocks<lanes, separator_kind::none>(at, size);
      case separator_kind::one_byte:
        return convert_whole_blocks<lanes, separator_kind::one_byte>(at, size);
      case separator_kind::longer:
        break;
    }
    return convert_whole_blocks<lanes, separator_kind::longer>(at, size);
  }

  // Converts the blocks that can look as far as they need; returns the bytes done.
  template <class lanes, separator_kind kind>
  [[gnu::always_inline]] size_t convert_whole_blocks(const char* at, size_t size) {
    size_t done = 0;
    while (size - done >= reach_ && !state_.text_ended) {
      if (output_.size() >= flush_size) flush_finished_fields();
      const size_t batch = std::min((size - done - reach_) / block_size + 1, blocks_per_batch);
      output_.reserve(batch * block_output);
      // Copies the compiler can keep in registers: the output may alias members.
      walk_state state = state_;
      output_cursor out{output_.data(), output_.size()};
      const separator_probe probe = probe_;
      for (const size_t batch_end = done + batch * block_size;
           done < batch_end && !state.text_ended; done += block_size)
        convert_block<lanes, kind>(at + done, block_size, probe, state, out);
      state_ = state;
      output_.resize(out.size);
    }
    return done;
  }

  // Where separators, line breaks and bytes that need quotes stand in a block.
  struct block_events {
    std::uint64_t separators;  // one-byte ones; for longer ones where they may begin
    std::uint64_t breaks;      // the CR of each line break
    std::uint64_t special;     // in fields: , " CR LF NUL
    std::uint64_t lead_after;  // the last byte begins a two-byte character
    bool drops_separator;      // a one-byte separator right before a line break
    bool ends_at_line_start;
  };

  template <separator_kind kind>
  [[gnu::always_inline]] block_events find_events(const block_bits& bits, size_t valid,
                                                  const walk_state& state) const {
    const std::uint64_t valid_bits = bits_below(valid);
    std::uint64_t lead_after = state.lead_before;
    const std::uint64_t second = second_bytes(bits.high & high_bytes_, lead_after);
    constexpr bool one_byte = kind != separator_kind::longer;
    const std::uint64_t skipped = one_byte ? 0 : bits_below(state.skip);
    const std::uint64_t starts = ~second & valid_bits & ~skipped;
    const std::uint64_t separators = kind == separator_kind::none ? 0 : bits.separator & starts;
    const std::uint64_t breaks = bits.line_break & starts;
    const std::uint64_t break_ends = (breaks << 1) | state.break_before;
    std::uint64_t special = bits.special & valid_bits & ~skipped & ~(breaks | break_ends);
    if (one_byte) special &= ~separators;
    return {separators,
            breaks,
            special,
            lead_after,
            ((separators << 1) | state.separator_before) & breaks ? true : false,
            ((break_ends >> (valid - 1)) & 1) != 0};
  }

  // Converts the first `valid` bytes at `at`; reach_ bytes are readable and
  // the output has room for the block.
  template <class lanes, separator_kind kind>
  [[gnu::always_inline]] void convert_block(const char* at, size_t valid,
                                            const separator_probe& probe, walk_state& state,
                                            output_cursor& out) {
    const block_bits bits = classify<lanes>(at, probe);
    const block_events events = find_events<kind>(bits, valid, state);
    // The text ends at its first NUL.
    for (std::uint64_t special = events.special; special; special &= special - 1) {
      const size_t position = __builtin_ctzll(special);
      if (at[position] != '\0') continue;
      state.text_ended = true;
      if (position > 0) end_text<lanes, kind>(at, bits, position, state, out);
      return;
    }
    convert_events<lanes, kind>(at, events, valid, state, out);
  }

  template <class lanes, separator_kind kind>
  [[gnu::noinline]] void end_text(const char* at, const block_bits& bits, size_t valid,
                                  walk_state& state, output_cursor& out) {
    convert_events<lanes, kind>(at, find_events<kind>(bits, valid, state), valid, state,
                                    out);
  }

  template <class lanes, separator_kind kind>
  [[gnu::always_inline]] void convert_events(const char* at, const block_events& events,
                                             size_t valid, walk_state& state,
                                             output_cursor& out) {
    state.lead_before = events.lead_after;
    state.break_before = events.breaks >> 63;
    state.separator_before = events.separators >> 63;
    state.at_line_start = events.ends_at_line_start;

    const std::uint64_t ends = events.separators | events.breaks;
    if (kind == separator_kind::longer || events.special != 0 || events.drops_separator ||
        (state.field_quoted && ends)) {
      state_ = state;
      output_.resize(out.size);
      mend_block(lanes{}, at, events.separators, events.breaks, events.special, valid);
      state = state_;
      out = {output_.data(), output_.size()};
      return;
    }
    lanes::copy_replacing(out.table + out.size, at, events.separators, field_delimiter[0]);
    if (ends) start_field_after(state, out.size, events.separators, 63 - __builtin_clzll(ends));
    out.size += valid;
  }

  [[gnu::noinline]] void mend_block(sse2, const char* at, std::uint64_t separators,
                                    std::uint64_t breaks, std::uint64_t special, size_t valid) {
    write_piece_by_piece<sse2>(at, separators, breaks, special, valid);
  }

  [[gnu::noinline, gnu::target("avx2"), gnu::flatten]] void mend_block(
      avx2, const char* at, std::uint64_t separators, std::uint64_t breaks, std::uint64_t special,
      size_t valid) {
    write_piece_by_piece<avx2>(at, separators, breaks, special, valid);
  }

  [[gnu::noinline, gnu::target("avx512bw"), gnu::flatten]] void mend_block(
      avx512, const char* at, std::uint64_t separators, std::uint64_t breaks,
      std::uint64_t special, size_t valid) {
    write_piece_by_piece<avx512>(at, separators, breaks, special, valid);
  }

  // Writes the block in pieces, from field end to field end where something
  // is to be done: with a one-byte separator only there, with a longer one at
  // every separator, which becomes ",".
  template <class lanes>
  [[gnu::always_inline]] void write_piece_by_piece(const char* at, std::uint64_t separators,
                                                   std::uint64_t breaks, std::uint64_t special,
                                                   size_t valid) {
    walk_state& state = state_;
    const bool one_byte = separator_.size() <= 1;
    const std::uint64_t replaced = one_byte ? separators : 0;
    size_t written = state.skip;  // bytes of the block written so far
    state.skip = 0;
    // Where byte 0 of the block goes: the bytes from `written` on follow the output.
    const auto origin = [&]() __attribute__((always_inline)) { return output_.size() - written; };
    // Writes the block's bytes up to `end`, one-byte separators as ",".
    const auto write_up_to = [&](size_t end) __attribute__((always_inline)) {
      if (end <= written) return;
      lanes::copy_replacing(output_.end(), at + written, replaced >> written, field_delimiter[0]);
      output_.grow(end - written);
      written = end;
    };
    // The same, with each double quote doubled.
    const auto write_quoted_up_to = [&](size_t end) __attribute__((always_inline)) {
      for (std::uint64_t quotes = special & ~bits_below(written) & bits_below(end); quotes;
           quotes &= quotes - 1) {
        const size_t position = __builtin_ctzll(quotes);
        if (at[position] != '"') continue;
        write_up_to(position + 1);
        output_.put('"');
      }
      write_up_to(end);
    };

    // Where the field being read starts, when in this block (it may have
    // started at its beginning, or after a line break whose LF opens it).
    bool field_in_block = state.field_start >= origin();
    size_t field_begin = field_in_block ? state.field_start - origin() : 0;
    const auto start_field = [&](size_t end) __attribute__((always_inline)) {
      start_field_after(state, origin(), separators, end);
      field_begin = end + (state.field_after_separator ? separator_.size() : line_break.size());
      field_in_block = true;
    };
    // Quotes the field being read from here on.
    const auto quote_field = [&]() __attribute__((always_inline)) {
      if (field_in_block) {
        write_up_to(field_begin);
        output_.put('"');
      } else if (!state.field_quoted) {
        output_.open_quote(state.field_start);
      }
      state.field_quoted = true;
    };

    const std::uint64_t ends = separators | breaks;
    std::uint64_t passing = one_byte ? ends : 0;  // ends that need nothing but to pass
    size_t next_start = written;
    for (std::uint64_t visits = one_byte ? ends_to_mend(separators, breaks, special) : ends;
         visits; visits &= visits - 1) {
      const size_t end = __builtin_ctzll(visits);
      if (end < next_start) continue;  // inside the separator just matched
      const bool is_separator = (separators >> end) & 1;
      if (is_separator && separator_.size() > 2 &&
          std::memcmp(at + end + 2, separator_.data() + 2, separator_.size() - 2) != 0)
        continue;
      if (const std::uint64_t passed = passing & bits_below(end))
        start_field(63 - __builtin_clzll(passed));
      passing &= ~bits_below(end + 1);

      const std::uint64_t in_field = bits_below(end) & ~bits_below(field_in_block ? field_begin : 0);
      if (state.field_quoted || (special & in_field)) {
        quote_field();
        write_quoted_up_to(end);
        output_.put('"');
        state.field_quoted = false;
      } else {
        write_up_to(end);
      }
      if (!is_separator && state.field_after_separator && state.field_start == output_.size())
        output_.take_back_last();  // the "," of a separator right before the line break
      if (is_separator && !one_byte) {
        output_.put(field_delimiter[0]);
        written = end + separator_.size();
      }
      start_field(end);
      next_start = field_begin;
    }
    if (passing) start_field(63 - __builtin_clzll(passing));

    if (state.field_quoted || (special & ~bits_below(field_in_block ? field_begin : 0))) {
      quote_field();
      write_quoted_up_to(valid);
    } else {
      write_up_to(valid);
    }
    if (written > valid) state.skip = written - valid;  // a separator that goes on
  }

  // With a one-byte separator: the ends of fields that need quotes, and the
  // line breaks that follow a separator.
  std::uint64_t ends_to_mend(std::uint64_t separators, std::uint64_t breaks,
                             std::uint64_t special) const {
    const std::uint64_t ends = separators | breaks;
    std::uint64_t mends = breaks & (separators << 1);
    if ((breaks & 1) && state_.field_after_separator && state_.field_start == output_.size())
      mends |= 1;
    if (state_.field_quoted) mends |= ends & (0 - ends);
    for (std::uint64_t unquoted = special; unquoted;) {
      const std::uint64_t later_ends = ends & ~bits_below(__builtin_ctzll(unquoted));
      if (later_ends == 0) break;
      const std::uint64_t closing = later_ends & (0 - later_ends);
      mends |= closing;
      unquoted &= ~(closing | (closing - 1));
    }
    return mends;
  }

  // The next field starts after the separator or line break at `end`, the
  // block's bytes going to the output from `origin` on.
  void start_field_after(walk_state& state, size_t origin, std::uint64_t separators,
                         size_t end) const {
    state.field_after_separator = (separators >> end) & 1;
    state.field_start =
        origin + end + (state.field_after_separator ? separator_.size() : line_break.size());
  }

  // Everything before the field being read (and the "," before it) is final.
  void flush_finished_fields() {
    const size_t keep =
        std::min(state_.field_start - (state_.field_after_separator ? 1 : 0), output_.size());
    output_.flush(keep);
    state_.field_start -= keep;
  }

  const std::string separator_;
  const std::uint64_t high_bytes_;  // the bits of high bytes that may begin a GBK character
  const separator_kind kind_;
  const separator_probe probe_;
  const size_t reach_;  // bytes from a block's start that its conversion reads
  const lanes_choice lanes_;
  std::string held_;  // input bytes that wait for the rest of their block
  walk_state state_;
};

// Any other separator: one that holds CR or LF, or whose fields walk on
// other boundaries than the lines (in GBK one that ends in a lone lead byte,
// in UTF-8 one that starts inside a character). Rare, so a byte at a time.
class byte_conversion final : public detail::table_conversion {
 public:
  byte_conversion(std::string separator, text_encoding encoding, std::string_view table_start,
                  table_writer::sink sink)
      : table_conversion(std::move(sink), table_start),
        separator_(std::move(separator)),
        encoding_(encoding) {}

  void write(std::string_view chunk) override {
    if (text_ended_) return;
    if (const void* nul = std::memchr(chunk.data(), '\0', chunk.size())) {
      chunk = chunk.substr(0, static_cast<const char*>(nul) - chunk.data());
      text_ended_ = true;
    }
    for (char byte : chunk) take_line_byte(byte);
    scan_fields(false);
    line_rest_.erase(0, field_start_);
    scan_position_ -= field_start_;
    field_start_ = 0;
    if (output_.size() >= flush_size) output_.flush(output_.size());
  }

  void finish() override {
    if (held_cr_) {
      held_cr_ = false;
      append_to_line('\r');
    }
    // The rest after the last line break is a line only when it is not empty.
    if (line_has_bytes_) end_line();
    output_.flush(output_.size());
  }

  bool text_ended() const override { return text_ended_; }

 private:
  void take_line_byte(char byte) {
    if (expect_trail_) {
      expect_trail_ = false;
      append_to_line(byte);
      return;
    }
    if (held_cr_) {
      held_cr_ = false;
      if (byte == '\n') {
        end_line();
        return;
      }
      append_to_line('\r');
    }
    if (byte == '\r') {
      held_cr_ = true;
      return;
    }
    // A GBK lead byte takes the next byte with it, even a CR.
    expect_trail_ = encoding_ == text_encoding::gbk && is_lead_byte(byte);
    append_to_line(byte);
  }

  void append_to_line(char byte) {
    line_rest_ += byte;
    line_has_bytes_ = true;
  }

  // Walks the field characters read so far, writing every field that a
  // separator ends. Unless the line is complete, it stops where the next
  // step needs bytes not yet read.
  void scan_fields(bool line_complete) {
    if (separator_.empty()) return;
    std::string_view rest = line_rest_;
    while (rest.size() - scan_position_ >= separator_.size()) {
      if (rest.compare(scan_position_, separator_.size(), separator_) == 0) {
        add_field(rest.substr(field_start_, scan_position_ - field_start_));
        scan_position_ += separator_.size();
        field_start_ = scan_position_;
        continue;
      }
      const size_t length = character_length(rest, scan_position_, encoding_);
      if (length == 0 || (!line_complete && may_continue_later(rest.substr(scan_position_))))
        break;
      scan_position_ += length;
    }
  }

  // Whether the bytes could be the start of a UTF-8 sequence cut by the end
  // of what has been read.
  bool may_continue_later(std::string_view bytes) const {
    return encoding_ == text_encoding::utf8 && is_lead_byte(bytes[0]) &&
           bytes.size() < 4 && utf8_sequence_length(bytes) == 0;
  }

  void end_line() {
    scan_fields(true);
    if (field_start_ < line_rest_.size())
      add_field(std::string_view(line_rest_).substr(field_start_));
    output_.append(line_break);
    line_rest_.clear();
    field_start_ = 0;
    scan_position_ = 0;
    row_has_field_ = false;
    line_has_bytes_ = false;
  }

  void add_field(std::string_view field) {
    if (row_has_field_) output_.append(field_delimiter);
    const size_t start = output_.size();
    output_.append(field);
    if (needs_quoting(field)) {
      output_.open_quote(start);
      output_.append("\"");
    }
    row_has_field_ = true;
  }

  const std::string separator_;
  const text_encoding encoding_;

  // The line walk over the whole text.
  bool text_ended_ = false;    // at a NUL
  bool expect_trail_ = false;  // the previous byte began a two-byte GBK character
  bool held_cr_ = false;       // a CR that may begin a line break
  bool line_has_bytes_ = false;

  // The field walk within the current line, over the bytes not yet written.
  std::string line_rest_;
  size_t field_start_ = 0;
  size_t scan_position_ = 0;
  bool row_has_field_ = false;
};

// Whether the GBK character walk over `text` ends with a lead byte that has
// no second byte.
bool ends_inside_character(std::string_view text) {
  size_t position = 0;
  while (position < text.size()) position += is_lead_byte(text[position]) ? 2 : 1;
  return position > text.size();
}

bool is_continuation_byte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Whether the separator's matches begin and end where the block walk can
// take them: on character boundaries known from the bytes alone.
bool fits_block_walk(std::string_view separator, text_encoding encoding) {
  if (separator.find_first_of("\r\n") != std::string::npos) return false;
  if (encoding == text_encoding::gbk) return !ends_inside_character(separator);
  return separator.empty() || !is_continuation_byte(separator[0]);
}

std::unique_ptr<detail::table_conversion> conversion_for(std::string_view typed_separator,
                                                         text_encoding encoding,
                                                         table_writer::sink sink) {
  std::string separator = effective_separator(typed_separator, encoding);
  // The text ends at its first NUL, so such a separator never matches.
  if (separator.find('\0') != std::string::npos) separator.clear();
  const std::string_view table_start =
      encoding == text_encoding::utf8 ? utf8_byte_order_mark : std::string_view();
  if (fits_block_walk(separator, encoding))
    return std::make_unique<block_conversion>(std::move(separator), encoding, table_start,
                                              std::move(sink));
  return std::make_unique<byte_conversion>(std::move(separator), encoding, table_start,
                                           std::move(sink));
}

}  // namespace

table_writer::table_writer(std::string_view typed_separator, sink output,
                           text_encoding encoding)
    : conversion_(conversion_for(typed_separator, encoding, std::move(output))),
      mark_pending_(encoding == text_encoding::utf8) {}

table_writer::table_writer(table_writer&&) noexcept = default;
table_writer& table_writer::operator=(table_writer&&) noexcept = default;
table_writer::~table_writer() = default;

bool table_writer::write(std::string_view chunk) {
  if (conversion_->failed()) return false;
  if (chunk.empty()) return true;
  if (mark_pending_) {
    const size_t taken = std::min(chunk.size(), utf8_byte_order_mark.size() - start_.size());
    start_.append(chunk.substr(0, taken));
    chunk.remove_prefix(taken);
    if (start_.size() < utf8_byte_order_mark.size() && utf8_byte_order_mark.starts_with(start_))
      return true;
    mark_pending_ = false;
    if (start_ != utf8_byte_order_mark) conversion_->write(start_);
  }
  if (!chunk.empty()) conversion_->write(chunk);
  return !conversion_->failed();
}

bool table_writer::text_ended() const { return conversion_->text_ended(); }

bool table_writer::finish() {
  if (conversion_->failed()) return false;
  if (mark_pending_ && !start_.empty()) conversion_->write(start_);  // less than a mark
  mark_pending_ = false;
  conversion_->finish();
  return !conversion_->failed();
}

}  // namespace txt2csv
