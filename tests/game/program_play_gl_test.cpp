// The whole game as a player meets it: the real program on the generated
// data folder, on an X server of its own, watched through screenshots and
// its own output from its intro to a game of two computers, then quit with
// the keys a player presses.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "datagen/data_folder.h"
#include "game/program_output.h"
#include "support/child_process.h"
#include "support/gl/own_display.h"
#include "support/gl/screenshot.h"
#include "support/gl/x_windows.h"

namespace {

using testing_support::ChildProcess;
using testing_support::Image;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleep_for(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The colours the generated pictures are made of, as they show on the
// screen: the gold of the product logo's name, the white of the maker
// logo's name and the table's green felt.
bool gold(std::uint32_t p) {
  const int r = testing_support::red(p), g = testing_support::green(p),
            b = testing_support::blue(p);
  return r >= 170 && g >= 0.7 * r && g <= r && b <= 0.6 * g;
}
bool white(std::uint32_t p) {
  return testing_support::red(p) >= 215 && testing_support::green(p) >= 215 &&
         testing_support::blue(p) >= 215;
}
bool felt(std::uint32_t p) {
  const int r = testing_support::red(p), g = testing_support::green(p),
            b = testing_support::blue(p);
  return g >= 50 && g >= r + 30 && g >= b + 20;
}
bool dark(std::uint32_t p) {
  return testing_support::luma(p) < 40.0;
}

// How many lines of the text start with the prefix.
int count_lines(const std::string& text, const std::string& prefix) {
  int n = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (text.compare(at, prefix.size(), prefix) == 0) ++n;
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return n;
}

// A screenshot of the program's window with the seconds since the window
// showed.
struct Frame {
  double at = 0.0;
  Image image;
};

class GamePlay : public datagen_test::DataFolderTest {
 protected:
  // The window's title.
  static constexpr const char* kTitle = "Talvorin 1.1.1";
  // Every wait is generous: the test build runs with sanitizers on a
  // software renderer, on a machine that runs other tests at once.
  static constexpr double kStartSeconds = 120.0;

  void SetUp() override {
    if (std::system("command -v Xvfb xwd xdotool >/dev/null 2>&1") != 0) {
      if (std::getenv("CI")) FAIL() << "Xvfb, xwd or xdotool missing";
      GTEST_SKIP() << "Xvfb, xwd or xdotool missing";
    }
    display_ = std::make_unique<testing_support::OwnDisplay>();
    ASSERT_NE(display_->name(), "") << "no X server";
  }

  void TearDown() override {
    // The program before its display.
    game_.reset();
    display_.reset();
  }

  void start_game() {
    game_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{TALVORIN_PROGRAM},
        ChildProcess::Environment{
            {"TALVORIN_ROOT", root()}, {"ALSOFT_DRIVERS", "null"}, {"DISPLAY", display_->name()}});
  }

  // Screenshots of the window until the test holds for one (true) or the
  // seconds passed or the program ended (false); each one is passed to the
  // test.
  bool watch(unsigned long window, double seconds, const std::function<bool(const Frame&)>& test) {
    const Clock::time_point start = Clock::now();
    while (seconds_since(start) < seconds && game_->running()) {
      if (std::optional<Image> shot = testing_support::window_screenshot(window)) {
        if (test(Frame{seconds_since(shown_), std::move(*shot)})) return true;
      }
      sleep_for(0.1);
    }
    return false;
  }

  // Writes the frame next to the test's other files when the test fails, to
  // see what the player saw.
  void keep(const Frame& frame, const std::string& name) {
    const std::string path =
        (std::filesystem::current_path() / ("game_play_" + name + ".ppm")).string();
    testing_support::write_ppm(frame.image, path);
    RecordProperty(name, path);
  }

  std::unique_ptr<testing_support::OwnDisplay> display_;
  std::unique_ptr<ChildProcess> game_;
  Clock::time_point shown_;
};

TEST_F(GamePlay, IntroThenComputersPlayThenQuitFromTheMainMenu) {
  start_game();
  const unsigned long window = testing_support::wait_for_window(kTitle, kStartSeconds);
  ASSERT_NE(window, 0u) << game_->err();
  shown_ = Clock::now();

  // The intro: the maker's logo, then the product logo, each over a dark
  // view, and then the table. Each phase is the frame that shows it best.
  std::optional<Frame> maker, product, table;
  double maker_white = 0.0, product_gold = 0.0;
  const bool intro_done = watch(window, 240.0, [&](const Frame& f) {
    const double g = testing_support::share(f.image, gold);
    const double w = testing_support::share(f.image, white);
    if (!product && g < 0.002 && w > maker_white) {
      maker_white = w;
      maker = f;
    }
    if (maker && g > product_gold) {
      product_gold = g;
      product = f;
    }
    if (product && g < 0.2 * product_gold && testing_support::share(f.image, felt) > 0.1) {
      table = f;
      return true;
    }
    return false;
  });
  ASSERT_TRUE(intro_done) << game_->out() << game_->err();
  ASSERT_TRUE(maker && product && table);
  keep(*maker, "maker_logo");
  keep(*product, "product_logo");
  keep(*table, "table");
  // The logos: in that order, the maker's first.
  EXPECT_LT(maker->at, product->at);
  EXPECT_LT(product->at, table->at);
  // Mostly dark frames with a bright logo...
  for (const Frame* logo : {&*maker, &*product}) {
    EXPECT_GT(testing_support::share(logo->image, dark), 0.5) << logo->at;
  }
  EXPECT_GT(maker_white, 0.001);
  EXPECT_GT(product_gold, 0.001);
  // ...that differ from each other where the logos are, and from the table.
  EXPECT_GT(testing_support::changed_share(maker->image, product->image, 48), 0.005);
  EXPECT_GT(testing_support::share(table->image, felt), 0.1);
  EXPECT_LT(testing_support::share(table->image, dark), 0.5);

  // The computers play: each shot of a computer starts with its aim (one
  // line of the aim's error on the output), and the next shot is aimed
  // only once the balls of the one before came to rest and the rules
  // evaluated it. Three aims, so two evaluated shots.
  const Clock::time_point play = Clock::now();
  while (count_lines(game_->out(), "x err = ") < 3 && game_->running() &&
         seconds_since(play) < 900.0)
    sleep_for(0.5);
  ASSERT_GE(count_lines(game_->out(), "x err = "), 3) << game_->out() << game_->err();
  const Frame playing{seconds_since(shown_), *testing_support::window_screenshot(window)};
  keep(playing, "playing");

  // Esc opens the main menu, with the product logo at its head.
  const auto menu_shown = [](const Frame& f) {
    return testing_support::share(f.image, gold) > 0.0005;
  };
  bool menu = false;
  for (int attempt = 0; attempt < 3 && !menu; ++attempt) {
    ASSERT_TRUE(testing_support::press_keys(window, "Escape"));
    menu = watch(window, 30.0, menu_shown);
  }
  ASSERT_TRUE(menu) << game_->err();
  // Down from "Resume" to "Quit", one key at a time, each given time to
  // arrive; Enter opens the confirmation, and its "Yes" ends the game.
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(testing_support::press_keys(window, "Down"));
    sleep_for(1.0);
  }
  ASSERT_TRUE(testing_support::press_keys(window, "Return"));
  // The confirmation replaces the main menu.
  EXPECT_TRUE(watch(window, 30.0, [&](const Frame& f) { return !menu_shown(f); }));
  ASSERT_TRUE(testing_support::press_keys(window, "Return"));

  const std::optional<int> code = game_->wait(60.0);
  ASSERT_TRUE(code) << game_->err();
  EXPECT_EQ(*code, 0) << game_->err();
  const std::string out = game_->out(), err = game_->err();
  EXPECT_EQ(program_output::gl_error_lines(err), "");
  EXPECT_EQ(program_output::missing_data_lines(out + err), "");
}

}  // namespace
