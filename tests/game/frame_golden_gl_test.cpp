// The program's frame, pixel for pixel: fixed views of the running game on
// the generated data folder (the table from where the intro leaves the
// viewer, with a human's turn waiting; a close view of the rack; the main
// menu open), drawn by the program's own display path into its desktop frame
// buffer and compared with reference pictures of the same renderer.
//
// The references live in tests/data/frames. To write them anew from the code
// as it stands (after a deliberate change of the picture), run in the test
// build:
//   TALVORIN_WRITE_FRAMES=1 ../../scripts/with-xvfb.sh ./bin/game_gl_tests
//     --gtest_filter='FrameGolden*'
// which writes the pictures instead of comparing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "render/texture.h"
#include "running_program.h"
#include "ui/dialog.h"

namespace {

using running_program::kFrame;

// The frame's size: a quarter of the program's 1280 x 720 each way keeps the
// pictures small; the levels of detail follow distances, not pixels.
constexpr int kWidth = 640;
constexpr int kHeight = 360;
// Frames while a view settles: panels turning and fades take 0.2 s.
constexpr double kSettleStep = 0.1;
constexpr unsigned char kEsc = 27;

std::string reference_path(const std::string& name) {
  return std::string(VARNOX_TEST_DATA) + "/frames/" + name + ".png";
}

// RGB bytes of a picture, the top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// The resolved picture of the frame buffer.
Picture read_frame(const FrameBuffer& target) {
  Picture p;
  p.width = static_cast<int>(target.width());
  p.height = static_cast<int>(target.height());
  p.rgb.resize(static_cast<std::size_t>(p.width * p.height * 3));
  glBindTexture(GL_TEXTURE_2D, target.resolve_texture());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  std::vector<std::uint8_t> bottom_first(p.rgb.size());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, bottom_first.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  const std::size_t row = static_cast<std::size_t>(p.width) * 3;
  for (int y = 0; y < p.height; ++y)
    std::copy_n(bottom_first.begin() + static_cast<std::ptrdiff_t>(row) * y, row,
                p.rgb.begin() + static_cast<std::ptrdiff_t>(row) * (p.height - 1 - y));
  return p;
}

bool write_png(const Picture& p, const std::string& path) {
  Texture t;
  if (t.set_data(static_cast<unsigned>(p.width), static_cast<unsigned>(p.height), p.rgb.data(),
                 Texture::kRGB) != 0)
    return false;
  return t.save_png(path) == 0;
}

std::optional<Picture> read_png(const std::string& path) {
  Texture t;
  if (t.load_png(path, false, false, false) != 0 || t.bytes_per_pixel() != Texture::kRGBA)
    return std::nullopt;
  Picture p;
  p.width = static_cast<int>(t.width());
  p.height = static_cast<int>(t.height());
  for (std::size_t i = 0; i + 3 < t.pixels().size(); i += 4)
    p.rgb.insert(p.rgb.end(), t.pixels().begin() + static_cast<std::ptrdiff_t>(i),
                 t.pixels().begin() + static_cast<std::ptrdiff_t>(i + 3));
  return p;
}

// How far a frame is from its reference: the share of pixels with a channel
// more than kTolerance off, and the largest difference of any channel.
struct Difference {
  double share = 1.0;
  int largest = 255;
};

constexpr int kTolerance = 16;
// At most this share of the pixels may differ more (a few along edges).
constexpr double kDifferingShare = 0.001;

Difference compare(const Picture& a, const Picture& b) {
  Difference d;
  if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return d;
  std::size_t off = 0;
  d.largest = 0;
  for (std::size_t i = 0; i < a.rgb.size(); i += 3) {
    int worst = 0;
    for (std::size_t c = 0; c < 3; ++c)
      worst = std::max(worst, std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])));
    d.largest = std::max(d.largest, worst);
    off += worst > kTolerance;
  }
  d.share = double(off) / double(a.rgb.size() / 3);
  return d;
}

class FrameGolden : public running_program::RunningProgram {
 protected:
  FrameGolden() : RunningProgram(kWidth, kHeight) {}

  void prepare(PoolEngine& e) override {
    // The rack's draws, and any free spot, the same on every run.
    e.rack_random.engine().seed(47u);
    e.spot_random.engine().seed(48u);
    e.pair_order_random.engine().seed(49u);
  }

  // Looks from where the viewer stands at a point, and holds the view for
  // the frames that follow (the panels turn to it, fades end).
  void look(const Vec3& from, const Vec3& at) {
    engine_->walking().position() = from;
    engine_->walking().velocity() = {0.0f, 0.0f, 0.0f};
    const Vec3 up{0.0f, 1.0f, 0.0f};
    engine_->mouse_look().coord_sys().look_at(from.data(), at.data(), up.data(), false);
    frames(1.0, kSettleStep);
  }

  // Compares the frame now shown with its reference, or writes the
  // reference when asked to.
  void expect_frame(const std::string& name) {
    const Picture frame = read_frame(desktop_);
    const std::string path = reference_path(name);
    if (std::getenv("TALVORIN_WRITE_FRAMES")) {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      ASSERT_TRUE(write_png(frame, path)) << path;
      return;
    }
    const std::optional<Picture> reference = read_png(path);
    ASSERT_TRUE(reference.has_value()) << "no reference picture " << path;
    const Difference d = compare(frame, *reference);
    const std::string seen =
        (std::filesystem::temp_directory_path() / ("talvorin_frame_" + name + ".png")).string();
    if (d.share > kDifferingShare)
      ADD_FAILURE() << name << ": " << d.share * 100.0 << "% of the pixels differ from " << path
                    << " (by up to " << d.largest << " in a channel); the frame is "
                    << (write_png(frame, seen) ? seen : "not written");
  }
};

TEST_F(FrameGolden, TheTableTheRackAndTheMainMenuDrawAsTheReferences) {
  // Past the intro, whose computers' game a game of two humans replaces:
  // the first human's turn waits with its panel, hints and score board.
  for (int i = 0; i < 60 && !engine_->in_intro; ++i) frames(0.25, 0.25);
  ASSERT_TRUE(engine_->in_intro);
  for (int i = 0; i < 60 && engine_->in_intro; ++i) frames(1.0, 0.25);
  ASSERT_TRUE(engine_->pause_allowed() && !engine_->in_intro);
  engine_->start_game_hook()(2, 0);
  frames(0.5);
  ASSERT_NE(engine_->rules, nullptr);
  ASSERT_TRUE(engine_->awaiting_human_input());

  const std::array<Vec3, 3> waypoints = engine_->intro_waypoints();
  const Vec3 start = waypoints[2];
  const Vec3 centre{0.0f, 0.0f, 0.0f};
  look(start, centre);
  expect_frame("table");

  // The rack at the +x end, from just in front of its apex.
  const Vec3 apex = engine_->balls[1].position;
  look(apex + Vec3{-0.3f, 0.12f, 0.18f}, apex + Vec3{0.08f, 0.0f, 0.0f});
  expect_frame("rack");

  look(start, centre);
  engine_->keyboard_callback(kEsc, 1, 0.0f, 0.0f, 0.0f);
  frames(kFrame);
  engine_->keyboard_callback(kEsc, 0, 0.0f, 0.0f, 0.0f);
  frames(1.0, kSettleStep);
  ASSERT_TRUE(engine_->menus.main_menu()->enabled());
  expect_frame("main_menu");
}

}  // namespace
