// Geometry of the room, the table frame, the cue, the furniture and the
// gamepad.
#include "datagen/models.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace datagen {

namespace {

MeshMaterial colour(const std::string& name, Color3 diffuse, float specular = 0.1f,
                    float shininess = 20.0f) {
  MeshMaterial m;
  m.name = name;
  m.diffuse = diffuse;
  m.specular = {specular, specular, specular};
  m.shininess = shininess;
  return m;
}

MeshMaterial textured(const std::string& name, const std::string& map, float grey = 1.0f,
                      float specular = 0.15f, float shininess = 30.0f) {
  MeshMaterial m = colour(name, {grey, grey, grey}, specular, shininess);
  m.map = map;
  return m;
}

MeshMaterial emissive(const std::string& name, Color3 light) {
  MeshMaterial m = colour(name, light, 0.0f, 1.0f);
  m.emission = light;
  return m;
}

void use(Mesh& mesh, const std::string& object, const std::string& material) {
  mesh.object(object);
  mesh.material(material);
}

// A floor-level quad grid facing up, one texture copy per cell.
void tiled_floor(Mesh& mesh, float x0, float x1, float z0, float z1, float y, int nx, int nz) {
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < nz; ++j) {
      const float a = x0 + (x1 - x0) * i / nx, b = x0 + (x1 - x0) * (i + 1) / nx;
      const float c = z0 + (z1 - z0) * j / nz, d = z0 + (z1 - z0) * (j + 1) / nz;
      mesh.quad({a, y, c}, {a, y, d}, {b, y, d}, {b, y, c});
    }
}

// A flat picture facing along `normal` (+x, -x, +z or -z), its texture
// upright and unmirrored seen from in front.
void wall_picture(Mesh& mesh, Vec3 centre, float width, float height, Vec3 normal) {
  const Vec3 right = cross(normal, {0, 1, 0}) * -1.0f;  // the viewer's right
  const Vec3 up{0, 1, 0};
  const Vec3 du = right * (width / 2), dv = up * (height / 2);
  mesh.quad(centre - du - dv, centre + du - dv, centre + du + dv, centre - du + dv);
}

// Fittings keep this far off the room's walls, floor and ceiling, so that no
// two faces share a plane there (seen from outside the room they would
// flicker through each other).
constexpr float kShellGap = 0.002f;
// Where the furniture stands.
constexpr float kFurnitureFloor = kFloorY + kShellGap;

// A box given by its centre and half sizes.
void block(Mesh& mesh, Vec3 centre, Vec3 half) {
  mesh.box(centre - half, centre + half);
}

// The potted plants' spots in the room's corners, and how far their leaves
// reach.
constexpr float kPlantX = 6.35f, kPlantZ = 4.85f, kPlantReach = 0.42f;

// The player's volumes keep the body this far from the walls (and what hangs
// on them), the table and the furniture.
constexpr float kWallClearance = 0.35f;
constexpr float kTableClearance = 0.3f;
constexpr float kFurnitureClearance = 0.25f;
// Neighbouring boxes overlap by twice this.
constexpr float kVolumeOverlap = 0.01f;

// A rectangle of the floor plan: x and z from lo to hi.
struct Footprint {
  float x0, z0, x1, z1;
};

Footprint grown(const std::array<Vec3, 2>& b, float by) {
  return {b[0][0] - by, b[0][2] - by, b[1][0] + by, b[1][2] + by};
}

// The floor plan's obstacles: the table, and each piece of furniture in the
// four quadrants the game draws it in, and the plants.
std::vector<Footprint> obstacles() {
  std::vector<Footprint> out{grown(table_mesh().bounds(), kTableClearance)};
  for (Mesh (*piece)() : {bench_mesh, chair_mesh, stool_mesh}) {
    const Footprint f = grown(piece().bounds(), kFurnitureClearance);
    for (float sx : {-1.0f, 1.0f})
      for (float sz : {-1.0f, 1.0f})
        out.push_back({std::min(sx * f.x0, sx * f.x1), std::min(sz * f.z0, sz * f.z1),
                       std::max(sx * f.x0, sx * f.x1), std::max(sz * f.z0, sz * f.z1)});
  }
  const float r = kPlantReach + kFurnitureClearance;
  for (float sx : {-1.0f, 1.0f})
    for (float sz : {-1.0f, 1.0f})
      out.push_back({sx * kPlantX - r, sz * kPlantZ - r, sx * kPlantX + r, sz * kPlantZ + r});
  return out;
}

