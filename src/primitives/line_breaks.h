// Where a UTF-8 text breaks into lines to fit a width, as Windows breaks a
// label's text: at spaces, and between any two characters of which one is
// not ASCII, so Chinese text wraps between its characters while a Latin word
// stays whole. A word wider than the whole width is cut where it overflows.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace txt2csv {

// The width of a piece of text, in the units of `width` below.
using text_measure = std::function<int(std::string_view)>;

// The lines of `whole`, each at most `width` wide unless a single character is
// wider. A line feed (with or without a CR before it) always breaks; the
// spaces at a wrapping break belong to no line; a final line feed adds no
// empty line.
std::vector<std::string_view> wrapped_lines(std::string_view whole, int width,
                                            const text_measure& measure);

}  // namespace txt2csv
