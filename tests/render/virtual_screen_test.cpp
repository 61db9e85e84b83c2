// Virtual-screen mappings between pixels, screen points and scene points,
// and pointer rays, without OpenGL.
#include "render/virtual_screen.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using P2 = std::array<float, 2>;

// A 2 x 1 screen over a 683 x 384 framebuffer, centred at (1, 2, 3) with its
// x axis along the scene's y and its y axis along the scene's -x.
class VirtualScreenTest : public ::testing::Test {
 protected:
  VirtualScreenTest() : screen_(nullptr, &frame_) {
    frame_.position() = {1, 2, 3};
    frame_.volume() = {2, 1, 0};
    const std::array<float, 9> axes{0, 1, 0, -1, 0, 0, 0, 0, 1};
    frame_.set_rotation(axes.data());
  }

  // The scene point at local (x, y, z).
  Vec3 scene(float x, float y, float z = 0) const { return frame_.local2global(Vec3{x, y, z}); }

  CoordinateSystem frame_;
  VirtualScreen screen_;
};

}  // namespace

TEST_F(VirtualScreenTest, StartsUnnamedEnabledWithAShinyMaterialAndNoOverlay) {
  EXPECT_EQ(screen_.name(), "Unnamed");
  EXPECT_TRUE(screen_.enabled());
  EXPECT_EQ(screen_.material().specular(), (Color4{1, 1, 1, 1}));
  EXPECT_EQ(screen_.material().shininess(), 120.0f);
  EXPECT_EQ(screen_.overlay(), (Color4{1, 1, 1, 0}));
  EXPECT_EQ(screen_.style().fill_color(), (Color4{0.2f, 0.2f, 0.4f, 0.5f}));
  EXPECT_EQ(&screen_.coord_sys(), &frame_);
  EXPECT_EQ(screen_.frame_buffer().size(), (std::array<unsigned, 2>{683, 384}));
}

TEST_F(VirtualScreenTest, MapsBetweenPixelsLocalAndScenePoints) {
  const float centre[2] = {0, 0};
  EXPECT_EQ(screen_.local2pixel(centre), (P2{341.5f, 192}));
  EXPECT_EQ(screen_.pixel2local(centre), (P2{-1, -0.5f}));
  EXPECT_EQ(screen_.pix_per_length(), (std::array<float, 3>{341.5f, 384, 0}));
  const float corner[2] = {683, 384};
  EXPECT_EQ(screen_.pixel2local(corner), (P2{1, 0.5f}));

  const Vec3 p = scene(0.5f, 0.25f, 7);  // off the plane: only x and y count
  EXPECT_EQ(screen_.global2pixel(p.data()), (P2{512.25f, 288}));
  const float local[2] = {0.5f, 0.25f};
  EXPECT_EQ(screen_.local2pixel(local), (P2{512.25f, 288}));
}

TEST_F(VirtualScreenTest, ZeroSizesMapToZeroInsteadOfDividing) {
  frame_.volume() = {0, 1, 0};
  const float pixel[2] = {100, 100};
  const float local[2] = {0.25f, 0.25f};
  EXPECT_EQ(screen_.local2pixel(local), (P2{0, 0.75f * 384}));
  EXPECT_EQ(screen_.pix_per_length(), (std::array<float, 3>{0, 384, 0}));
  EXPECT_EQ(screen_.pixel2local(pixel)[0], 0.0f);

  screen_.frame_buffer().set_size(0, 0);
  frame_.volume() = {2, 1, 0};
  EXPECT_EQ(screen_.pixel2local(pixel), (P2{-1, -0.5f}));
  EXPECT_EQ(screen_.local2pixel(local), (P2{0, 0}));
  EXPECT_EQ(screen_.pix_per_length(), (std::array<float, 3>{0, 0, 0}));
}

TEST_F(VirtualScreenTest, InBoundsIncludesTheEdgesAndAlwaysReportsTheLocalPoint) {
  struct Case {
    float x, y;
    bool inside;
  };
  for (const Case& c : {Case{1, 0.5f, true}, Case{-1, -0.5f, true}, Case{0, 0, true},
                        Case{1.001f, 0, false}, Case{0, -0.501f, false}}) {
    float local[2] = {-9, -9};
    const Vec3 p = scene(c.x, c.y, 3);
    EXPECT_EQ(screen_.in_bounds(p.data(), local), c.inside) << c.x << "," << c.y;
    EXPECT_NEAR(local[0], c.x, 1e-6f);
    EXPECT_NEAR(local[1], c.y, 1e-6f);
    EXPECT_EQ(screen_.in_bounds(p.data(), nullptr), c.inside);
  }
}