// The cut lines of the plan along one axis: the area's edges and every
// obstacle edge inside it, sorted.
std::vector<float> cuts(float from, float to, const std::vector<Footprint>& blocks, bool x) {
  std::vector<float> out{from, to};
  for (const Footprint& b : blocks)
    for (float c : x ? std::array<float, 2>{b.x0, b.x1} : std::array<float, 2>{b.z0, b.z1})
      if (c > from && c < to) out.push_back(c);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace

std::vector<VolumeBox> player_volumes() {
  const float x0 = kRoomLow[0] + kWallClearance, x1 = kRoomHigh[0] - kWallClearance;
  const float z0 = kRoomLow[2] + kWallClearance, z1 = kRoomHigh[2] - kWallClearance;
  const float y0 = kFloorY + 0.3f, y1 = kRoomHigh[1] - kWallClearance;
  const std::vector<Footprint> blocks = obstacles();
  const std::vector<float> xs = cuts(x0, x1, blocks, true), zs = cuts(z0, z1, blocks, false);
  // The grid the cuts make; a cell is free when its centre lies in no
  // obstacle.
  auto free = [&](std::size_t i, std::size_t j) {
    const float x = (xs[i] + xs[i + 1]) / 2, z = (zs[j] + zs[j + 1]) / 2;
    for (const Footprint& b : blocks)
      if (x > b.x0 && x < b.x1 && z > b.z0 && z < b.z1) return false;
    return true;
  };
  // Each strip along x gives runs of free cells; a run that repeats the
  // strip before it lengthens that one's box along z.
  struct Open {
    std::size_t i0, i1, j0;
  };
  std::vector<VolumeBox> out;
  std::vector<Open> open;
  auto close = [&](const Open& o, std::size_t j1) {
    out.push_back({{xs[o.i0] - kVolumeOverlap, y0, zs[o.j0] - kVolumeOverlap},
                   {xs[o.i1] + kVolumeOverlap, y1, zs[j1] + kVolumeOverlap}});
  };
  for (std::size_t j = 0; j + 1 < zs.size(); ++j) {
    std::vector<Open> runs;
    for (std::size_t i = 0; i + 1 < xs.size();) {
      if (!free(i, j)) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end + 1 < xs.size() && free(end, j)) ++end;
      runs.push_back({i, end, j});
      i = end;
    }
    std::vector<Open> next;
    for (Open run : runs) {
      for (const Open& o : open)
        if (o.i0 == run.i0 && o.i1 == run.i1) run.j0 = o.j0;
      next.push_back(run);
    }
    for (const Open& o : open) {
      const bool goes_on = std::any_of(next.begin(), next.end(), [&o](const Open& n) {
        return n.i0 == o.i0 && n.i1 == o.i1 && n.j0 == o.j0;
      });
      if (!goes_on) close(o, j);
    }
    open = std::move(next);
  }
  for (const Open& o : open) close(o, zs.size() - 1);
  return out;
}

std::vector<std::string> player_volume_names() {
  std::vector<std::string> names;
  const std::size_t n = player_volumes().size();
  for (std::size_t k = 0; k < n; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "floor_%02zu", k);
    names.push_back(name);
  }
  return names;
}

std::array<Vec3, 12> pocket_centres() {
  const Vec3 c = kTableHalfExtents + Vec3{0.001f, 0.001f, 0.001f};
  const std::array<Vec3, 6> half{{{c[0], c[1], c[2]},
                                  {c[0], c[1], -c[2]},
                                  {c[0], -c[1], -c[2]},
                                  {c[0], -c[1], c[2]},
                                  {0, -c[1], c[2]},
                                  {0, -c[1], -c[2]}}};
  std::array<Vec3, 12> out;
  for (int i = 0; i < 6; ++i) {
    out[i] = half[i];
    out[i + 6] = -half[i];
  }
  return out;
}

