// OpenGL object handles. Every call is skipped while GLEW has not loaded the
// entry points (no context yet), so handles can be made and built headless.
#include "render/object_gl.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <iostream>
#include <unordered_map>

unsigned int BufferGL::create() {
  if (!gl_entry_points_loaded()) return id_;
  glGenBuffers(1, &id_);
  return id_;
}

void BufferGL::clear() {
  if (id_ && gl_entry_points_loaded()) glDeleteBuffers(1, &id_);
}

void BufferGL::bind() {
  if (!gl_entry_points_loaded()) return;
  if (id_ == 0) create();
  if (id_) glBindBuffer(target, id_);
}

void BufferGL::release() {
  if (gl_entry_points_loaded()) glBindBuffer(target, 0);
}

void BufferGL::transfer(const void* data, unsigned long long bytes, unsigned int usage) {
  if (!data || bytes == 0 || !gl_entry_points_loaded()) return;
  bind();
  glBufferData(target, static_cast<GLsizeiptr>(bytes), data, usage);
}

unsigned int TextureGL::create() {
  if (!gl_entry_points_loaded()) return id_;
  glGenTextures(1, &id_);
  return id_;
}

void TextureGL::clear() {
  if (id_ && gl_entry_points_loaded()) glDeleteTextures(1, &id_);
}

void TextureGL::bind() {
  if (!gl_entry_points_loaded()) return;
  if (id_ == 0) create();
  if (id_) glBindTexture(target, id_);
}

void TextureGL::release() {
  if (gl_entry_points_loaded()) glBindTexture(target, 0);
}

void TextureGL::transfer(const void* data, unsigned long long bytes, int w, int h, int format,
                         int type) {
  if (!data || bytes == 0 || !gl_entry_points_loaded()) return;
  bind();
  if (w) width = w;
  if (h) height = h;
  glTexImage2D(target, level, internal_format, width, height, 0, format, type, data);
}

void DrawArraysOptions::draw_arrays() const {
  if (indexed)
    glDrawElements(mode, count, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(std::uintptr_t(first) * sizeof(GLuint)));
  else
    glDrawArrays(mode, first, count);
}

unsigned int VAO::create() {
  if (!gl_entry_points_loaded()) return id_;
  glGenVertexArrays(1, &id_);
  return id_;
}

void VAO::clear() {
  if (!gl_entry_points_loaded()) return;
  glDeleteVertexArrays(1, &id_);
  if (!owned_buffers_.empty())
    glDeleteBuffers(static_cast<GLsizei>(owned_buffers_.size()), owned_buffers_.data());
  if (element_buffer_) glDeleteBuffers(1, &element_buffer_);
  // Forget them, so a second clear cannot delete names OpenGL has handed out again.
  owned_buffers_.clear();
  element_buffer_ = 0;
  options_.indexed = false;
}

void VAO::bind() {
  if (!gl_entry_points_loaded()) return;
  if (id_ == 0) {
    create();
    if (id_ == 0) return;
  }
  GLint bound = 0;
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
  if (static_cast<unsigned int>(bound) != id_) glBindVertexArray(id_);
}

void VAO::release() {
  if (gl_entry_points_loaded()) glBindVertexArray(0);
}

void VAO::draw_arrays() const {
  if (!gl_entry_points_loaded()) return;
  glBindVertexArray(id_);
  options_.draw_arrays();
  glBindVertexArray(0);
}

unsigned int VAO::make_buffer(const std::vector<float>& data) {
  BufferGL buffer;
  buffer.create();
  if (!data.empty()) {
    buffer.bind();
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(),
                 GL_STATIC_DRAW);
  }
  if (buffer.id()) owned_buffers_.push_back(buffer.id());
  return buffer.id();
}

namespace {

// Where one array goes: a generic attribute at its location, or a client array.
struct ArrayTarget {
  bool generic;
  int location;
};

ArrayTarget target_of(int sum, int location) {
  return {sum > -3 && location >= 0, location};
}

void enable_array(ArrayTarget t, GLenum client_array, int size,
                  const std::function<void()>& client_pointer) {
  if (t.generic) {
    glEnableVertexAttribArray(t.location);
    glVertexAttribPointer(t.location, size, GL_FLOAT, GL_FALSE, size * 4, nullptr);
  } else {
    glEnableClientState(client_array);
    client_pointer();
  }
}

}  // namespace

