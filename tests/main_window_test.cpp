#include "window/main_window.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace txt2csv {
namespace {

const std::span<const control_description> main_controls = main_window_description.controls;

// Indices into the main window's controls.
constexpr std::size_t separator_caption = 0, edition_label = 1, instructions_label = 2,
                      generate_button = 3, separator_box = 4;

TEST(main_window_description, texts_are_gbk_bytes) {
  EXPECT_EQ(main_window_description.properties.title, "Tabrix Vornel\xD7\xA8\xB0\xE6");
  EXPECT_EQ(main_controls[separator_box].name,
            "\xB1\xE0\xBC\xAD\xBF\xF2"
            "1");
}

TEST(main_window_description, controls_fit_the_window_and_do_not_overlap) {
  std::set<std::uint32_t> numbers{main_window_description.properties.number};
  for (std::size_t i = 0; i < main_controls.size(); ++i) {
    const control_description& a = main_controls[i];
    EXPECT_TRUE(numbers.insert(a.number).second) << a.number;
    EXPECT_LE(a.place.x + a.size.width, main_window_description.properties.size.width);
    EXPECT_LE(a.place.y + a.size.height, main_window_description.properties.size.height);
    for (std::size_t j = i + 1; j < main_controls.size(); ++j) {
      const control_description& b = main_controls[j];
      const bool apart =
          a.place.x + a.size.width <= b.place.x || b.place.x + b.size.width <= a.place.x ||
          a.place.y + a.size.height <= b.place.y || b.place.y + b.size.height <= a.place.y;
      EXPECT_TRUE(apart) << i << " overlaps " << j;
    }
  }
}

TEST(main_window_description, separator_caption_ends_where_the_box_begins) {
  const control_description& caption = main_controls[separator_caption];
  EXPECT_EQ(caption.place.x + caption.size.width, main_controls[separator_box].place.x);
}

struct placement_case {
  extent screen;
  point place;
};

TEST(centred_place, truncates_toward_zero) {
  const placement_case cases[] = {
      {{1920, 1080}, {625, 450}}, {{1366, 768}, {348, 294}}, {{670, 179}, {0, 0}},
      {{671, 180}, {0, 0}},       {{641, 480}, {-14, 150}},  // -29 / 2: -14, where rounding down
                                                             // would give -15
      {{600, 100}, {-35, -39}},
  };
  for (const placement_case& c : cases)
    EXPECT_EQ(centred_place(c.screen, main_window_description.properties.size), c.place)
        << c.screen.width << " x " << c.screen.height;
}

control_description focusable(int tab_order) { return {.tab_stop = true, .tab_order = tab_order}; }

struct cycle_case {
  std::string name;
  std::vector<control_description> controls;
  std::vector<std::size_t> cycle;
};

TEST(tab_cycle, ranks_by_tab_order_then_later_listed_first) {
  const control_description hidden{.visible = false, .tab_stop = true};
  const control_description disabled{.enabled = false, .tab_stop = true};
  const control_description label{};
  const cycle_case cases[] = {
      {"the main window",
       {main_controls.begin(), main_controls.end()},
       {separator_box, generate_button}},
      {"by tab order", {focusable(2), focusable(0), focusable(1)}, {1, 2, 0}},
      {"equal orders, later listed first", {focusable(0), focusable(0), focusable(0)}, {2, 1, 0}},
      {"mixed", {focusable(1), focusable(0), focusable(1), focusable(0)}, {3, 1, 2, 0}},
      {"hidden, disabled and labels left out", {hidden, focusable(0), disabled, label}, {1}},
      {"nothing focusable", {label, hidden}, {}},
  };
  for (const cycle_case& c : cases) EXPECT_EQ(tab_cycle(c.controls), c.cycle) << c.name;
}

struct focus_case {
  std::optional<std::size_t> from;
  tab_direction direction;
  std::optional<std::size_t> to;
};

TEST(next_focus, alternates_between_box_and_button) {
  using enum tab_direction;
  const focus_case cases[] = {
      {separator_box, forward, generate_button},    {generate_button, forward, separator_box},
      {separator_box, backward, generate_button},   {generate_button, backward, separator_box},
      {std::nullopt, forward, separator_box},       {std::nullopt, backward, generate_button},
      {instructions_label, forward, separator_box}, {edition_label, backward, generate_button},
  };
  for (const focus_case& c : cases)
    EXPECT_EQ(next_focus(main_controls, c.from, c.direction), c.to)
        << (c.from ? std::to_string(*c.from) : "none");
}

TEST(next_focus, wraps_around_a_longer_cycle) {
  const std::vector<control_description> controls = {focusable(0), focusable(1), focusable(2)};
  std::vector<std::size_t> visited;
  std::optional<std::size_t> at = 2;
  for (int step = 0; step < 4; ++step)
    visited.push_back(*(at = next_focus(controls, at, tab_direction::forward)));
  EXPECT_EQ(visited, (std::vector<std::size_t>{0, 1, 2, 0}));
  EXPECT_EQ(next_focus(controls, 0, tab_direction::backward), 2u);
  EXPECT_EQ(next_focus(std::vector<control_description>{{}}, 0, tab_direction::forward),
            std::nullopt);
}

TEST(focus_on_activation, returns_to_the_last_focused_control) {
  EXPECT_EQ(focus_on_activation(main_controls, generate_button), generate_button);
  EXPECT_EQ(focus_on_activation(main_controls, separator_box), separator_box);
  EXPECT_EQ(focus_on_activation(main_controls, std::nullopt), separator_box);
  EXPECT_EQ(focus_on_activation(main_controls, separator_caption), separator_box);
  EXPECT_EQ(focus_on_activation(main_controls, 99), separator_box);
}

struct key_case {
  key pressed;
  std::string modifiers;  // "ctrl", "shift", "alt", joined by "+"
  key_action action;
};

key_press press_of(const key_case& c) {
  const auto held = [&](const char* name) { return c.modifiers.find(name) != std::string::npos; };
  return {c.pressed, held("ctrl"), held("shift"), held("alt")};
}

TEST(action_for_key, main_window_keys) {
  using enum key;
  using enum key_action;
  const key_case cases[] = {
      {tab, "", focus_next},
      {tab, "shift", focus_previous},
      {tab, "ctrl", pass_on},
      {tab, "ctrl+shift", pass_on},
      {escape, "", close_window},
      {escape, "shift", pass_on},
      {enter, "", pass_on},
      {f1, "", ignore},
      {f1, "shift", pass_on},
      {f1, "alt", pass_on},
      {other, "", pass_on},
      {other, "alt", pass_on},  // Alt+F4 closes, Alt with a letter finds no access key
  };
  for (const key_case& c : cases)
    EXPECT_EQ(action_for_key(main_window_description.properties, press_of(c)), c.action)
        << static_cast<int>(c.pressed) << " " << c.modifiers;
}

TEST(action_for_key, follows_the_window_properties) {
  window_properties properties = main_window_description.properties;
  properties.esc_closes = false;
  properties.enter_moves_focus = true;
  EXPECT_EQ(action_for_key(properties, {key::escape}), key_action::pass_on);
  EXPECT_EQ(action_for_key(properties, {key::enter}), key_action::focus_next);
}

}  // namespace
}  // namespace txt2csv