Mesh room_mesh() {
  Mesh m;
  m.declare(colour("wall_paint", {0.74f, 0.66f, 0.52f}, 0.02f, 5));
  MeshMaterial ceiling = colour("ceiling", {0.86f, 0.85f, 0.82f}, 0.0f, 1);
  // The lamps hang just below it and barely light it: it glows a little.
  ceiling.emission = {0.3f, 0.3f, 0.28f};
  m.declare(ceiling);
  m.declare(textured("floor", "floor.png", 0.95f, 0.2f, 40));
  m.declare(textured("rug", "rug.png", 1.0f, 0.0f, 1));
  m.declare(colour("dark_wood", {0.22f, 0.11f, 0.06f}, 0.2f, 40));
  m.declare(textured("wood_panel", "wood.png", 1.0f, 0.25f, 40));
  m.declare(colour("screen", {0.02f, 0.02f, 0.03f}, 0.6f, 90));
  m.declare(colour("screen_bezel", {0.06f, 0.06f, 0.07f}, 0.3f, 40));
  m.declare(emissive("lamp_panel", {1.0f, 0.97f, 0.9f}));
  m.declare(colour("lamp_housing", {0.04f, 0.1f, 0.06f}, 0.25f, 60));
  m.declare(colour("brass", {0.78f, 0.6f, 0.24f}, 0.8f, 70));
  m.declare(colour("picture_frame", {0.55f, 0.4f, 0.16f}, 0.6f, 50));
  m.declare(textured("painting_1", "painting_1.png", 1.0f, 0.05f, 5));
  m.declare(textured("painting_2", "painting_2.png", 1.0f, 0.05f, 5));
  m.declare(colour("terracotta", {0.6f, 0.3f, 0.17f}, 0.05f, 10));
  m.declare(colour("leaves", {0.12f, 0.42f, 0.14f}, 0.1f, 15));
  m.declare(colour("soil", {0.18f, 0.12f, 0.08f}, 0.0f, 1));
  m.declare(colour("cue_shaft", {0.88f, 0.77f, 0.58f}, 0.3f, 40));
  m.declare(colour("cue_butt", {0.12f, 0.06f, 0.04f}, 0.5f, 60));

  const Vec3 lo = kRoomLow, hi = kRoomHigh;
  const float y0 = lo[1], y1 = hi[1];

  // Shell: walls and ceiling facing in, a tiled plank floor.
  use(m, "walls", "wall_paint");
  m.box_faces(lo, hi, {true, true, false, false, true, true}, true);
  use(m, "ceiling", "ceiling");
  m.box_faces(lo, hi, {false, false, false, true, false, false}, true);
  use(m, "floor", "floor");
  tiled_floor(m, lo[0], hi[0], lo[2], hi[2], y0, 7, 6);
  use(m, "rug", "rug");
  m.quad({-2.7f, y0 + 0.004f, -1.9f}, {-2.7f, y0 + 0.004f, 1.9f}, {2.7f, y0 + 0.004f, 1.9f},
         {2.7f, y0 + 0.004f, -1.9f}, {{{0, 0}, {0, 1}, {1, 1}, {1, 0}}});

  // Wainscot: a dark backing, raised wooden panels, a rail on top and a
  // skirting board, all the way round.
  const float inset = 0.02f, top = y0 + 1.1f;
  struct Wall {
    int along;     // axis the wall runs along
    float at;      // its coordinate on the other horizontal axis
    float inward;  // +1 or -1 towards the room
    float from, to;
  };
  const Wall walls[4] = {{2, lo[0], 1, lo[2], hi[2]},
                         {2, hi[0], -1, lo[2], hi[2]},
                         {0, lo[2], 1, lo[0], hi[0]},
                         {0, hi[2], -1, lo[0], hi[0]}};
  for (const Wall& w : walls) {
    const int across = 2 - w.along;
    auto point = [&](float s, float y, float depth) {
      Vec3 p{0, y, 0};
      p[w.along] = s;
      p[across] = w.at + w.inward * depth;
      return p;
    };
    auto slab = [&](float s0, float s1, float ya, float yb, float d0, float d1) {
      Vec3 a = point(s0, ya, d0), b = point(s1, yb, d1);
      m.box({std::min(a[0], b[0]), ya, std::min(a[2], b[2])},
            {std::max(a[0], b[0]), yb, std::max(a[2], b[2])});
    };
    use(m, "wainscot", "dark_wood");
    const float g = kShellGap, from = w.from + g, to = w.to - g;
    slab(from, to, y0 + g, top, g, inset);
    use(m, "wainscot", "dark_wood");
    slab(from, to, top, top + 0.05f, g, inset + 0.03f);
    slab(from, to, y0 + g, y0 + 0.14f, g, inset + 0.025f);
    use(m, "wainscot_panels", "wood_panel");
    const float length = w.to - w.from;
    const int panels = static_cast<int>(std::round(length / 1.1f));
    const float pitch = length / panels;
    for (int k = 0; k < panels; ++k) {
      const float s0 = w.from + k * pitch + 0.09f, s1 = w.from + (k + 1) * pitch - 0.09f;
      slab(s0, s1, y0 + 0.24f, top - 0.1f, inset, inset + 0.015f);
    }
  }

  // The screen on the -x wall, its picture unmirrored seen from the room.
  use(m, "Screen_Frame", "screen_bezel");
  m.box({lo[0] + 0.005f, 0.12f, -1.7f}, {lo[0] + 0.07f, 2.08f, 1.7f});
  use(m, kScreenObject, "screen");
  {
    const float xb = lo[0] + 0.07f, xf = lo[0] + 0.09f, ya = 0.2f, yb = 2.0f, za = -1.6f, zb = 1.6f;
    m.box_faces({xb, ya, za}, {xf, yb, zb}, {true, false, true, true, true, true});
    m.quad({xf, ya, zb}, {xf, ya, za}, {xf, yb, za}, {xf, yb, zb});
  }

  // Ceiling lamps: a housing and a glowing panel each; the panels become
  // the room's point lights.
  const std::array<std::array<float, 2>, 4> ceiling_lamps{
      {{-4.2f, -3}, {-4.2f, 3}, {4.2f, -3}, {4.2f, 3}}};
  for (const auto& [x, z] : ceiling_lamps) {
    use(m, "lamp_housings", "lamp_housing");
    m.box({x - 0.38f, y1 - 0.08f, z - 0.38f}, {x + 0.38f, y1 - kShellGap, z + 0.38f});
    use(m, kCeilingLightsObject, "lamp_panel");
    const float y = y1 - 0.082f, h = 0.3f;
    m.quad({x - h, y, z - h}, {x + h, y, z - h}, {x + h, y, z + h}, {x - h, y, z + h});
  }
  // Two pendant lamps over the table.
  for (float x : {-0.6f, 0.6f}) {
    const float yb = 1.55f;
    use(m, "table_lamp_housings", "lamp_housing");
    m.box({x - 0.44f, yb, -0.22f}, {x + 0.44f, yb + 0.14f, 0.22f});
    use(m, "table_lamp_housings", "brass");
    for (float s : {-0.3f, 0.3f})
      m.frustum({x + s, yb + 0.14f, 0}, {x + s, y1, 0}, 0.008f, 0.008f, 8, false, false);
    use(m, kTableLightsObject, "lamp_panel");
    const float y = yb - 0.002f;
    m.quad({x - 0.4f, y, -0.18f}, {x + 0.4f, y, -0.18f}, {x + 0.4f, y, 0.18f},
           {x - 0.4f, y, 0.18f});
  }

  // Pictures on the long walls, above the benches.
  const std::array<std::array<float, 3>, 4> pictures{
      {{-3.4f, 1, 1}, {3.4f, 1, 2}, {-3.4f, -1, 2}, {3.4f, -1, 1}}};
  for (const auto& [x, side, which] : pictures) {
    const float z = side > 0 ? hi[2] : lo[2];
    const Vec3 normal{0, 0, -side};
    use(m, "picture_frames", "picture_frame");
    const float zf0 = z - side * 0.005f, zf1 = z - side * 0.05f;
    m.box({x - 0.72f, 0.55f, std::min(zf0, zf1)}, {x + 0.72f, 1.65f, std::max(zf0, zf1)});
    use(m, "pictures", which == 1 ? "painting_1" : "painting_2");
    wall_picture(m, {x, 1.1f, z - side * 0.052f}, 1.3f, 0.975f, normal);
  }

  // A cue rack on the +x wall with four cues.
  use(m, "cue_rack", "dark_wood");
  m.box({hi[0] - 0.06f, -0.25f, -0.6f}, {hi[0] - kShellGap, -0.17f, 0.6f});
  m.box({hi[0] - 0.06f, 1.35f, -0.6f}, {hi[0] - kShellGap, 1.41f, 0.6f});
  for (int k = 0; k < 4; ++k) {
    const float z = -0.39f + 0.26f * k, x = hi[0] - 0.09f;
    use(m, "cue_rack", "cue_butt");
    m.frustum({x, -0.17f, z}, {x, 0.25f, z}, 0.0127f, 0.011f, 12, true, false);
    use(m, "cue_rack", "cue_shaft");
    m.frustum({x, 0.25f, z}, {x, 1.45f, z}, 0.011f, 0.0065f, 12, false, true);
  }

  // Potted plants in the four corners.
  for (float sx : {-1.0f, 1.0f})
    for (float sz : {-1.0f, 1.0f}) {
      const float x = sx * kPlantX, z = sz * kPlantZ;
      use(m, "plants", "terracotta");
      m.frustum({x, y0 + kShellGap, z}, {x, y0 + 0.5f, z}, 0.2f, 0.28f, 20, true, false);
      use(m, "plants", "soil");
      m.frustum({x, y0 + 0.46f, z}, {x, y0 + 0.47f, z}, 0.26f, 0.26f, 20, false, true);
      use(m, "plants", "leaves");
      m.ellipsoid({x, y0 + 0.95f, z}, {0.42f, 0.55f, 0.42f}, 2);
      m.ellipsoid({x + 0.12f * sx, y0 + 1.35f, z - 0.08f * sz}, {0.3f, 0.38f, 0.3f}, 2);
    }

  // A door in the middle of the -z wall.
  use(m, "door", "wood_panel");
  const float door_y = y0 + kShellGap, door_z = lo[2] + kShellGap;
  m.box({-0.55f, door_y, door_z}, {0.55f, y0 + 2.15f, lo[2] + 0.04f});
  use(m, "door", "dark_wood");
  m.box({-0.65f, door_y, door_z}, {-0.55f, y0 + 2.25f, lo[2] + 0.07f});
  m.box({0.55f, door_y, door_z}, {0.65f, y0 + 2.25f, lo[2] + 0.07f});
  m.box({-0.65f, y0 + 2.15f, door_z}, {0.65f, y0 + 2.25f, lo[2] + 0.07f});
  use(m, "door", "brass");
  m.ellipsoid({0.42f, y0 + 1.05f, lo[2] + 0.08f}, {0.03f, 0.03f, 0.03f}, 1);

  // Where the player may walk: boxes that the renderer blends away.
  MeshMaterial unseen = colour("player_volume", {0, 0, 0}, 0.0f, 1);
  unseen.alpha = 0.0f;
  m.declare(unseen);
  const std::vector<VolumeBox> volumes = player_volumes();
  const std::vector<std::string> names = player_volume_names();
  for (std::size_t k = 0; k < volumes.size(); ++k) {
    use(m, "player_volume_" + names[k], "player_volume");
    m.box(volumes[k].lo, volumes[k].hi);
  }
  return m;
}

