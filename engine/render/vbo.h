// Vertex buffer sets: up to three OpenGL buffers (positions, normals, texture
// coordinates) drawn through the fixed-function client arrays in one
// glDrawArrays call, optionally with a texture and a coordinate system.
#pragma once

#include <array>

#include "core/coordinate_system.h"
#include "core/named.h"
#include "core/wrapper.h"
#include "render/texture.h"
#include "render/vertex_data.h"

// Copies share the OpenGL buffers (names, counts and depths are copied) and
// copy the texture and coordinate-system wrappers by the wrapper rules.
// Nothing here deletes a buffer: the owner of the context releases them.
// OpenGL errors are reported on std::cerr, never thrown.
class VBO : public Named {
 public:
  // A null texture or coordinate system makes the set own a default one.
  explicit VBO(Texture* texture = nullptr, CoordinateSystem* coord_sys = nullptr);

  // Fills the buffers of the given (non-null) arrays from `count` vertices of
  // vertex_depth, 3 and tex_depth floats. GL_QUADS data is uploaded as two
  // triangles per quad (a trailing partial quad is dropped); other modes are
  // uploaded unchanged and drawn in their own mode. false on success, true
  // on the first failing step (reported) or a depth below 1.
  bool init(unsigned long long count, int mode, const float* vertices, const float* normals,
            const float* tex, int vertex_depth, int tex_depth);
  // The same from a VertexData and its depths; an array shorter than the
  // vertex count needs is left out.
  bool init(const VertexData& data, int mode);
  // Creates (once) and fills the buffer of one client-array type with
  // count x its depth floats. false on success.
  bool set_vbo(unsigned long long count, const float* data, int array_type, int usage);

  // Draws the vertex count in the primitive mode while the bound framebuffer
  // is complete: `arrays` enables the client arrays that have a buffer,
  // `texture` binds the texture, `coordinates` applies the coordinate system
  // to the current matrix. Matrix, client-array enables, the array-buffer
  // binding and the texture binding are as before on return, on every path.
  void draw(bool arrays, bool texture, bool coordinates);

  // GL_VERTEX_ARRAY 0, GL_NORMAL_ARRAY 1, GL_TEXTURE_COORD_ARRAY 2, others 0.
  static int arraytype2ind(int array_type);
  // Components per vertex of a client-array type (normals 3; others 1).
  int arraytype2depth(int array_type) const;

  unsigned long long num_vertices() const { return count_; }
  unsigned long long size() const { return count_; }
  int mode() const { return mode_; }
  void mode(int m) { mode_ = m; }
  int vertex_depth() const { return vertex_depth_; }
  int tex_depth() const { return tex_depth_; }
  // Buffer names of positions, normals, texture coordinates; 0 = none.
  const std::array<unsigned int, 3>& buffers() const { return buffers_; }

  Texture& texture() { return texture_.get(); }
  const Texture& texture() const { return texture_.get(); }
  CoordinateSystem& coord_sys() { return coord_sys_.get(); }
  const CoordinateSystem& coord_sys() const { return coord_sys_.get(); }

 private:
  Wrapper<Texture> texture_;
  Wrapper<CoordinateSystem> coord_sys_;
  std::array<unsigned int, 3> buffers_{0, 0, 0};
  int mode_ = 4;  // GL_TRIANGLES
  unsigned long long count_ = 0;
  int vertex_depth_ = 3;
  int tex_depth_ = 2;
};
