// Text panels before glutInit (this program never initialises freeglut):
// defaults, measuring from given widths, and the colour fade.
#include "ui/text_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/event_queue.h"

using Vec3 = Frame::Vec3;
using Color = DrawStyle::Color;

TEST(TextFrame, DefaultsAndStyles) {
  const TextFrame t("Play");
  EXPECT_EQ(t.text(), "Play");
  EXPECT_EQ(t.line_height(), 160.0f);
  EXPECT_EQ(t.line_raise, 40.0f);
  EXPECT_EQ(t.width_scale, 1.0f);
  EXPECT_TRUE(t.text_changed());
  EXPECT_EQ(t.text_size(), 0.05f);
  EXPECT_TRUE(t.anchor_top_left);
  EXPECT_EQ(t.alignment, 1);
  EXPECT_NE(t.font, nullptr);
  EXPECT_FALSE(t.no_activated_fade);
  EXPECT_FALSE(t.no_selected_fade);
  EXPECT_EQ(t.fade_time, 0.2);
  EXPECT_EQ(t.queue(), nullptr);
  EXPECT_EQ(t.selectable(), 1);

  struct Row {
    const DrawStyle& style;
    bool enabled;
    Color text;
    float width;
  };
  const Row rows[] = {{t.text_style(), true, {0.6f, 0.6f, 0.6f, 1}, 2},
                      {t.selected_text_style(), true, {0, 1, 0, 1}, 2},
                      {t.activated_text_style(), true, {0, 0.6f, 0, 1}, 2},
                      {t.shadow_text_style(), false, {0, 0, 0, 1}, 10},
                      {t.current_style, true, {0.6f, 0.6f, 0.6f, 1}, 2}};
  for (const Row& r : rows) {
    EXPECT_EQ(r.style.enabled(), r.enabled);
    EXPECT_EQ(r.style.text_color(), r.text);
    EXPECT_EQ(r.style.line_width(), r.width);
    EXPECT_EQ(r.style.fill_color(), DrawStyle().fill_color());  // the rest as DrawStyle has it
  }
}

TEST(TextFrame, BeforeGlutInitEveryTextMeasuresOne) {
  TextFrame t("Three\nlines\nhere");
  EXPECT_EQ(t.vol(), (Vec3{1, 1, 1}));
  EXPECT_EQ(t.text_vol(""), (Vec3{1, 1, 1}));
  EXPECT_EQ(t.line_widths({"W", ""}), (std::vector<float>{0, 0}));

  t.text_changed(false);
  t.set_text("Three\nlines\nhere");  // the same text: nothing happens
  EXPECT_FALSE(t.text_changed());
  t.set_text("Other");
  EXPECT_TRUE(t.text_changed());  // still due for measuring at the first display
}

TEST(TextFrame, VolumeFromLineWidths) {
  TextFrame t;
  const float s = 0.05f / 160;
  EXPECT_EQ(t.text_vol({"a", "b", "c"}, {100, 300, 200}), (Vec3{s * 300, 0.15f, 1}));
  EXPECT_EQ(t.text_vol({"a"}, {}), (Vec3{1, 1, 1}));

  t.margins(0.01f, 0.02f, 0.03f, 0.04f);
  t.width_scale = 2;
  const Vec3 v = t.text_vol({"a", "b"}, {160, 80});
  EXPECT_FLOAT_EQ(v[0], 2 * 0.05f + 0.04f);
  EXPECT_FLOAT_EQ(v[1], 2 * 0.05f + 0.06f);
  EXPECT_EQ(v[2], 1.0f);

  t.text_size(0.1f, false);
  EXPECT_FLOAT_EQ(t.text_vol({"a"}, {160})[0], 2 * 0.1f + 0.04f);
}

TEST(TextFrame, AZeroLineHeightNeverPoisonsTheVolume) {
  TextFrame t;
  t.line_height(0);
  EXPECT_EQ(t.text_scale(), 0.0f);
  const Vec3 v = t.text_vol({"a"}, {0});
  EXPECT_FALSE(std::isnan(v[0]));
  EXPECT_EQ(v[0], 0.0f);
}

TEST(TextFrame, PointInTextHonoursSelectability) {
  TextFrame t;
  t.vol() = {1, 1, 1};
  EXPECT_TRUE(t.point_in_text({0.2f, 0.2f, 9}, false, true));
  t.selectable(0);
  EXPECT_FALSE(t.point_in_text({0.2f, 0.2f, 9}, false, true));
  EXPECT_TRUE(t.point_in_text({0.2f, 0.2f, 9}, false, false));
}

namespace {

// A text frame on a queue at time 10.
class TextFade : public ::testing::Test {
 protected:
  void SetUp() override {
    queue_.update(10.0);
    frame_ = std::make_unique<TextFrame>("Fade");
    frame_->queue(&queue_);
  }
  Color colour() const { return frame_->current_style.text_color(); }

  EventQueue queue_;
  std::unique_ptr<TextFrame> frame_;  // on the heap, so a write after its end is caught
};

}  // namespace

TEST_F(TextFade, FadesTheCurrentColourToTheStateColour) {
  frame_->animate_text_color();  // neither selected nor pressed: no target
  EXPECT_TRUE(queue_.events().empty());

  frame_->selected(1);
  frame_->animate_text_color();
  ASSERT_EQ(queue_.events().size(), 1u);
  const Event* fade = queue_.events().front();
  EXPECT_EQ(fade->name(), "BezierFaderBuffered");
  EXPECT_EQ(fade->epochs(), (std::array<double, 2>{10.0, 10.2}));
  queue_.update(10.1);
  EXPECT_FLOAT_EQ(colour()[0], 0.3f);  // half way from 0.6 to 0
  EXPECT_FLOAT_EQ(colour()[1], 0.8f);
  queue_.update(10.3);
  EXPECT_EQ(colour(), (Color{0, 1, 0, 1}));
  EXPECT_TRUE(queue_.events().empty());  // the queue let the finished fade go
  EXPECT_EQ(frame_->text_style().text_color(), (Color{0.6f, 0.6f, 0.6f, 1}));

  frame_->activated(1);
  frame_->animate_text_color();
  queue_.update(11);
  EXPECT_EQ(colour(), (Color{0, 0.6f, 0, 1}));
}

TEST_F(TextFade, FlagsAndAMissingQueueSuppressTheFade) {
  frame_->activated(1);
  frame_->no_activated_fade = true;  // falls back to the selected colour
  frame_->animate_text_color();
  queue_.update(11);
  EXPECT_EQ(colour(), (Color{0, 1, 0, 1}));

  frame_->no_selected_fade = true;
  frame_->animate_text_color();
  EXPECT_TRUE(queue_.events().empty());

  frame_->no_activated_fade = false;
  frame_->queue(nullptr);
  frame_->animate_text_color();
  EXPECT_TRUE(queue_.events().empty());
}

TEST_F(TextFade, AFadeOutlivingItsFrameWritesNothing) {
  frame_->selected(1);
  frame_->animate_text_color();
  TextFrame copy(*frame_);  // a copy has no fade of its own
  frame_.reset();
  queue_.update(10.1);  // would write into the destroyed frame
  queue_.update(11);
  EXPECT_TRUE(queue_.events().empty());
  EXPECT_EQ(copy.current_style.text_color(), (Color{0.6f, 0.6f, 0.6f, 1}));
}
