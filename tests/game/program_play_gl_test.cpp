// The whole game as a player meets it: the real program on the generated
// data folder, on an X server of its own, watched through screenshots and
// its own output from its intro to a game of two computers and a
// computer's aim, a new game against the computer whose break is played
// with Enter alone, then quit with the keys a player presses; and a human's
// shot taken back step by step with Delete.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "datagen/data_folder.h"
#include "game/program_output.h"
#include "support/child_process.h"
#include "support/data_root.h"
#include "support/gl/own_display.h"
#include "support/gl/screenshot.h"
#include "support/gl/x_windows.h"
#include "support/leak_checked_run.h"

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

// The colours the test looks for, as the screen shows them. The intro's
// fades darken the whole view evenly, so a colour is told by its hue and
// not by its brightness: the gold of the product logo's name, the white of
// the maker logo's name and "presents" (grey where dimmed: no hue) and the
// table's green felt.
bool gold(std::uint32_t p) {
  const int r = testing_support::red(p), g = testing_support::green(p),
            b = testing_support::blue(p);
  return r >= 100 && g >= 0.7 * r && g <= 0.95 * r && b <= 0.5 * r;
}
bool white(std::uint32_t p) {
  const int r = testing_support::red(p), g = testing_support::green(p),
            b = testing_support::blue(p);
  const int high = std::max({r, g, b}), low = std::min({r, g, b});
  return high >= 90 && high - low <= 0.12 * high + 6;
}
bool felt(std::uint32_t p) {
  const int r = testing_support::red(p), g = testing_support::green(p),
            b = testing_support::blue(p);
  return g >= 50 && g >= r + 30 && g >= b + 20;
}
// The pure green of a dialog's selected item (brighter in the engine's
// selected dialog; the felt always has some red and blue), and the light
// neutral grey of a key picture's cap.
bool selected_green(std::uint32_t p) {
  return testing_support::green(p) >= 120 && testing_support::red(p) <= 30 &&
         testing_support::blue(p) <= 30;
}
bool key_cap(std::uint32_t p) {
  const int r = testing_support::red(p), g = testing_support::green(p),
            b = testing_support::blue(p);
  return std::min({r, g, b}) >= 180 && std::max({r, g, b}) - std::min({r, g, b}) <= 25;
}

// The dialog that shows a selected item: where its green is (one dialog:
// all of it within a dialog's size, however far the dialog stands), and
// whether a key picture stands just right of it, level with it.
struct Panel {
  testing_support::Box box;
  int green = 0;
  bool key_picture = false;
  bool one() const { return green >= 30; }
  int centre_x() const { return (box.x0 + box.x1) / 2; }
  int centre_y() const { return (box.y0 + box.y1) / 2; }
  // Another panel, or this one moved or resized: what a key that moves the
  // selection, opens a menu or goes to another step shows.
  bool differs_from(const Panel& before) const {
    if (!before.one()) return true;
    return std::abs(centre_x() - before.centre_x()) + std::abs(centre_y() - before.centre_y()) >
               20 ||
           std::abs(box.width() - before.box.width()) > 10 ||
           std::abs(box.height() - before.box.height()) > 6;
  }
};

int count(const testing_support::Image& image, bool (*test)(std::uint32_t)) {
  return static_cast<int>(std::count_if(image.pixels.begin(), image.pixels.end(), test));
}

Panel selected_panel(const testing_support::Image& image) {
  Panel panel;
  const testing_support::Box box = testing_support::bounding_box(image, selected_green);
  if (box.empty() || box.width() > image.width * 2 / 5 || box.height() > image.height / 8)
    return panel;
  panel.box = box;
  panel.green = count(image.crop(box.x0, box.y0, box.width(), box.height()), selected_green);
  const testing_support::Image right =
      image.crop(box.x1 + 1, box.y0, 3 * box.height(), box.height());
  panel.key_picture = count(right, key_cap) >= 8;
  return panel;
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

// The share of pixels in strokes of white, as letters have (white with a
// pixel of another colour three to the left or right): the room's white
// walls behind the names count only at their edges.
double white_strokes(const Image& image) {
  if (image.width < 7) return 0.0;
  std::size_t n = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 3; x + 3 < image.width; ++x)
      n += white(image.at(x, y)) && (!white(image.at(x - 3, y)) || !white(image.at(x + 3, y)));
  return double(n) / double(image.width * image.height);
}

