// The generated data folder: every file loads through the engine's readers
// without a warning, and holds the names, keys and sizes the game relies on.
#include "datagen/data_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "audio/waveform.h"
#include "core/strings.h"
#include "core/vector_math.h"
#include "datagen/icosphere.h"
#include "render/texture.h"

namespace datagen_test {
namespace {

namespace fs = std::filesystem;

std::string file_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Vec3 vertex(const OBJRenderer& m, unsigned long long i) {
  return {m.vertices()[3 * i], m.vertices()[3 * i + 1], m.vertices()[3 * i + 2]};
}

// Points spread over every triangle of the model's faces (corners, edge
// midpoints and inner points), for tests of where a model reaches.
std::vector<Vec3> surface_samples(const OBJRenderer& m, OBJRenderer::FaceList faces = {}) {
  if (faces.empty()) faces = m.default_face_indices({});
  std::vector<Vec3> out;
  const int n = 6;
  for (unsigned long long f : faces) {
    const OBJFace& face = m.faces()[f];
    for (std::size_t k = 1; k + 1 < face.v.size(); ++k) {
      const Vec3 a = vertex(m, face.v[0]), b = vertex(m, face.v[k]), c = vertex(m, face.v[k + 1]);
      for (int i = 0; i <= n; ++i)
        for (int j = 0; i + j <= n; ++j) {
          const float s = static_cast<float>(i) / n, t = static_cast<float>(j) / n;
          out.push_back(a + (b - a) * s + (c - a) * t);
        }
    }
  }
  return out;
}

// ---- Settings

TEST_F(DataFolderTest, SettingsSectionsLoadWithTheKeysTheGameReads) {
  struct Entry {
    const char* section;
    const char* key;
    const char* value;  // nullptr: any non-empty value
  };
  const Entry entries[] = {
      {"basic_engine", "autostart_newgame", "1"},
      {"basic_engine", "autostart_human_players", "0"},
      {"basic_engine", "autostart_ai_players", "2"},
      {"video_settings", "fullscreen", "0"},
      {"video_settings", "resolution", "1280x720"},
      {"controls", "look_sensitivity", nullptr},
      {"controls", "look_inversion", "0 0 0"},
      {"controls", "walk_accel", nullptr},
      {"controls", "show_control_hints", "1"},
      {"controls", "gamepad_model", "gamepad.ini"},
      {"controls", "gamepad_offset", "0 -0.1 -0.4"},
      {"audio_settings", "side_hit_files", "sidehit.wav"},
      {"audio_settings", "pocket_files", "pocket.wav"},
      {"audio_settings", "ball_hit_files", "ballhit.wav"},
      {"audio_settings", "cue_hit_files", "cuehit.wav"},
      {"audio_settings", "bg_files", "bg-00.wav bg-01.wav bg-02.wav bg-03.wav"},
      {"audio_settings", "bg_on", "1"},
      {"audio_settings", "effects_on", "1"},
      {"audio_settings", "effects_volume", nullptr},
      {"audio_settings", "music_volume", nullptr},
      {"menu_audio_settings", "menu_arrow_sound", nullptr},
      {"menu_audio_settings", "menu_select_sound", nullptr},
      {"pool_objects", "room_model", nullptr},
      {"pool_objects", "table_model", nullptr},
      {"pool_objects", "cue_stick_model", nullptr},
      {"room_model", "screen_object", "Screen_Cube.019"},
      {"room_model", "point_lights_objects", nullptr},
  };
  EngineSettings s = settings();
  testing_support::OutputCapture capture;
  for (const Entry& e : entries) {
    ASSERT_EQ(s.load_section(e.section), 0) << e.section;
    ASSERT_EQ(s.contains(e.key, e.section), 1) << e.section << " " << e.key;
    const std::string value = s[e.section][e.key].str();
    if (e.value)
      EXPECT_EQ(value, e.value) << e.section << " " << e.key;
    else
      EXPECT_NE(value, "") << e.section << " " << e.key;
  }
  EXPECT_EQ(capture.err(), "");
}

TEST_F(DataFolderTest, FurnitureKeysNameABenchAChairAndAStool) {
  const ProgramCfg objects = cfg("pool_objects");
  std::set<std::string> kinds;
  for (const auto& [key, field] : objects.fields())
    for (const char* word : {"bench", "chair", "stool"})
      if (key.find(word) != std::string::npos) kinds.insert(word);
  EXPECT_EQ(kinds, (std::set<std::string>{"bench", "chair", "stool"}));
}

// ---- Models

TEST_F(DataFolderTest, EveryDescribedModelLoadsWithItsMaterials) {
  std::vector<std::string> descriptions{"gamepad.ini"};
  const ProgramCfg objects = cfg("pool_objects");
  for (const auto& [key, field] : objects.fields()) descriptions.push_back(field.str());
  ASSERT_EQ(descriptions.size(), 7u);
  for (const std::string& d : descriptions) {
    const OBJRenderer model = load_model(d);
    EXPECT_GT(model.faces().size(), 0u) << d;
    for (const OBJFace& f : model.faces()) {
      ASSERT_TRUE(model.have_material(f.material_name)) << d << " " << f.material_name;
      ASSERT_EQ(f.vn.size(), f.v.size()) << d;
      ASSERT_EQ(f.vt.size(), f.v.size()) << d;
    }
    // Normals are unit vectors and face the way the corners wind.
    for (const OBJFace& f : model.faces()) {
      const Vec3 geometric = f.normal(model.vertices());
      const Vec3 stored{model.normals()[3 * f.vn[0]], model.normals()[3 * f.vn[0] + 1],
                        model.normals()[3 * f.vn[0] + 2]};
      ASSERT_NEAR(norm(stored), 1.0f, 1e-4f) << d;
      ASSERT_GT(dot(geometric, stored), 0.0f) << d << " face of " << f.object_name;
    }
  }
}

TEST_F(DataFolderTest, IcospheresAreUnitSpheresThatGrowPerLevel) {
  const EngineSettings s = settings();
  for (int level = 1; level <= 6; ++level) {
    SCOPED_TRACE(level);
    char name[40];
    std::snprintf(name, sizeof name, "icosphere/icosphere-%02d.obj", level);
    const std::string path = s.find_model(name);
    ASSERT_NE(path, "");
    OBJRenderer m;
    testing_support::OutputCapture capture;
    ASSERT_EQ(m.load(path), 0);
    EXPECT_EQ(capture.err(), "");
    const unsigned long long split = 1ull << (2 * (level - 1));
    EXPECT_EQ(m.num_vertices(), 10 * split + 2);
    EXPECT_EQ(m.faces().size(), 20 * split);
    for (unsigned long long i = 0; i < m.num_vertices(); ++i) {
      const Vec3 p = vertex(m, i);
      ASSERT_NEAR(norm(p), 1.0f, 2e-6f);
      const Vec3 n{m.normals()[3 * i], m.normals()[3 * i + 1], m.normals()[3 * i + 2]};
      ASSERT_NEAR(norm(n), 1.0f, 2e-6f);
      ASSERT_GT(dot(n, p), 0.9999f);
    }
    for (const OBJFace& f : m.faces()) {
      ASSERT_EQ(f.v.size(), 3u);
      const Vec3 a = vertex(m, f.v[0]), b = vertex(m, f.v[1]), c = vertex(m, f.v[2]);
      // Counter-clockwise seen from outside.
      ASSERT_GT(dot(cross(b - a, c - a), a + b + c), 0.0f);
      // The texture coordinates follow the ball pictures' mapping and never
      // span the seam: no triangle smears the picture across it.
      float low = 10, high = -10;
      for (int k = 0; k < 3; ++k) {
        const float u = m.tex_coords()[3 * f.vt[k]], v = m.tex_coords()[3 * f.vt[k] + 1];
        low = std::min(low, u), high = std::max(high, u);
        const Vec3 p = vertex(m, f.v[k]);
        ASSERT_NEAR(v, datagen::sphere_uv(p)[1], 1e-5f);
        // Off the poles, u is the vertex's longitude (up to a whole turn).
        if (p[0] != 0.0f || p[2] != 0.0f) {
          ASSERT_LT(std::fabs(std::remainder(u - datagen::sphere_uv(p)[0], 1.0f)), 1e-5f);
        }
      }
      ASSERT_LT(high - low, 0.5f);
    }
    // From the first subdivision on, vertices on the seam carry two
    // coordinates.
    if (level > 1) {
      EXPECT_GT(m.tex_coords().size() / 3, m.num_vertices());
    }
  }
}

TEST_F(DataFolderTest, RoomEnclosesTheIntroPathAndHoldsTheObjectsTheGameLooksUp) {
  const OBJRenderer room = load_model(cfg("pool_objects")["room_model"].str());
  const auto bounds = room.lower_upper_bounds();
  EXPECT_NEAR(bounds[0][1], -1.2f, 0.05f);
  EXPECT_NEAR(bounds[1][1], 2.8f, 0.05f);
  EXPECT_LE(bounds[0][0], -6.5f);
  EXPECT_GE(bounds[1][0], 6.5f);
  EXPECT_LE(bounds[0][2], -5.0f);
  EXPECT_GE(bounds[1][2], 5.0f);

  // The intro carries the viewer along two cubic Bezier segments through
  // three waypoints; the whole path stays half a metre inside the walls.
  const std::array<Vec3, 3> w{{{-1.5f, 1.2f, -1.0f}, {-5.0f, -0.2f, -1.0f}, {-1.7f, 0.205f, 0}}};
  const std::array<Vec3, 3> t{{{0, 0, 0}, {-0.3f, -0.1f, 0.5f}, {0, 0, 0}}};
  const float k = 6.25f;
  for (int i = 0; i < 2; ++i)
    for (int step = 0; step <= 100; ++step) {
      const float s = step / 100.0f;
      const Vec3 p1 = w[i] + t[i] * k, p2 = w[i + 1] - t[i + 1] * k;
      const Vec3 p = w[i] * ((1 - s) * (1 - s) * (1 - s)) + p1 * (3 * s * (1 - s) * (1 - s)) +
                     p2 * (3 * s * s * (1 - s)) + w[i + 1] * (s * s * s);
      for (int a = 0; a < 3; ++a) {
        ASSERT_GT(p[a], bounds[0][a] + 0.5f) << "segment " << i << " at " << s;
        ASSERT_LT(p[a], bounds[1][a] - 0.5f) << "segment " << i << " at " << s;
      }
    }

  // The screen: faces with texture coordinates spanning the picture.
  const ProgramCfg section = cfg("room_model");
  const OBJRenderer::FaceList screen = room.filter_faces(section["screen_object"].str(), "", "", 0);
  ASSERT_FALSE(screen.empty());
  float u_low = 10, u_high = -10;
  for (unsigned long long f : screen)
    for (unsigned long long vt : room.faces()[f].vt) {
      ASSERT_LT(vt, room.tex_coords().size() / 3);
      u_low = std::min(u_low, room.tex_coords()[3 * vt]);
      u_high = std::max(u_high, room.tex_coords()[3 * vt]);
    }
  EXPECT_EQ(u_low, 0.0f);
  EXPECT_EQ(u_high, 1.0f);

  // The lamps: every listed object has faces, in up to 8 separate panels
  // (one light each) below the ceiling.
  std::size_t clusters = 0;
  const std::vector<std::string> names = split(section["point_lights_objects"].str(), "");
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    const OBJRenderer::FaceList faces = room.filter_faces(name, "", "", 0);
    ASSERT_FALSE(faces.empty()) << name;
    const OBJRenderer lamps = room.from_faces(faces);
    clusters += lamps.faces_in_radius(1.0f).size();
    for (unsigned long long f : faces)
      EXPECT_GT(room.material(room.faces()[f]).material().emission()[0], 0.5f) << name;
  }
  EXPECT_GE(clusters, 1u);
  EXPECT_LE(clusters, 8u);

