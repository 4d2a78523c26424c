#include "convert/table.h"

#include "primitives/text.h"

namespace txt2csv {

std::string effective_separator(std::string_view typed) {
  std::string trimmed = trim_both_ends(typed);
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

std::string table_from_whole_text(std::string_view file_bytes, std::string_view typed_separator) {
  const std::string separator = effective_separator(typed_separator);
  std::string table;
  for (const text& line : split_text(bytes_to_text(file_bytes), line_break)) {
    bool first = true;
    for (const text& field : split_text(line, separator)) {
      if (!first) table += field_delimiter;
      append_csv_field(table, field);
      first = false;
    }
    table += line_break;
  }
  return table;
}

}  // namespace txt2csv
