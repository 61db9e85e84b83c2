// Full-screen game modes of the window: mode strings, probing and detection.
#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "core/files.h"
#include "input/window.h"
#include "platform/glut_guard.h"

namespace glut_guard = platform::glut_guard;

namespace {

// Sizes common among displays, tried in every pairing by detect_game_modes.
constexpr int kCommonSizes[] = {
    128,  144,  152,  160,  168,  176,  192,  200,  208,  212,  224,  234,  240,  250,  256,  270,
    272,  288,  300,  320,  340,  342,  348,  350,  352,  360,  364,  384,  390,  400,  416,  480,
    500,  512,  540,  544,  576,  600,  624,  640,  720,  750,  768,  800,  832,  848,  854,  864,
    900,  960,  1000, 1024, 1050, 1080, 1120, 1125, 1136, 1152, 1200, 1280, 1334, 1366, 1392, 1400,
    1440, 1504, 1536, 1600, 1620, 1680, 1700, 1728, 1776, 1792, 1800, 1824, 1856, 1920, 2000, 2048,
    2100, 2160, 2256, 2304, 2400, 2436, 2538, 2560, 2732, 2736, 2800, 2880, 2960, 3000, 3072, 3200,
    3440, 3840, 4096, 4320, 4500, 4608, 4800, 5120, 6400, 7680, 8192, 10240};

// Widths and heights, each in this order, tried by init_game_modes.
constexpr int kFixedSizes[] = {640,  720,  768,  800,  854,  848,  900,  960,  1024, 1080, 1280,
                               1360, 1366, 1440, 1536, 1600, 1680, 1920, 2048, 2160, 4096};

void log_modes(const std::string& text, const std::string& file) {
  log(text, "kwindow", file, true);
}

}  // namespace

std::string kWindow::game_mode_string() const {
  return game_mode_string(static_cast<unsigned int>(resolution_[0]),
                          static_cast<unsigned int>(resolution_[1]));
}

std::string kWindow::game_mode_string(unsigned int w, unsigned int h) {
  return std::to_string(w) + "x" + std::to_string(h);
}

std::array<int, 2> kWindow::game_mode_resolution(const std::string& mode) {
  const std::size_t x = mode.find('x');
  if (x == std::string::npos) {
    const int n = std::atoi(mode.c_str());
    return {n, n};
  }
  return {std::atoi(mode.substr(0, x).c_str()), std::atoi(mode.substr(x + 1).c_str())};
}

bool kWindow::fits_on_screen(const std::string& mode) {
  const std::array<int, 2> screen = glut_guard::screen_size();
  if (screen[0] <= 0 || screen[1] <= 0) return true;
  const std::array<int, 2> size = game_mode_resolution(mode);
  return size[0] <= screen[0] && size[1] <= screen[1];
}

std::array<int, 2> kWindow::set_game_mode(const std::string& mode) {
  resolution_ = game_mode_resolution(mode);
  if (glut_guard::initialised()) glutGameModeString(mode.c_str());
  return resolution_;
}

bool kWindow::freeglut_mode_possible(const std::string& mode) {
  if (!glut_guard::initialised()) return false;
  glutGameModeString(mode.c_str());
  return glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) == 1;
}

void kWindow::mode_probe(ModeProbe probe) {
  mode_probe_ = probe ? std::move(probe) : ModeProbe(freeglut_mode_possible);
}

bool kWindow::add_screen_mode_if_none() {
  if (!game_modes_.empty()) return false;
  const std::array<int, 2> screen = glut_guard::screen_size();
  if (screen[0] <= 0 || screen[1] <= 0) return false;
  game_modes_.push_back(game_mode_string(unsigned(screen[0]), unsigned(screen[1])));
  return true;
}

