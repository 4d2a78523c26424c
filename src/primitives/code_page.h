// Texts of code page 936 (GBK) and the wide (UTF-16) texts of the Windows API.
// Implemented for Windows in code_page_win32.cpp.
#pragma once

#include <string>
#include <string_view>

#include "primitives/text.h"

namespace txt2csv {

std::wstring wide_from_gbk(std::string_view gbk);

// A character that GBK cannot represent becomes a NUL byte. No text holds a
// NUL, so a separator with such a character matches nothing, as it should.
text gbk_from_wide(std::wstring_view wide);

}  // namespace txt2csv
