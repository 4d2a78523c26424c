// Texts and byte blocks of the system code page (GBK), and the operations the
// conversion is built from. A text is a byte string without NUL; a byte block
// may hold NUL bytes. Both are std::string: the empty string stands for an
// absent value too, so the two can never be told apart.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace txt2csv {

using text = std::string;
using byte_block = std::string;
using text_array = std::vector<text>;

// How a text is cut into characters.
enum class text_encoding { gbk, utf8 };

// GBK's double-byte rule: a byte of 0x80 or more and the byte after it are
// one character, whatever the second byte is.
constexpr bool is_lead_byte(char byte) {
  return static_cast<unsigned char>(byte) >= 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of `bytes`
// (no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
size_t utf8_sequence_length(std::string_view bytes);

// Whether the bytes are well-formed UTF-8 from start to end.
bool is_well_formed_utf8(std::string_view bytes);

// The byte count of the character at `position`. GBK: a lead byte and the
// byte after it, or 0 for a lead byte that ends the text (a scan stops
// there). UTF-8: a well-formed sequence; any other byte stands alone.
size_t character_length(std::string_view input, size_t position, text_encoding encoding);

// Cuts `input` at every `separator` that starts on a character boundary.
// No empty last member after a trailing separator; an empty separator gives
// the whole text as one member; a limit caps the member count (negative: 0).
text_array split_text(std::string_view input, std::string_view separator = ",",
                      std::optional<long long> limit = std::nullopt,
                      text_encoding encoding = text_encoding::gbk);

// Removes half-width spaces and full-width ones (GBK 0xA1 0xA1, UTF-8
// U+3000) at both ends. In GBK a lone lead byte at the very end is removed
// instead of the trailing run.
text trim_both_ends(std::string_view input, text_encoding encoding = text_encoding::gbk);

// The block's bytes up to its first NUL.
text bytes_to_text(std::string_view block);

// The text's bytes, unchanged.
byte_block text_to_bytes(std::string_view input);

text concatenate_texts(std::initializer_list<std::string_view> parts);

}  // namespace txt2csv