void kWindow::init_game_modes(bool from_screen) {
  std::vector<int> widths, heights;
  if (from_screen) {
    const std::array<int, 2> screen = glut_guard::screen_size();
    for (double factor : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
      widths.push_back(static_cast<int>(screen[0] * factor));
      heights.push_back(static_cast<int>(screen[1] * factor));
    }
  } else {
    widths.assign(std::begin(kFixedSizes), std::end(kFixedSizes));
    heights = widths;
  }
  for (int w : widths) {
    for (int h : heights) {
      if (w <= 0 || h <= 0) continue;  // an unknown screen
      const std::string mode = game_mode_string(unsigned(w), unsigned(h));
      std::cout << "Testing " << mode << "...";
      if (mode_probe_(mode)) {
        game_modes_.push_back(mode);
        std::cout << "SUCCESS";
      } else {
        std::cout << "FAILED";
      }
      std::cout << std::endl;
    }
  }
  add_screen_mode_if_none();
  if (game_modes_.empty()) {
    std::cerr << "Error, no valid resolutions detected" << std::endl;
    return;
  }
  const std::string& mode = game_modes_.back();
  std::cout << "Choosing display mode " << mode << std::endl;
  resolution_ = game_mode_resolution(mode);
  std::cout << "size: " << resolution_[0] << "," << resolution_[1] << std::endl;
  if (glut_guard::initialised()) glutGameModeString(mode.c_str());
  refresh_scale_factor();
}

std::vector<std::string> kWindow::detect_game_modes(bool match_aspect, std::string log_file) {
  const std::array<int, 2> screen = glut_guard::screen_size();
  const float aspect = float(screen[0]) / float(screen[1]);
  std::vector<int> sizes{screen[0], screen[1]};
  sizes.insert(sizes.end(), std::begin(kCommonSizes), std::end(kCommonSizes));
  sizes.insert(sizes.end(), {screen[0], screen[1]});
  log_modes("detect_game_modes() Detecting screen resolutions", log_file);

  log_modes("detect_game_modes() Sorting screen resolutions", log_file);
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  // An unknown screen (before glutInit) has size 0: no mode of it.
  sizes.erase(sizes.begin(), std::upper_bound(sizes.begin(), sizes.end(), 0));
  std::string detected = "detect_game_modes() Detected screen resolutions: ";
  for (int size : sizes) detected += std::to_string(size) + ", ";
  log_modes(detected, log_file);

  std::vector<std::array<int, 2>> pairs;
  for (int w : sizes)
    for (int h : sizes)
      if (!match_aspect || std::fabs(float(w) / float(h) - aspect) <= aspect * 0.001f)
        pairs.push_back({w, h});
  for (const auto& [w, h] : pairs) {
    const std::string mode = game_mode_string(unsigned(w), unsigned(h));
    log_modes("detect_game_modes() Querying " + mode + "... ", log_file);
    std::cout << "Querying " << mode << "...";
    const bool possible = mode_probe_(mode);
    if (possible) game_modes_.push_back(mode);
    std::cout << (possible ? "success" : "failed") << std::endl;
    log_modes(
        std::string("detect_game_modes()") + " Mode " + mode + (possible ? " success" : " failed"),
        log_file);
  }

  log_modes("detect_game_modes() Finding unique game modes", log_file);
  std::vector<std::string> unique;
  for (const std::string& mode : game_modes_)
    if (std::find(unique.begin(), unique.end(), mode) == unique.end()) unique.push_back(mode);
  game_modes_ = std::move(unique);
  if (game_modes_.empty()) {
    // The desktop runs at the screen's size and shows a window of any size
    // that fits on it: those sizes count, in the same order, so the screen's
    // own size is the last.
    for (const auto& [w, h] : pairs)
      if (w <= screen[0] && h <= screen[1])
        game_modes_.push_back(game_mode_string(unsigned(w), unsigned(h)));
    if (!game_modes_.empty())
      log_modes("detect_game_modes() No mode answered: the sizes that fit on the screen, up to " +
                    game_modes_.back(),
                log_file);
  }
  std::string found = "detect_game_modes() Found game modes: ";
  for (const std::string& mode : game_modes_) found += mode + ", ";
  log_modes(found, log_file);
  return game_modes_;
}
