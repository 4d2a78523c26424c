#include "shell/gbk_text_win32.h"

#include <windows.h>

namespace txt2csv {

namespace {
constexpr UINT gbk_code_page = 936;
}

std::wstring wide_from_gbk(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(gbk_code_page, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(gbk_code_page, 0, text.data(), size, wide.data(), length);
  return wide;
}

}  // namespace txt2csv
