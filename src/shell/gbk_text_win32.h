// The window's texts are GBK bytes; the platform is given them as wide text,
// converted from code page 936 explicitly, so that they show right whatever
// the system's code page is.
#pragma once

#include <string>
#include <string_view>

namespace txt2csv {

std::wstring wide_from_gbk(std::string_view text);

}  // namespace txt2csv
