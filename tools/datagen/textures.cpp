// Drawing of every picture the game loads.
#include "datagen/textures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <pcg_random.hpp>

namespace datagen {

namespace {

const RGBA kTransparent = rgb(0, 0, 0, 0);
const RGBA kIvory = rgb(0.97f, 0.96f, 0.91f);
const RGBA kInk = rgb(0.07f, 0.07f, 0.08f);

RGBA scale(const RGBA& c, float f) {
  return {c.r * f, c.g * f, c.b * f, c.a};
}

// A ball with a soft highlight, as an emblem.
void glossy_ball(Canvas& c, Point centre, float r, const RGBA& colour) {
  c.fill(
      centre.x - r, centre.y - r, centre.x + r, centre.y + r,
      [&](Point p) { return circle_distance(p, centre, r); },
      [&](Point p) {
        const float dx = (p.x - centre.x) / r + 0.35f, dy = (p.y - centre.y) / r + 0.4f;
        const float light = std::clamp(1.0f - 0.55f * std::sqrt(dx * dx + dy * dy), 0.2f, 1.0f);
        return scale(colour, 0.35f + 0.75f * light);
      });
  c.circle({centre.x - 0.35f * r, centre.y - 0.4f * r}, 0.16f * r, rgb(1, 1, 1, 0.75f));
}

// A dark disc in front of a glowing ring: the maker's eclipse.
void eclipse(Canvas& c, Point centre, float r) {
  for (int k = 6; k >= 1; --k)
    c.circle(centre, r * (1.0f + 0.09f * k), rgb(1.0f, 0.75f, 0.3f, 0.09f));
  c.circle(centre, r * 1.02f, rgb(1.0f, 0.86f, 0.5f));
  c.circle({centre.x + 0.1f * r, centre.y - 0.06f * r}, r * 0.97f, rgb(0.05f, 0.05f, 0.09f));
}

// A key cap: a darker base with the lighter top face raised on it.
void key_cap(Canvas& c, Point lo, Point hi, const std::string& label, float text_height) {
  const float r = std::min(hi.x - lo.x, hi.y - lo.y) * 0.16f;
  c.rounded_rect(lo, hi, r, rgb(0.18f, 0.18f, 0.2f));
  const float inset = std::min(hi.x - lo.x, hi.y - lo.y) * 0.07f;
  c.rounded_rect({lo.x + inset, lo.y + inset * 0.6f}, {hi.x - inset, hi.y - inset * 1.9f}, r * 0.8f,
                 rgb(0.93f, 0.93f, 0.95f));
  if (!label.empty())
    c.text(label, {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2 - inset * 0.65f}, text_height,
           rgb(0.12f, 0.12f, 0.14f), 1.0f);
}

// An arrow head pointing along (dx, dy), centred on the point.
void arrow(Canvas& c, Point centre, float size, float dx, float dy, const RGBA& colour) {
  const float px = -dy, py = dx;
  c.polygon({{centre.x + dx * size * 0.6f, centre.y + dy * size * 0.6f},
             {centre.x - dx * size * 0.45f + px * size * 0.55f,
              centre.y - dy * size * 0.45f + py * size * 0.55f},
             {centre.x - dx * size * 0.45f - px * size * 0.55f,
              centre.y - dy * size * 0.45f - py * size * 0.55f}},
            colour);
}

void face_button(Canvas& c, const std::string& letter, const RGBA& colour) {
  const Point centre{64, 64};
  c.circle(centre, 58, rgb(0.05f, 0.05f, 0.06f, 0.95f));
  c.circle(centre, 52, rgb(0.16f, 0.16f, 0.18f));
  c.ring(centre, 52, 4, colour);
  c.circle({52, 50}, 20, rgb(1, 1, 1, 0.08f));
  c.text(letter, centre, 50, colour, 1.25f);
}

void thumb_stick(Canvas& c, const std::string& letter) {
  const Point centre{64, 64};
  c.circle(centre, 60, rgb(0.05f, 0.05f, 0.06f, 0.95f));
  c.circle(centre, 54, rgb(0.22f, 0.22f, 0.25f));
  c.circle(centre, 40, rgb(0.12f, 0.12f, 0.13f));
  c.ring(centre, 32, 3, rgb(0.3f, 0.3f, 0.33f));
  for (int k = 0; k < 4; ++k) {
    const float dx = k == 0 ? 1.0f : k == 1 ? -1.0f : 0.0f;
    const float dy = k == 2 ? 1.0f : k == 3 ? -1.0f : 0.0f;
    arrow(c, {centre.x + dx * 47, centre.y + dy * 47}, 11, dx, dy, rgb(0.85f, 0.85f, 0.88f));
  }
  c.text(letter, centre, 30, rgb(0.92f, 0.92f, 0.95f), 1.2f);
}

}  // namespace

RGBA ball_colour(int n) {
  static const std::array<RGBA, 8> colours{
      rgb(0.98f, 0.78f, 0.06f),  // 1 yellow
      rgb(0.06f, 0.2f, 0.72f),   // 2 blue
      rgb(0.84f, 0.07f, 0.07f),  // 3 red
      rgb(0.36f, 0.12f, 0.56f),  // 4 purple
      rgb(0.98f, 0.44f, 0.05f),  // 5 orange
      rgb(0.04f, 0.48f, 0.2f),   // 6 green
      rgb(0.48f, 0.06f, 0.1f),   // 7 maroon
      rgb(0.04f, 0.04f, 0.045f)  // 8 black
  };
  if (n <= 0) return kIvory;
  return colours[static_cast<std::size_t>((n - 1) % 8)];
}

Picture ball_picture(int n) {
  const int w = 512, h = 256;
  const bool stripe = n >= 9;
  Canvas c(w, h, n == 0 || stripe ? kIvory : ball_colour(n));
  if (stripe) {
    // Latitudes within 30 degrees of the equator.
    const float half_band = h * 30.0f / 180.0f;
    c.fill(
        0, h / 2.0f - half_band, w, h / 2.0f + half_band,
        [&](Point p) { return std::fabs(p.y - h / 2.0f) - half_band; }, ball_colour(n));
  }
  if (n > 0) {
    const std::string number = std::to_string(n);
    for (float x : {w * 0.25f, w * 0.75f}) {
      const Point centre{x, h / 2.0f};
      c.circle(centre, 35, kIvory);
      const float height = number.size() > 1 ? 30.0f : 36.0f;
      c.text(number, {x, h / 2.0f - (n == 6 || n == 9 ? 3.0f : 0.0f)}, height, kInk, 1.15f);
      if (n == 6 || n == 9) c.capsule({x - 7, h / 2.0f + 19}, {x + 7, h / 2.0f + 19}, 2.2f, kInk);
    }
  }
  return {"Ball" + std::to_string(n) + ".png", c, false};
}

Picture felt_picture() {
  const int size = 256;
  Canvas c(size, size, rgb(0, 0, 0));
  const TileNoise cloud(11, 8, 4), fibre(12, 64, 2);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float f = 0.9f + 0.12f * cloud(u, v) + 0.1f * fibre(u, v);
      c.at(x, y) = rgb(0.07f * f, 0.42f * f, 0.2f * f);
    }
  }
  return {"solid_felt_4.png", c, false};
}