// A screenshot of the program's window with the seconds since the window
// showed.
struct Frame {
  double at = 0.0;
  Image image;
};

// What the test reads off the middle of the window (three tenths each
// way): its mean luma, the shares of gold and of white strokes where the
// logos' names show (a band just above the window's middle) and the share
// of felt.
struct Stats {
  double at = 0.0;
  double luma = 0.0;  // 0 to 255
  double gold = 0.0, white = 0.0, felt = 0.0;
};

Stats stats(const Frame& f) {
  Stats s;
  s.at = f.at;
  const Image& middle = f.image;
  if (middle.pixels.empty()) return s;
  double sum = 0.0;
  for (const std::uint32_t p : middle.pixels) sum += testing_support::luma(p);
  s.luma = sum / double(middle.pixels.size());
  // 44% to 62% of the window's width, 40% to 54% of its height.
  const Image names = middle.crop(middle.width * 3 / 10, middle.height / 6, middle.width * 6 / 10,
                                  middle.height * 7 / 15);
  s.gold = testing_support::share(names, gold);
  s.white = white_strokes(names);
  s.felt = testing_support::share(middle, felt);
  return s;
}

// The frames seen, one line each, for a failure's message.
std::string timeline(const std::vector<Stats>& seen) {
  std::string text =
      "frames (s, mean luma, gold and white strokes of the names, felt in the middle):\n";
  char line[128];
  for (const Stats& s : seen) {
    std::snprintf(line, sizeof line, "%7.2f %6.1f %.4f %.4f %.4f\n", s.at, s.luma, s.gold, s.white,
                  s.felt);
    text += line;
  }
  return text;
}

// Seconds of frames kept after a computer's aim (the camera glides with the
// cue for 3 s, times 1.25).
constexpr double kAimGlide = 5.0;

// A share of changed pixels that shows balls or the cue moving: a ball far
// down the table covers a few hundred pixels of the window.
constexpr double kMoving = 0.0002;

// The share of pixels whose luma differs by more than a tenth between two
// screenshots of the same size (1 when the sizes differ).
double changed(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 1.0;
  std::size_t n = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    n += std::abs(testing_support::luma(a.pixels[i]) - testing_support::luma(b.pixels[i])) > 25.0;
  return double(n) / double(a.pixels.size());
}

class GamePlay : public datagen_test::DataFolderTest {
 protected:
  // The window's title.
  static constexpr const char* kTitle = "Talvorin 1.1.1";
  // Every wait is generous: the test build runs with sanitizers on a
  // software renderer, on a machine that runs other tests at once.
  static constexpr double kStartSeconds = 120.0;

  void SetUp() override {
    ASSERT_EQ(std::system("command -v Xvfb xwd xdotool >/dev/null 2>&1"), 0)
        << "Xvfb, xwd or xdotool missing (scripts/deps.sh installs them)";
    // A screen that just holds the window at the size "video_settings"
    // stores, 1280x720, where freeglut puts it: less to dump per
    // screenshot.
    display_ = std::make_unique<testing_support::OwnDisplay>(1300, 740);
    ASSERT_NE(display_->name(), "") << "no X server";
  }

  void TearDown() override {
    if (HasFailure())
      for (const auto& [name, frame] : kept_) {
        const std::string path =
            (std::filesystem::temp_directory_path() / ("talvorin_play_" + name + ".ppm")).string();
        if (testing_support::write_ppm(frame.image, path)) std::cerr << "saw " << path << "\n";
      }
    // The program before its display.
    game_.reset();
    display_.reset();
  }

