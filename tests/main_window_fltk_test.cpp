// The FLTK window as its builder makes it from the description, before it is
// shown: no display is needed for that.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "primitives/line_breaks_fltk.h"
#include "window/main_window_fltk.h"

namespace txt2csv {
namespace {

constexpr const char* instructions =
    "【TXT文本说明】文本每行以回车换行符格式，每条文本中间的分隔符可以自定义。"
    "生成的后文件为EXCEL的CSV表格文件，并存贮在本程序同级目录，"
    "源文件的1.txt文本文件也需要放在本程序同级目录";

std::unique_ptr<Fl_Window> main_window(window_ended_callback on_ended = nullptr) {
  return make_window(main_window_description, {1920, 1080}, on_ended);
}

TEST(fltk_main_window, is_centred_fixed_and_hidden) {
  const auto window = main_window();
  EXPECT_STREQ(window->label(), "Tabrix Vornel专版");
  EXPECT_EQ(window->x(), 625);
  EXPECT_EQ(window->y(), 450);
  EXPECT_EQ(window->w(), 670);
  EXPECT_EQ(window->h(), 179);
  EXPECT_EQ(window->resizable(), nullptr);
  EXPECT_EQ(window->color(), FL_BACKGROUND_COLOR);
  EXPECT_FALSE(window->shown());
}

TEST(fltk_main_window, controls_in_the_order_made_with_their_texts_and_places) {
  enum kind { label, edit_box, button };
  const struct {
    kind made;
    const char* text;
    int left, top, width, height;
  } expected[] = {
      // Made from the last listed to the first.
      {edit_box, ",", 104, 8, 40, 24},
      {button, "生成EXCEL表格", 168, 8, 120, 32},
      {label, instructions, 8, 64, 560, 32},
      {label, "Vornel专版 2017", 232, 104, 104, 24},
      {label, "TXT文本间隔符", 16, 8, 88, 24},
  };
  const auto window = main_window();
  ASSERT_EQ(window->children(), static_cast<int>(std::size(expected)));
  for (int index = 0; index < window->children(); ++index) {
    SCOPED_TRACE(index);
    const auto& want = expected[index];
    const Fl_Widget* control = window->child(index);
    const auto* box = dynamic_cast<const Fl_Input*>(control);
    EXPECT_EQ(box != nullptr, want.made == edit_box);
    EXPECT_EQ(dynamic_cast<const Fl_Button*>(control) != nullptr, want.made == button);
    EXPECT_EQ(dynamic_cast<const text_box*>(control) != nullptr, want.made == label);
    EXPECT_STREQ(box ? box->value() : control->label(), want.text);
    EXPECT_EQ(control->x(), want.left);
    EXPECT_EQ(control->y(), want.top);
    EXPECT_EQ(control->w(), want.width);
    EXPECT_EQ(control->h(), want.height);
    EXPECT_TRUE(control->visible());
    EXPECT_TRUE(control->active());
    EXPECT_EQ(control->labelcolor(), fl_rgb_color(0, 0, 0));
    if (want.made == label) {
      EXPECT_EQ(control->color(), FL_BACKGROUND_COLOR);
    }
  }
}

TEST(fltk_main_window, separator_box_is_sunken_white_unlimited_with_the_caret_first) {
  const auto window = main_window();
  auto* box = dynamic_cast<Fl_Input*>(window->child(0));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->box(), FL_DOWN_BOX);
  EXPECT_EQ(box->color(), fl_rgb_color(255, 255, 255));
  EXPECT_EQ(box->textcolor(), fl_rgb_color(0, 0, 0));
  EXPECT_EQ(box->maximum_size(), INT_MAX);
  EXPECT_EQ(box->position(), 0);
  EXPECT_EQ(box->mark(), 0);
  EXPECT_EQ(separator_box_text(window.get()), ",");
  box->value(" 间隔 ");
  EXPECT_EQ(separator_box_text(window.get()), " 间隔 ");
  box->value("");
  EXPECT_EQ(separator_box_text(window.get()), "");
}

// The key as FLTK's X layer leaves it for the handlers.
bool taken(Fl_Window* window, int key, int state) {
  Fl::e_keysym = key;
  Fl::e_state = state;
  return handle_window_event(window, FL_KEYBOARD);
}

// Tab and Shift+Tab, which move the focus, need a window on a display: the
// end-to-end tests press them.
TEST(fltk_main_window, takes_the_keys_its_rules_claim) {
  const struct {
    int key;
    int state;
    bool taken;
  } cases[] = {
      {FL_Tab, FL_CTRL, false},  {FL_Tab, FL_ALT, false},   {FL_Enter, 0, false},
      {FL_KP_Enter, 0, false},   {FL_F + 1, 0, true},       {FL_F + 1, FL_SHIFT, false},
      {'g', FL_ALT, false},      {'1', FL_ALT, false},      {FL_Left, 0, false},
      {' ', 0, false},           {FL_Escape, FL_SHIFT, false},
  };
  const auto window = main_window();
  for (const auto& c : cases) EXPECT_EQ(taken(window.get(), c.key, c.state), c.taken) << c.key;

  Fl_Window other(100, 100);
  EXPECT_FALSE(taken(&other, FL_Tab, 0));
  Fl::e_keysym = FL_Tab;
  EXPECT_FALSE(handle_window_event(window.get(), FL_KEYUP));
}

Fl_Window* ended = nullptr;

TEST(fltk_main_window, esc_closes_it_without_a_question) {
  ended = nullptr;
  auto window = main_window([](Fl_Window* closed) { ended = closed; });
  EXPECT_TRUE(taken(window.get(), FL_Escape, 0));
  EXPECT_EQ(ended, window.get());
  // The closed window is FLTK's to delete.
  window.release();
  Fl::do_widget_deletion();
}

}  // namespace
}  // namespace txt2csv
