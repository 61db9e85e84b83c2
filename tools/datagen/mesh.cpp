// Mesh building and writing.
#include "datagen/mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <stdexcept>

#include "datagen/icosphere.h"

namespace datagen {

namespace {

// An axis perpendicular to w.
Vec3 perpendicular(const Vec3& w) {
  const Vec3 helper = std::fabs(w[1]) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  return normalized(cross(helper, w));
}

}  // namespace

WavefrontMTL to_mtl(const MeshMaterial& m) {
  WavefrontMTL mtl;
  mtl.rename(m.name);
  mtl.verbose(false);
  Material& c = mtl.material();
  c.diffuse() = {m.diffuse[0], m.diffuse[1], m.diffuse[2], 1};
  c.ambient() = c.diffuse();
  c.specular() = {m.specular[0], m.specular[1], m.specular[2], 1};
  c.emission() = {m.emission[0], m.emission[1], m.emission[2], 1};
  c.shininess(m.shininess);
  c.set_alpha(m.alpha);
  mtl.illum(2);
  if (!m.map.empty()) mtl.map_text()["map_Kd"] = m.map;
  return mtl;
}

std::array<Vec3, 2> Mesh::bounds() const {
  std::array<Vec3, 2> b{};
  for (std::size_t i = 0; i + 2 < vertices_.size(); i += 3)
    for (std::size_t a = 0; a < 3; ++a) {
      const float v = vertices_[i + a];
      b[0][a] = i == 0 ? v : std::min(b[0][a], v);
      b[1][a] = i == 0 ? v : std::max(b[1][a], v);
    }
  return b;
}

void Mesh::declare(const MeshMaterial& m) {
  for (const MeshMaterial& known : materials_)
    if (known.name == m.name) return;
  materials_.push_back(m);
}

unsigned long long Mesh::add(std::vector<float>& list, std::map<Vec3, unsigned long long>& index,
                             const Vec3& p) {
  const auto [it, added] = index.emplace(p, list.size() / 3);
  if (added) list.insert(list.end(), p.begin(), p.end());
  return it->second;
}

void Mesh::add_face(const std::vector<Vec3>& p, const std::vector<Vec3>& n,
                    const std::vector<std::array<float, 2>>& uv) {
  bool known = false;
  for (const MeshMaterial& m : materials_) known = known || m.name == material_;
  if (!known) throw std::logic_error("material not declared: " + material_);
  Face f;
  f.object = object_;
  f.material = material_;
  for (std::size_t k = 0; k < p.size(); ++k) {
    f.v.push_back(add(vertices_, vertex_index_, p[k]));
    f.vn.push_back(add(normals_, normal_index_, n[k]));
    f.vt.push_back(add(tex_coords_, tex_coord_index_, {uv[k][0], uv[k][1], 0.0f}));
  }
  faces_.push_back(std::move(f));
}

void Mesh::quad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const QuadUV& uv) {
  const Vec3 n = normalized(cross(c - a, d - b));
  add_face({a, b, c, d}, {n, n, n, n}, {uv[0], uv[1], uv[2], uv[3]});
}

void Mesh::triangle(const std::array<Vec3, 3>& p, const std::array<Vec3, 3>& n,
                    const std::array<std::array<float, 2>, 3>& uv) {
  add_face({p[0], p[1], p[2]}, {n[0], n[1], n[2]}, {uv[0], uv[1], uv[2]});
}

void Mesh::box(const Vec3& lo, const Vec3& hi, bool inward) {
  box_faces(lo, hi, {true, true, true, true, true, true}, inward);
}

void Mesh::box_faces(const Vec3& lo, const Vec3& hi, std::array<bool, 6> faces, bool inward) {
  const Vec3 centre = (lo + hi) * 0.5f;
  const Vec3 half = (hi - lo) * 0.5f;
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      if (!faces[2 * axis + side]) continue;
      Vec3 n{0, 0, 0};
      n[axis] = side ? 1.0f : -1.0f;
      Vec3 c = centre;
      c[axis] += n[axis] * half[axis];
      if (inward) n = -n;
      // u along the longer of the face's two sides.
      int a = (axis + 1) % 3, b = (axis + 2) % 3;
      if (half[b] > half[a]) std::swap(a, b);
      Vec3 du{0, 0, 0}, dv{0, 0, 0};
      du[a] = half[a];
      dv[b] = half[b];
      if (dot(cross(du, dv), n) < 0) dv = -dv;
      quad(c - du - dv, c + du - dv, c + du + dv, c - du + dv);
    }
  }
}

