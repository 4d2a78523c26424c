// split_text and trim_both_ends against the rules, restated here on their
// own terms, and against properties that any right answer has.
//
// Input: a byte giving the separator's length (mod 6), the separator, a byte
// choosing the limit (0: none; otherwise -3 to 8), then the text.
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include "fuzz_input.h"
#include "primitives/text.h"

using txt2csv::fuzzing::fuzz_input;
using txt2csv::fuzzing::print_bytes;

namespace {

bool lead(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

// A byte of 0x80 or more and the byte after it are one character; a lone
// one at the end is a character of its own.
size_t character_length(std::string_view text, size_t at) {
  return lead(text[at]) && at + 1 < text.size() ? 2 : 1;
}

std::optional<size_t> first_separator(std::string_view text, std::string_view separator) {
  for (size_t at = 0; at < text.size(); at += character_length(text, at))
    if (text.substr(at).starts_with(separator)) return at;
  return std::nullopt;
}

// Cut at the first separator that begins a character, then start over after it.
std::vector<std::string> split_by_the_rules(std::string_view text, std::string_view separator,
                                            std::optional<long long> limit) {
  std::vector<std::string> members;
  long long room = limit.value_or(LLONG_MAX);
  if (text.empty() || room <= 0) return members;
  if (separator.empty()) return {std::string(text)};
  while (std::optional<size_t> at = first_separator(text, separator)) {
    members.emplace_back(text.substr(0, *at));
    text.remove_prefix(*at + separator.size());
    if (--room == 0) return members;
  }
  if (!text.empty()) members.emplace_back(text);
  return members;
}

bool is_space(std::string_view character) { return character == " " || character == "\xA1\xA1"; }

// The text as characters; spaces dropped from the front, then a lone lead
// byte from the back, or else the spaces at the back.
std::string trim_by_the_rules(std::string_view text) {
  std::vector<std::string_view> characters;
  for (size_t at = 0; at < text.size(); at += character_length(text, at))
    characters.push_back(text.substr(at, character_length(text, at)));
  size_t first = 0, last = characters.size();
  while (first < last && is_space(characters[first])) ++first;
  if (first < last && characters[last - 1].size() == 1 && lead(characters[last - 1][0]))
    --last;
  else
    while (first < last && is_space(characters[last - 1])) --last;
  std::string trimmed;
  for (size_t i = first; i < last; ++i) trimmed += characters[i];
  return trimmed;
}

// Walked from its start, the member's last character is cut off by its end.
bool ends_inside_a_character(std::string_view member) {
  size_t at = 0;
  while (at < member.size()) at += lead(member[at]) ? 2 : 1;
  return at > member.size();
}

void check(bool holds, const char* rule, std::string_view separator, std::string_view text) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", rule);
  print_bytes("separator", separator);
  print_bytes("text", text);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input input(data, size);
  const std::string_view separator = input.bytes(input.byte() % 6);
  const uint8_t limit_choice = input.byte();
  const std::optional<long long> limit =
      limit_choice == 0 ? std::nullopt : std::optional<long long>(limit_choice % 12 - 3);
  const std::string_view text = input.rest();

  const txt2csv::text_array members = txt2csv::split_text(text, separator, limit);
  check(members == split_by_the_rules(text, separator, limit), "split as the rules cut", separator,
        text);

  const txt2csv::text_array all = txt2csv::split_text(text, separator);
  if (limit) {
    size_t kept = static_cast<size_t>(std::max(*limit, 0LL));
    check(members == txt2csv::text_array(all.begin(), all.begin() + std::min(kept, all.size())),
          "a limit keeps the first members", separator, text);
  }
  if (!separator.empty()) {
    std::string joined;
    for (size_t i = 0; i < all.size(); ++i) joined += (i ? std::string(separator) : "") + all[i];
    check(joined == text || joined + std::string(separator) == text,
          "members joined by the separator give the text, less a trailing separator", separator,
          text);
    for (size_t i = 0; i < all.size(); ++i) {
      check(!first_separator(all[i], separator), "no member holds a separator", separator, text);
      check(i + 1 == all.size() || !ends_inside_a_character(all[i]),
            "no separator is matched inside a character", separator, text);
    }
  }

  const std::string trimmed = txt2csv::trim_both_ends(text);
  check(trimmed == trim_by_the_rules(text), "trim as the rules drop", separator, text);
  check(text.find(trimmed) != std::string_view::npos, "the trimmed text is part of the text",
        separator, text);
  check(!trimmed.starts_with(' ') && !trimmed.starts_with("\xA1\xA1"),
        "no space at the start of a trimmed text", separator, text);
  return 0;
}
