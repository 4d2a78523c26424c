#include "window/main_window_fltk.h"

#include <X11/Xatom.h>
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/x.H>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <vector>

#include "primitives/code_page.h"
#include "primitives/line_breaks_fltk.h"
#include "window/window_icon.h"

namespace txt2csv {

namespace {

// Windows' DEFAULT_GUI_FONT on Chinese systems is 12 pixels high.
constexpr Fl_Fontsize interface_font_size = 12;

// The family fontconfig gives sans-serif Chinese text; with the desktop's
// plain "sans" a Chinese text would show as boxes wherever that face lacks
// the characters, as FLTK draws a whole text in one face.
std::string chinese_sans_family() {
  std::string family = "sans";
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans:lang=zh-cn"));
  if (pattern == nullptr) return family;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
      family = reinterpret_cast<const char*>(name);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return family;
}

Fl_Color colour_value(colour wanted) {
  return wanted.is_button_face ? FL_BACKGROUND_COLOR
                               : fl_rgb_color(wanted.red, wanted.green, wanted.blue);
}

// The frame the window manager has put around a window: left, right, top,
// bottom; nothing before it has framed it, or without a window manager.
std::optional<std::array<long, 4>> frame_extents(Fl_Window* window) {
  const Atom property = XInternAtom(fl_display, "_NET_FRAME_EXTENTS", True);
  if (property == None) return std::nullopt;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(fl_display, fl_xid(window), property, 0, 4, False, XA_CARDINAL, &type,
                         &format, &count, &remaining, &data) != Success)
    return std::nullopt;
  std::optional<std::array<long, 4>> extents;
  if (data != nullptr && type == XA_CARDINAL && format == 32 && count == 4) {
    const auto* values = reinterpret_cast<const long*>(data);
    extents = {values[0], values[1], values[2], values[3]};
  }
  if (data != nullptr) XFree(data);
  return extents;
}

class live_window : public Fl_Double_Window {
 public:
  live_window(const window_description& description, point place, window_ended_callback on_ended);

  int handle(int event) override;

  const window_properties& properties() const { return description_.properties; }
  bool raising_events() const { return raising_events_; }
  void start_raising_events() { raising_events_ = true; }
  std::optional<std::size_t> control_index(const Fl_Widget* widget) const;
  Fl_Widget* control_numbered(std::uint32_t number) const;
  void move_focus(tab_direction direction);
  void fit_outer_size();

 private:
  static void close_requested(Fl_Widget* widget, void*);
  bool focus_control(std::optional<std::size_t> index);

  const window_description& description_;
  point place_;
  window_ended_callback on_ended_;
  std::vector<Fl_Widget*> controls_;  // in the order of the description
  bool raising_events_ = false;
  std::optional<std::size_t> last_focused_;
};

void raise_control_event(Fl_Widget* widget, void* data) {
  const auto& control = *static_cast<const control_description*>(data);
  const auto* live = dynamic_cast<const live_window*>(widget->window());
  if (live == nullptr || !live->raising_events()) return;
  event_routine bound = nullptr;
  if (control.kind == control_kind::edit_box) bound = control.text_changed;
  if (control.kind == control_kind::button) bound = control.clicked;
  if (bound) bound();
}

// Hidden, with its text, its colours and its event; the window it is made in
// takes it as its next child.
Fl_Widget* create_control(const control_description& control) {
  const std::string text = utf8_from_gbk(control.text);
  const int x = control.place.x, y = control.place.y;
  const int width = control.size.width, height = control.size.height;
  Fl_Widget* widget = nullptr;
  switch (control.kind) {
    case control_kind::label:
      widget = new text_box(x, y, width, height, control.layout == text_layout::wrapped_from_top);
      widget->copy_label(text.c_str());
      break;
    case control_kind::edit_box: {
      auto* box = new Fl_Input(x, y, width, height);
      box->box(control.sunken_edge ? FL_DOWN_BOX : FL_FLAT_BOX);
      box->textcolor(colour_value(control.text_colour));
      box->maximum_size(control.length_limit.value_or(INT_MAX));
      box->value(text.c_str());
      box->position(0);
      box->when(FL_WHEN_CHANGED);
      widget = box;
      break;
    }
    case control_kind::button: {
      Fl_Button* button = control.default_button ? new Fl_Return_Button(x, y, width, height)
                                                 : new Fl_Button(x, y, width, height);
      button->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE |
                    (control.layout == text_layout::wrapped_centred ? FL_ALIGN_WRAP : 0));
      button->copy_label(text.c_str());
      widget = button;
      break;
    }
  }
  widget->color(colour_value(control.background));
  widget->labelcolor(colour_value(control.text_colour));
  widget->callback(raise_control_event, const_cast<control_description*>(&control));
  if (!control.enabled) widget->deactivate();
  widget->hide();
  return widget;
}

live_window::live_window(const window_description& description, point place,
                         window_ended_callback on_ended)
    : Fl_Double_Window(place.x, place.y, description.properties.size.width,
                       description.properties.size.height),
      description_(description),
      place_(place),
      on_ended_(on_ended),
      controls_(description.controls.size()) {
  const window_properties& window = description.properties;
  copy_label(utf8_from_gbk(window.title).c_str());
  color(colour_value(window.background));
  if (const auto pixels = icon_from_ico(stored_icon_file(), window.icon_size)) {
    const Fl_RGB_Image image(pixels->rgba.data(), pixels->width, pixels->height, 4);
    icon(&image);  // copied
  }
  callback(close_requested);

  // From the last listed to the first, as on Windows: the first made is the
  // first child.
  for (std::size_t index = description.controls.size(); index-- > 0;)
    controls_[index] = create_control(description.controls[index]);
  end();
  resizable(window.resizable ? this : nullptr);
  for (std::size_t index = 0; index < controls_.size(); ++index)
    if (description.controls[index].visible) controls_[index]->show();
}