VAO& VAO::construct(const std::vector<float>& vertices, const std::vector<float>& normals,
                    const std::vector<float>& tex_coords, int vertex_location, int normal_location,
                    int tex_coord_location, int vertex_size, int normal_size, int tex_coord_size) {
  if (vertex_size <= 0) {
    std::cerr << "VAO::construct(): vertex size " << vertex_size << " refused" << std::endl;
    return *this;
  }
  // Nothing to build into without OpenGL; the draw count stays 0.
  if (!gl_entry_points_loaded()) return *this;
  if (id_ == 0) create();
  bind();
  const int sum = vertex_location + normal_location + tex_coord_location;
  const std::size_t count = vertices.size() / static_cast<std::size_t>(vertex_size);

  const ArrayTarget vt = target_of(sum, vertex_location);
  if (count != 0) {
    make_buffer(vertices);
    enable_array(vt, GL_VERTEX_ARRAY, vertex_size,
                 [&] { glVertexPointer(vertex_size, GL_FLOAT, vertex_size * 4, nullptr); });
  } else if (vt.generic) {
    glDisableVertexAttribArray(vertex_location);
  } else {
    glDisableClientState(GL_VERTEX_ARRAY);
  }

  // An array too short for the vertex count is treated as absent.
  const bool normals_fit = normal_size > 0 && normals.size() >= count * std::size_t(normal_size);
  const ArrayTarget nt = target_of(sum, normal_location);
  if (!normals.empty() && normals_fit) {
    make_buffer(normals);
    enable_array(nt, GL_NORMAL_ARRAY, normal_size,
                 [&] { glNormalPointer(GL_FLOAT, normal_size * 4, nullptr); });
  } else if (sum <= -3) {
    glDisableClientState(GL_NORMAL_ARRAY);
  } else if (normal_location >= 0) {
    glDisableVertexAttribArray(normal_location);
  }

  std::vector<float> reduced;
  const std::vector<float>* tc = &tex_coords;
  if (tex_coord_size == 3 && count != 0 && tex_coords.size() == 3 * count) {
    // Two per vertex: s and t of each triple, the third dropped.
    reduced.resize(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
      reduced[2 * i] = tex_coords[3 * i];
      reduced[2 * i + 1] = tex_coords[3 * i + 1];
    }
    tc = &reduced;
    tex_coord_size = 2;
  }
  const bool tex_fit = tex_coord_size >= 2 && tc->size() >= count * std::size_t(tex_coord_size);
  const ArrayTarget tt = target_of(sum, tex_coord_location);
  if (!tc->empty() && tex_fit) {
    make_buffer(*tc);
    enable_array(tt, GL_TEXTURE_COORD_ARRAY, tex_coord_size,
                 [&] { glTexCoordPointer(tex_coord_size, GL_FLOAT, tex_coord_size * 4, nullptr); });
  } else if (sum <= -3) {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  } else if (tex_coord_location >= 0) {
    glDisableVertexAttribArray(tex_coord_location);
  }

  release();
  options_.count = static_cast<GLsizei>(count);
  return *this;
}

namespace {

// The bits of the `size` floats of array element i, appended to the key;
// nothing for an array too short to hold it (left out of the drawing too).
void append_bits(std::vector<std::uint32_t>& key, const std::vector<float>& array, int size,
                 std::size_t i) {
  if (size <= 0 || array.size() < (i + 1) * std::size_t(size)) return;
  for (int k = 0; k < size; ++k) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &array[i * std::size_t(size) + std::size_t(k)], sizeof bits);
    key.push_back(bits);
  }
}

struct KeyHash {
  std::size_t operator()(const std::vector<std::uint32_t>& key) const {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint32_t w : key) h = (h ^ w) * 1099511628211ull;
    return static_cast<std::size_t>(h);
  }
};

}  // namespace

