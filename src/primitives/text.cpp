#include "primitives/text.h"

#include <algorithm>

namespace txt2csv {

text_array split_text(std::string_view input, std::string_view separator,
                      std::optional<long long> limit) {
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
    } else if (is_lead_byte(input[position])) {
      if (position + 1 == input.size()) break;
      position += 2;
    } else {
      position += 1;
    }
  }
  if (member_start < input.size()) members.emplace_back(input.substr(member_start));
  return members;
}

namespace {

// The length of the space character at `position`, or 0 when there is none.
size_t space_length(std::string_view input, size_t position) {
  if (input[position] == ' ') return 1;
  if (input.substr(position, 2) == "\xA1\xA1") return 2;
  return 0;
}

}  // namespace

text trim_both_ends(std::string_view input) {
  size_t start = 0;
  while (start < input.size()) {
    size_t length = space_length(input, start);
    if (length == 0) break;
    start += length;
  }

  size_t end = input.size();
  size_t position = start;
  std::optional<size_t> trailing_run;
  while (position < input.size()) {
    if (is_lead_byte(input[position]) && position + 1 == input.size()) {
      // A lone lead byte at the end goes alone; spaces before it stay.
      end = position;
      trailing_run.reset();
      break;
    }
    size_t length = space_length(input, position);
    if (length > 0) {
      if (!trailing_run) trailing_run = position;
    } else {
      trailing_run.reset();
      length = is_lead_byte(input[position]) ? 2 : 1;
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
