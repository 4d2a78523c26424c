// The rules of the table that every conversion follows: which separator a
// typed one stands for, how a field is written, and how rows are framed.
#pragma once

#include <string>
#include <string_view>

#include "primitives/text.h"

namespace txt2csv {

inline constexpr std::string_view line_break = "\r\n";
inline constexpr std::string_view field_delimiter = ",";

// The separator as typed, trimmed of spaces at both ends; a separator made
// only of spaces is kept as typed, so a single space still separates.
std::string effective_separator(std::string_view typed,
                                text_encoding encoding = text_encoding::gbk);

// A field holding a comma, a double quote, CR or LF goes between double
// quotes with its quotes doubled; any other field is copied byte for byte.
bool needs_quoting(std::string_view field);
void append_csv_field(std::string& table, std::string_view field);

// The whole conversion done on the whole text at once: text cut at the first
// NUL, lines at CR LF, fields at the separator, fields joined by "," and every
// row ended by CR LF. A UTF-8 text loses its byte-order mark and its table
// gets one, which is how Excel tells a UTF-8 table from one in the ANSI code
// page. It defines the result that streaming must match.
std::string table_from_whole_text(std::string_view file_bytes, std::string_view typed_separator,
                                  text_encoding encoding = text_encoding::gbk);

}  // namespace txt2csv