  // Frames until the intro has ended: 2.5 s after the computers' game
  // starts behind it (their first aim, a line of the output), with room
  // for a slow frame.
  bool past_intro(unsigned long window) {
    std::optional<Clock::time_point> aimed;
    return watch(window, 300.0, [&](const Frame&) {
      if (!aimed && count_lines(game_->out(), "x err = ") >= 1) aimed = Clock::now();
      return aimed && seconds_since(*aimed) > 4.0;
    });
  }

  // The program with its leaks checked and its frames counted by the
  // preloaded swap counter.
  void start_game() {
    ChildProcess::Environment environment = testing_support::leak_checked_environment();
    environment.insert(environment.end(),
                       {{"TALVORIN_ROOT", root()},
                        {"ALSOFT_DRIVERS", "null"},
                        {"DISPLAY", display_->name()},
                        {"SWAP_COUNTER_FILE", (swaps_.path() / "swaps").string()}});
    game_ = std::make_unique<ChildProcess>(std::vector<std::string>{TALVORIN_PROGRAM}, environment);
  }

  // The frames the program has drawn so far (its buffer swaps).
  std::uint64_t swaps() const {
    std::ifstream file(swaps_.path() / "swaps", std::ios::binary);
    std::uint64_t count = 0;
    file.read(reinterpret_cast<char*>(&count), sizeof count);
    return file ? count : 0;
  }

  // Whether two different frames of the window (the swap counter tells
  // them apart) show the same picture, within the seconds: nothing moves on
  // the screen.
  bool stands_still(unsigned long window, double seconds) {
    const Clock::time_point start = Clock::now();
    while (seconds_since(start) < seconds && game_->running()) {
      const auto frames = two_frames(window);
      if (!frames) return false;
      keep(Frame{seconds_since(shown_), frames->second}, "still");
      if (changed(frames->first, frames->second) < kMoving) return true;
    }
    return false;
  }

  // A screenshot of the window, and another of a later frame: at least two
  // swaps after the first was taken, so the two show different frames.
  std::optional<std::pair<Image, Image>> two_frames(unsigned long window) {
    std::optional<Image> first = testing_support::window_screenshot(window);
    const std::uint64_t after_first = swaps();
    if (!first) return std::nullopt;
    const Clock::time_point start = Clock::now();
    while (swaps() < after_first + 2 && game_->running() && seconds_since(start) < 60.0)
      sleep_for(0.05);
    std::optional<Image> second = testing_support::window_screenshot(window);
    if (!second || swaps() < after_first + 2) return std::nullopt;
    return std::make_pair(std::move(*first), std::move(*second));
  }

  // The selected panel of the latest screenshot (none when the program
  // ended or no shot could be taken).
  Panel panel_now(unsigned long window) {
    const std::optional<Image> shot = testing_support::window_screenshot(window);
    return shot ? selected_panel(*shot) : Panel{};
  }

  // Sends the key and waits until the screen shows its effect: one selected
  // panel, with the Enter key's picture beside it, other than the one shown
  // before (appeared, moved or resized), and then until what the key set
  // moving (the view, the cue's glide into the aim) has come to rest, so
  // that the next key starts from a settled screen. A key that came before
  // the program took keys is sent again, up to `sends` times. The panel
  // shown at rest, or nothing.
  std::optional<Panel> key_shows(unsigned long window, const char* key, const char* name,
                                 int sends = 1) {
    for (int sent = 0; sent < sends; ++sent) {
      const Panel before = panel_now(window);
      if (!testing_support::send_keys(window, key)) return std::nullopt;
      Panel seen;
      if (watch(window, 30.0, [&](const Frame& f) {
            keep(f, name);
            seen = selected_panel(f.image);
            return seen.one() && seen.key_picture && seen.differs_from(before);
          }))
        return settled(window, seen);
    }
    return std::nullopt;
  }

  // The panel once the screen stands still (or after 10 s): `seen` when
  // none shows then.
  Panel settled(unsigned long window, const Panel& seen) {
    stands_still(window, 10.0);
    const Panel now = panel_now(window);
    return now.one() && now.key_picture ? now : seen;
  }

