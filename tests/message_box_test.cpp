#include <gtest/gtest.h>

#include "primitives/message_box.h"

namespace txt2csv {
namespace {

TEST(message_box, default_title_is_gbk_information) {
  EXPECT_EQ(default_box_title(), "\xD0\xC5\xCF\xA2\xA3\xBA");  // "信息："
}

TEST(message_box, adds_task_modality_unless_system_modal) {
  const struct {
    unsigned style;
    unsigned shown;
  } cases[] = {
      {0x0000, 0x2000}, {0x0040, 0x2040}, {0x2030, 0x2030}, {0x1000, 0x1000}, {0x1010, 0x1010},
  };
  for (const auto& c : cases) EXPECT_EQ(effective_box_style(c.style), c.shown) << c.style;
}

TEST(message_box, numbers_buttons_from_zero) {
  const struct {
    int platform_button;
    int number;
  } cases[] = {
      {1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 6},  // IDOK .. IDNO
      {0, 0}, {8, 0}, {10, 0}, {-1, 0},                        // failure, IDCLOSE, IDTRYAGAIN
  };
  for (const auto& c : cases)
    EXPECT_EQ(box_button_number(c.platform_button), c.number) << c.platform_button;
}

}  // namespace
}  // namespace txt2csv
