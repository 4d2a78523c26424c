#include "convert/table.h"

#include "primitives/encoding.h"

namespace txt2csv {

std::string effective_separator(std::string_view typed, text_encoding encoding) {
  std::string trimmed = trim_both_ends(typed, encoding);
  return trimmed.empty() ? std::string(typed) : trimmed;
}

bool needs_quoting(std::string_view field) {
  return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void append_csv_field(std::string& table, std::string_view field) {
  if (!needs_quoting(field)) {
    table += field;
    return;
  }
  table += '"';
  for (char byte : field) {
    if (byte == '"') table += '"';
    table += byte;
  }
  table += '"';
}

std::string table_from_whole_text(std::string_view file_bytes, std::string_view typed_separator,
                                  text_encoding encoding) {
  const std::string separator = effective_separator(typed_separator, encoding);
  std::string whole_text = bytes_to_text(file_bytes);
  std::string table;
  if (encoding == text_encoding::utf8) {
    if (whole_text.starts_with(utf8_byte_order_mark))
      whole_text.erase(0, utf8_byte_order_mark.size());
    table = utf8_byte_order_mark;
  }
  for (const text& line : split_text(whole_text, line_break, std::nullopt, encoding)) {
    bool first = true;
    for (const text& field : split_text(line, separator, std::nullopt, encoding)) {
      if (!first) table += field_delimiter;
      append_csv_field(table, field);
      first = false;
    }
    table += line_break;
  }
  return table;
}

}  // namespace txt2csv
