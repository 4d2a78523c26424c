// Text in lines on FLTK, drawn as Windows' static text draws it.
#pragma once

#include <FL/Fl_Box.H>

#include <string_view>
#include <vector>

namespace txt2csv {

// The lines of a UTF-8 text within `width` pixels, in the current font.
std::vector<std::string_view> lines_within(std::string_view whole, int width);

// A box that draws its label left-aligned and clipped at its edges: wrapped
// into lines from its top, or as one line centred vertically. FLTK wraps only
// at spaces, which Chinese text has none of.
class text_box : public Fl_Box {
 public:
  text_box(int x, int y, int width, int height, bool wrapped);
  void draw() override;

 private:
  bool wrapped_;
};

}  // namespace txt2csv
