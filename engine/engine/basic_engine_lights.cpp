// BasicEngine: the fixed-function lights, a default rig or lamps taken from
// the objects of a model, sent to OpenGL once a drawing.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/program_cfg.h"
#include "engine/basic_engine.h"
#include "models/obj_renderer.h"
#include "render/gl.h"

namespace {

// The default rig: four lights above the corners of a 6 m square.
constexpr std::array<std::array<float, 3>, 4> kRigPositions{
    {{-3.0f, 2.0f, 3.0f}, {-3.0f, 2.0f, -3.0f}, {3.0f, 2.0f, 3.0f}, {3.0f, 2.0f, -3.0f}}};

// The list under key cut or padded with `fallback` to n entries.
std::vector<float> per_name(const ProgramCfg& cfg, const std::string& key, std::size_t n,
                            float fallback) {
  std::vector<float> values = cfg.contains(key) ? cfg[key].vec<float>() : std::vector<float>{};
  values.resize(n, fallback);
  return values;
}

// The clusters of a lamp's faces: each seed face with the faces within the
// radius of it that no earlier cluster holds, so every face lies in exactly
// one cluster and a lone face is a lamp of its own.
std::vector<OBJRenderer::FaceList> lamp_clusters(const OBJRenderer& lamp, float radius) {
  const std::size_t n = lamp.faces().size();
  std::vector<char> marks(n, 0);
  std::vector<OBJRenderer::FaceList> clusters;
  for (std::size_t seed = 0; seed < n; ++seed) {
    if (marks[seed] != 0) continue;
    OBJRenderer::FaceList cluster{seed};
    marks[seed] = 1;
    const OBJRenderer::FaceList near = lamp.faces_in_radius(seed, radius, marks.data());
    cluster.insert(cluster.end(), near.begin(), near.end());
    clusters.push_back(std::move(cluster));
  }
  return clusters;
}

}  // namespace

void BasicEngine::init_lights(int n) {
  GLint max_lights = 0;
  glGetIntegerv(GL_MAX_LIGHTS, &max_lights);
  const int count = std::clamp(n, 0, static_cast<int>(max_lights));

  lights_.clear();
  glEnable(GL_LIGHTING);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  glDisable(GL_NORMALIZE);
  glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 0.0f);

  // Half strength at 0.5 times the first light's distance from the origin,
  // taken as a 4-vector with w = 1.
  const auto& first = kRigPositions[0];
  const float length =
      std::sqrt(first[0] * first[0] + first[1] * first[1] + first[2] * first[2] + 1.0f);
  const float quadratic = (0.5f / length) * (0.5f / length);
  const Color4 white{1.0f, 1.0f, 1.0f, 1.0f};
  for (int i = 0; i < count; ++i) {
    kLight light(GL_LIGHT0 + i, false);
    light.enable_gl();
    if (i < static_cast<int>(kRigPositions.size())) {
      const auto& p = kRigPositions[static_cast<std::size_t>(i)];
      light.set_position(p[0], p[1], p[2]);
    } else {
      light.set_position(0.0f, 0.0f, 0.0f);
    }
    light.set_color(white, 1.0f, 0.2f);
    light.attenuation() = {0.0f, 0.0f, quadratic};
    light.apply_attenuation_gl();
    lights_.push_back(light);
  }
}

int BasicEngine::load_obj_lighting(int max_lights, OBJRenderer& model, ProgramCfg& cfg,
                                   float brightness, float radius, float ambient) {
  // Read through the const table, so missing keys are not added to it.
  const ProgramCfg& section = cfg;
  const std::vector<std::string> names = section.contains("point_lights_objects")
                                             ? section["point_lights_objects"].vec<std::string>()
                                             : std::vector<std::string>{};
  const std::vector<float> brightnesses =
      per_name(section, "point_lights_brightnesses", names.size(), brightness);
  const std::vector<float> radii = per_name(section, "point_lights_radii", names.size(), radius);
  const std::vector<float> ambients =
      per_name(section, "point_lights_ambient", names.size(), ambient);

  struct Lamp {
    OBJRenderer part;
    std::vector<OBJRenderer::FaceList> clusters;
  };
  std::vector<Lamp> lamps;
  std::size_t candidates = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    Lamp lamp{model.from_faces(model.filter_faces(names[i], "", "", 0)), {}};
    lamp.clusters = lamp_clusters(lamp.part, radii[i]);
    candidates += lamp.clusters.size();
    lamps.push_back(std::move(lamp));
  }
  const long long n = std::min<long long>(max_lights, static_cast<long long>(candidates));
  if (n <= 0) return 1;
  if (static_cast<long long>(lights_.size()) < n) init_lights(static_cast<int>(n));

  std::size_t next = 0;
  for (std::size_t i = 0; i < lamps.size(); ++i) {
    for (const OBJRenderer::FaceList& cluster : lamps[i].clusters) {
      if (next >= lights_.size()) return 0;
      kLight& light = lights_[next++];
      light.set_position(lamps[i].part.average_face_position(cluster).data());
      // A larger lamp fades faster, a brighter one slower. A brightness
      // that gives no usable attenuation (0, negative, not a number) is a
      // dark lamp rather than a GL error.
      float quadratic = lamps[i].part.total_face_area(cluster) / brightnesses[i];
      if (!(quadratic >= 0.0f) || !std::isfinite(quadratic))
        quadratic = std::numeric_limits<float>::max();
      light.attenuation() = {0.0f, 0.0f, quadratic};
      for (std::size_t c = 0; c < 4; ++c) light.ambient()[c] = light.color()[c] * ambients[i];
      light.apply_colors_gl();
      light.apply_attenuation_gl();
    }
  }
  return 0;
}

void BasicEngine::apply_lighting() const {
  for (const kLight& light : lights_) {
    light.enable_gl();
    light.apply_pos_gl();
  }
}
