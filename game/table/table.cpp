// The table's geometry: walls, pockets, observer and pocket renderers.
#include "game/table/table.h"

#include <cmath>
#include <string>

namespace {

float sign(float v) {
  return v > 0.0f ? 1.0f : (v < 0.0f ? -1.0f : 0.0f);
}

}  // namespace

Table::Table(ParameterizedGeometry* geometry) : GeomObj(geometry) {}

void Table::init() {
  if (built) return;
  const Pocket reference;
  build_pocket_renderer(edge_pocket_renderer, edge_pocket_geometry, 0, reference.radius);
  build_pocket_renderer(corner_pocket_renderer, corner_pocket_geometry, 1, reference.radius);
  build_geometry();
}

void Table::build_geometry() {
  const Vec3& h = half_extents;
  walls.clear();
  for (int k = 0; k < 3; ++k) {
    const int a = (k + 1) % 3;
    const int b = (k + 2) % 3;
    for (int s = 0; s < 2; ++s) {
      Wall wall(&geometry());
      const float side_a = 2.0f * h[a];
      const float side_b = 2.0f * h[b];
      wall.width = std::max(side_a, side_b);
      wall.height = std::min(side_a, side_b);
      Vec3 x{0, 0, 0};
      x[side_b > side_a ? b : a] = 1.0f;
      Vec3 p{0, 0, 0};
      p[k] = s == 0 ? h[k] : -h[k];
      Vec3 z{0, 0, 0};
      z[k] = s == 0 ? -1.0f : 1.0f;
      wall.position = p;
      wall.coord_sys().position() = p;
      wall.coord_sys().set_xz(x, z);
      wall.material.set_color(1.0f, 1.0f, 1.0f, 1.0f);
      wall.material.set_spec(0.0f, 0.0f, 0.0f);
      wall.material.set_amb(0.5f, 1.0f);
      wall.material.enable();
      walls.push_back(wall);
    }
  }

  pockets.clear();
  const Vec3 c{h[0] + 0.001f, h[1] + 0.001f, h[2] + 0.001f};
  const Vec3 first_half[6] = {{c[0], c[1], c[2]},  {c[0], c[1], -c[2]}, {c[0], -c[1], -c[2]},
                              {c[0], -c[1], c[2]}, {0, -c[1], c[2]},    {0, -c[1], -c[2]}};
  std::vector<Vec3> centres(std::begin(first_half), std::end(first_half));
  for (const Vec3& p : first_half) centres.push_back(-p);
  for (const Vec3& p : centres) {
    Pocket pocket(&geometry());
    pocket.position = p;
    pocket.coord_sys().position() = p;
    if (p[0] == 0.0f) {
      const Vec3 x{0, 0, -sign(p[2])};
      const Vec3 y{0, -sign(p[1]), 0};
      pocket.coord_sys().set_xy(x, y);
    } else {
      Mat3 r = pocket.coord_sys().rotation();
      for (int i = 0; i < 3; ++i)
        if (p[i] > 0.0f)
          for (int j = 0; j < 3; ++j) r[3 * i + j] = -r[3 * i + j];
      pocket.coord_sys().set_rotation(r);
    }
    pockets.push_back(pocket);
  }

  corner_sink_direction = normalized(corner_sink_direction);
  edge_sink_direction = normalized(edge_sink_direction);
  built = 1;
}

void Table::build_pocket_renderer(DetailVertexDataVAO& renderer, AttribSelector& selector, int,
                                  float radius) {
  renderer.set_render_detail(6, 0.175f, 1);
  // A level without a model file is left out; the game names the file.
  for (unsigned int level = 1; level <= 6; ++level)
    if (std::string file = model_name(level); !file.empty()) selector.files[level] = file;
  selector.transform.scale = {radius, radius, radius};
  renderer.distance_function(&DetailRenderer::log2_distance2detail);
  renderer.generator(selector);
  renderer.construct_all_detail();
}

void Table::set_observer(const float* position, const float* direction) {
  for (Wall& w : walls) w.set_observer(position, direction);
  for (Pocket& p : pockets) p.set_observer(position, direction);
  observer_position.reset();
  observer_direction.reset();
  if (position) observer_position = to_vec3(position);
  if (direction) observer_direction = to_vec3(direction);
  pocket_levels.assign(pockets.size(), 0);
  if (!position) return;
  for (std::size_t k = 0; k < pockets.size(); ++k) {
    const float distance = norm(pockets[k].position - *observer_position);
    pocket_levels[k] = static_cast<int>(pocket_lod.dist2detail(pockets[k].radius / distance));
  }
}

bool Table::edge_pocket(std::size_t k) const {
  return k < pockets.size() && std::abs(pockets[k].position[0]) < 0.5f * half_extents[0];
}

bool Table::pocket_drawn(std::size_t k) const {
  if (k >= pockets.size()) return false;
  if (!observer_position) return true;
  const Vec3& o = *observer_position;
  const Vec3& p = pockets[k].position;
  const Vec3& h = half_extents;
  const float r = pockets[k].radius;
  bool inside = true;
  bool same_side = true;
  bool beyond = true;
  for (int c = 0; c < 3; ++c) {
    inside = inside && std::abs(o[c]) < h[c];
    same_side = same_side && o[c] * p[c] > 0.0f;
    beyond = beyond && std::abs(o[c]) > h[c] - r;
  }
  if (inside) return true;
  // A corner pocket on the observer's side of every axis hides the box once
  // the observer is beyond its sphere's reach on all three.
  if (same_side) return !beyond;
  if (!edge_pocket(k)) return true;
  for (int c = 1; c < 3; ++c)
    if (!(std::abs(o[c]) > h[c] - r && o[c] * p[c] > 0.0f)) return true;
  return false;
}
