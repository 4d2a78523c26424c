#include "primitives/text.h"

#include <algorithm>

namespace txt2csv {

size_t utf8_sequence_length(std::string_view bytes) {
  if (bytes.empty()) return 0;
  auto byte = [&](size_t at) { return static_cast<unsigned char>(bytes[at]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char second_low = 0x80, second_high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) second_low = 0xA0;   // overlong
    if (lead == 0xED) second_high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) second_low = 0x90;   // overlong
    if (lead == 0xF4) second_high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  if (byte(1) < second_low || byte(1) > second_high) return 0;
  for (size_t at = 2; at < length; ++at)
    if ((byte(at) & 0xC0) != 0x80) return 0;
  return length;
}

bool is_well_formed_utf8(std::string_view bytes) {
  for (size_t length; !bytes.empty(); bytes.remove_prefix(length))
    if ((length = utf8_sequence_length(bytes)) == 0) return false;
  return true;
}

size_t character_length(std::string_view input, size_t position, text_encoding encoding) {
  if (encoding == text_encoding::utf8)
    return std::max<size_t>(utf8_sequence_length(input.substr(position)), 1);
  if (!is_lead_byte(input[position])) return 1;
  return position + 1 < input.size() ? 2 : 0;
}

text_array split_text(std::string_view input, std::string_view separator,
                      std::optional<long long> limit, text_encoding encoding) {
  text_array members;
  long long remaining = limit ? std::max(*limit, 0LL) : -1;
  if (input.empty() || remaining == 0) return members;
  if (separator.empty()) return {text(input)};

  size_t position = 0;
  size_t member_start = 0;
  while (input.size() - position >= separator.size()) {
    if (input.compare(position, separator.size(), separator) == 0) {
      members.emplace_back(input.substr(member_start, position - member_start));
      position += separator.size();
      member_start = position;
      if (remaining > 0 && --remaining == 0) return members;
    } else {
      size_t length = character_length(input, position, encoding);
      if (length == 0) break;
      position += length;
    }
  }
  if (member_start < input.size()) members.emplace_back(input.substr(member_start));
  return members;
}

namespace {

// The length of the space character at `position`, or 0 when there is none.
size_t space_length(std::string_view input, size_t position, text_encoding encoding) {
  if (input[position] == ' ') return 1;
  std::string_view full_width = encoding == text_encoding::gbk ? "\xA1\xA1" : "\xE3\x80\x80";
  return input.substr(position, full_width.size()) == full_width ? full_width.size() : 0;
}

}  // namespace

text trim_both_ends(std::string_view input, text_encoding encoding) {
  size_t start = 0;
  while (start < input.size()) {
    size_t length = space_length(input, start, encoding);
    if (length == 0) break;
    start += length;
  }

  size_t end = input.size();
  size_t position = start;
  std::optional<size_t> trailing_run;
  while (position < input.size()) {
    size_t length = character_length(input, position, encoding);
    if (length == 0) {
      // A lone lead byte at the end goes alone; spaces before it stay.
      end = position;
      trailing_run.reset();
      break;
    }
    if (space_length(input, position, encoding) > 0) {
      if (!trailing_run) trailing_run = position;
    } else {
      trailing_run.reset();
    }
    position += length;
  }
  if (trailing_run) end = *trailing_run;
  return text(input.substr(start, end - start));
}

text bytes_to_text(std::string_view block) {
  return text(block.substr(0, block.find('\0')));
}

byte_block text_to_bytes(std::string_view input) { return byte_block(input); }

text concatenate_texts(std::initializer_list<std::string_view> parts) {
  size_t length = 0;
  for (std::string_view part : parts) length += part.size();
  text joined;
  joined.reserve(length);
  for (std::string_view part : parts) joined += part;
  return joined;
}

}  // namespace txt2csv