Mesh table_mesh() {
  Mesh m;
  m.declare(textured("table_wood", "wood.png", 1.0f, 0.35f, 50));
  m.declare(colour("table_brass", {0.8f, 0.62f, 0.25f}, 0.8f, 80));
  const Vec3 h = kTableHalfExtents;
  const float w = 0.055f, off = 0.001f, gap = 0.115f, cap = 0.012f;

  // One rail along `axis` from s0 to s1, outside the box edge whose other
  // two coordinates have the signs sb and sc.
  auto rail = [&](int axis, float s0, float s1, float sb, float sc) {
    const int b = (axis + 1) % 3, c = (axis + 2) % 3;
    auto part = [&](float t0, float t1) {
      Vec3 lo{}, hi{};
      lo[axis] = t0;
      hi[axis] = t1;
      const float b0 = sb * (h[b] + off), b1 = sb * (h[b] + off + w);
      const float c0 = sc * (h[c] + off), c1 = sc * (h[c] + off + w);
      lo[b] = std::min(b0, b1), hi[b] = std::max(b0, b1);
      lo[c] = std::min(c0, c1), hi[c] = std::max(c0, c1);
      m.box(lo, hi);
    };
    m.object("rails");
    m.material("table_brass");
    part(s0, s0 + cap);
    part(s1 - cap, s1);
    m.material("table_wood");
    part(s0 + cap, s1 - cap);
  };
  for (float sb : {-1.0f, 1.0f})
    for (float sc : {-1.0f, 1.0f}) {
      // Long edges: gaps at both corners and at the middle pocket.
      rail(0, -h[0] + gap, -gap, sb, sc);
      rail(0, gap, h[0] - gap, sb, sc);
      rail(1, -h[1] + gap, h[1] - gap, sb, sc);
      rail(2, -h[2] + gap, h[2] - gap, sb, sc);
    }

  // Four turned legs under the bottom long rails, joined by stretchers.
  const float leg_z = h[2] + off + w / 2, leg_x = 0.55f, top = -(h[1] + off + w);
  for (float sx : {-1.0f, 1.0f})
    for (float sz : {-1.0f, 1.0f}) {
      const float x = sx * leg_x, z = sz * leg_z;
      use(m, "legs", "table_wood");
      block(m, {x, top - 0.09f, z}, {0.034f, 0.09f, 0.034f});
      m.frustum({x, top - 0.18f, z}, {x, top - 0.3f, z}, 0.032f, 0.026f, 16, true, false);
      m.ellipsoid({x, top - 0.36f, z}, {0.048f, 0.07f, 0.048f}, 2);
      m.frustum({x, top - 0.42f, z}, {x, kFloorY + 0.06f, z}, 0.03f, 0.02f, 16, false, false);
      use(m, "legs", "table_brass");
      m.ellipsoid({x, kFloorY + 0.045f, z}, {0.032f, 0.04f, 0.032f}, 2);
    }
  use(m, "stretchers", "table_wood");
  const float ys = kFloorY + 0.28f;
  for (float sz : {-1.0f, 1.0f}) block(m, {0, ys, sz * leg_z}, {leg_x, 0.02f, 0.015f});
  for (float sx : {-1.0f, 1.0f}) block(m, {sx * leg_x, ys, 0}, {0.015f, 0.02f, leg_z});
  block(m, {0, ys, 0}, {leg_x, 0.015f, 0.012f});
  return m;
}

