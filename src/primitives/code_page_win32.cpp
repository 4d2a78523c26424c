#include <windows.h>

#include "primitives/code_page_win32.h"

namespace txt2csv {

namespace {

constexpr UINT gbk = 936;

std::wstring wide_from(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  int size = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
  return wide;
}

}  // namespace

std::wstring wide_from_gbk(std::string_view gbk_text) { return wide_from(gbk, gbk_text); }

std::wstring wide_from_utf8(std::string_view utf8) { return wide_from(CP_UTF8, utf8); }

std::string utf8_from_wide(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

text gbk_from_wide(std::wstring_view wide) {
  text result;
  // One character at a time, so that each one GBK lacks is known.
  for (size_t at = 0; at < wide.size();) {
    bool pair = IS_HIGH_SURROGATE(wide[at]) && at + 1 < wide.size() &&
                IS_LOW_SURROGATE(wide[at + 1]);
    int units = pair ? 2 : 1;
    char bytes[8];
    BOOL lacking = FALSE;
    int count = WideCharToMultiByte(gbk, WC_NO_BEST_FIT_CHARS, wide.data() + at, units, bytes,
                                    sizeof bytes, nullptr, &lacking);
    if (count <= 0 || lacking)
      result += '\0';
    else
      result.append(bytes, static_cast<size_t>(count));
    at += static_cast<size_t>(units);
  }
  return result;
}

std::string utf8_from_gbk(std::string_view gbk_text) {
  return utf8_from_wide(wide_from_gbk(gbk_text));
}

text gbk_from_utf8(std::string_view utf8) { return gbk_from_wide(wide_from_utf8(utf8)); }

}  // namespace txt2csv
