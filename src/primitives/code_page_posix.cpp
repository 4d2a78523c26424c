// Code page 936 through iconv; glibc's CP936 agrees with Windows, the euro
// sign at 0x80 included.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "primitives/code_page.h"

namespace txt2csv {

namespace {

class converter {
 public:
  converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~converter() {
    if (handle_ != reinterpret_cast<iconv_t>(-1)) iconv_close(handle_);
  }
  converter(const converter&) = delete;
  converter& operator=(const converter&) = delete;

  // Converts `input`; a character that cannot be converted is replaced by
  // `replacement`, and `skip` tells how many input bytes it takes.
  template <typename Skip>
  std::string convert(std::string_view input, std::string_view replacement, Skip skip) {
    std::string output;
    if (handle_ == reinterpret_cast<iconv_t>(-1)) return output;
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    char buffer[4096];
    while (in_left > 0) {
      char* out = buffer;
      size_t out_left = sizeof buffer;
      size_t result = iconv(handle_, &in, &in_left, &out, &out_left);
      int error = errno;
      output.append(buffer, static_cast<size_t>(out - buffer));
      if (result == static_cast<size_t>(-1) && error != E2BIG) {
        size_t skipped = std::min(in_left, skip(std::string_view(in, in_left)));
        output += replacement;
        in += skipped;
        in_left -= skipped;
      }
    }
    return output;
  }

 private:
  iconv_t handle_;
};

}  // namespace

std::string utf8_from_gbk(std::string_view gbk) {
  converter from_gbk("UTF-8", "CP936");
  return from_gbk.convert(gbk, "\xEF\xBF\xBD", [](std::string_view rest) {
    return character_length(rest, 0, text_encoding::gbk) == 2 ? size_t{2} : size_t{1};
  });
}

text gbk_from_utf8(std::string_view utf8) {
  converter to_gbk("CP936", "UTF-8");
  return to_gbk.convert(utf8, std::string_view("\0", 1), [](std::string_view rest) {
    return character_length(rest, 0, text_encoding::utf8);
  });
}

}  // namespace txt2csv
