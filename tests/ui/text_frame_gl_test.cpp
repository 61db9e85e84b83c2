// Text panels with freeglut running: measuring stroke text, the layout of
// lines by alignment (recorded in feedback mode), the style of each state
// and the state display() leaves.
#include <algorithm>

#include "support/gl/feedback.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "ui/list_selection.h"
#include "ui/text_frame.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

using testing_support::FeedbackPrimitive;
using testing_support::GLStateSnapshot;
using testing_support::GLTest;
using testing_support::record_primitives;
using Vec3 = Frame::Vec3;

namespace {

constexpr float kW = 100.518f;  // stroke width of "W" in the Roman font
constexpr float kScale = 0.05f / 160;

// Records, at each render(), the line width, the colour and the model-view
// matrix it is drawn with.
class ProbeText : public TextFrame {
 public:
  using TextFrame::TextFrame;
  struct Pass {
    float width;
    std::array<float, 4> colour;
    std::array<float, 16> modelview;
  };
  void render() override {
    Pass p{};
    glGetFloatv(GL_LINE_WIDTH, &p.width);
    glGetFloatv(GL_CURRENT_COLOR, p.colour.data());
    std::array<float, 16> column_major{};
    glGetFloatv(GL_MODELVIEW_MATRIX, column_major.data());
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) p.modelview[4 * i + j] = column_major[4 * j + i];
    passes.push_back(p);
    TextFrame::render();
  }
  std::vector<Pass> passes;
};

}  // namespace

class TextFrameGLTest : public GLTest {};

TEST_F(TextFrameGLTest, MeasuresStrokeText) {
  TextFrame empty("");
  EXPECT_EQ(empty.text_vol(""), (Vec3{1, 1, 1}));
  EXPECT_EQ(empty.vol(), (Vec3{0, 0, 0}));  // the text never changed
  empty.display();
  glLoadIdentity();
  EXPECT_EQ(empty.vol(), (Vec3{1, 1, 1}));
  const TextFrame w("W");
  EXPECT_NEAR(w.vol()[0], kW * kScale, 1e-6f);
  EXPECT_FLOAT_EQ(w.vol()[1], 0.05f);
  EXPECT_EQ(w.vol()[2], 1.0f);
  EXPECT_NEAR(w.line_widths({"W", "Walk", ""})[1], 248.98f, 1e-2f);

  const TextFrame three("Play\nOptions\nQuit");
  EXPECT_FLOAT_EQ(three.vol()[1], 0.15f);
  EXPECT_NEAR(three.vol()[0], three.line_widths({"Options"})[0] * kScale, 1e-6f);

  TextFrame sized("W");
  sized.text_size(0.1f, false);
  EXPECT_NEAR(sized.vol()[0], kW * kScale, 1e-6f);  // kept until asked
  sized.text_size(0.1f, true);
  EXPECT_NEAR(sized.vol()[0], 2 * kW * kScale, 1e-6f);
  sized.vol() = {};
  sized.calculate_volume();
  EXPECT_FLOAT_EQ(sized.vol()[1], 0.1f);
}

TEST_F(TextFrameGLTest, EachCharacterAdvancesByItsWidth) {
  TextFrame t;
  t.draw_text_line("WW");
  EXPECT_NEAR(read_matrix(GL_MODELVIEW_MATRIX)[3], 2 * kW, 1e-3f);
}

TEST_F(TextFrameGLTest, LinesAreAlignedOnTheirOwnWidths) {
  // The lone glyph's left-most stroke, to place whole lines by.
  TextFrame probe;
  float bearing = 1e9f;
  auto glyph = [&] {
    glPushMatrix();
    probe.draw_text_line("W");
    glPopMatrix();
  };
  for (const auto& p : record_primitives(200, glyph))
    for (const auto& v : p.vertices) bearing = std::min(bearing, v.position[0]);

  const float s = 1.0f / 160;
  for (int alignment : {0, 1, 2}) {
    TextFrame t("W\nWW");
    t.text_size(1, true);  // 160 stroke units to a scene unit
    t.alignment = alignment;
    const float v = t.vol()[0];
    ASSERT_NEAR(v, 2 * kW * s, 1e-5f);
    // Lines split by height: the first baseline lies 120 units below the
    // top (y = 1), the second 120 units lower.
    std::array<float, 2> left{1e9f, 1e9f}, bottom{1e9f, 1e9f};
    for (const auto& p : record_primitives(2, [&] { t.render(); })) {
      for (const auto& vertex : p.vertices) {
        const int line = vertex.position[1] > 0.2f ? 0 : 1;
        left[line] = std::min(left[line], vertex.position[0]);
        bottom[line] = std::min(bottom[line], vertex.position[1]);
      }
    }
    for (int line : {0, 1}) {
      const float w = (line + 1) * kW * s;
      const float start = alignment == 0 ? -v / 2 : alignment == 1 ? -w / 2 : v / 2 - w;
      EXPECT_NEAR(left[line], start + bearing * s, 1e-4f) << "alignment " << alignment;
    }
    EXPECT_NEAR(bottom[0], 1 - 120 * s, 1e-4f);
    EXPECT_NEAR(bottom[0] - bottom[1], 120 * s, 1e-4f);
  }
}

