// The window icon's pixels, for toolkits that take an image rather than the
// icon resource Windows reads from the executable.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace txt2csv {

struct icon_image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // rows from the top, four bytes a pixel
};

// The 32-bit uncompressed image of that size in an .ico file; nothing when
// the file holds none or is malformed.
std::optional<icon_image> icon_from_ico(std::string_view ico_file, int size);

// The bytes of res/txt2csv.ico, carried by the program.
std::string_view stored_icon_file();

}  // namespace txt2csv
