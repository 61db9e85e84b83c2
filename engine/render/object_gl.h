// Handles of OpenGL objects: buffers, textures, vertex-array objects and
// display lists. A name is made lazily by the first bind; copies share the
// name; nothing is deleted unless clear() is called. Buffers, textures and
// vertex arrays make no GL call before GLEW has loaded the entry points
// (gl_entry_points_loaded()): they stay name 0 and empty.
#pragma once

#include <map>
#include <vector>

#include "core/named.h"
#include "render/gl.h"

template <typename T>
class ObjectGL : public IDWrapper<T> {
 public:
  ObjectGL(T id = T()) : IDWrapper<T>(id) {}
  virtual ~ObjectGL() = default;
  ObjectGL(const ObjectGL&) = default;
  ObjectGL& operator=(const ObjectGL&) = default;
  ObjectGL(ObjectGL&&) = default;
  ObjectGL& operator=(ObjectGL&&) = default;

  virtual T create() = 0;
  virtual void clear() = 0;
  virtual void bind() = 0;
  virtual void release() = 0;
};

class BufferGL : public ObjectGL<unsigned int> {
 public:
  BufferGL() = default;

  unsigned int create() override;
  void clear() override;
  void bind() override;
  void release() override;

  // Binds (creating the name if needed) and uploads; nothing for null data or 0 bytes.
  void transfer(const void* data, unsigned long long bytes, unsigned int usage);

  GLenum target = GL_ARRAY_BUFFER;
};

class TextureGL : public ObjectGL<unsigned int> {
 public:
  TextureGL(unsigned int id = 0) : ObjectGL<unsigned int>(id) {}

  unsigned int create() override;
  void clear() override;
  void bind() override;
  void release() override;

  // Uploads an image; a zero width or height takes the stored one. `bytes`
  // only gates the call (null data or 0 bytes: nothing).
  void transfer(const void* data, unsigned long long bytes, int width, int height, int format,
                int type);

  GLint internal_format = GL_RGBA;
  GLenum target = GL_TEXTURE_2D;
  GLint level = 0;
  GLsizei width = 0;
  GLsizei height = 0;
};

class DrawArraysOptions {
 public:
  // glDrawArrays, or through the element buffer of the bound array object
  // when `indexed` is set (see VAO::construct_indexed): the same vertices.
  void draw_arrays() const;

  GLenum mode = GL_TRIANGLES;
  GLint first = 0;
  GLsizei count = 0;
  // The bound array object holds one index per vertex (unsigned int), each
  // naming the first vertex equal to it.
  bool indexed = false;
};

// A vertex-array object with its draw parameters. Arrays go to generic vertex
// attributes (for GLSL programs) or to the fixed-function client arrays.
class VAO : public ObjectGL<unsigned int> {
 public:
  VAO() = default;

  unsigned int create() override;
  // Deletes the array object and the buffers construct() and color_array() made.
  void clear() override;
  // Binds, creating the name first; skips the call when already bound.
  void bind() override;
  void release() override;

  DrawArraysOptions& mode() { return options_; }
  const DrawArraysOptions& mode() const { return options_; }
  void draw_arrays() const;

  // Builds the whole array object. A location below 0 sends that array to its
  // client array (all -1: client arrays only). A vertex size of 0 or less is
  // refused; normals or texture coordinates with fewer floats than the vertex
  // count needs are left out rather than read past their end.
  VAO& construct(const std::vector<float>& vertices, const std::vector<float>& normals,
                 const std::vector<float>& tex_coords, int vertex_location, int normal_location,
                 int tex_coord_location, int vertex_size = 3, int normal_size = 3,
                 int tex_coord_size = 2);
  // construct(), then an element buffer that names, for every vertex, the
  // first vertex with the same position, normal and texture coordinates
  // (bit for bit), and mode().indexed. Drawn through it, the same vertices
  // make the same primitives, while the renderer transforms and lights a
  // vertex it has just seen only once: a mesh whose triangles share corners
  // costs several times less vertex work. Arrays added later (colours,
  // attribute buffers) switch the indexing off again.
  VAO& construct_indexed(const std::vector<float>& vertices, const std::vector<float>& normals,
                         const std::vector<float>& tex_coords, int vertex_location,
                         int normal_location, int tex_coord_location, int vertex_size = 3,
                         int normal_size = 3, int tex_coord_size = 2);
  VAO& construct_compatibility(const std::vector<float>& vertices,
                               const std::vector<float>& normals,
                               const std::vector<float>& tex_coords, int vertex_size = 3,
                               int normal_size = 3, int tex_coord_size = 2);
  // Adds a colour array; 0, or -1 for a size of 0 or less.
  int color_array(const std::vector<float>& colors, int location, int size);
  void attribute_buffer(unsigned int location, unsigned int buffer, unsigned int size,
                        unsigned int type, unsigned int offset, unsigned int stride,
                        bool normalized);
  void attribute_buffer(unsigned int location, const BufferGL& buffer, unsigned int size,
                        unsigned int type, unsigned int offset, unsigned int stride,
                        bool normalized);

  const std::map<unsigned int, unsigned int>& attribute_buffers() const {
    return attribute_buffers_;
  }
  // Buffers made by construct() and color_array(), deleted by clear().
  const std::vector<unsigned int>& owned_buffers() const { return owned_buffers_; }
  // The element buffer of construct_indexed() (0: none), deleted by clear().
  unsigned int element_buffer() const { return element_buffer_; }

 private:
  unsigned int make_buffer(const std::vector<float>& data);

  std::map<unsigned int, unsigned int> attribute_buffers_;
  DrawArraysOptions options_;
  std::vector<unsigned int> owned_buffers_;
  unsigned int element_buffer_ = 0;
};

class DisplayListGL : public ObjectGL<unsigned int> {
 public:
  DisplayListGL() = default;

  unsigned int create() override;
  void clear() override;
  // Starts recording (GL_COMPILE); the name must exist (create()).
  void bind() override;
  // Ends recording.
  void release() override;
  void call() const { glCallList(id_); }
};
