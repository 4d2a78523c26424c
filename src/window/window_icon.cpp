#include "window/window_icon.h"

#include <cstddef>

namespace txt2csv {

namespace {

std::uint32_t little_endian(std::string_view bytes, std::size_t at, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

constexpr std::size_t directory_size = 6;
constexpr std::size_t entry_size = 16;
constexpr std::size_t bitmap_header_size = 40;

// A bitmap of twice the icon's height (colour, then the AND mask), colour
// rows from the bottom in blue, green, red, alpha.
std::optional<icon_image> image_from_bitmap(std::string_view bitmap, int size) {
  const auto side = static_cast<std::size_t>(size);
  if (bitmap.size() < bitmap_header_size + side * side * 4 ||
      little_endian(bitmap, 0, 4) != bitmap_header_size || little_endian(bitmap, 4, 4) != side ||
      little_endian(bitmap, 8, 4) != 2 * side || little_endian(bitmap, 14, 2) != 32 ||
      little_endian(bitmap, 16, 4) != 0)
    return std::nullopt;
  icon_image image{size, size, std::vector<std::uint8_t>(side * side * 4)};
  for (std::size_t row = 0; row < side; ++row) {
    const std::size_t from = bitmap_header_size + (side - 1 - row) * side * 4;
    for (std::size_t column = 0; column < side; ++column) {
      const std::size_t pixel = from + column * 4;
      std::uint8_t* to = &image.rgba[(row * side + column) * 4];
      to[0] = static_cast<std::uint8_t>(bitmap[pixel + 2]);
      to[1] = static_cast<std::uint8_t>(bitmap[pixel + 1]);
      to[2] = static_cast<std::uint8_t>(bitmap[pixel]);
      to[3] = static_cast<std::uint8_t>(bitmap[pixel + 3]);
    }
  }
  return image;
}

}  // namespace

std::optional<icon_image> icon_from_ico(std::string_view ico_file, int size) {
  if (size <= 0 || size >= 256 || ico_file.size() < directory_size ||
      little_endian(ico_file, 0, 2) != 0 || little_endian(ico_file, 2, 2) != 1)
    return std::nullopt;
  const std::size_t count = little_endian(ico_file, 4, 2);
  for (std::size_t index = 0; index < count; ++index) {
    const std::size_t entry = directory_size + index * entry_size;
    if (ico_file.size() < entry + entry_size) return std::nullopt;
    if (little_endian(ico_file, entry, 1) != static_cast<std::uint32_t>(size) ||
        little_endian(ico_file, entry + 1, 1) != static_cast<std::uint32_t>(size) ||
        little_endian(ico_file, entry + 6, 2) != 32)
      continue;
    const std::size_t length = little_endian(ico_file, entry + 8, 4);
    const std::size_t offset = little_endian(ico_file, entry + 12, 4);
    if (offset > ico_file.size() || length > ico_file.size() - offset) return std::nullopt;
    return image_from_bitmap(ico_file.substr(offset, length), size);
  }
  return std::nullopt;
}

}  // namespace txt2csv