  // Screenshots of the window until the test holds for one (true) or the
  // seconds passed or the program ended (false); each one is passed to the
  // test.
  // With `middle`, only the window's middle three tenths each way are read,
  // which takes a tenth of the time: the intro's phases last a few seconds,
  // and a loaded machine reads its frames slowly.
  bool watch(unsigned long window, double seconds, const std::function<bool(const Frame&)>& test,
             bool middle = false) {
    const Clock::time_point start = Clock::now();
    while (seconds_since(start) < seconds && game_->running()) {
      // As often as the screen can be dumped.
      std::optional<Image> shot;
      if (!middle) {
        shot = testing_support::window_screenshot(window);
      } else if (const auto rect = testing_support::window_rect(window)) {
        shot = testing_support::screenshot(rect->x + rect->width * 35 / 100,
                                           rect->y + rect->height * 35 / 100, rect->width * 3 / 10,
                                           rect->height * 3 / 10);
      }
      if (shot) {
        if (test(Frame{seconds_since(shown_), std::move(*shot)})) return true;
      } else {
        sleep_for(0.1);
      }
    }
    return false;
  }

  // A frame to look at when the test fails (the latest of each name):
  // written to the temporary folder then.
  void keep(const Frame& frame, const std::string& name) {
    for (auto& [kept_name, kept_frame] : kept_)
      if (kept_name == name) {
        kept_frame = frame;
        return;
      }
    kept_.emplace_back(name, frame);
  }

  std::unique_ptr<testing_support::OwnDisplay> display_;
  // The swap counter's file.
  testing_support::TempDataRoot swaps_;
  std::unique_ptr<ChildProcess> game_;
  Clock::time_point shown_;

 private:
  std::vector<std::pair<std::string, Frame>> kept_;
};