void Mesh::frustum(const Vec3& a, const Vec3& b, float ra, float rb, int sides, bool cap_a,
                   bool cap_b) {
  const Vec3 axis = b - a;
  const float length = norm(axis);
  const Vec3 w = axis / length;
  const Vec3 p1 = perpendicular(w);
  const Vec3 p2 = cross(w, p1);
  const float slope = (ra - rb) / length;
  std::vector<Vec3> radial(sides + 1);
  for (int i = 0; i <= sides; ++i) {
    const double angle = 2.0 * std::numbers::pi * (i % sides) / sides;
    radial[i] = p1 * static_cast<float>(std::cos(angle)) + p2 * static_cast<float>(std::sin(angle));
  }
  for (int i = 0; i < sides; ++i) {
    const Vec3 n0 = normalized(radial[i] + w * slope), n1 = normalized(radial[i + 1] + w * slope);
    const float u0 = static_cast<float>(i) / sides, u1 = static_cast<float>(i + 1) / sides;
    add_face(
        {a + radial[i] * ra, a + radial[i + 1] * ra, b + radial[i + 1] * rb, b + radial[i] * rb},
        {n0, n1, n1, n0}, {{u0, 0}, {u1, 0}, {u1, 1}, {u0, 1}});
  }
  auto cap = [&](const Vec3& centre, float r, const Vec3& n, bool reverse) {
    std::vector<Vec3> p, normals;
    std::vector<std::array<float, 2>> uv;
    for (int k = 0; k < sides; ++k) {
      const int i = reverse ? sides - k : k;
      p.push_back(centre + radial[i] * r);
      normals.push_back(n);
      const Vec3& d = radial[i];
      uv.push_back({0.5f + 0.5f * dot(d, p1), 0.5f + 0.5f * dot(d, p2)});
    }
    add_face(p, normals, uv);
  };
  if (cap_a && ra > 0) cap(a, ra, -w, true);
  if (cap_b && rb > 0) cap(b, rb, w, false);
}

void Mesh::ellipsoid(const Vec3& centre, const Vec3& radii, int subdivisions) {
  const Icosphere s = make_icosphere(subdivisions);
  for (const auto& tri : s.triangles) {
    std::array<Vec3, 3> unit{s.vertices[tri[0]], s.vertices[tri[1]], s.vertices[tri[2]]};
    std::array<Vec3, 3> p, n;
    for (int k = 0; k < 3; ++k) {
      for (int i = 0; i < 3; ++i) p[k][i] = centre[i] + radii[i] * unit[k][i];
      n[k] = normalized({unit[k][0] / radii[0], unit[k][1] / radii[1], unit[k][2] / radii[2]});
    }
    triangle(p, n, triangle_uv(unit));
  }
}

OBJRenderer Mesh::model() const {
  OBJRenderer m;
  m.vertices() = vertices_;
  m.normals() = normals_;
  m.tex_coords() = tex_coords_;
  for (const Face& f : faces_) {
    OBJFace face(0);
    face.v = f.v;
    face.vt = f.vt;
    face.vn = f.vn;
    face.object_name = f.object;
    face.material_name = f.material;
    m.faces().push_back(face);
  }
  for (const MeshMaterial& mat : materials_) m.materials().push_back(to_mtl(mat));
  return m;
}

int save_model(const OBJRenderer& model, const std::string& obj_path, const std::string& mtl_name) {
  OBJSaveOptions options;
  options.precision = 7;
  options.scientific = false;
  options.mtl_file = mtl_name;
  int r = model.save(obj_path, options);
  if (r != 0) return r;
  const std::size_t slash = obj_path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : obj_path.substr(0, slash + 1);
  return model.save_mtl(folder + mtl_name);
}

int Mesh::save(const std::string& folder, const std::string& name) const {
  return save_model(model(), folder + "/" + name + ".obj", name + ".mtl");
}

}  // namespace datagen
