#include "window/window_icon.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace txt2csv {
namespace {

using rgba = std::array<int, 4>;

rgba pixel(const icon_image& image, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 4;
  return {image.rgba[at], image.rgba[at + 1], image.rgba[at + 2], image.rgba[at + 3]};
}

TEST(window_icon, carries_the_drawn_icon) {
  const auto image = icon_from_ico(stored_icon_file(), 32);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->rgba.size(), 32u * 32 * 4);
  // Rows from the top: cyan at the top left, orange at the bottom right, and
  // the T of TOOL in dark blue from (1, 11).
  EXPECT_EQ(pixel(*image, 0, 0), (rgba{0, 255, 255, 255}));
  EXPECT_EQ(pixel(*image, 31, 31), (rgba{255, 140, 0, 255}));
  EXPECT_EQ(pixel(*image, 1, 11), (rgba{0, 0, 128, 255}));
  for (std::size_t alpha = 3; alpha < image->rgba.size(); alpha += 4)
    ASSERT_EQ(image->rgba[alpha], 255) << alpha / 4;
}

TEST(window_icon, refuses_what_it_cannot_read) {
  const std::string file(stored_icon_file());
  const struct {
    const char* name;
    std::string file;
    int size;
  } cases[] = {
      {"no such size", file, 16},
      {"empty", "", 32},
      {"not an icon", "GIF89a", 32},
      {"directory cut short", file.substr(0, 10), 32},
      {"bitmap cut short", file.substr(0, file.size() / 2), 32},
  };
  for (const auto& c : cases) EXPECT_FALSE(icon_from_ico(c.file, c.size)) << c.name;
}

}  // namespace
}  // namespace txt2csv
