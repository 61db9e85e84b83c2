// PoolEngine: the start-up once OpenGL is up — the "controls" settings, the
// camera, the models loaded in the background, the ball textures and
// renderer, the screen atom and the scenes' periodic events.
#include <array>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "engine/controller_tutorial.h"
#include "game/app/pool_engine.h"
#include "render/gl.h"
#include "render/primitives.h"

namespace {

const char* const kControls = "controls";
const char* const kRoomModel = "room_model";
// The most lights the room's lamps take.
constexpr int kRoomLights = 8;

// Every pending OpenGL error as "8: main() Error <code>(<text>)", at most 32
// (without a context some drivers report an error on every call).
void report_startup_gl_errors() {
  for (int n = 0; n < 32; ++n) {
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR) return;
    std::cerr << "8: main() Error " << code << "(" << gl_error_string(code) << ")" << std::endl;
  }
}

// The intro's timeline runs on the real-time clock from the first frame on.
// The first frames also finish what start-up loads in the background (the
// models' buffers and the pictures' mipmaps are made on the main thread),
// which on a slow machine takes seconds: started at once, the intro would
// pass its logos unseen behind them. It starts at the second frame that
// finds no load left.
void intro_when_loaded(PoolEngine& engine, int quiet_frames) {
  constexpr double kNextFrame = 1e-3;
  engine.enqueue(
      [&engine, quiet_frames] {
        const bool quiet = engine.loads_in_flight() == 0 && engine.loads_handed_over() == 0;
        const int frames = quiet ? quiet_frames + 1 : 0;
        if (frames >= 2)
          engine.intro();
        else
          intro_when_loaded(engine, frames);
      },
      kNextFrame, nullptr);
}

}  // namespace

bool PoolEngine::furniture_key(const std::string& key) {
  for (const char* word : {"bench", "chair", "stool"})
    if (key.find(word) != std::string::npos) return true;
  return false;
}

int PoolEngine::init_post_glew() {
  if (const int r = BasicEngine::init_post_glew()) return r;
  if (ControllerTutorial* tutorial = controller_tutorial()) {
    if (const int r = tutorial->init(false))
      std::cerr << "Error " << r << " in controller_tutorial_.init()" << std::endl;
  }
  enqueue_periodic([this] { update_ball_highlights(); }, 0.1, 0.0, -1.0, nullptr);

  init_controls();

  camera().init(60.0f, 0.0f);
  if (!hmd_control()) {
    mouse_look().up_axis(1);
    std::cerr << "Debug B: init_camera()" << std::endl;
    const float eye[3] = {0.0f, 0.3f, 2.0f};
    const float origin[3] = {0.0f, 0.0f, 0.0f};
    mouse_look().coord_sys().look_at(eye, origin, nullptr, false);
    walking().position() = {eye[0], eye[1], eye[2]};
  }

  EngineSettings& cfg = settings();
  cfg.load_section(kRoomModel);
  ProgramCfg& room = cfg[kRoomModel];
  if (!room.contains("screen_object")) room["screen_object"] = "Screen_Cube.019";
  if (!room.contains("point_lights_objects")) room["point_lights_objects"] = "point_lights";

  const auto& [room_key, table_key, cue_key] = kSceneModelKeys;
  load_obj_async(models["room"], room_key, kPoolObjects, false, [this] { room_model_loaded(); });
  load_furniture();
  load_obj_async(table.model, table_key, kPoolObjects, true, {});
  load_obj_async(cue.model, cue_key, kPoolObjects, true, {});

  load_ball_textures();
  build_screen_atom();
  report_startup_gl_errors();
  menus.build_menus();
  add_dialog(cue.label.get());

  build_ball_renderer();
  bind_keys();

  enqueue_periodic([this] { update_cue_pointer(); }, 1.0 / 24.0, 0.0, -1.0, nullptr);
  enqueue_periodic([this] { update_pointer_source(); }, 0.5, 0.0, -1.0, nullptr);
  enqueue_periodic([this] { update_key_hints(); }, 1.0 / 36.0, 0.0, -1.0, nullptr);
  window().focus();

  table.model_name = [this](unsigned int level) { return ball_model_name(level); };
  table.init();
  // Pausing waits for the intro's end.
  pause_allowed(false);
  intro_when_loaded(*this, 0);

  enqueue_periodic(
      [this] {
        if (auto* hints = dynamic_cast<ControllerTutorialPool*>(controller_tutorial()))
          hints->update_hints();
      },
      0.5, 0.0, -1.0, nullptr);
  aim_guide.init_buffers();
  enqueue_aim_guide_updates();

  return init_scenes();
}

