// The lit room on the generated data folder: the game started as the program
// starts it (the room's lamps become the engine's lights when its model
// arrives), the intro run frame by frame, and the view drawn as the program
// draws it and read back: 8 s into the intro, looking at the room and the
// table, little of it is clipped to pure white; at the intro's end, beside
// the racked table, the felt and the cue ball are well lit.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "datagen/data_folder.h"
#include "game/app/pool_engine.h"
#include "input/frame_clock.h"
#include "support/capture.h"
#include "support/engine_frame.h"
#include "support/gl/gl_test.h"

namespace {

using Base = datagen_test::DataFolderFixture<testing_support::GLTest>;

constexpr double kFrame = 1.0 / 30.0;
constexpr int kWidth = 320, kHeight = 180;

// One frame read back: RGB rows from the bottom, and where a scene point
// lies in it.
struct Picture {
  std::vector<unsigned char> rgb;
  std::array<double, 16> modelview{}, projection{};
  std::array<int, 4> viewport{};

  const unsigned char* at(int x, int y) const {
    return &rgb[(std::size_t(y) * kWidth + std::size_t(x)) * 3];
  }
  // The share of the pixels clipped to pure white.
  double white_share() const {
    std::size_t white = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
      if (rgb[i] == 255 && rgb[i + 1] == 255 && rgb[i + 2] == 255) ++white;
    return double(white) / double(kWidth * kHeight);
  }
  // The mean of a channel (-1: of (r + g + b) / 3) over the pixels that
  // pass the test.
  template <typename Test>
  double mean_where(Test test, int channel = -1) const {
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
      if (test(rgb[i], rgb[i + 1], rgb[i + 2])) {
        sum += channel < 0 ? (rgb[i] + rgb[i + 1] + rgb[i + 2]) / 3.0 : rgb[i + channel];
        ++n;
      }
    return n ? sum / double(n) : 0.0;
  }
  // The pixel under a scene point, or false when it is out of the picture.
  bool project(const Vec3& p, int& x, int& y) const {
    double wx = 0, wy = 0, wz = 0;
    if (gluProject(p[0], p[1], p[2], modelview.data(), projection.data(), viewport.data(), &wx, &wy,
                   &wz) != GL_TRUE)
      return false;
    x = int(wx);
    y = int(wy);
    return x >= 0 && y >= 0 && x < kWidth && y < kHeight && wz < 1.0;
  }
  // For a person to look at when the test fails.
  void save(const std::string& path) const {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
      for (int y = kHeight - 1; y >= 0; --y) std::fwrite(at(0, y), 1, std::size_t(kWidth) * 3, f);
      std::fclose(f);
    }
  }
};

class RoomLightGL : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    if (!has_context()) return;
    engine.settings().root(root());
    testing_support::run_on_clock(engine, clock);
    // As the program's start-up before it: the game's hooks (the intro's
    // game starts through them), the shot wizard and the first lights (the
    // balls' program is made for as many).
    engine.install_callbacks();
    engine.init_shot_wizard();
    engine.init_lights(4);
    ASSERT_EQ(engine.init_post_glew(), 0);
    engine.wait_for_loads();
  }

  void run_to(double t) {
    while (now < t) {
      now += kFrame;
      engine.idle();
    }
  }

  // The frame as the program draws it on a monitor, without the fades over
  // it.
  Picture draw() {
    testing_support::OffscreenTarget target(kWidth, kHeight);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    engine.display_basic([this] { engine.render_game_scenes(); }, {});
    Picture picture;
    picture.rgb.resize(std::size_t(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, picture.modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, picture.projection.data());
    glGetIntegerv(GL_VIEWPORT, picture.viewport.data());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return picture;
  }

  testing_support::OutputCapture quiet;
  double now = 100.0;
  FrameClock clock{[this] { return now; }};
  PoolEngine engine;
};

}  // namespace

TEST_F(RoomLightGL, TheRoomIsLitWithoutClippingToWhiteAndTheTableAndBallsWellLit) {
  // The intro starts once the loads are done; the room's lamps are the
  // lights by then.
  for (int i = 0; i < 300 && !engine.in_intro; ++i) run_to(now + kFrame);
  ASSERT_TRUE(engine.in_intro);
  EXPECT_GE(engine.lights().size(), 6u);
  const double start = now;

  run_to(start + 8.0);
  const Picture room = draw();
  const double room_mean = room.mean_where([](int, int, int) { return true; });
  if (!(room.white_share() < 0.05) || !(room_mean > 50.0))
    room.save(testing::TempDir() + "talvorin_room_8s.ppm");
  EXPECT_LT(room.white_share(), 0.05);
  EXPECT_GT(room_mean, 50.0);  // not dark either

  // After the intro: beside the table, the game of two computers racked.
  run_to(start + 13.0);
  const Picture table = draw();
  // The felt: the green of the pixels that are green.
  const double felt =
      table.mean_where([](int r, int g, int b) { return g > r + 30 && g > b + 30; }, 1);
  ASSERT_NE(engine.cue_ball, nullptr);
  int x = 0, y = 0;
  ASSERT_TRUE(table.project(engine.cue_ball->position, x, y));
  const unsigned char* cue_ball = table.at(x, y);
  const int cue_ball_mean = (cue_ball[0] + cue_ball[1] + cue_ball[2]) / 3;
  if (!(table.white_share() < 0.05) || !(felt > 90.0) || cue_ball_mean < 150)
    table.save(testing::TempDir() + "talvorin_room_table.ppm");
  EXPECT_LT(table.white_share(), 0.05);
  EXPECT_GT(felt, 90.0);
  EXPECT_GE(cue_ball_mean, 150);
  std::printf("room: white %.4f mean %.1f; table: white %.4f felt %.1f cue ball %d\n",
              room.white_share(), room_mean, table.white_share(), felt, cue_ball_mean);
}
