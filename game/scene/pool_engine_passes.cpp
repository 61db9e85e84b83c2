// PoolEngine: the game's render scenes — sky, balls, cue and room — and the
// drawing of their passes. Every pass runs inside a RenderProcess that saves
// the attribute state around it (its default mask), so the state a pass sets
// ends with it.
#include <array>

#include "game/app/pool_engine.h"
#include "render/gl.h"
#include "render/glsl_programs.h"
#include "render/view_volume.h"

namespace {

// The wrap of the ball pictures: mirrored in t (across the poles), repeated
// in s (around the equator); for the texture bound now.
void ball_texture_wrap() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
}

void blend_over() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void untextured() {
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
}

RenderProcess pass(std::string name, unsigned int layer, std::function<void()> draw) {
  RenderProcess p;
  p.name = std::move(name);
  p.layer = layer;
  p.draw = std::move(draw);
  return p;
}

}  // namespace

std::array<float, 3> PoolEngine::camera_position() const {
  const Vec3& p = mouse_look().coord_sys().position();
  return {p[0], p[1], p[2]};
}

int PoolEngine::init_scenes() {
  // The engine's own scenes first: "vbos", "dialogs", "ortho_dialogs".
  if (const int r = BasicEngine::init_scenes()) return r;
  if (const int r = init_sky()) return r;
  if (const int r = init_balls_scene()) return r;
  cue.init();
  RenderProcess cue_pass = pass("cue stick", 0, [this] {
    if (!cue_stick_visible()) return;
    const std::array<float, 3> eye = camera_position();
    cue.set_observer(eye.data(), nullptr);
    cue.draw();
  });
  cue_pass.push_matrix = 1;
  scenes()["cue_stick"] += cue_pass;
  return init_room_scene();
}

int PoolEngine::init_sky() {
  starfield.init(5000, {1.0f, 3.0f, 0.0f}, {0.8f, 0.8f, 0.8f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f});
  RenderScene& sky = scenes()["sky"];
  auto eye = [this] { return camera_position(); };
  sky += starfield.render_stars(eye);
  sky += starfield.render_atm(eye);
  return 0;
}

int PoolEngine::init_ball_program() {
  ball_program =
      init_vbo_program("ball", static_cast<unsigned int>(lights().size()), "",
                       "gl_Position = ftransform()", "gl_TexCoord[0] = gl_MultiTexCoord0.xy",
                       "-normalize(vtx_temp)", "", "", "glsl", false, false);
  return ball_program == 0 ? 1 : 0;
}

int PoolEngine::init_balls_scene() {
  if (init_ball_program() != 0) return 1;
  RenderScene& scene = scenes()["balls"];
  RenderProcess balls_pass = pass("balls", 0, [this] { draw_balls(); });
  balls_pass.program = ball_program;
  scene += balls_pass;
  RenderProcess selected = pass("selected ball", 1, [this] { draw_selected_ball(); });
  selected.before = [] {
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    blend_over();
  };
  scene += selected;
  return 0;
}

int PoolEngine::init_room_scene() {
  RenderScene& room = scenes()["room"];
  room += pass("table", 0, [this] {
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const std::array<float, 3> eye = camera_position();
    table.set_observer(eye.data(), nullptr);
    const bool chosen = selected_ball >= 0 && selected_pocket >= 0;
    for (std::size_t k = 0; k < table.pockets.size(); ++k)
      table.pockets[k].highlighted = chosen && static_cast<std::size_t>(selected_pocket) == k;
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    table.draw_pockets();
    glEnable(GL_CULL_FACE);
    table.draw_walls();
  });
  room += pass("table model", 0, [this] {
    glEnable(GL_LIGHTING);
    untextured();
    glDisable(GL_CULL_FACE);
    table.model.render_opaque(true);
  });
  room += pass("room model", 0, [this] {
    glEnable(GL_LIGHTING);
    untextured();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    models["room"].render(true, 2);
  });
  room += pass("furniture", 0, [this] { draw_furniture(true); });
  room += pass("screen", 0, [this] {
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, monitor_texture());
    models["screen"].render_opaque(false);
    untextured();
  });
  room += pass("room model, transparent", 1, [this] {
    blend_over();
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    models["room"].render_transparent(true);
  });
  room += pass("furniture, transparent", 1, [this] { draw_furniture(false); });
  room += pass("table model, transparent", 2, [this] {
    untextured();
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    blend_over();
    glEnable(GL_CULL_FACE);
    for (GLenum face : {GL_FRONT, GL_BACK}) {
      glCullFace(face);
      table.model.render_transparent(true);
    }
  });
  room += pass("aim guide", 4, [this] {
    if (can_shoot() && aim_guide.hit) aim_guide.draw();
  });
  return 0;
}