Mesh cue_mesh() {
  Mesh m;
  m.declare(colour("cue_bumper", {0.03f, 0.03f, 0.03f}, 0.1f, 10));
  m.declare(colour("cue_butt", {0.12f, 0.06f, 0.04f}, 0.6f, 70));
  m.declare(colour("cue_inlay", {0.9f, 0.86f, 0.74f}, 0.6f, 70));
  m.declare(colour("cue_wrap", {0.06f, 0.1f, 0.28f}, 0.05f, 8));
  m.declare(colour("cue_joint", {0.8f, 0.62f, 0.25f}, 0.8f, 80));
  m.declare(colour("cue_shaft", {0.9f, 0.8f, 0.6f}, 0.35f, 40));
  m.declare(colour("cue_ferrule", {0.96f, 0.96f, 0.94f}, 0.4f, 50));
  m.declare(colour("cue_tip", {0.2f, 0.38f, 0.78f}, 0.05f, 5));
  auto radius = [](float z) {
    return kCueButtRadius + (kCueTipRadius - kCueButtRadius) * z / kCueLength;
  };
  struct Piece {
    float z0, z1;
    const char* material;
  };
  const Piece pieces[] = {{0.0f, 0.012f, "cue_bumper"},    {0.012f, 0.2f, "cue_butt"},
                          {0.2f, 0.206f, "cue_inlay"},     {0.206f, 0.36f, "cue_wrap"},
                          {0.36f, 0.366f, "cue_inlay"},    {0.366f, 0.45f, "cue_butt"},
                          {0.45f, 0.462f, "cue_joint"},    {0.462f, 0.893f, "cue_shaft"},
                          {0.893f, 0.905f, "cue_ferrule"}, {0.905f, kCueLength, "cue_tip"}};
  for (const Piece& p : pieces) {
    use(m, "cue", p.material);
    m.frustum({0, 0, p.z0}, {0, 0, p.z1}, radius(p.z0), radius(p.z1), 24, p.z0 == 0.0f,
              p.z1 == kCueLength);
  }
  return m;
}