TEST_F(GamePlay, IntroComputersThenAHumansBreakWithEnterAloneThenQuitFromTheMainMenu) {
  start_game();
  const unsigned long window = testing_support::wait_for_window(kTitle, kStartSeconds);
  ASSERT_NE(window, 0u) << game_->err();
  shown_ = Clock::now();

  // The intro: black until its start, then the view clears on the maker's
  // logo, darkens and clears on the product logo, and darkens and clears
  // on the table once the computers' game has started behind it (its first
  // aim is a line of the output). Each part is told by what it shows, on
  // a loaded machine in as few frames as it draws: before the product's
  // gold name (with little white: its small subtitle, the walls' edges),
  // the maker's white name and "presents" (with some gold: the eclipse's
  // corona, the table's brass); the frame that shows each best is kept.
  // Before the logos the scene shows only as the view fades in.
  struct Seen {
    Frame frame;
    Stats stats;
  };
  std::vector<Stats> seen;
  std::optional<Seen> maker, product, table, scene_before_logo;
  std::optional<Clock::time_point> aimed;
  const auto best = [](std::optional<Seen>& slot, const Seen& f, double Stats::*share) {
    if (!slot || slot->stats.*share < f.stats.*share) slot = f;
  };
  const bool intro_done = watch(
      window, 300.0,
      [&](const Frame& frame) {
        const Seen f{frame, stats(frame)};
        const Stats& s = f.stats;
        seen.push_back(s);
        if (s.gold > 0.02 && s.white < 1.5 * s.gold) {
          if (maker) best(product, f, &Stats::gold);
        } else if (!product && s.white > 0.01 && s.white > 2.0 * s.gold) {
          best(maker, f, &Stats::white);
        } else if (!maker && !product && s.felt > 0.25) {
          best(scene_before_logo, f, &Stats::luma);
        }
        if (!product) return false;
        if (!aimed && count_lines(game_->out(), "x err = ") >= 1) aimed = Clock::now();
        // The intro ends 2.5 s after the aim, the overlay cleared.
        if (!aimed || seconds_since(*aimed) < 3.0) return false;
        if (s.felt > 0.25 && s.gold < 0.01) table = f;
        return table || seconds_since(*aimed) > 30.0;
      },
      true);
  SCOPED_TRACE(timeline(seen));
  if (maker) keep(maker->frame, "maker_logo");
  if (product) keep(product->frame, "product_logo");
  if (table) keep(table->frame, "table");
  if (scene_before_logo) keep(scene_before_logo->frame, "scene_before_logo");
  ASSERT_TRUE(maker) << "no frame of the maker's logo";
  ASSERT_TRUE(product) << "no frame of the product logo after the maker's";
  ASSERT_TRUE(intro_done) << "no aim after the logos";
  ASSERT_TRUE(table) << "no table after the intro";
  // The maker's white letters, the product's gold name, and then the
  // table's felt all over the middle with no name.
  const Stats &m = maker->stats, &p = product->stats, &t = table->stats;
  EXPECT_GT(m.white, 0.01);
  EXPECT_GT(p.gold, 0.02);
  EXPECT_LT(t.gold, 0.01);
  EXPECT_GT(t.felt, 0.25);
  // The view fades in onto the maker's logo: what shows of the scene before
  // it (without the logo's letters, so with the overlay still half dark at
  // least) stays well below the lit table's brightness.
  if (scene_before_logo) {
    EXPECT_LT(scene_before_logo->stats.luma, 0.75 * t.luma)
        << "the scene showed before the maker's logo";
  }

  // The computers play: each shot of a computer starts with its aim, one
  // line of the aim's error on the output. (Waiting for evaluated shots
  // would take many minutes here: below 30 frames a second the balls roll
  // slower than real time, and the sanitized build on a software renderer
  // draws a few frames a second.)
  const Clock::time_point play = Clock::now();
  while (count_lines(game_->out(), "x err = ") < 1 && game_->running() &&
         seconds_since(play) < 300.0)
    sleep_for(0.5);
  ASSERT_GE(count_lines(game_->out(), "x err = "), 1) << game_->out() << game_->err();
  // A few frames of the game in play, to look at when the test fails.
  watch(window, kAimGlide, [&](const Frame& f) {
    keep(f, "playing");
    return false;
  });

  // Esc opens the main menu (the menus take keys once the intro is over);
  // down from "Resume" to "Quit", one key at a time; Enter opens the
  // confirmation in the menu's place, and Enter on its "Yes" ends the game
  // with exit code 0, which only the menus' Quit gives. The menu shows in
  // front of the viewer wherever the camera of the computer's shot has
  // carried the view: its highlighted item in green with the Enter key's
  // picture beside it. Each key waits for the one before it to show.
  ASSERT_TRUE(key_shows(window, "Escape", "main_menu", 3))
      << "Esc in the computers' game shows no menu";

  // "New game", "Human vs. Computer": the human breaks. Enter on each step
  // of the shot: "Choose ball", "Choose pocket", and the first Enter on
  // "Shoot" strikes.
  const struct {
    const char* key;
    const char* name;  // what it leads to, for a failure's frames
  } to_the_break[] = {{"Down", "new_game_selected"},
                      {"Return", "new_game_type"},
                      {"Return", "choose_ball"},
                      {"Return", "choose_pocket"},
                      {"Return", "shoot"}};
  for (const auto& step : to_the_break)
    ASSERT_TRUE(key_shows(window, step.key, step.name)) << step.key << " shows no " << step.name;
  // Once the cue has glided into the aim the human's turn stands still on
  // the screen: two different frames of it show the same picture. The
  // stroke and the break move it, screenshot after screenshot.
  ASSERT_TRUE(stands_still(window, 60.0)) << "the human's turn does not stand still";
  ASSERT_TRUE(testing_support::send_keys(window, "Return"));
  int moving = 0;
  std::string shares;
  std::optional<Frame> last;
  watch(window, 40.0, [&](const Frame& f) {
    if (last) {
      const double c = changed(last->image, f.image);
      shares += std::to_string(c) + " ";
      if (c > kMoving) ++moving;
    }
    last = f;
    keep(f, "struck");
    return moving >= 4;
  });
  EXPECT_GE(moving, 4) << "Enter on \"Shoot\" did not strike: " << shares;

  // Esc during the shot: the main menu, down to its end, the confirmation
  // and its "Yes".
  ASSERT_TRUE(key_shows(window, "Escape", "main_menu_in_game"))
      << "Esc during the shot shows no menu";
  for (const char* name : {"new_game_in_game", "options", "about", "quit"})
    ASSERT_TRUE(key_shows(window, "Down", name)) << "Down shows no " << name;
  ASSERT_TRUE(key_shows(window, "Return", "confirm_quit")) << "Enter on \"Quit\" shows no question";
  ASSERT_TRUE(testing_support::send_keys(window, "Return"));

  const std::optional<int> code = game_->wait(60.0);
  ASSERT_TRUE(code) << game_->err();
  EXPECT_EQ(*code, 0) << game_->err();
  const std::string out = game_->out(), err = game_->err();
  EXPECT_EQ(program_output::gl_error_lines(err), "");
  EXPECT_EQ(program_output::missing_data_lines(out + err), "");
  EXPECT_EQ(program_output::sanitizer_lines(err), "");
}

