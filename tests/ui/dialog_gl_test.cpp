// Dialogs with OpenGL: what display() draws, in which order and state, the
// background over the children, and a hidden dialog drawing nothing.
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "ui/dialog.h"
#include "ui/test_frame.h"

using testing_support::GLStateSnapshot;
using testing_support::GLTest;
using testing_support::OrthoViewTest;
using testing_support::TestFrame;
using Pixel = std::array<unsigned char, 4>;

namespace {

// A dialog that frees its children, with children of 1 x 0.5 stacked.
class TestDialog : public Dialog {
 public:
  explicit TestDialog(int n) {
    for (int i = 0; i < n; ++i) {
      auto* f = new TestFrame;
      f->vol() = {1.0f, 0.5f, 0.0f};
      add_button(f);
    }
  }
  ~TestDialog() override { delete_children(); }
  TestFrame& child(int i) {
    return *static_cast<TestFrame*>(children()[static_cast<std::size_t>(i)]);
  }
};

// What one child saw when it was drawn.
struct Seen {
  int child;
  int selected, activated;
  bool depth_test;
  float x, y;  // the translation of the model-view matrix
};

class DialogGLTest : public GLTest {};
class DialogPixelGLTest : public OrthoViewTest {};

}  // namespace

TEST_F(DialogGLTest, DrawsEnabledChildrenInOrderInItsPose) {
  TestDialog d(3);
  d.frame().bg_color()[3] = 0.0f;
  d.frame().coord_sys().translate(2.0f, 0.0f, 0.0f);
  std::vector<Seen> seen;
  for (int i = 0; i < 3; ++i) {
    TestFrame& c = d.child(i);
    c.on_render = [&seen, &c, i] {
      const auto m = read_matrix(GL_MODELVIEW_MATRIX);
      seen.push_back(
          {i, c.selected(), c.activated(), glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, m[3], m[7]});
    };
  }
  d.child(1).disable();
  d.cursor_data({2, 1.0f}, false);
  d.child(0).activated(1);  // not the cursor's: released at the drawing
  d.child(2).activated(1);
  d.depth_test(false);
  glEnable(GL_DEPTH_TEST);

  const auto before = GLStateSnapshot::take();
  d.display();
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  glDisable(GL_DEPTH_TEST);

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].child, 0);
  EXPECT_EQ(seen[0].selected, 0);
  EXPECT_EQ(seen[0].activated, 0);
  EXPECT_FALSE(seen[0].depth_test);
  EXPECT_FLOAT_EQ(seen[0].x, 2.0f);
  EXPECT_FLOAT_EQ(seen[0].y, 0.5f);
  EXPECT_EQ(seen[1].child, 2);
  EXPECT_EQ(seen[1].selected, 1);
  EXPECT_EQ(seen[1].activated, 1);
  EXPECT_FLOAT_EQ(seen[1].y, -0.5f);
  EXPECT_EQ(d.selectable_children(), 2);
  EXPECT_FALSE(d.rearrange());

  seen.clear();
  d.disable();
  d.display();
  EXPECT_TRUE(seen.empty());
}

TEST_F(DialogPixelGLTest, BackgroundCoversTheChildren) {
  TestDialog d(2);  // the children span x -0.5..0.5 and y -0.5..0.5
  d.frame().bg_color() = {1, 0, 0, 1};
  d.frame().coord_sys().translate(1.0f, 0.0f, 0.0f);
  d.display();
  EXPECT_EQ(at(1.0f, 0.0f), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(1.4f, 0.4f), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(1.0f, 0.7f), (Pixel{0, 0, 0, 0}));
  EXPECT_EQ(at(-0.2f, 0.0f), (Pixel{0, 0, 0, 0}));
  EXPECT_EQ(d.child(0).renders, 1);

  glClear(GL_COLOR_BUFFER_BIT);
  d.hide_bg();
  d.display();
  EXPECT_EQ(at(1.0f, 0.0f), (Pixel{0, 0, 0, 0}));
}
