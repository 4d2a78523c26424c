// The texts below are written as UTF-8 and compiled to GBK bytes
// (-finput-charset=UTF-8 -fexec-charset=GBK, set in CMakeLists.txt).
#include "window/main_window.h"

#include <algorithm>

#include "window/events.h"

namespace txt2csv {

namespace {

// In the order of the description; builders create them from the last to the
// first.
constexpr control_description main_window_controls[] = {
    {.name = "标签3",
     .kind = control_kind::label,
     .number = 369164390,
     .place = {16, 8},
     .size = {88, 24},
     .text = "TXT文本间隔符"},
    {.name = "标签1",
     .kind = control_kind::label,
     .number = edition_label_number,
     .place = {232, 104},
     .size = {104, 24},
     .text = "Vornel专版 2017",
     .feedback = on_edition_feedback},
    {.name = "标签2",
     .kind = control_kind::label,
     .number = 369164309,
     .place = {8, 64},
     .size = {560, 32},
     .text = "【TXT文本说明】文本每行以回车换行符格式，每条文本中间的分隔符可以自定义。"
             "生成的后文件为EXCEL的CSV表格文件，并存贮在本程序同级目录，"
             "源文件的1.txt文本文件也需要放在本程序同级目录",
     .layout = text_layout::wrapped_from_top},
    {.name = "按钮1",
     .kind = control_kind::button,
     .number = generate_button_number,
     .place = {168, 8},
     .size = {120, 32},
     .tab_stop = true,
     .tab_order = 0,
     .text = "生成EXCEL表格",
     .layout = text_layout::wrapped_centred,
     .clicked = on_generate_clicked},
    {.name = "编辑框1",
     .kind = control_kind::edit_box,
     .number = separator_box_number,
     .place = {104, 8},
     .size = {40, 24},
     .tab_stop = true,
     .tab_order = 0,
     .text = ",",
     .background = white,
     .sunken_edge = true,
     .scrolls_horizontally = true,
     .text_changed = on_separator_text_changed},
};

}  // namespace

const window_description main_window_description = {
    .properties = {.number = main_window_number,
                   .title = "Tabrix Vornel专版",
                   .stored_place = {50, 50},
                   .size = {670, 179},
                   .created = on_main_window_created},
    .controls = main_window_controls,
};

point centred_place(extent screen, extent window) {
  return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}

bool is_focusable(const control_description& control) {
  return control.visible && control.enabled && control.tab_stop;
}

std::vector<std::size_t> tab_cycle(std::span<const control_description> controls) {
  std::vector<std::size_t> cycle;
  for (std::size_t index = controls.size(); index-- > 0;)
    if (is_focusable(controls[index])) cycle.push_back(index);
  // Listed later first among equals: walked backwards, then kept in place.
  std::ranges::stable_sort(cycle, {}, [&](std::size_t index) { return controls[index].tab_order; });
  return cycle;
}

std::optional<std::size_t> next_focus(std::span<const control_description> controls,
                                      std::optional<std::size_t> current, tab_direction direction) {
  const std::vector<std::size_t> cycle = tab_cycle(controls);
  if (cycle.empty()) return std::nullopt;
  const bool forward = direction == tab_direction::forward;
  auto at = current ? std::ranges::find(cycle, *current) : cycle.end();
  if (at == cycle.end()) return forward ? cycle.front() : cycle.back();
  if (forward) return ++at == cycle.end() ? cycle.front() : *at;
  return at == cycle.begin() ? cycle.back() : *--at;
}

std::optional<std::size_t> focus_on_activation(std::span<const control_description> controls,
                                               std::optional<std::size_t> last_focused) {
  if (last_focused && *last_focused < controls.size() && is_focusable(controls[*last_focused]))
    return last_focused;
  return next_focus(controls, std::nullopt, tab_direction::forward);
}

key_action action_for_key(const window_properties& window, key_press press) {
  const bool no_modifier = !press.ctrl && !press.shift && !press.alt;
  switch (press.pressed) {
    case key::tab:
      if (no_modifier) return key_action::focus_next;
      if (press.shift && !press.ctrl && !press.alt) return key_action::focus_previous;
      break;
    case key::escape:
      if (no_modifier && window.esc_closes) return key_action::close_window;
      break;
    case key::enter:
      if (no_modifier && window.enter_moves_focus) return key_action::focus_next;
      break;
    case key::f1:
      if (no_modifier && !window.f1_opens_help) return key_action::ignore;
      break;
    case key::other: break;
  }
  return key_action::pass_on;
}

}  // namespace txt2csv