TEST_F(VirtualScreenTest, RayIntersectionWithAndWithoutTheBoundsCheck) {
  const Vec3 from_inside = scene(0.5f, 0, 5), from_outside = scene(3, 0, 5);
  const Vec3 down = -to_vec3(frame_.zhat());
  int status = 7;
  Vec3 hit = to_vec3(
      screen_.ray_intersection_3d(from_outside.data(), down.data(), &status, false, false).data());
  EXPECT_EQ(status, 7);  // found, unchecked: left alone
  EXPECT_NEAR(hit[1], scene(3, 0)[1], 1e-5f);
  screen_.ray_intersection_3d(from_outside.data(), down.data(), &status, false, true);
  EXPECT_EQ(status, -3);
  status = 7;
  screen_.ray_intersection_3d(from_inside.data(), down.data(), &status, false, true);
  EXPECT_EQ(status, 7);
  // The reverse flag turns the ray round: it now points away from the plane.
  screen_.ray_intersection_3d(from_inside.data(), down.data(), &status, true, true);
  EXPECT_EQ(status, -2);
  // A ray along the plane finds no crossing; that is what the status says.
  const Vec3 along = to_vec3(frame_.xhat());
  screen_.ray_intersection_3d(from_outside.data(), along.data(), &status, false, true);
  EXPECT_EQ(status, 1);
  // Without a status to fill the crossing is still found, the same point.
  status = 7;
  const auto with_status =
      screen_.ray_intersection_3d(from_inside.data(), down.data(), &status, false, true);
  EXPECT_EQ(screen_.ray_intersection_3d(from_inside.data(), down.data(), nullptr, false, true),
            with_status);
  const Vec3 below = scene(0.5f, 0);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(with_status[i], below[i], 1e-5f) << i;
}

TEST_F(VirtualScreenTest, RayToPixels) {
  const Vec3 down = -to_vec3(frame_.zhat());
  const Vec3 up = to_vec3(frame_.zhat());
  int status = 7;
  const P2 pixel = screen_.ray2pixels(scene(0.5f, 0.25f, 5).data(), down.data(), &status, false);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(pixel[0], 512.25f, 1e-3f);
  EXPECT_NEAR(pixel[1], 288.0f, 1e-3f);
  const P2 reversed = screen_.ray2pixels(scene(0.5f, 0.25f, 5).data(), up.data(), &status, true);
  EXPECT_EQ(status, 0);
  EXPECT_NEAR(reversed[0], 512.25f, 1e-3f);

  EXPECT_EQ(screen_.ray2pixels(scene(3, 0, 5).data(), down.data(), &status, false), (P2{-1, -1}));
  EXPECT_EQ(status, -1);
  const Vec3 along = to_vec3(frame_.yhat());
  EXPECT_EQ(screen_.ray2pixels(scene(0, 0, 5).data(), along.data(), &status, false), (P2{-1, -1}));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(screen_.ray2pixels(scene(3, 0, 5).data(), down.data(), nullptr, false), (P2{-1, -1}));
}

TEST_F(VirtualScreenTest, RendersThroughItsFunctionAndCopiesItsState) {
  screen_.render();  // no function: nothing
  int calls = 0;
  screen_.render_func([&] { ++calls; });
  screen_.render();
  EXPECT_EQ(calls, 1);
  screen_.get_render_func()();
  EXPECT_EQ(calls, 2);

  screen_.set_overlay({0, 0, 1, 0.5f});
  screen_.style().fill_color(1, 0, 0, 1);
  screen_.disable();
  screen_.rename("monitor");
  VirtualScreen copy(screen_);
  EXPECT_EQ(copy.overlay(), (Color4{0, 0, 1, 0.5f}));
  EXPECT_EQ(copy.style().fill_color(), (Color4{1, 0, 0, 1}));
  EXPECT_FALSE(copy.enabled());
  EXPECT_EQ(copy.name(), "monitor");
  EXPECT_EQ(&copy.coord_sys(), &frame_);                     // borrowed: shared
  EXPECT_NE(&copy.frame_buffer(), &screen_.frame_buffer());  // owned: copied
  copy.render();
  EXPECT_EQ(calls, 3);
}