void PoolEngine::init_controls() {
  EngineSettings& cfg = settings();
  // A missing or unreadable file counts as an empty one: the defaults are
  // applied and written like missing keys.
  cfg.load_section(kControls);
  ProgramCfg& controls = cfg[kControls];
  if (controls.contains("look_sensitivity")) {
    std::array<float, 3> speed{};
    if (controls.read("look_sensitivity", &speed))
      mouse_look().set_rot_speed(speed[0], speed[1], speed[2]);
  } else {
    controls["look_sensitivity"] = mouse_look().get_rot_speed();
  }
  std::array<bool, 3> inverted = mouse().inverted();
  if (!controls.contains("look_inversion"))
    controls["look_inversion"] = inverted;
  else if (controls.read("look_inversion", &inverted))
    mouse().set_inversion(inverted);
  // An int as atoi reads it: a word is 0, the tips off.
  if (!controls.contains("show_control_hints")) controls["show_control_hints"] = "1";
  if (ControllerTutorial* tutorial = controller_tutorial())
    tutorial->enable(controls.flag("show_control_hints", true));
  cfg.save_section(kControls, true);
}

void PoolEngine::room_model_loaded() {
  OBJRenderer& room = models["room"];
  room.excluded_objects().clear();
  const std::string screen_name = settings()[kRoomModel]["screen_object"].str();
  OBJRenderer& screen = models["screen"];
  screen = room.from_faces(room.filter_faces(screen_name, "", "", 0));
  // The room's lamps become the engine's lights (at most eight), and its
  // walkable boxes the player volumes.
  enqueue(
      [this] {
        load_obj_lighting(kRoomLights, models["room"], settings()[kRoomModel], 1.0f, 1.0f, 0.2f);
      },
      0.0, nullptr);
  enqueue([this] { load_player_volume(models["room"], settings()[kRoomModel]); }, 0.0, nullptr);
  screen.included_objects().push_back(screen_name);
  screen.default_material_vaos(true);
  screen.included_objects().clear();
}

void PoolEngine::load_furniture() {
  EngineSettings& cfg = settings();
  if (cfg.contains(kPoolObjects, "basic_engine") == 0) cfg.load_section(kPoolObjects);
  // The keys first: the section gains no key while the loads start.
  std::vector<std::string> keys;
  for (const auto& [key, value] : cfg[kPoolObjects].fields())
    if (furniture_key(key)) keys.push_back(key);
  for (const std::string& key : keys) load_obj_async(furniture[key], key, kPoolObjects, true, {});
}

std::string PoolEngine::ball_model_file(unsigned int level) {
  char name[48];
  std::snprintf(name, sizeof name, "icosphere/icosphere-%02u.obj", level);
  return name;
}

std::string PoolEngine::ball_model_name(unsigned int level) const {
  return settings().find_model(ball_model_file(level));
}

int PoolEngine::load_ball_textures() {
  return ball_textures.load(settings(), table.felt,
                            [this](Texture& texture, const std::string& name) {
                              return load_tex(texture, name, true, {});
                            });
}

int PoolEngine::build_ball_renderer() {
  // The engine's shapes at their detail ranges: the walls' quads and the
  // pockets' spheres among them.
  construct();
  cue.init();
  const float radius = Ball().radius;
  ball_renderer.set_render_detail(6, 0.45f, 1);
  for (unsigned int level = 1; level <= 6; ++level) {
    // A missing level is named here, once, by where it was looked for; the
    // balls and the pockets (Table::build_pocket_renderer) go without it.
    const std::string file = ball_model_name(level);
    if (file.empty())
      std::cerr << "PoolEngine::build_ball_renderer(): file '"
                << settings().path_in(settings().models_folder(), ball_model_file(level))
                << "' not found" << std::endl;
    else
      ball_geometry.files[level] = file;
  }
  ball_geometry.transform.scale = {radius, radius, radius};
  ball_renderer.distance_function(&DetailRenderer::log2_distance2detail);
  ball_renderer.generator(ball_geometry);
  return ball_renderer.construct_all_detail();
}