  // Where the player may walk: the listed volumes and no other, unseen (fully
  // transparent), holding where start-up and the intro's end put the viewer.
  const std::vector<std::string> volumes = split(section["player_volume_objects"].str(), "");
  ASSERT_FALSE(volumes.empty());
  std::vector<std::string> objects;
  for (const std::string& object : room.unique_objects({}, false))
    if (object.rfind("player_volume_", 0) == 0) objects.push_back(object.substr(14));
  EXPECT_EQ(std::set<std::string>(objects.begin(), objects.end()),
            std::set<std::string>(volumes.begin(), volumes.end()));
  const auto inside = [&](const Vec3& p) {
    for (const std::string& name : volumes) {
      OBJRenderer box = room.from_faces(room.filter_faces("player_volume_" + name, "", "", 0));
      const auto b = box.calc_lower_upper_bounds({});
      if (p[0] > b[0][0] && p[0] < b[1][0] && p[1] > b[0][1] && p[1] < b[1][1] && p[2] > b[0][2] &&
          p[2] < b[1][2])
        return true;
    }
    return false;
  };
  for (const std::string& name : volumes)
    for (unsigned long long f : room.filter_faces("player_volume_" + name, "", "", 0))
      EXPECT_EQ(room.material(room.faces()[f]).material().alpha(), 0.0f) << name;
  EXPECT_TRUE(inside({0.0f, 0.3f, 2.0f}));
  EXPECT_TRUE(inside(w[2]));
  EXPECT_FALSE(inside({0.0f, 0.3f, 0.0f}));  // the table
}

TEST_F(DataFolderTest, TableFrameStaysOutOfTheBoxAndClearOfThePockets) {
  const OBJRenderer table = load_model(cfg("pool_objects")["table_model"].str());
  const Vec3 h{0.9f, 0.225f, 0.45f};
  const Vec3 c = h + Vec3{0.001f, 0.001f, 0.001f};
  std::vector<Vec3> pockets;
  for (float sx : {-1.0f, 1.0f})
    for (float sy : {-1.0f, 1.0f})
      for (float sz : {-1.0f, 1.0f}) {
        pockets.push_back({sx * c[0], sy * c[1], sz * c[2]});
        if (sx > 0) pockets.push_back({0, sy * c[1], sz * c[2]});
      }
  ASSERT_EQ(pockets.size(), 12u);
  std::array<bool, 12> edges_reached{};
  for (const Vec3& p : surface_samples(table)) {
    const bool inside = std::fabs(p[0]) < h[0] && std::fabs(p[1]) < h[1] && std::fabs(p[2]) < h[2];
    ASSERT_FALSE(inside) << p[0] << " " << p[1] << " " << p[2];
    for (const Vec3& pocket : pockets)
      ASSERT_GE(norm(p - pocket), 0.0909251f) << p[0] << " " << p[1] << " " << p[2];
    // Which of the 12 box edges this point lies along, within 8 cm.
    int e = 0;
    for (int axis = 0; axis < 3; ++axis) {
      const int b = (axis + 1) % 3, d = (axis + 2) % 3;
      for (float sb : {-1.0f, 1.0f})
        for (float sd : {-1.0f, 1.0f}) {
          if (std::fabs(p[axis]) < h[axis] && std::fabs(p[b] - sb * h[b]) < 0.08f &&
              std::fabs(p[d] - sd * h[d]) < 0.08f)
            edges_reached[e] = true;
          ++e;
        }
    }
  }
  for (bool reached : edges_reached) EXPECT_TRUE(reached);
  // Legs stand on the floor.
  EXPECT_NEAR(table.lower_upper_bounds()[0][1], -1.2f, 0.02f);
}

TEST_F(DataFolderTest, CueRunsAlongZFromButtToTipWithATipMaterialOfItsOwn) {
  const OBJRenderer cue = load_model(cfg("pool_objects")["cue_stick_model"].str());
  const auto bounds = cue.lower_upper_bounds();
  EXPECT_FLOAT_EQ(bounds[0][2], 0.0f);
  EXPECT_FLOAT_EQ(bounds[1][2], 0.9144f);
  float butt = 0, tip = 0;
  std::set<std::string> tip_materials, shaft_materials;
  for (unsigned long long i = 0; i < cue.num_vertices(); ++i) {
    const Vec3 p = vertex(cue, i);
    const float r = std::hypot(p[0], p[1]);
    if (p[2] == 0.0f) butt = std::max(butt, r);
    if (p[2] == 0.9144f) tip = std::max(tip, r);
  }
  EXPECT_NEAR(butt, 0.0127f, 1e-5f);
  EXPECT_NEAR(tip, 0.0065f, 1e-5f);
  // The faces at the tip's end and those short of the ferrule.
  for (const OBJFace& f : cue.faces()) {
    float high = 0;
    for (unsigned long long v : f.v) high = std::max(high, vertex(cue, v)[2]);
    if (high == 0.9144f) tip_materials.insert(f.material_name);
    if (high < 0.89f) shaft_materials.insert(f.material_name);
  }
  ASSERT_EQ(tip_materials.size(), 1u);
  EXPECT_EQ(shaft_materials.count(*tip_materials.begin()), 0u);
}

TEST_F(DataFolderTest, FurnitureStandsInOneQuadrantAwayFromTheTable) {
  const OBJRenderer room = load_model(cfg("pool_objects")["room_model"].str());
  const auto walls = room.lower_upper_bounds();
  for (const char* piece : {"bench", "chair", "stool"}) {
    const OBJRenderer m = load_model(cfg("pool_objects")[piece].str());
    const auto b = m.lower_upper_bounds();
    EXPECT_GT(b[0][0], 0.0f) << piece;
    EXPECT_GT(b[0][2], 0.0f) << piece;
    // At least a metre from the table frame, whose outside is within
    // (1.0, 0.55) of the centre.
    EXPECT_GT(std::max(b[0][0] - 1.0f, b[0][2] - 0.55f), 1.0f) << piece;
    EXPECT_NEAR(b[0][1], walls[0][1], 0.01f) << piece;
    EXPECT_LT(b[1][0], walls[1][0]) << piece;
    EXPECT_LT(b[1][2], walls[1][2]) << piece;
  }
}

// Seen from outside the room (where nothing keeps the viewer from going in a
// headset), two faces in one plane flicker through each other: only the
// room's shell lies in its walls, floor and ceiling; the fittings and the
// furniture stand off them.
TEST_F(DataFolderTest, OnlyTheShellLiesInTheRoomsWallsFloorAndCeiling) {
  const OBJRenderer room = load_model(cfg("pool_objects")["room_model"].str());
  const auto shell = room.lower_upper_bounds();
  const auto in_shell_plane = [&shell](const OBJRenderer& m, const OBJFace& face) {
    for (int a = 0; a < 3; ++a)
      for (int side = 0; side < 2; ++side) {
        bool all = true;
        for (unsigned long long v : face.v) all = all && vertex(m, v)[a] == shell[side][a];
        if (all) return true;
      }
    return false;
  };
  const std::set<std::string> shell_objects{"walls", "ceiling", "floor"};
  for (const OBJFace& face : room.faces())
    if (!shell_objects.count(face.object_name))
      EXPECT_FALSE(in_shell_plane(room, face)) << face.object_name;
  for (const char* piece : {"bench", "chair", "stool"}) {
    const OBJRenderer m = load_model(cfg("pool_objects")[piece].str());
    for (const OBJFace& face : m.faces()) EXPECT_FALSE(in_shell_plane(m, face)) << piece;
  }
}

TEST_F(DataFolderTest, GamepadHasAnObjectForEveryPart) {
  const ProgramCfg description = cfg("gamepad.ini");
  EXPECT_NE(description["obj_file"].str().find("gamepad_v1"), std::string::npos);
  const OBJRenderer pad = load_model("gamepad.ini");
  const std::set<std::string> objects = pad.unique_objects({}, false);
  for (const char* part :
       {"A_button", "B_button", "X_button", "Y_button", "A_label", "B_label", "X_label", "Y_label",
        "L1_button", "R1_button", "L2_button", "R2_button", "Start_button", "Back_button",
        "Power_button", "D_pad", "L_thumb", "R_thumb", "Body"})
    EXPECT_EQ(objects.count(part), 1u) << part;
}

// ---- Pictures

TEST_F(DataFolderTest, PicturesDecodeAtTheirSizes) {
  struct Expected {
    std::string file;
    unsigned width, height;
    bool transparent_corner;
  };
  std::vector<Expected> expected;
  for (int n = 0; n < 16; ++n)
    expected.push_back({"Ball" + std::to_string(n) + ".png", 512, 256, false});
  expected.push_back({"solid_felt_4.png", 0, 0, false});
  expected.push_back({"tlv-transp.png", 0, 0, true});
  expected.push_back({"merv-banner.png", 0, 0, false});
  expected.push_back({"merivane(R)-ecl-transp.png", 0, 0, true});
  for (const char* hint : {"gamepad_A", "gamepad_B", "gamepad_X", "gamepad_Y", "gamepad_Dpad",
                           "gamepad_Start", "gamepad_L_thumb", "gamepad_R_thumb", "keyboard_Enter",
                           "keyboard_Esc", "keyboard_arrows", "keyboard_WSAD", "mouse"})
    expected.push_back({std::string("controls/") + hint + ".png", 0, 0, true});
  const EngineSettings s = settings();
  testing_support::OutputCapture capture;
  for (const Expected& e : expected) {
    const std::string path = s.find_texture(e.file);
    ASSERT_NE(path, "") << e.file;
    Texture t;
    ASSERT_EQ(t.load_png(path, false, false, true), 0) << e.file;
    if (e.width) {
      EXPECT_EQ(t.width(), e.width) << e.file;
      EXPECT_EQ(t.height(), e.height) << e.file;
    }
    EXPECT_GT(t.width() * t.height(), 64u * 64u) << e.file;
    // Rows are bottom first after loading: byte 3 is the bottom-left alpha.
    ASSERT_EQ(t.bytes_per_pixel(), Texture::kRGBA) << e.file;
    EXPECT_EQ(t.pixels()[3] == 0, e.transparent_corner) << e.file;
  }
  EXPECT_EQ(capture.err(), "");
}

TEST_F(DataFolderTest, BallPicturesCarryTheirColoursAndNumbers) {
  // Colour of a ball picture at (u, v), v = 0 at the bottom row.
  auto sample = [](const Texture& t, float u, float v) {
    const unsigned x = static_cast<unsigned>(u * t.width()),
                   y = static_cast<unsigned>(v * t.height());
    const unsigned char* p = &t.pixels()[4 * (std::size_t(y) * t.width() + x)];
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  auto whitish = [](std::array<int, 3> c) { return c[0] > 220 && c[1] > 220 && c[2] > 200; };
  const std::array<std::array<int, 3>, 8> colours{{{250, 199, 15},
                                                   {15, 51, 184},
                                                   {214, 18, 18},
                                                   {92, 31, 143},
                                                   {250, 112, 13},
                                                   {10, 122, 51},
                                                   {122, 15, 26},
                                                   {10, 10, 11}}};
  for (int n = 0; n < 16; ++n) {
    SCOPED_TRACE(n);
    Texture t;
    ASSERT_EQ(t.load_png(settings().find_texture("Ball" + std::to_string(n) + ".png"), false, false,
                         true),
              0);
    // Pole and the number's disc side on: white for the cue ball and stripes.
    const std::array<int, 3> pole = sample(t, 0.5f, 0.95f), band = sample(t, 0.5f, 0.5f);
    if (n == 0) {
      EXPECT_TRUE(whitish(pole));
      EXPECT_TRUE(whitish(band));
      continue;
    }
    const std::array<int, 3> colour = colours[(n - 1) % 8];
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(band[i], colour[i], 2);
    if (n > 8)
      EXPECT_TRUE(whitish(pole));
    else
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(pole[i], colour[i], 2);
    // The number's disc is white at its rim on both sides, the digits dark.
    for (float u : {0.25f, 0.75f}) {
      EXPECT_TRUE(whitish(sample(t, u + 30.0f / 512, 0.5f)));
      int dark = 0;
      for (int dx = -12; dx <= 12; ++dx)
        for (int dy = -14; dy <= 14; ++dy) {
          const auto c = sample(t, u + dx / 512.0f, 0.5f + dy / 256.0f);
          dark += c[0] + c[1] + c[2] < 150;
        }
      EXPECT_GT(dark, 40);
    }
  }
}

// ---- Sounds

TEST_F(DataFolderTest, SoundsAreMonoPcm16WavFilesUnderTheirSettingNames) {
  std::vector<std::string> names;
  const ProgramCfg audio = cfg("audio_settings");
  for (const char* key :
       {"side_hit_files", "pocket_files", "ball_hit_files", "cue_hit_files", "bg_files"})
    for (const std::string& name : split(audio[key].str(), "")) names.push_back(name);
  const ProgramCfg menu = cfg("menu_audio_settings");
  for (const auto& [key, field] : menu.fields())
    if (key.find("_gain") == std::string::npos) names.push_back(field.str());
  ASSERT_EQ(names.size(), 10u);
  const EngineSettings s = settings();
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string path = s.find_sound(name);
    ASSERT_NE(path, "");
    const std::string bytes = file_bytes(path);
    ASSERT_GE(bytes.size(), 44u);
    auto u16 = [&](std::size_t at) {
      return unsigned(static_cast<unsigned char>(bytes[at])) |
             unsigned(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(4), bytes.size() - 8);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16u);
    EXPECT_EQ(u16(20), 1u);      // PCM
    EXPECT_EQ(u16(22), 1u);      // mono
    EXPECT_EQ(u32(24), 22050u);  // frames per second
    EXPECT_EQ(u32(28), 44100u);  // bytes per second
    EXPECT_EQ(u16(32), 2u);      // bytes per frame
    EXPECT_EQ(u16(34), 16u);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(u32(40), bytes.size() - 44);
    const double seconds = (bytes.size() - 44) / 44100.0;
    EXPECT_GT(seconds, 0.05);
    // Effects are short, music tracks long enough to be tracks.
    if (name.rfind("bg-", 0) == 0)
      EXPECT_GT(seconds, 10.0);
    else
      EXPECT_LT(seconds, 1.0);
    // The samples are not silent.
    int peak = 0;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2)
      peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(u16(at)))));
    EXPECT_GT(peak, 8000);
  }
}