Picture product_logo_picture() {
  Canvas c(512, 192, kTransparent);
  glossy_ball(c, {92, 92}, 62, ball_colour(8));
  c.circle({92, 92}, 24, kIvory);
  c.text("8", {92, 92}, 26, kInk, 1.2f);
  c.text("TALVORIN", {318, 80}, 56, rgb(1.0f, 0.84f, 0.38f), 1.3f, rgb(0.1f, 0.06f, 0.02f, 0.95f),
         4.0f);
  c.text("BILLIARDS IN SPACE", {318, 150}, 18, rgb(0.95f, 0.95f, 0.97f), 1.1f,
         rgb(0.05f, 0.05f, 0.08f, 0.9f), 2.5f);
  return {"tlv-transp.png", c, true};
}

Picture maker_logo_picture() {
  Canvas c(512, 192, kTransparent);
  eclipse(c, {88, 96}, 54);
  c.text("MERIVANE", {316, 96}, 50, rgb(0.96f, 0.96f, 0.98f), 1.2f);
  // The registered mark: a small circled R.
  const Point mark{492, 52};
  c.ring(mark, 11, 2.2f, rgb(0.96f, 0.96f, 0.98f));
  c.text("R", mark, 11, rgb(0.96f, 0.96f, 0.98f), 1.0f);
  return {"merivane(R)-ecl-transp.png", c, true};
}

