// Message boxes on FLTK, after Windows' own: the same buttons and answers for
// each style, an icon for each icon style, a title, and Ctrl+C copying the
// box's texts. Their labels are the toolkit's texts, in UTF-8.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "primitives/code_page.h"
#include "primitives/line_breaks_fltk.h"
#include "primitives/message_box.h"

namespace txt2csv {

namespace {

// Windows' identifiers of the buttons, from which the answer is numbered.
struct box_button {
  const char* label;
  int identifier;
};
constexpr box_button ok{"确定", 1}, cancel{"取消", 2}, abort_button{"中止", 3},
    retry{"重试", 4}, ignore{"忽略", 5}, yes{"是", 6}, no{"否", 7}, try_again{"重试", 10},
    continue_button{"继续", 11};

// The buttons of each button style (the style's low four bits), and what
// closing the box answers; 0 where only a button closes it.
struct button_set {
  std::array<box_button, 3> buttons;
  std::size_t count;
  int on_close;
};
constexpr button_set button_sets[] = {
    {{ok}, 1, ok.identifier},
    {{ok, cancel}, 2, cancel.identifier},
    {{abort_button, retry, ignore}, 3, 0},
    {{yes, no, cancel}, 3, cancel.identifier},
    {{yes, no}, 2, 0},
    {{retry, cancel}, 2, cancel.identifier},
    {{cancel, try_again, continue_button}, 3, cancel.identifier},
};

struct icon_look {
  unsigned style;
  const char* mark;
  Fl_Color fill;
  Fl_Color ink;
};
constexpr unsigned icon_mask = 0x00F0;
constexpr unsigned icon_question = 0x0020;
constexpr icon_look icon_looks[] = {
    {box_style::icon_error, "X", FL_RED, FL_WHITE},
    {icon_question, "?", FL_BLUE, FL_WHITE},
    {box_style::icon_warning, "!", FL_YELLOW, FL_BLACK},
    {box_style::icon_information, "i", FL_BLUE, FL_WHITE},
};

constexpr int margin = 12;
constexpr int icon_side = 32;
constexpr int button_width = 75;
constexpr int button_height = 23;
constexpr int button_gap = 6;
constexpr int widest_text = 420;

class box_window : public Fl_Window {
 public:
  box_window(int width, int height, std::string copied, int on_close)
      : Fl_Window(width, height), copied_(std::move(copied)), on_close_(on_close) {
    callback(close_requested);
  }

  int handle(int event) override {
    if (event == FL_KEYBOARD && Fl::event_state(FL_CTRL) && Fl::event_key() == 'c') {
      Fl::copy(copied_.c_str(), static_cast<int>(copied_.size()), 1);
      return 1;
    }
    // Enter presses the focused button, as in Windows' boxes.
    if (event == FL_KEYBOARD && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter) &&
        Fl::focus() != nullptr && Fl::focus()->window() == this) {
      Fl::focus()->do_callback();
      return 1;
    }
    return Fl_Window::handle(event);
  }

  void answer(int identifier) {
    answer_ = identifier;
    hide();
  }
  int answer() const { return answer_; }

 private:
  // The close box and Esc.
  static void close_requested(Fl_Widget* widget, void*) {
    auto* box = static_cast<box_window*>(widget);
    if (box->on_close_ != 0) box->answer(box->on_close_);
  }

  std::string copied_;
  int on_close_;
  int answer_ = 0;
};

void button_pressed(Fl_Widget* button, void* identifier) {
  static_cast<box_window*>(button->window())
      ->answer(static_cast<int>(reinterpret_cast<std::intptr_t>(identifier)));
}

// The windows of the program on the screen, which an owner must be one of.
Fl_Window* shown_window(std::optional<std::intptr_t> owner) {
  if (!owner) return nullptr;
  for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
    if (reinterpret_cast<std::intptr_t>(window) == *owner) return window;
  return nullptr;
}

// What Ctrl+C copies: the texts of the box framed as Windows frames them.
std::string copied_texts(const std::string& title, const std::string& message,
                         const button_set& buttons) {
  const std::string rule = "---------------------------\n";
  std::string labels;
  for (std::size_t index = 0; index < buttons.count; ++index)
    labels += std::string(buttons.buttons[index].label) + "   ";
  return rule + title + "\n" + rule + message + "\n" + rule + labels + "\n" + rule;
}

}  // namespace

int message_box(std::string_view message, unsigned style, std::optional<std::string_view> title,
                std::optional<std::intptr_t> owner) {
  const std::string shown = utf8_from_gbk(message);
  const std::string caption = utf8_from_gbk(title ? *title : default_box_title());
  const std::size_t set_index = style & 0x000F;
  const button_set& buttons = button_sets[set_index < std::size(button_sets) ? set_index : 0];
  const auto look = std::ranges::find(icon_looks, style & icon_mask, &icon_look::style);
  const bool has_icon = look != std::end(icon_looks);

  fl_open_display();
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  int text_width = 0;
  const std::vector<std::string_view> lines = lines_within(shown, widest_text);
  for (std::string_view line : lines)
    text_width = std::max(
        text_width, static_cast<int>(std::ceil(fl_width(line.data(), static_cast<int>(line.size())))));
  const int text_height = static_cast<int>(lines.size()) * fl_height();
  const int text_left = has_icon ? 2 * margin + icon_side : margin;
  const int content_height = std::max(text_height, has_icon ? icon_side : 0);
  const int buttons_width =
      static_cast<int>(buttons.count) * (button_width + button_gap) - button_gap;
  const int width = std::max(text_left + text_width + margin, buttons_width + 2 * margin);
  const int height = 3 * margin + content_height + button_height;

  box_window box(width, height, copied_texts(caption, shown, buttons), buttons.on_close);
  box.copy_label(caption.c_str());
  if (has_icon) {
    auto* icon = new Fl_Box(margin, margin, icon_side, icon_side, look->mark);
    icon->box(FL_OVAL_BOX);
    icon->color(look->fill);
    icon->labelcolor(look->ink);
    icon->labelfont(FL_HELVETICA_BOLD);
    icon->labelsize(20);
  }
  auto* shown_text = new text_box(text_left, margin + (content_height - text_height) / 2,
                                  text_width + 1, text_height, true);
  shown_text->copy_label(shown.c_str());
  std::vector<Fl_Button*> pressable;
  for (std::size_t index = 0; index < buttons.count; ++index) {
    const int left = width - margin - buttons_width +
                     static_cast<int>(index) * (button_width + button_gap);
    auto* button = new Fl_Button(left, height - margin - button_height, button_width,
                                 button_height, buttons.buttons[index].label);
    button->callback(button_pressed,
                     reinterpret_cast<void*>(std::intptr_t{buttons.buttons[index].identifier}));
    pressable.push_back(button);
  }
  box.end();
  box.resizable(nullptr);
  box.set_modal();

  // Over its owner, else in the middle of the screen, as Windows places them.
  int left = 0, top = 0, area_width = 0, area_height = 0;
  if (Fl_Window* owner_window = shown_window(owner)) {
    left = owner_window->x(), top = owner_window->y();
    area_width = owner_window->w(), area_height = owner_window->h();
  } else {
    Fl::screen_xywh(left, top, area_width, area_height, 0);
  }
  box.position(left + (area_width - width) / 2, top + (area_height - height) / 2);

  box.show();
  const std::size_t default_button = (style >> 8) & 0x000F;
  pressable[default_button < pressable.size() ? default_button : 0]->take_focus();
  while (box.shown()) Fl::wait();
  return box_button_number(box.answer());
}

}  // namespace txt2csv
