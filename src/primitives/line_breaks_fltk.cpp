#include "primitives/line_breaks_fltk.h"

#include <FL/fl_draw.H>

#include <string>

#include "primitives/line_breaks.h"

namespace txt2csv {

std::vector<std::string_view> lines_within(std::string_view whole, int width) {
  return wrapped_lines(whole, width, [](std::string_view piece) {
    return static_cast<int>(fl_width(piece.data(), static_cast<int>(piece.size())) + 0.5);
  });
}

text_box::text_box(int x, int y, int width, int height, bool wrapped)
    : Fl_Box(x, y, width, height), wrapped_(wrapped) {
  box(FL_FLAT_BOX);
}

void text_box::draw() {
  draw_box();
  const std::string_view text = label() ? label() : "";
  fl_font(labelfont(), labelsize());
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  fl_push_clip(x(), y(), w(), h());
  const int line_height = fl_height();
  int baseline = wrapped_ ? y() + line_height - fl_descent()
                          : y() + (h() - line_height) / 2 + line_height - fl_descent();
  const std::vector<std::string_view> lines =
      wrapped_ ? lines_within(text, w()) : std::vector<std::string_view>{text};
  for (std::string_view line : lines) {
    if (baseline - line_height >= y() + h()) break;
    fl_draw(line.data(), static_cast<int>(line.size()), x(), baseline);
    baseline += line_height;
  }
  fl_pop_clip();
}

}  // namespace txt2csv
