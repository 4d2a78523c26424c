#include "primitives/line_breaks.h"

#include <algorithm>

#include "primitives/text.h"

namespace txt2csv {

namespace {

bool is_space(char byte) { return byte == ' '; }

// Between the character that ends before `at` and the one that starts there.
bool may_break_before(std::string_view paragraph, std::size_t at) {
  const char before = paragraph[at - 1];
  const char after = paragraph[at];
  return is_space(before) || is_space(after) || is_lead_byte(before) || is_lead_byte(after);
}

std::string_view without_trailing_spaces(std::string_view line) {
  while (!line.empty() && is_space(line.back())) line.remove_suffix(1);
  return line;
}

void wrap_paragraph(std::string_view paragraph, int width, const text_measure& measure,
                    std::vector<std::string_view>& lines) {
  std::size_t start = 0;
  for (;;) {
    std::size_t last_break = 0;  // none yet: a break is never at the line's start
    std::size_t at = start;
    while (at < paragraph.size()) {
      const std::size_t next =
          at + std::max<std::size_t>(1, character_length(paragraph, at, text_encoding::utf8));
      if (at > start && may_break_before(paragraph, at)) last_break = at;
      if (at > start && measure(paragraph.substr(start, next - start)) > width) break;
      at = next;
    }
    if (at == paragraph.size()) {
      lines.push_back(without_trailing_spaces(paragraph.substr(start)));
      return;
    }
    const std::size_t cut = last_break > start ? last_break : at;
    lines.push_back(without_trailing_spaces(paragraph.substr(start, cut - start)));
    start = cut;
    while (start < paragraph.size() && is_space(paragraph[start])) ++start;
    if (start == paragraph.size()) return;
  }
}

}  // namespace

std::vector<std::string_view> wrapped_lines(std::string_view whole, int width,
                                            const text_measure& measure) {
  std::vector<std::string_view> lines;
  while (!whole.empty()) {
    const std::size_t line_feed = whole.find('\n');
    std::string_view paragraph = whole.substr(0, line_feed);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    wrap_paragraph(paragraph, width, measure, lines);
    if (line_feed == std::string_view::npos) break;
    whole.remove_prefix(line_feed + 1);
  }
  return lines;
}

}  // namespace txt2csv