Mesh bench_mesh() {
  Mesh m;
  m.declare(textured("bench_wood", "wood.png", 1.0f, 0.3f, 40));
  m.declare(colour("bench_leather", {0.3f, 0.08f, 0.06f}, 0.3f, 30));
  // Against the +z wall, seat 0.45 m high.
  const float cx = 3.4f, cz = 5.12f, hx = 0.85f, hz = 0.22f, seat = kFloorY + 0.42f;
  use(m, "bench", "bench_wood");
  block(m, {cx, seat - 0.03f, cz}, {hx, 0.03f, hz});
  for (float sx : {-1.0f, 1.0f})
    for (float sz : {-1.0f, 1.0f})
      block(m,
            {cx + sx * (hx - 0.06f), (kFurnitureFloor + seat - 0.06f) / 2, cz + sz * (hz - 0.05f)},
            {0.03f, (seat - 0.06f - kFurnitureFloor) / 2, 0.03f});
  block(m, {cx, kFloorY + 0.12f, cz}, {hx - 0.06f, 0.02f, 0.015f});
  use(m, "bench", "bench_leather");
  block(m, {cx, seat + 0.04f, cz}, {hx - 0.03f, 0.04f, hz - 0.02f});
  return m;
}

Mesh chair_mesh() {
  Mesh m;
  m.declare(textured("chair_wood", "wood.png", 1.0f, 0.3f, 40));
  m.declare(colour("chair_leather", {0.32f, 0.16f, 0.07f}, 0.3f, 30));
  // Facing -x, towards the table, its back to the +x side.
  const float cx = 5.0f, cz = 3.3f, half = 0.24f, seat = kFloorY + 0.46f;
  use(m, "chair", "chair_wood");
  for (float sx : {-1.0f, 1.0f})
    for (float sz : {-1.0f, 1.0f}) {
      const float top = sx > 0 ? seat + 0.5f : seat;
      block(m, {cx + sx * (half - 0.025f), (kFurnitureFloor + top) / 2, cz + sz * (half - 0.025f)},
            {0.022f, (top - kFurnitureFloor) / 2, 0.022f});
    }
  block(m, {cx, seat - 0.025f, cz}, {half, 0.025f, half});
  block(m, {cx + half - 0.025f, seat + 0.42f, cz}, {0.02f, 0.06f, half - 0.03f});
  block(m, {cx + half - 0.025f, seat + 0.22f, cz}, {0.015f, 0.03f, half - 0.03f});
  for (float sz : {-1.0f, 1.0f})
    block(m, {cx, kFloorY + 0.16f, cz + sz * (half - 0.025f)}, {half - 0.04f, 0.012f, 0.012f});
  use(m, "chair", "chair_leather");
  block(m, {cx - 0.01f, seat + 0.03f, cz}, {half - 0.03f, 0.03f, half - 0.03f});
  return m;
}

