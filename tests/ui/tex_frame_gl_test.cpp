// Texture panels: the size from the image, the image of each state, a
// missing image, and the state a drawing leaves.
#include <cmath>
#include <optional>

#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"
#include "support/image_files.h"
#include "ui/tex_frame.h"

using testing_support::GLStateSnapshot;
using testing_support::OrthoViewTest;
using testing_support::OutputCapture;
using testing_support::png_file;
using testing_support::TempDataRoot;
using Pixel = std::array<unsigned char, 4>;
using Vec3 = Frame::Vec3;

namespace {

const Pixel kRed{255, 0, 0, 255};
const Pixel kBlue{0, 0, 255, 255};
const Pixel kGreen{0, 255, 0, 255};
const Pixel kWhite{255, 255, 255, 255};
const Pixel kNothing{0, 0, 0, 0};

// A 4 x 2 image, red on the left half and blue on the right, and a 2 x 2
// green one, in a fresh data root.
class TexFrameGLTest : public OrthoViewTest {
 protected:
  void SetUp() override {
    OrthoViewTest::SetUp();
    if (!has_context()) return;
    root_.emplace();
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) {
        const std::uint8_t r = x < 2 ? 255 : 0;
        rows.insert(rows.end(), {r, 0, static_cast<std::uint8_t>(255 - r), 255});
      }
    root_->write("wide.png", png_file(4, 2, 4, rows));
    root_->write("green.png", png_file(2, 2, 3, {0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0}));
    glColor4f(1, 1, 1, 1);
  }
  void TearDown() override {
    root_.reset();
    OrthoViewTest::TearDown();
  }

  // Displays at the origin and checks that the state is as before.
  void display(TexFrame& f) {
    const auto before = GLStateSnapshot::take();
    f.display();
    EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  }

  std::optional<TempDataRoot> root_;
};

}  // namespace

TEST_F(TexFrameGLTest, TakesItsWidthFromTheImage) {
  TexFrame f("wide.png");
  EXPECT_EQ(f.tex().width(), 4u);
  EXPECT_FLOAT_EQ(f.vol()[0], 0.2f);
  EXPECT_FLOAT_EQ(f.vol()[1], 0.1f);
  EXPECT_EQ(f.selected_tex().id(), 0u);  // no second image given
  f.set_height(1.5f);
  EXPECT_EQ(f.vol(), (Vec3{3, 1.5f, 0}));
  f.calculate_volume();  // the image decides, not any content
  EXPECT_EQ(f.vol(), (Vec3{3, 1.5f, 0}));
}

TEST_F(TexFrameGLTest, ShowsTheImageOfItsState) {
  TexFrame f("wide.png", "green.png", 2);
  display(f);
  EXPECT_EQ(at(-1, 0), kRed);
  EXPECT_EQ(at(1, 0), kBlue);
  EXPECT_EQ(at(0, 1.5f), kNothing);

  f.selected(1);
  display(f);
  EXPECT_EQ(at(-1, 0), kGreen);
  EXPECT_EQ(at(1, 0), kGreen);

  glClear(GL_COLOR_BUFFER_BIT);
  TexFrame same("wide.png", "wide.png", 2);
  EXPECT_EQ(same.selected_tex().id(), 0u);  // loaded once
  same.selected(1);
  display(same);
  EXPECT_EQ(at(-1, 0), kRed);  // the normal image stands in
}

TEST_F(TexFrameGLTest, DisplayPlacesTheFrameByItsPose) {
  TexFrame f("wide.png", "", 1);
  f.coord_sys().translate(1, 1, 0);
  f.display();
  glLoadIdentity();
  EXPECT_EQ(at(0.6f, 1), kRed);
  EXPECT_EQ(at(1.4f, 1), kBlue);
  EXPECT_EQ(at(0, 0), kNothing);
}

TEST_F(TexFrameGLTest, AMissingImageIsReportedAndLeavesASquareQuad) {
  std::optional<TexFrame> f;
  {
    OutputCapture cap;
    f.emplace("missing.png", "nothing.png", 2);
    EXPECT_NE(cap.err().find("TexFrame(missing.png)\n"), std::string::npos) << cap.err();
    EXPECT_NE(cap.err().find("TexFrame(selected: nothing.png)\n"), std::string::npos);
  }
  EXPECT_EQ(f->vol(), (Vec3{2, 2, 0}));  // aspect 1, no 0 / 0
  EXPECT_EQ(f->tex().id(), 0u);
  display(*f);
  EXPECT_EQ(at(-0.9f, 0.9f), kWhite);  // the untextured quad, in the current colour
  EXPECT_EQ(at(0, 1.1f), kNothing);

  OutputCapture cap;
  const TexFrame unnamed;
  EXPECT_NE(cap.err().find("TexFrame()\n"), std::string::npos);
  EXPECT_FALSE(std::isnan(unnamed.vol()[0]));
  EXPECT_FLOAT_EQ(unnamed.vol()[0], 0.1f);
}

TEST_F(TexFrameGLTest, CopiesShareTheImages) {
  TexFrame f("wide.png", "green.png", 2);
  TexFrame copy(f);
  EXPECT_EQ(copy.tex().id(), f.tex().id());
  EXPECT_EQ(copy.selected_tex().id(), f.selected_tex().id());
  copy.selected(1);
  display(copy);
  EXPECT_EQ(at(0, 0), kGreen);
}
