// Mesh: a Wavefront model built shape by shape (quads, boxes, frustums,
// spheres), with its objects and materials, written through the engine's OBJ
// and MTL writers.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "models/obj_renderer.h"

namespace datagen {

using Color3 = std::array<float, 3>;

// One MTL material. Ambient follows the diffuse colour; a map file names a
// texture beside the model.
struct MeshMaterial {
  std::string name;
  Color3 diffuse{0.8f, 0.8f, 0.8f};
  Color3 specular{0.1f, 0.1f, 0.1f};
  Color3 emission{0, 0, 0};
  float shininess = 20.0f;
  float alpha = 1.0f;
  std::string map;
};

// Texture coordinates of a quad's four corners, counter-clockwise from the
// first.
using QuadUV = std::array<std::array<float, 2>, 4>;
inline constexpr QuadUV kUnitUV{{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};

class Mesh {
 public:
  // Faces added from now on belong to this object and material; a material
  // must be declared before a face uses it.
  void object(const std::string& name) { object_ = name; }
  void material(const std::string& name) { material_ = name; }
  void declare(const MeshMaterial& m);

  // A planar quad, corners counter-clockwise seen from the side its normal
  // points to.
  void quad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const QuadUV& uv = kUnitUV);
  // One triangle with its own normals and texture coordinates.
  void triangle(const std::array<Vec3, 3>& p, const std::array<Vec3, 3>& n,
                const std::array<std::array<float, 2>, 3>& uv);
  // An axis-aligned box between two corners; outward faces, or inward ones
  // (a room). Each face maps the texture once, u along its longer side.
  void box(const Vec3& lo, const Vec3& hi, bool inward = false);
  // A box with only the listed faces (-x, +x, -y, +y, -z, +z).
  void box_faces(const Vec3& lo, const Vec3& hi, std::array<bool, 6> faces, bool inward = false);
  // A frustum from a (radius ra) to b (radius rb) with smooth sides; caps
  // close the ends. u runs around, v along.
  void frustum(const Vec3& a, const Vec3& b, float ra, float rb, int sides, bool cap_a, bool cap_b);
  // An ellipsoid from a subdivided icosahedron.
  void ellipsoid(const Vec3& centre, const Vec3& radii, int subdivisions);

  const std::vector<MeshMaterial>& materials() const { return materials_; }
  std::size_t face_count() const { return faces_.size(); }
  // The lower and upper corners of all positions; zeros for an empty mesh.
  std::array<Vec3, 2> bounds() const;

  // The model the engine reads back: positions, normals, texture coordinates
  // (three numbers each), faces and materials.
  OBJRenderer model() const;
  // Writes folder/name.obj and folder/name.mtl; 0 on success.
  int save(const std::string& folder, const std::string& name) const;

 private:
  struct Face {
    std::vector<unsigned long long> v, vt, vn;
    std::string object, material;
  };
  // Index of an equal entry of the list, appending it when there is none.
  unsigned long long add(std::vector<float>& list, std::map<Vec3, unsigned long long>& index,
                         const Vec3& p);
  void add_face(const std::vector<Vec3>& p, const std::vector<Vec3>& n,
                const std::vector<std::array<float, 2>>& uv);

  std::string object_ = "default";
  std::string material_;
  std::vector<MeshMaterial> materials_;
  std::vector<float> vertices_, normals_, tex_coords_;
  std::map<Vec3, unsigned long long> vertex_index_, normal_index_, tex_coord_index_;
  std::vector<Face> faces_;
};

// Writes a model the way the generator writes every model: numbers in the
// stream's general notation with seven digits.
int save_model(const OBJRenderer& model, const std::string& obj_path, const std::string& mtl_name);

}  // namespace datagen

namespace datagen {
// The MTL material of a MeshMaterial.
WavefrontMTL to_mtl(const MeshMaterial& m);
}  // namespace datagen
