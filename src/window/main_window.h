// The main window as data: one table of window properties and one of control
// descriptions, which each toolkit's builder walks, and the pure rules of
// placing the window, its tab cycle and its keys.
// Texts are GBK bytes; they are only ever defined in main_window.cpp, which is
// compiled to GBK (see CMakeLists.txt), so no header holds a text literal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace txt2csv {

struct point {
  int x = 0;
  int y = 0;
  bool operator==(const point&) const = default;
};

struct extent {
  int width = 0;
  int height = 0;
  bool operator==(const extent&) const = default;
};

// A colour of the description: the platform's button face, looked up each
// time something paints, or a fixed colour.
struct colour {
  bool is_button_face = false;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};
inline constexpr colour button_face{.is_button_face = true};
inline constexpr colour black{};
inline constexpr colour white{.red = 255, .green = 255, .blue = 255};

enum class control_kind { label, edit_box, button };

// How a control lays out its text.
enum class text_layout {
  single_line_centred,  // one line, centred vertically
  wrapped_from_top,     // as many lines as the width needs, the first at the top
  wrapped_centred,      // a button's text: centred both ways, wrapping when too wide
};

// The bound routines. An unbound event (nullptr) has no effect.
using event_routine = void (*)();
// Answers a feedback request with a value, or with 0 when it gives none.
using feedback_routine = std::optional<std::int32_t> (*)(std::int32_t, std::int32_t);

struct window_properties {
  std::uint32_t number = 0;
  std::string_view title = {};
  point stored_place = {};  // not used: the window is centred on the screen
  extent size = {};         // the outer size, border and title bar included
  bool resizable = false;
  bool control_box = true;  // system menu and close box
  bool minimize_box = false;
  bool maximize_box = false;
  bool movable = true;
  bool own_taskbar_button = true;
  bool always_on_top = false;
  colour background = button_face;
  int icon_size = 32;
  bool enter_moves_focus = false;
  bool esc_closes = true;
  bool f1_opens_help = false;
  event_routine created = nullptr;
};

struct control_description {
  std::string_view name = {};
  control_kind kind = control_kind::label;
  std::uint32_t number = 0;
  point place = {};  // within the window's client area
  extent size = {};
  bool visible = true;
  bool enabled = true;
  bool tab_stop = false;
  int tab_order = 0;
  std::string_view text = {};
  text_layout layout = text_layout::single_line_centred;
  colour text_colour = black;
  colour background = button_face;
  // Edit boxes only.
  bool sunken_edge = false;
  bool scrolls_horizontally = false;
  std::optional<int> length_limit = std::nullopt;  // none: as long as the platform allows
  // Buttons only.
  bool default_button = false;
  // Bound events.
  event_routine text_changed = nullptr;
  event_routine clicked = nullptr;
  feedback_routine feedback = nullptr;
};

struct window_description {
  window_properties properties;
  std::span<const control_description> controls;
};

inline constexpr std::uint32_t main_window_number = 1375797249;
inline constexpr std::uint32_t separator_box_number = 369164290;
inline constexpr std::uint32_t generate_button_number = 369164291;
inline constexpr std::uint32_t edition_label_number = 369164326;

extern const window_description main_window_description;

// The descriptions a program carries; the test-only build that withholds them
// links a version of its own.
std::span<const window_description* const> stored_window_descriptions();

// Centres `window` on `screen`; negative when the screen is smaller. The
// division truncates toward zero.
point centred_place(extent screen, extent window);

// Visible, enabled and a tab stop.
bool is_focusable(const control_description& control);

// Indices of the focusable controls in tab-cycle order: by tab order, and
// among equal tab orders the control listed later first.
std::vector<std::size_t> tab_cycle(std::span<const control_description> controls);

enum class tab_direction { forward, backward };

// The control that takes the focus after `current` (an index into `controls`,
// or none): the next or previous one of the tab cycle, wrapping around. From
// outside the cycle, forward goes to its first control and backward to its
// last. None when nothing is focusable.
std::optional<std::size_t> next_focus(std::span<const control_description> controls,
                                      std::optional<std::size_t> current, tab_direction direction);

// The control that takes the focus when the window gets it: the one that last
// had it, if still focusable, else the first of the tab cycle.
std::optional<std::size_t> focus_on_activation(std::span<const control_description> controls,
                                               std::optional<std::size_t> last_focused);

enum class key { tab, escape, enter, f1, other };

struct key_press {
  key pressed = key::other;
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

enum class key_action {
  pass_on,  // the focused control gets the key as usual
  ignore,   // the key goes no further and nothing happens
  focus_next,
  focus_previous,
  close_window,  // the same as the close box
};

// What the window makes of a key press before its focused control sees it.
// Alt with a letter is passed on: no text marks an access key, so the
// platform finds none. Swallowing it would leave Alt looking pressed alone,
// and its release would open the system menu.
key_action action_for_key(const window_properties& window, key_press press);

}  // namespace txt2csv
