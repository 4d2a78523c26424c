#include "convert/table_writer.h"

#include "convert/table.h"
#include "primitives/text.h"

namespace txt2csv {

namespace {
constexpr size_t flush_threshold = 256 * 1024;
}

table_writer::table_writer(std::string_view typed_separator, sink output)
    : separator_(effective_separator(typed_separator)), output_(std::move(output)) {}

bool table_writer::write(std::string_view chunk) {
  if (failed_) return false;
  if (text_ended_) return true;
  size_t end = chunk.find('\0');
  if (end != std::string_view::npos) {
    chunk = chunk.substr(0, end);
    text_ended_ = true;
  }
  for (char byte : chunk) take_line_byte(byte);
  scan_fields();
  line_rest_.erase(0, field_start_);
  scan_position_ -= field_start_;
  field_start_ = 0;
  return table_.size() < flush_threshold || flush();
}

bool table_writer::finish() {
  if (failed_) return false;
  if (held_cr_) {
    held_cr_ = false;
    append_to_line('\r');
  }
  // The rest after the last line break is a line only when it is not empty.
  if (line_has_bytes_) end_line();
  return flush();
}

void table_writer::take_line_byte(char byte) {
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
  expect_trail_ = is_lead_byte(byte);
  append_to_line(byte);
}

void table_writer::append_to_line(char byte) {
  line_rest_ += byte;
  line_has_bytes_ = true;
}

// Walks the field characters read so far, writing every field that a
// separator ends. It stops where the next step needs bytes not yet read.
void table_writer::scan_fields() {
  if (separator_.empty()) return;
  std::string_view rest = line_rest_;
  while (rest.size() - scan_position_ >= separator_.size()) {
    if (rest.compare(scan_position_, separator_.size(), separator_) == 0) {
      add_field(rest.substr(field_start_, scan_position_ - field_start_));
      scan_position_ += separator_.size();
      field_start_ = scan_position_;
    } else if (is_lead_byte(rest[scan_position_])) {
      if (scan_position_ + 1 == rest.size()) break;
      scan_position_ += 2;
    } else {
      scan_position_ += 1;
    }
  }
}

void table_writer::end_line() {
  scan_fields();
  if (field_start_ < line_rest_.size())
    add_field(std::string_view(line_rest_).substr(field_start_));
  table_ += line_break;
  line_rest_.clear();
  field_start_ = 0;
  scan_position_ = 0;
  row_has_field_ = false;
  line_has_bytes_ = false;
}

void table_writer::add_field(std::string_view field) {
  if (row_has_field_) table_ += field_delimiter;
  append_csv_field(table_, field);
  row_has_field_ = true;
}

bool table_writer::flush() {
  if (!table_.empty() && !output_(table_)) failed_ = true;
  table_.clear();
  return !failed_;
}

}  // namespace txt2csv