VAO& VAO::construct_indexed(const std::vector<float>& vertices, const std::vector<float>& normals,
                            const std::vector<float>& tex_coords, int vertex_location,
                            int normal_location, int tex_coord_location, int vertex_size,
                            int normal_size, int tex_coord_size) {
  construct(vertices, normals, tex_coords, vertex_location, normal_location, tex_coord_location,
            vertex_size, normal_size, tex_coord_size);
  if (vertex_size <= 0 || !gl_entry_points_loaded() || id_ == 0) return *this;
  const std::size_t count = vertices.size() / std::size_t(vertex_size);
  if (count == 0) return *this;
  // Only what the arrays send tells vertices apart: a normal or texture
  // array too short for the count is not drawn, and a third texture
  // coordinate is dropped.
  const bool with_normals = normal_size > 0 && normals.size() >= count * std::size_t(normal_size);
  const int tc_size = tex_coord_size == 3 ? 2 : tex_coord_size;
  const int tc_stride = tex_coord_size;
  const bool with_tc = tc_size >= 2 && tex_coords.size() >= count * std::size_t(tc_stride);
  std::vector<GLuint> indices(count);
  std::unordered_map<std::vector<std::uint32_t>, GLuint, KeyHash> first;
  first.reserve(count);
  std::vector<std::uint32_t> key;
  for (std::size_t i = 0; i < count; ++i) {
    key.clear();
    append_bits(key, vertices, vertex_size, i);
    if (with_normals) append_bits(key, normals, normal_size, i);
    if (with_tc)
      for (int k = 0; k < tc_size; ++k)
        append_bits(key, tex_coords, 1, i * std::size_t(tc_stride) + std::size_t(k));
    indices[i] = first.try_emplace(key, static_cast<GLuint>(i)).first->second;
  }
  bind();
  if (element_buffer_ == 0) glGenBuffers(1, &element_buffer_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, element_buffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)),
               indices.data(), GL_STATIC_DRAW);
  release();
  options_.indexed = true;
  return *this;
}

VAO& VAO::construct_compatibility(const std::vector<float>& vertices,
                                  const std::vector<float>& normals,
                                  const std::vector<float>& tex_coords, int vertex_size,
                                  int normal_size, int tex_coord_size) {
  return construct(vertices, normals, tex_coords, -1, -1, -1, vertex_size, normal_size,
                   tex_coord_size);
}

int VAO::color_array(const std::vector<float>& colors, int location, int size) {
  if (size <= 0) {
    std::cerr << "VAO::color_array(): colour size " << size << " refused" << std::endl;
    return -1;
  }
  if (!gl_entry_points_loaded()) return 0;
  if (id_ == 0) create();
  bind();
  const std::size_t n = colors.size() / static_cast<std::size_t>(size);
  // Fewer colours than vertices would make a draw read past the buffer.
  const bool fits = n != 0 && n >= static_cast<std::size_t>(options_.count);
  if (fits) {
    // Colours may tell apart vertices the indexing took for one.
    options_.indexed = false;
    make_buffer(colors);
    enable_array({location >= 0, location}, GL_COLOR_ARRAY, size,
                 [&] { glColorPointer(size, GL_FLOAT, size * 4, nullptr); });
  } else if (location >= 0) {
    glDisableVertexAttribArray(location);
  } else {
    glDisableClientState(GL_COLOR_ARRAY);
  }
  release();
  return 0;
}

void VAO::attribute_buffer(unsigned int location, unsigned int buffer, unsigned int size,
                           unsigned int type, unsigned int offset, unsigned int stride,
                           bool normalized) {
  if (buffer == 0 || !gl_entry_points_loaded()) return;
  bind();
  options_.indexed = false;
  attribute_buffers_[location] = buffer;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glEnableVertexAttribArray(location);
  glVertexAttribPointer(location, size, type, normalized, stride,
                        reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset)));
}

void VAO::attribute_buffer(unsigned int location, const BufferGL& buffer, unsigned int size,
                           unsigned int type, unsigned int offset, unsigned int stride,
                           bool normalized) {
  attribute_buffer(location, buffer.id(), size, type, offset, stride, normalized);
}

unsigned int DisplayListGL::create() {
  id_ = glGenLists(1);
  return id_;
}

void DisplayListGL::clear() {
  glDeleteLists(id_, 1);
}

void DisplayListGL::bind() {
  glNewList(id_, GL_COMPILE);
}

void DisplayListGL::release() {
  glEndList();
}