void PoolEngine::build_screen_atom() {
  Quad quad;
  quad.construct(1);
  // The quad spans -0.5 to 0.5: three units high, the frame's aspect wide.
  const std::array<int, 2>& size = render_size();
  const float aspect = size[1] > 0 ? float(size[0]) / float(size[1]) : 16.0f / 9.0f;
  const float sx = 3.0f * aspect;
  const float sy = 3.0f;
  std::vector<float> vertices = quad.vertices();
  for (std::size_t i = 0; i + 2 < vertices.size(); i += 3) {
    vertices[i] *= sx;
    vertices[i + 1] *= sy;
  }
  CoordinateSystem pose;
  const float from[3] = {-5.0f, 2.0f, 0.0f};
  const float to[3] = {0.0f, 0.5f, 0.0f};
  pose.look_at(from, to, nullptr, false);
  vertices = pose.local2global(vertices);
  std::vector<float> normals = quad.normals();
  const std::size_t n = normals.size() / 3;
  pose.local2global_rotation(normals.data(), normals.data(), static_cast<unsigned>(n));
  const std::vector<float> points = Quad::to_triangles(vertices, 3, 0);
  const std::vector<float> directions = Quad::to_triangles(normals, 3, 0);
  const std::vector<float> tex = Quad::to_triangles(quad.tex_coords(), 2, 0);
  VAO vao;
  vao.construct(points, directions, tex, 0, 1, 2, 3, 3, 2);
  Material material;
  material.set_amb(0.0f, 1.0f);
  material.set_spec(0.0f, 0.0f, 0.0f);
  material.set_color(1.0f, 1.0f, 1.0f, 1.0f);
  screen_atom = RenderAtom(vao, TextureGL(0), material);
  screen_molecule.atoms().clear();
  screen_molecule += screen_atom;
}

void PoolEngine::update_ball_highlights() {
  for (std::size_t i = 0; i < balls.size(); ++i) {
    bool selected;
    if (rules && rules->shot_in_progress && rules->block_strike_while_running)
      selected = false;
    else if (rules && positional_control(1) && !rules->current_player().computer)
      selected = false;
    else
      selected = selected_ball >= 0 && selected_pocket >= 0 &&
                 static_cast<std::size_t>(selected_ball) == i;
    balls[i].selected = selected ? 1 : 0;
  }
}

void PoolEngine::update_cue_pointer() {
  cue_pointer = cue.coord_sys();
  cue_pointer.invert_zhat();
}

void PoolEngine::update_pointer_source() {
  std::vector<CoordinateSystem*>& pointers = pointer_coordsys();
  if (!positional_control(1) && !mouse().hidden()) {
    if (!have_pointer_coordsys(&mouse_pointer())) {
      pointers.clear();
      pointers.push_back(&mouse_pointer());
    }
  } else if (positional_control(1)) {
    if (!have_pointer_coordsys(&cue_pointer)) {
      pointers.clear();
      pointers.push_back(&cue_pointer);
    }
  }
}

void PoolEngine::update_key_hints() {
  // Left as they are otherwise: the overlay pass draws them only while a
  // menu is up or a human's shot waits.
  if (!awaiting_human_input() || positional_control(1)) return;
  // While a stroke the Shoot button asked for is on its way no dialog takes
  // input (the one it hid stays hidden): the placement hides every picture.
  menus.place_control_hints();
}

void PoolEngine::update_aim_guide() {
  const bool computer_shot = rules && rules->shot_in_progress && rules->current_player().computer;
  aim_guide.tick(!computer_shot);
}

void PoolEngine::enqueue_aim_guide_updates() {
  enqueue_periodic([this] { update_aim_guide(); }, aim_guide.min_interval, 0.0, -1.0, nullptr);
}