int live_window::handle(int event) {
  switch (event) {
    case FL_FOCUS:
      // Shown or activated: the control that had the focus last, else the
      // first of the tab cycle.
      if (focus_control(focus_on_activation(description_.controls, last_focused_))) return 1;
      break;
    case FL_UNFOCUS:
      // Sent to the window on every move of the focus away from one of its
      // controls; once the window is deactivated the focus is elsewhere.
      if (const auto index = control_index(Fl::focus())) last_focused_ = index;
      break;
    case FL_KEYBOARD:
      // The focus moves by the tab cycle alone, not by FLTK's arrow keys.
      return 0;
    case FL_SHORTCUT:
      // Esc closes only as the keyboard rules say, not with a modifier too.
      if (Fl::event_key() == FL_Escape) return 1;
      break;
  }
  return Fl_Double_Window::handle(event);
}

std::optional<std::size_t> live_window::control_index(const Fl_Widget* widget) const {
  const auto found = std::ranges::find(controls_, widget);
  if (widget == nullptr || found == controls_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - controls_.begin());
}

Fl_Widget* live_window::control_numbered(std::uint32_t number) const {
  for (std::size_t index = 0; index < controls_.size(); ++index)
    if (description_.controls[index].number == number) return controls_[index];
  return nullptr;
}

bool live_window::focus_control(std::optional<std::size_t> index) {
  if (!index) return false;
  Fl_Widget* control = controls_[*index];
  // FLTK selects an input's whole text when the focus comes by Tab; here the
  // caret and the selection stay as they were.
  auto* input = dynamic_cast<Fl_Input_*>(control);
  const int position = input ? input->position() : 0;
  const int mark = input ? input->mark() : 0;
  if (!control->take_focus()) return false;
  if (input) input->position(position, mark);
  return true;
}

void live_window::move_focus(tab_direction direction) {
  focus_control(next_focus(description_.controls, control_index(Fl::focus()), direction));
}

// X cannot ask for an outer size: the frame is the window manager's. Once it
// says how wide the frame is, the client area is made what leaves the outer
// size of the description, with the frame's corner at the centred place.
void live_window::fit_outer_size() {
  const auto frame = frame_extents(this);
  if (!frame) return;
  const auto [left, right, top, bottom] = *frame;
  const extent outer = properties().size;
  const int width = outer.width - static_cast<int>(left + right);
  const int height = outer.height - static_cast<int>(top + bottom);
  if (width <= 0 || height <= 0 || (width == w() && height == h())) return;
  resize(place_.x + static_cast<int>(left), place_.y + static_cast<int>(top), width, height);
}

// The close box, and Esc through the keyboard rules: the window goes without
// a question.
void live_window::close_requested(Fl_Widget* widget, void*) {
  auto* live = static_cast<live_window*>(widget);
  live->hide();
  if (live->on_ended_) live->on_ended_(live);
  Fl::delete_widget(live);
}

// Tab, Esc and the others by what they mean to the keyboard rules.
key key_of(int fltk_key) {
  switch (fltk_key) {
    case FL_Tab: return key::tab;
    case FL_Escape: return key::escape;
    case FL_Enter:
    case FL_KP_Enter: return key::enter;
    case FL_F + 1: return key::f1;
  }
  return key::other;
}

}  // namespace

void use_interface_font() {
  static const std::string face = " " + chinese_sans_family();  // the space: FLTK's plain style
  Fl::set_font(FL_HELVETICA, face.c_str());
  FL_NORMAL_SIZE = interface_font_size;
}

std::unique_ptr<Fl_Window> make_window(const window_description& description, extent screen,
                                       window_ended_callback on_ended) {
  use_interface_font();
  return std::make_unique<live_window>(
      description, centred_place(screen, description.properties.size), on_ended);
}

Fl_Window* build_window(const window_description& description, window_ended_callback on_ended) {
  int left = 0, top = 0, width = 0, height = 0;
  Fl::screen_xywh(left, top, width, height, 0);
  auto* live = static_cast<live_window*>(make_window(description, {width, height}, on_ended).release());
  live->start_raising_events();
  if (description.properties.created) description.properties.created();
  live->show();
  // Activated by the window manager, the window takes the focus when the
  // manager says so; keys can come before that.
  live->take_focus();
  return live;
}

bool handle_window_event(Fl_Window* window, int event) {
  auto* live = dynamic_cast<live_window*>(window);
  if (live == nullptr) return false;
  // FLTK's own FL_SHOW comes before the window is mapped; this one after.
  if (event == FL_SHOW) live->fit_outer_size();
  if (event != FL_KEYBOARD) return false;
  const key_press press{.pressed = key_of(Fl::event_key()),
                        .ctrl = Fl::event_state(FL_CTRL) != 0,
                        .shift = Fl::event_state(FL_SHIFT) != 0,
                        .alt = Fl::event_state(FL_ALT) != 0};
  switch (action_for_key(live->properties(), press)) {
    case key_action::pass_on: return false;
    case key_action::ignore: return true;
    case key_action::focus_next: live->move_focus(tab_direction::forward); return true;
    case key_action::focus_previous: live->move_focus(tab_direction::backward); return true;
    case key_action::close_window: live->do_callback(); return true;
  }
  return false;
}

std::string separator_box_text(Fl_Window* main_window) {
  const auto* live = dynamic_cast<const live_window*>(main_window);
  const auto* box = live ? dynamic_cast<const Fl_Input*>(live->control_numbered(separator_box_number))
                         : nullptr;
  return box ? box->value() : std::string();
}

}  // namespace txt2csv