void PoolEngine::render_game_scenes() {
  auto draw = [this](const char* name, long long layer) {
    auto it = scenes().find(name);
    if (it == scenes().end()) return;
    if (layer < 0)
      it->second.render();
    else
      it->second.render_layer(static_cast<unsigned int>(layer));
    // Each scene's work goes to the driver at once rather than at the end of
    // the frame: a renderer that sorts a frame's triangles before it fills
    // them (Mesa's llvmpipe, on threads of its own) fills this scene while
    // the next one is still being sent.
    glFlush();
  };
  draw("sky", -1);
  draw("balls", 0);
  draw("cue_stick", -1);
  for (int layer = 0; layer <= 4; ++layer) draw("room", layer);
  draw("balls", 1);
}

void PoolEngine::draw_balls() {
  glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glEnable(GL_NORMALIZE);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
  const Vec3 eye = to_vec3(camera_position().data());
  for (Ball& ball : balls) {
    if (ball.selected) continue;
    // A ball wholly beside, behind or beyond the view makes no pixel.
    if (outside_view_volume(ball.position, ball.radius)) continue;
    const float distance = norm(ball.position - eye);
    ball.draw_with([&] {
      if (ball.texture != 0) ball_texture_wrap();
      ball_renderer.render_distance(distance);
    });
  }
}

void PoolEngine::draw_selected_ball() {
  glEnable(GL_CULL_FACE);
  const std::array<float, 3> eye = camera_position();
  for (Ball& ball : balls) ball.set_observer(eye.data(), nullptr);
  const Vec3 at = to_vec3(eye.data());
  for (Ball& ball : balls) {
    if (!ball.enable_update() || !ball.selected) continue;
    const float distance = norm(ball.position - at);
    ball.material.set_alpha(0.5f);
    ball.material.set_emiss(0.9f, 0.9f);
    ball.material.set_spec(1.0f, 1.0f, 100.0f);
    for (GLenum face : {GL_FRONT, GL_BACK}) {
      glCullFace(face);
      ball.draw_with([&] {
        if (ball.texture != 0) ball_texture_wrap();
        ball_renderer.render_distance(distance);
      });
    }
    ball.material.set_alpha(1.0f);
    ball.material.set_emiss(0.0f, 0.0f);
    ball.material.set_spec(1.0f, 1.0f, 50.0f);
  }
}

void PoolEngine::draw_furniture(bool opaque) {
  if (opaque) {
    glEnable(GL_LIGHTING);
    untextured();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
  } else {
    blend_over();
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
  }
  report_gl_errors("pre-furniture error ");

  // The four quadrants: as modelled, mirrored in z, in x and z, in x.
  constexpr std::array<std::array<float, 3>, 4> kSteps{
      {{1, 1, 1}, {1, 1, -1}, {-1, 1, 1}, {1, 1, -1}}};
  for (const auto& [key, model] : furniture) {
    const std::array<float, 3> centre = model.average_vertex();
    const OBJRenderer::Corners& corners = model.bounding_box_corners();
    std::array<float, 3> mirror{1, 1, 1};
    glPushMatrix();
    for (const std::array<float, 3>& step : kSteps) {
      glScalef(step[0], step[1], step[2]);
      for (int i = 0; i < 3; ++i) mirror[i] *= step[i];
      auto mirrored = [&mirror](const std::array<float, 3>& p) {
        return std::array<float, 3>{p[0] * mirror[0], p[1] * mirror[1], p[2] * mirror[2]};
      };
      bool seen = in_view(mirrored(centre), 0.0f);
      for (std::size_t c = 0; !seen && c < corners.size(); ++c)
        seen = in_view(mirrored(corners[c]), 0.0f);
      // A copy in front of the viewer but wholly beside, above, below or
      // beyond the view makes no pixel.
      if (!seen || outside_view_volume(corners.data(), corners.size())) continue;
      if (opaque)
        model.render_opaque(true);
      else
        model.render_transparent(true);
    }
    glPopMatrix();
  }
}

bool PoolEngine::cue_stick_visible() const {
  if (positional_control(1) && paused()) return true;
  const bool shot_running = rules && rules->shot_in_progress;
  const bool long_shot =
      !shot_wizard.active() && shot_running && gametime_queue().time() - shot_start_time >= 2.0;
  return !long_shot && shot_wizard.current_step_index() != 0;
}
