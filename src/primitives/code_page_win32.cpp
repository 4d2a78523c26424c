#include <windows.h>

#include "primitives/code_page.h"

namespace txt2csv {

namespace {
constexpr UINT gbk = 936;
}

std::wstring wide_from_gbk(std::string_view text_bytes) {
  if (text_bytes.empty()) return {};
  int size = static_cast<int>(text_bytes.size());
  int length = MultiByteToWideChar(gbk, 0, text_bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(gbk, 0, text_bytes.data(), size, wide.data(), length);
  return wide;
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

}  // namespace txt2csv