TEST_F(GamePlay, DeleteAtEachStepOfAHumansShotLeavesOnePanelThatTakesEnter) {
  start_game();
  const unsigned long window = testing_support::wait_for_window(kTitle, kStartSeconds);
  ASSERT_NE(window, 0u) << game_->err();
  shown_ = Clock::now();
  ASSERT_TRUE(past_intro(window)) << game_->err();

  // From the main menu, by its keys: "New game", "Human vs. Computer",
  // each key once the one before it shows.
  ASSERT_TRUE(key_shows(window, "Escape", "main_menu", 3)) << "Esc shows no menu";
  ASSERT_TRUE(key_shows(window, "Down", "new_game_selected")) << "Down shows no \"New game\"";
  const std::optional<Panel> menu = key_shows(window, "Return", "new_game_type");
  ASSERT_TRUE(menu) << "Enter shows no pairings";
  // The human's turn shows one panel, its button selected and the Enter
  // picture beside it; after each key, the panel of the step, alone, and
  // moved where a step's panel goes to.
  Panel last = *menu;
  ASSERT_TRUE(testing_support::send_keys(window, "Return"));
  const auto one_panel = [&](const char* name, bool moved) {
    Panel seen;
    const bool shown = watch(window, 30.0, [&](const Frame& f) {
      keep(f, name);
      seen = selected_panel(f.image);
      if (!seen.one() || !seen.key_picture) return false;
      return !moved || std::abs(seen.centre_x() - last.centre_x()) +
                               std::abs(seen.centre_y() - last.centre_y()) >
                           20;
    });
    // The next key starts from the screen at rest.
    last = shown ? settled(window, seen) : seen;
    return shown;
  };
  ASSERT_TRUE(one_panel("choose_ball", true)) << game_->out();
  // Forward to "Shoot", then Delete back at each step: each undone step
  // clears its choice, so each panel goes back to where it last stood.
  // Every key but the last Delete and the arrow moves the panel, so no
  // check can pass on the frame before its key took effect; back at
  // "Choose ball" nothing is chosen: an arrow chooses, and Enter goes on.
  const struct {
    const char* key;
    const char* name;  // the step it leads to, for a failure's frames
    bool moves;
  } steps[] = {
      {"Return", "choose_pocket", true},
      {"Return", "shoot", true},
      {"Delete", "choose_pocket_from_shoot", true},
      {"Delete", "choose_ball_from_choose_pocket", true},
      {"Delete", "choose_ball_kept", false},  // the turn began there
      {"Right", "choose_ball_again", false},
      {"Return", "choose_pocket_again", true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    ASSERT_TRUE(testing_support::send_keys(window, step.key));
    EXPECT_TRUE(one_panel(step.name, step.moves));
  }
  EXPECT_EQ(program_output::gl_error_lines(game_->err()), "");
}

}  // namespace