Mesh stool_mesh() {
  Mesh m;
  m.declare(colour("stool_chrome", {0.7f, 0.7f, 0.74f}, 0.9f, 100));
  m.declare(colour("stool_seat", {0.55f, 0.06f, 0.06f}, 0.35f, 40));
  const float x = 1.6f, z = 2.7f, seat = kFloorY + 0.72f;
  use(m, "stool", "stool_chrome");
  m.frustum({x, kFurnitureFloor, z}, {x, kFloorY + 0.03f, z}, 0.22f, 0.2f, 32, true, true);
  m.frustum({x, kFloorY + 0.03f, z}, {x, seat - 0.06f, z}, 0.025f, 0.025f, 16, false, false);
  m.frustum({x, kFloorY + 0.3f, z}, {x, kFloorY + 0.32f, z}, 0.16f, 0.16f, 32, true, true);
  m.frustum({x, seat - 0.06f, z}, {x, seat - 0.04f, z}, 0.12f, 0.12f, 24, true, true);
  use(m, "stool", "stool_seat");
  m.frustum({x, seat - 0.04f, z}, {x, seat + 0.03f, z}, 0.19f, 0.18f, 32, true, false);
  m.ellipsoid({x, seat + 0.03f, z}, {0.18f, 0.025f, 0.18f}, 3);
  return m;
}

