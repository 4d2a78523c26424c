// GBK texts and the wide (UTF-16) texts of the Windows API.
#pragma once

#include <string>
#include <string_view>

#include "primitives/code_page.h"

namespace txt2csv {

std::wstring wide_from_gbk(std::string_view gbk);
std::wstring wide_from_utf8(std::string_view utf8);
std::string utf8_from_wide(std::wstring_view wide);

// As gbk_from_utf8: a character that GBK cannot represent becomes NUL.
text gbk_from_wide(std::wstring_view wide);

}  // namespace txt2csv