Picture maker_banner_picture() {
  const int w = 768, h = 160;
  Canvas c(w, h, rgb(0, 0, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float t = static_cast<float>(y) / h, s = static_cast<float>(x) / w;
      c.at(x, y) = mix(rgb(0.06f, 0.08f, 0.2f), rgb(0.22f, 0.08f, 0.26f), 0.6f * t + 0.4f * s);
    }
  eclipse(c, {96, 80}, 46);
  c.text("MERIVANE", {440, 64}, 52, rgb(0.97f, 0.97f, 0.99f), 1.2f);
  c.text("WWW.MERIVANE.COM", {440, 124}, 18, rgb(1.0f, 0.84f, 0.5f), 1.0f);
  return {"merv-banner.png", c, false};
}

const std::vector<std::string>& hint_names() {
  static const std::vector<std::string> names{
      "keyboard_Esc",  "keyboard_WSAD",   "keyboard_Enter", "keyboard_arrows", "mouse",
      "gamepad_A",     "gamepad_B",       "gamepad_X",      "gamepad_Y",       "gamepad_Dpad",
      "gamepad_Start", "gamepad_L_thumb", "gamepad_R_thumb"};
  return names;
}

std::vector<Picture> hint_pictures() {
  std::vector<Picture> out;
  auto add = [&](const std::string& name, Canvas c) {
    out.push_back({"controls/" + name + ".png", std::move(c), true});
  };
  {
    Canvas c(128, 128, kTransparent);
    key_cap(c, {8, 14}, {120, 118}, "ESC", 30);
    add("keyboard_Esc", c);
  }
  {
    Canvas c(192, 128, kTransparent);
    key_cap(c, {68, 4}, {124, 62}, "W", 26);
    key_cap(c, {8, 66}, {64, 124}, "A", 26);
    key_cap(c, {68, 66}, {124, 124}, "S", 26);
    key_cap(c, {128, 66}, {184, 124}, "D", 26);
    add("keyboard_WSAD", c);
  }
  {
    Canvas c(192, 128, kTransparent);
    key_cap(c, {8, 14}, {184, 118}, "ENTER", 28);
    add("keyboard_Enter", c);
  }
  {
    Canvas c(192, 128, kTransparent);
    const std::array<std::array<float, 4>, 4> keys{
        {{68, 4, 0, -1}, {8, 66, -1, 0}, {68, 66, 0, 1}, {128, 66, 1, 0}}};
    for (const auto& k : keys) {
      key_cap(c, {k[0], k[1]}, {k[0] + 56, k[1] + 58}, "", 0);
      arrow(c, {k[0] + 28, k[1] + 26}, 24, k[2], k[3], rgb(0.12f, 0.12f, 0.14f));
    }
    add("keyboard_arrows", c);
  }
  {
    Canvas c(128, 128, kTransparent);
    c.rounded_rect({30, 6}, {98, 122}, 32, rgb(0.1f, 0.1f, 0.12f));
    c.rounded_rect({34, 10}, {94, 118}, 29, rgb(0.9f, 0.9f, 0.93f));
    c.capsule({64, 12}, {64, 54}, 1.5f, rgb(0.35f, 0.35f, 0.4f));
    c.capsule({35, 54}, {93, 54}, 1.5f, rgb(0.35f, 0.35f, 0.4f));
    c.capsule({64, 22}, {64, 40}, 5.0f, rgb(0.3f, 0.3f, 0.34f));
    add("mouse", c);
  }
  for (const auto& [letter, colour] :
       std::vector<std::pair<std::string, RGBA>>{{"A", rgb(0.3f, 0.85f, 0.3f)},
                                                 {"B", rgb(0.95f, 0.25f, 0.2f)},
                                                 {"X", rgb(0.25f, 0.5f, 1.0f)},
                                                 {"Y", rgb(1.0f, 0.82f, 0.15f)}}) {
    Canvas c(128, 128, kTransparent);
    face_button(c, letter, colour);
    add("gamepad_" + letter, c);
  }
  {
    Canvas c(128, 128, kTransparent);
    const RGBA edge = rgb(0.05f, 0.05f, 0.06f, 0.95f), body = rgb(0.2f, 0.2f, 0.23f);
    c.rounded_rect({40, 4}, {88, 124}, 8, edge);
    c.rounded_rect({4, 40}, {124, 88}, 8, edge);
    c.rounded_rect({45, 9}, {83, 119}, 5, body);
    c.rounded_rect({9, 45}, {119, 83}, 5, body);
    c.circle({64, 64}, 9, rgb(0.14f, 0.14f, 0.16f));
    const RGBA mark = rgb(0.85f, 0.85f, 0.88f);
    arrow(c, {64, 26}, 20, 0, -1, mark);
    arrow(c, {64, 102}, 20, 0, 1, mark);
    arrow(c, {26, 64}, 20, -1, 0, mark);
    arrow(c, {102, 64}, 20, 1, 0, mark);
    add("gamepad_Dpad", c);
  }
  {
    Canvas c(192, 96, kTransparent);
    c.rounded_rect({6, 14}, {186, 82}, 34, rgb(0.05f, 0.05f, 0.06f, 0.95f));
    c.rounded_rect({11, 19}, {181, 77}, 29, rgb(0.2f, 0.2f, 0.23f));
    c.text("START", {96, 48}, 26, rgb(0.92f, 0.92f, 0.95f), 1.1f);
    add("gamepad_Start", c);
  }
  {
    Canvas c(128, 128, kTransparent);
    thumb_stick(c, "L");
    add("gamepad_L_thumb", c);
  }
  {
    Canvas c(128, 128, kTransparent);
    thumb_stick(c, "R");
    add("gamepad_R_thumb", c);
  }
  return out;
}

std::vector<Picture> model_pictures() {
  std::vector<Picture> out;
  {
    // Mahogany with its grain along u.
    const int size = 256;
    Canvas c(size, size, rgb(0, 0, 0));
    const TileNoise grain(21, 4, 4), fleck(22, 32, 2);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
        const float wave = std::sin((v * 18.0f + 2.5f * grain(u * 0.25f, v)) * 6.2831853f);
        const float f = 0.82f + 0.1f * wave + 0.12f * fleck(u, v);
        c.at(x, y) = rgb(0.42f * f, 0.16f * f, 0.08f * f);
      }
    out.push_back({"wood.png", c, false});
  }
  {
    // Oak planks: eight rows per tile, each with its own shade and joint.
    const int size = 512;
    Canvas c(size, size, rgb(0, 0, 0));
    const TileNoise grain(31, 4, 4), fleck(32, 64, 2);
    pcg32 rng(33);
    std::array<float, 8> shade, joint;
    for (int k = 0; k < 8; ++k) {
      shade[k] = 0.85f + 0.3f * static_cast<float>(rng() % 1000) / 1000.0f;
      joint[k] = static_cast<float>(rng() % 1000) / 1000.0f;
    }
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
        const int row = std::min(7, static_cast<int>(v * 8));
        const float in_row = v * 8 - row;
        const float along = std::fmod(u + joint[row] + 1.0f, 1.0f);
        const float wave = std::sin((v * 60.0f + 3.0f * grain(u, v)) * 6.2831853f);
        float f = shade[row] * (0.86f + 0.07f * wave + 0.1f * fleck(u, v));
        if (in_row < 0.03f || in_row > 0.97f || along < 0.006f) f *= 0.45f;
        c.at(x, y) = rgb(0.66f * f, 0.46f * f, 0.27f * f);
      }
    out.push_back({"floor.png", c, false});
  }
  {
    // A deep red rug with gold borders and a centre medallion.
    const int w = 512, h = 256;
    Canvas c(w, h, rgb(0.42f, 0.05f, 0.07f));
    const RGBA gold = rgb(0.85f, 0.66f, 0.3f), navy = rgb(0.08f, 0.1f, 0.25f);
    c.rounded_rect({10, 10}, {w - 10.0f, h - 10.0f}, 4, navy);
    c.rounded_rect({22, 22}, {w - 22.0f, h - 22.0f}, 4, gold);
    c.rounded_rect({28, 28}, {w - 28.0f, h - 28.0f}, 4, rgb(0.42f, 0.05f, 0.07f));
    for (int k = 0; k < 24; ++k) {
      const float x = 40 + k * (w - 80.0f) / 23.0f;
      c.circle({x, 16}, 3, gold);
      c.circle({x, h - 16.0f}, 3, gold);
    }
    c.polygon({{w / 2.0f, 60},
               {w / 2.0f + 120, h / 2.0f},
               {w / 2.0f, h - 60.0f},
               {w / 2.0f - 120, h / 2.0f}},
              navy);
    c.polygon({{w / 2.0f, 74},
               {w / 2.0f + 96, h / 2.0f},
               {w / 2.0f, h - 74.0f},
               {w / 2.0f - 96, h / 2.0f}},
              gold);
    c.circle({w / 2.0f, h / 2.0f}, 26, rgb(0.42f, 0.05f, 0.07f));
    out.push_back({"rug.png", c, false});
  }
  {
    // A still life: a rack of balls on green cloth.
    Canvas c(256, 192, rgb(0.05f, 0.3f, 0.16f));
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 256; ++x) {
        const float d = std::hypot(x - 128.0f, y - 96.0f) / 160.0f;
        c.at(x, y) = scale(rgb(0.07f, 0.4f, 0.2f), 1.1f - 0.6f * d);
      }
    int n = 1;
    for (int row = 0; row < 5; ++row)
      for (int k = 0; k <= row; ++k, ++n) {
        const Point p{150.0f + row * 17.0f, 96.0f + (k - row / 2.0f) * 19.5f};
        glossy_ball(c, p, 9.5f, ball_colour(n == 5 ? 8 : n == 8 ? 5 : n));
      }
    glossy_ball(c, {60, 96}, 9.5f, kIvory);
    out.push_back({"painting_1.png", c, false});
  }
  {
    // An evening landscape.
    Canvas c(256, 192, rgb(0, 0, 0));
    for (int y = 0; y < 192; ++y)
      for (int x = 0; x < 256; ++x)
        c.at(x, y) = mix(rgb(0.12f, 0.16f, 0.42f), rgb(0.98f, 0.62f, 0.3f), y / 130.0f);
    c.circle({170, 104}, 22, rgb(1.0f, 0.9f, 0.6f));
    c.polygon(
        {{0, 192}, {0, 120}, {50, 88}, {105, 128}, {150, 100}, {210, 132}, {256, 110}, {256, 192}},
        rgb(0.16f, 0.12f, 0.2f));
    c.polygon({{0, 192}, {0, 150}, {90, 128}, {180, 152}, {256, 140}, {256, 192}},
              rgb(0.08f, 0.07f, 0.1f));
    out.push_back({"painting_2.png", c, false});
  }
  return out;
}

std::vector<Picture> texture_pictures() {
  std::vector<Picture> out;
  for (int n = 0; n < 16; ++n) out.push_back(ball_picture(n));
  out.push_back(felt_picture());
  out.push_back(product_logo_picture());
  out.push_back(maker_banner_picture());
  out.push_back(maker_logo_picture());
  for (Picture& p : hint_pictures()) out.push_back(std::move(p));
  return out;
}

}  // namespace datagen