Mesh gamepad_mesh() {
  Mesh m;
  m.declare(colour("gamepad_body", {0.14f, 0.14f, 0.16f}, 0.3f, 40));
  m.declare(colour("gamepad_dark", {0.06f, 0.06f, 0.07f}, 0.4f, 50));
  m.declare(colour("gamepad_grey", {0.45f, 0.45f, 0.48f}, 0.4f, 50));
  m.declare(colour("gamepad_label", {0.95f, 0.95f, 0.95f}, 0.2f, 20));
  const std::array<std::pair<std::string, Color3>, 4> faces{{{"A", {0.2f, 0.75f, 0.25f}},
                                                             {"B", {0.85f, 0.15f, 0.12f}},
                                                             {"X", {0.15f, 0.35f, 0.9f}},
                                                             {"Y", {0.95f, 0.78f, 0.1f}}}};
  for (const auto& [letter, c] : faces) m.declare(colour("gamepad_" + letter, c, 0.4f, 60));

  // Front face at z = 0.002; the buttons stand out of it.
  use(m, "Body", "gamepad_body");
  m.box({-0.05f, -0.018f, -0.012f}, {0.05f, 0.03f, 0.002f});
  for (float s : {-1.0f, 1.0f})
    m.ellipsoid({s * 0.038f, -0.022f, -0.005f}, {0.02f, 0.032f, 0.013f}, 2);
  const float front = 0.002f;
  auto at = [&](float x, float y, float z) { return Vec3{x, y, std::max(z, front)}; };
  const std::array<std::array<float, 3>, 4> face_at{{{0.0214813f, 0.008976f, 0.00557898f},
                                                     {0.02761f, 0.014244f, 0.00557898f},
                                                     {0.018117f, 0.015657f, -0.00819903f},
                                                     {0.021763f, 0.019773f, 0.00557898f}}};
  for (std::size_t k = 0; k < faces.size(); ++k) {
    const std::string& letter = faces[k].first;
    const Vec3 p = at(face_at[k][0], face_at[k][1], face_at[k][2]);
    use(m, letter + "_button", "gamepad_" + letter);
    m.frustum(p - Vec3{0, 0, 0.002f}, p + Vec3{0, 0, 0.003f}, 0.0028f, 0.0026f, 16, false, true);
    use(m, letter + "_label", "gamepad_label");
    m.frustum(p + Vec3{0, 0, 0.003f}, p + Vec3{0, 0, 0.0032f}, 0.0012f, 0.0012f, 12, false, true);
  }
  use(m, "D_pad", "gamepad_dark");
  {
    const Vec3 p = at(-0.017889f, -0.00745908f, -0.00948582f);
    block(m, p + Vec3{0, 0, 0.002f}, {0.0075f, 0.0025f, 0.002f});
    block(m, p + Vec3{0, 0, 0.002f}, {0.0025f, 0.0075f, 0.002f});
  }
  for (const auto& [name, x, y, z] : std::array<std::tuple<const char*, float, float, float>, 2>{
           {{"L_thumb", -0.022431f, 0.010932f, 0.00919897f},
            {"R_thumb", 0.0105233f, -0.00778685f, 0.0064358f}}}) {
    const Vec3 p = at(x, y, z);
    use(m, name, "gamepad_dark");
    m.frustum({p[0], p[1], front}, p + Vec3{0, 0, 0.004f}, 0.0035f, 0.003f, 16, false, false);
    m.frustum(p + Vec3{0, 0, 0.004f}, p + Vec3{0, 0, 0.0055f}, 0.0065f, 0.006f, 20, true, true);
  }
  for (const auto& [name, x, y, z] : std::array<std::tuple<const char*, float, float, float>, 3>{
           {{"Start_button", 0.010339f, 0.012918f, 0.00471197f},
            {"Back_button", -0.00821001f, 0.013148f, 0.00549898f},
            {"Power_button", 0.000529995f, 0.013221f, 0.00661797f}}}) {
    const Vec3 p = at(x, y, z);
    use(m, name, "gamepad_grey");
    m.frustum(p - Vec3{0, 0, 0.002f}, p + Vec3{0, 0, 0.0015f}, 0.0022f, 0.0022f, 12, false, true);
  }
  for (float s : {-1.0f, 1.0f}) {
    use(m, s < 0 ? "L1_button" : "R1_button", "gamepad_grey");
    block(m, {s * 0.032f, 0.0335f, -0.003f}, {0.012f, 0.0035f, 0.006f});
    use(m, s < 0 ? "L2_button" : "R2_button", "gamepad_dark");
    block(m, {s * 0.034f, 0.0285f, -0.0135f}, {0.01f, 0.006f, 0.004f});
  }
  return m;
}

}  // namespace datagen
