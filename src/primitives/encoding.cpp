#include "primitives/encoding.h"

#include <cstdint>
#include <cstring>

#include "primitives/utf8_blocks.h"

namespace txt2csv {

namespace {

// The offset of the first byte of 0x80 or more, eight bytes at a time.
size_t ascii_prefix_length(std::string_view bytes) {
  size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    if (word & 0x8080808080808080ull) break;
  }
  while (at < bytes.size() && !is_lead_byte(bytes[at])) ++at;
  return at;
}

bool could_lead(char byte) {
  const auto lead = static_cast<unsigned char>(byte);
  return lead >= 0xC2 && lead <= 0xF4;
}

// The length of the sequence that a lead byte begins, if it is well-formed.
size_t expected_length(char byte) {
  const auto lead = static_cast<unsigned char>(byte);
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

// Where the sequence that `end` cuts begins, or `end` when it cuts none. The
// bytes before `end` are well-formed.
size_t start_of_cut_sequence(std::string_view bytes, size_t end) {
  for (size_t back = 1; back <= 3 && back <= end; ++back) {
    const char byte = bytes[end - back];
    if (!is_lead_byte(byte)) return end;
    if (static_cast<unsigned char>(byte) >= 0xC0) return expected_length(byte) > back ? end - back : end;
  }
  return end;
}

}  // namespace

void encoding_detector::feed(std::string_view chunk) {
  if (text_ended_ || chunk.empty()) return;
  if (size_t end = chunk.find('\0'); end != std::string_view::npos) {
    chunk = chunk.substr(0, end);
    text_ended_ = true;
  }
  if (start_.size() < utf8_byte_order_mark.size()) {
    start_ += chunk.substr(0, utf8_byte_order_mark.size() - start_.size());
    has_mark_ = start_ == utf8_byte_order_mark;
  }
  if (malformed_ || has_mark_) return;

  // Finish a sequence that the end of the last chunk cut.
  while (!unfinished_.empty() && !chunk.empty()) {
    unfinished_ += chunk.front();
    chunk.remove_prefix(1);
    if (utf8_sequence_length(unfinished_) == unfinished_.size()) {
      unfinished_.clear();
      has_multibyte_ = true;
    } else if (unfinished_.size() >= expected_length(unfinished_[0])) {
      malformed_ = true;
      return;
    }
  }

  // Whole blocks at once, then the rest a character at a time.
  const utf8_blocks_check blocks = check_utf8_blocks(chunk);
  if (blocks.malformed) {
    malformed_ = true;
    return;
  }
  has_multibyte_ = has_multibyte_ || blocks.has_high;
  size_t at = start_of_cut_sequence(chunk, blocks.checked);
  while (at < chunk.size()) {
    at += ascii_prefix_length(chunk.substr(at));
    if (at == chunk.size()) break;
    std::string_view rest = chunk.substr(at);
    size_t length = utf8_sequence_length(rest);
    if (length == 0) {
      // Too short to tell: the next chunk decides.
      if (could_lead(rest[0]) && rest.size() < expected_length(rest[0])) unfinished_ = rest;
      else malformed_ = true;
      return;
    }
    has_multibyte_ = true;
    at += length;
  }
}

std::optional<text_encoding> encoding_detector::early_decision() const {
  if (has_mark_) return text_encoding::utf8;
  if (malformed_) return text_encoding::gbk;
  if (text_ended_) return decision();
  return std::nullopt;
}

text_encoding encoding_detector::decision() const {
  if (has_mark_) return text_encoding::utf8;
  return has_multibyte_ && unfinished_.empty() && !malformed_ ? text_encoding::utf8
                                                              : text_encoding::gbk;
}

text_encoding detect_encoding(std::string_view whole_input) {
  encoding_detector detector;
  detector.feed(whole_input);
  return detector.decision();
}

}  // namespace txt2csv
