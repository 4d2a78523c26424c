// Texts of code page 936 (GBK) and Unicode text in UTF-8.
// One implementation per platform: code_page_posix.cpp, code_page_win32.cpp.
#pragma once

#include <string>
#include <string_view>

#include "primitives/text.h"

namespace txt2csv {

// Bytes that form no GBK character are replaced by a substitute character.
std::string utf8_from_gbk(std::string_view gbk);

// A character that GBK cannot represent becomes a NUL byte. No text holds a
// NUL, so a separator with such a character matches nothing, as it should.
text gbk_from_utf8(std::string_view utf8);

}  // namespace txt2csv