TEST_F(DataFolderTest, SoundsLoadThroughTheEngineWavReader) {
  const EngineSettings s = settings();
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(root() + "sounds"))
    files.push_back(entry.path().filename().string());
  ASSERT_EQ(files.size(), 10u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    Waveform wave;
    testing_support::OutputCapture capture;
    ASSERT_EQ(wave.load(s.find_sound(file), true, false, false), 0);
    EXPECT_EQ(capture.err(), "");
    EXPECT_EQ(wave.channel_samples().size(), 1u);
    EXPECT_EQ(wave.sample_rate(), 22050u);
    EXPECT_EQ(wave.al_format(), 0x1101);  // AL_FORMAT_MONO16
    EXPECT_EQ(wave.samples().size() * 2 + 44, fs::file_size(root() + "sounds/" + file));
    EXPECT_GT(wave.duration(), 0.05);
  }
}

// ---- The folder as a whole

TEST_F(DataFolderTest, TwoRunsWriteTheSameBytesWithinTheSizeBudget) {
  testing_support::TempDataRoot second;
  const datagen::GeneratedFiles again = datagen::generate_data(second.path().string());
  ASSERT_EQ(again.error, "");
  std::uintmax_t total = 0;
  std::set<std::string> listed(again.files.begin(), again.files.end());
  std::set<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root())) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), root()).string();
    found.insert(relative);
    total += entry.file_size();
    ASSERT_EQ(file_bytes(entry.path()), file_bytes(second.path() / relative)) << relative;
  }
  EXPECT_EQ(found, listed);
  EXPECT_LT(total, 15u * 1024 * 1024);
}

}  // namespace
}  // namespace datagen_test