// The volume a text measures, margins included, is where it is drawn: the
// strokes stay inside the margins on every side, whatever the alignment.
TEST_F(TextFrameGLTest, TextIsDrawnInsideTheMarginsOfItsMeasuredVolume) {
  const float s = 1.0f / 160;
  for (int alignment : {0, 1, 2}) {
    SCOPED_TRACE(alignment);
    TextFrame t("Wig\nWW");
    t.text_size(1, false);  // 160 stroke units to a scene unit
    t.margins(0.1f, 0.2f, 0.3f, 0.4f);
    t.alignment = alignment;
    t.calculate_volume();
    const Vec3 v = t.vol();
    ASSERT_NEAR(v[1], 2.0f + 0.6f, 1e-5f);  // two lines and the margins
    std::array<float, 2> low{1e9f, 1e9f}, high{-1e9f, -1e9f};
    for (const auto& p : record_primitives(3, [&] { t.render(); }))
      for (const auto& vertex : p.vertices)
        for (int a = 0; a < 2; ++a) {
          low[a] = std::min(low[a], vertex.position[a]);
          high[a] = std::max(high[a], vertex.position[a]);
        }
    EXPECT_GE(low[0], -v[0] / 2 + 0.1f - 1e-4f);
    EXPECT_LE(high[0], v[0] / 2 - 0.3f + 1e-4f);
    EXPECT_GE(low[1], -v[1] / 2 + 0.2f - 1e-4f);
    EXPECT_LE(high[1], v[1] / 2 - 0.4f + 1e-4f);
    // The first line's capitals reach up close to the top margin.
    EXPECT_GT(high[1], v[1] / 2 - 0.4f - 20 * s);
  }
}

TEST_F(TextFrameGLTest, NothingIsDrawnForAnEmptyTextOrAZeroSize) {
  TextFrame empty("");
  EXPECT_TRUE(record_primitives(2, [&] { empty.render(); }).empty());
  TextFrame flat("W");
  flat.text_size(0, true);
  EXPECT_TRUE(record_primitives(2, [&] { flat.render(); }).empty());
  EXPECT_EQ(flat.vol()[0], 0.0f);
}

TEST_F(TextFrameGLTest, DisplayDrawsInTheStyleOfTheState) {
  ProbeText t("Play");
  struct Case {
    int selectable, selected, activated;
    std::array<float, 4> colour;
  };
  const Case cases[] = {{1, 0, 0, {0.6f, 0.6f, 0.6f, 1}},
                        {1, 1, 0, {0, 1, 0, 1}},
                        {1, 1, 1, {0, 0.6f, 0, 1}},
                        {0, 1, 1, {0.6f, 0.6f, 0.6f, 1}}};
  for (const Case& c : cases) {
    t.passes.clear();
    t.selectable(c.selectable);
    t.selected(c.selected);
    t.activated(c.activated);
    t.display();
    glLoadIdentity();
    ASSERT_EQ(t.passes.size(), 1u);
    EXPECT_EQ(t.passes[0].colour, c.colour) << c.selectable << c.selected << c.activated;
    EXPECT_EQ(t.passes[0].width, 2.0f);
  }

  // The shadow pass comes first, wide and black.
  t.shadow_text_style().enable(true);
  t.passes.clear();
  t.display();
  glLoadIdentity();
  ASSERT_EQ(t.passes.size(), 2u);
  EXPECT_EQ(t.passes[0].colour, (std::array<float, 4>{0, 0, 0, 1}));
  EXPECT_EQ(t.passes[0].width, 10.0f);
  t.shadow_text_style().text_color()[3] = 0;  // invisible: skipped
  t.passes.clear();
  t.display();
  glLoadIdentity();
  EXPECT_EQ(t.passes.size(), 1u);

  // A disabled style leaves the colour as the caller set it.
  t.text_style().disable();
  t.selectable(1);
  t.selected(0);
  glColor4f(0.25f, 0.5f, 0.75f, 1);
  t.passes.clear();
  t.display();
  glLoadIdentity();
  EXPECT_EQ(t.passes[0].colour, (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1}));
  glColor4f(1, 1, 1, 1);
}

TEST_F(TextFrameGLTest, DisplayMeasuresAChangedTextAndLeavesThePoseApplied) {
  ProbeText t("W");
  t.vol() = {1, 1, 1};  // as measured before glutInit
  t.coord_sys().translate(0.5f, 0.25f, 0);
  t.activated(1);

  const auto before = GLStateSnapshot::take();
  t.display();
  EXPECT_FALSE(t.text_changed());
  EXPECT_NEAR(t.vol()[0], kW * kScale, 1e-6f);
  const auto pose = read_matrix(GL_MODELVIEW_MATRIX);
  EXPECT_EQ((std::array<float, 3>{pose[3], pose[7], pose[11]}),
            (std::array<float, 3>{0.5f, 0.25f, 0}));
  const auto& drawn = t.passes[0].modelview;
  EXPECT_NEAR(drawn[11], -0.025f, 1e-7f);  // pressed
  glLoadIdentity();
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");

  // A measured frame keeps a volume given to it (a layout's), unless it is
  // empty.
  t.vol() = {3, 3, 3};
  t.display();
  glLoadIdentity();
  EXPECT_EQ(t.vol(), (Vec3{3, 3, 3}));
  t.vol() = {0, 0, 0};
  t.display();
  glLoadIdentity();
  EXPECT_NEAR(t.vol()[0], kW * kScale, 1e-6f);
}

TEST_F(TextFrameGLTest, ListTextIsMeasuredOnItsFirstDisplay) {
  ListSelection list("Size:", {"S", "WWW"});
  list.display();
  glLoadIdentity();
  const float shown = list.line_widths({"Size: < S >"})[0] * kScale;
  EXPECT_NEAR(list.vol()[0], shown, 1e-6f);
}
