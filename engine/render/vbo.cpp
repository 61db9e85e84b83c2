// Vertex buffer sets: upload and drawing.
#include "render/vbo.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <iostream>
#include <optional>
#include <vector>

#include "render/gl.h"
#include "render/primitives.h"

namespace {

// Writes the label and a pending error code, if any; the code or 0.
GLenum check(const char* label) {
  const GLenum e = glGetError();
  if (e != GL_NO_ERROR) std::cerr << label << e << std::endl;
  return e;
}

// The query of the texture bound to a target; 0 for targets it does not know.
GLenum binding_query(GLenum target) {
  switch (target) {
    case GL_TEXTURE_1D:
      return GL_TEXTURE_BINDING_1D;
    case GL_TEXTURE_2D:
      return GL_TEXTURE_BINDING_2D;
    case GL_TEXTURE_3D:
      return GL_TEXTURE_BINDING_3D;
    case GL_TEXTURE_CUBE_MAP:
      return GL_TEXTURE_BINDING_CUBE_MAP;
    case GL_TEXTURE_RECTANGLE:
      return GL_TEXTURE_BINDING_RECTANGLE;
    default:
      return 0;
  }
}

// Enables a client array while alive and puts its enable flag back after.
class ClientArrayScope {
 public:
  explicit ClientArrayScope(GLenum type) : type_(type), was_enabled_(glIsEnabled(type)) {
    glEnableClientState(type);
  }
  ~ClientArrayScope() {
    if (!was_enabled_) glDisableClientState(type_);
  }
  ClientArrayScope(const ClientArrayScope&) = delete;
  ClientArrayScope& operator=(const ClientArrayScope&) = delete;

 private:
  GLenum type_;
  bool was_enabled_;
};

GLint current_array_buffer() {
  GLint bound = 0;
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
  return bound;
}

// The per-array steps of draw() with the labels their errors are reported under.
struct ClientArray {
  GLenum type;
  const char* bind_label;
  const char* enable_label;
  const char* pointer_label;
  const char* disable_label;
};

constexpr ClientArray kClientArrays[3] = {
    {GL_VERTEX_ARRAY, "VBO::draw() glBindBufferARB(GL_ARRAY_BUFFER) error ", "AAA. Error ",
     "A. Error ", "VBO::draw() glDisableClientState(GL_VERTEX_ARRAY) error "},
    {GL_NORMAL_ARRAY, "C. Error ", "CC. Error ", "D. Error ",
     "VBO::draw() glDisableClientState(GL_NORMAL_ARRAY) error "},
    {GL_TEXTURE_COORD_ARRAY, "E. Error ", "EE. Error ", "F. Error ",
     "VBO::draw() glDisableClientState(GL_TEXTURE_2D_ARRAY) error "},
};

}  // namespace

VBO::VBO(Texture* texture, CoordinateSystem* coord_sys)
    : texture_(texture), coord_sys_(coord_sys) {}

int VBO::arraytype2ind(int array_type) {
  switch (array_type) {
    case GL_NORMAL_ARRAY:
      return 1;
    case GL_TEXTURE_COORD_ARRAY:
      return 2;
    default:
      return 0;
  }
}

int VBO::arraytype2depth(int array_type) const {
  switch (array_type) {
    case GL_VERTEX_ARRAY:
      return vertex_depth_;
    case GL_NORMAL_ARRAY:
      return 3;
    case GL_TEXTURE_COORD_ARRAY:
      return tex_depth_;
    default:
      return 1;
  }
}

bool VBO::set_vbo(unsigned long long count, const float* data, int array_type, int usage) {
  if (const GLenum e = glGetError(); e != GL_NO_ERROR)
    std::cerr << "set_vbo(): pre error " << e << std::endl;
  std::optional<ClientArrayScope> client;
  if (data) {
    client.emplace(static_cast<GLenum>(array_type));
    if (check("a. Error ")) return true;
  }
  unsigned int& name = buffers_[arraytype2ind(array_type)];
  if (name == 0) {
    if (check("b. Error ")) return true;
    if (!gl_entry_points_loaded()) {
      std::cerr << "Error creating VBO: OpenGL is not loaded" << std::endl;
      return true;
    }
    glGenBuffers(1, &name);
    const GLenum e = glGetError();
    if (name == 0 || e != GL_NO_ERROR) {
      std::cerr << "Error " << e << " creating VBO" << std::endl;
      return true;
    }
  }
  if (count == 0) return false;
  const auto depth = static_cast<unsigned long long>(std::max(arraytype2depth(array_type), 0));
  if (depth != 0 && count > static_cast<unsigned long long>(LLONG_MAX) / (depth * sizeof(float))) {
    std::cerr << "set_vbo(): " << count << " vertices refused" << std::endl;
    return true;
  }
  const GLint previous = current_array_buffer();
  glBindBuffer(GL_ARRAY_BUFFER, name);
  if (check("d. Error ")) return true;
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(depth * count * sizeof(float)), data,
               static_cast<GLenum>(usage));
  glFlush();
  glFinish();
  glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previous));
  return check("e. Error ") != GL_NO_ERROR;
}

bool VBO::init(unsigned long long count, int mode, const float* vertices, const float* normals,
               const float* tex, int vertex_depth, int tex_depth) {
  vertex_depth_ = vertex_depth;
  tex_depth_ = tex_depth;
  if (vertex_depth < 1 || (tex && tex_depth < 1)) {
    std::cerr << "VBO::init(): depths " << vertex_depth << ", " << tex_depth << " refused"
              << std::endl;
    return true;
  }
  std::vector<float> triangles[3];
  if (mode == GL_QUADS) {
    const unsigned long long quads = count / 4;
    auto convert = [&](const float* data, int depth, std::vector<float>& out) -> const float* {
      if (!data) return nullptr;
      const std::vector<float> in(data, data + quads * 4 * static_cast<unsigned long long>(depth));
      out = Quad::to_triangles(in, depth, 0);
      return out.data();
    };
    vertices = convert(vertices, vertex_depth, triangles[0]);
    normals = convert(normals, 3, triangles[1]);
    tex = convert(tex, tex_depth, triangles[2]);
    mode_ = GL_TRIANGLES;
    count = 6 * quads;
  } else {
    mode_ = mode;
  }
  count_ = count;
  if (set_vbo(count, vertices, GL_VERTEX_ARRAY, GL_STATIC_DRAW)) {
    std::cerr << "Error " << 1 << " setting vertex VBO" << std::endl;
    return true;
  }
  if (normals && set_vbo(count, normals, GL_NORMAL_ARRAY, GL_STATIC_DRAW)) {
    std::cerr << "Error " << 1 << " setting normal VBO" << std::endl;
    return true;
  }
  if (tex && set_vbo(count, tex, GL_TEXTURE_COORD_ARRAY, GL_STATIC_DRAW)) {
    std::cerr << "Error " << 1 << " setting texture VBO" << std::endl;
    return true;
  }
  return false;
}

bool VBO::init(const VertexData& data, int mode) {
  const auto depths = data.attrib_depth();
  const int vertex_depth = static_cast<int>(depths[0]);
  const int tex_depth = static_cast<int>(depths[2]);
  if (vertex_depth < 1) return init(0, mode, nullptr, nullptr, nullptr, vertex_depth, tex_depth);
  const unsigned long long count = data.vertices().size() / depths[0];
  // An array is handed over only when it holds what `count` vertices read.
  auto enough = [count](const std::vector<float>& v, unsigned int depth) -> const float* {
    return depth > 0 && !v.empty() && v.size() >= count * depth ? v.data() : nullptr;
  };
  return init(count, mode, enough(data.vertices(), depths[0]), enough(data.normals(), 3),
              enough(data.tex_coords(), depths[2]), vertex_depth, tex_depth);
}

void VBO::draw(bool arrays, bool texture, bool coordinates) {
  glGetError();
  check("VBO::draw() pre2 error ");

  const GLenum texture_target = texture_.get().target;
  const GLenum texture_query = binding_query(texture_target);
  GLint previous_texture = 0;
  bool texture_was_enabled = false;
  if (texture) {
    if (texture_query) glGetIntegerv(texture_query, &previous_texture);
    texture_was_enabled = glIsEnabled(texture_target);
    texture_.get().bind();
  }
  check("VBO::draw() pre2 error ");

  if (coordinates) {
    glPushMatrix();
    coord_sys_.get().apply_gl(true, false);
  }
  check("VBO::draw() coord_sys error ");

  const GLint previous_buffer = current_array_buffer();
  std::optional<ClientArrayScope> enabled[3];
  for (int k = 0; k < 3; ++k) {
    if (buffers_[k] == 0) continue;
    const ClientArray& a = kClientArrays[k];
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[k]);
    check(a.bind_label);
    if (k == 0) check("AA. Error ");
    if (arrays) {
      enabled[k].emplace(a.type);
      check(a.enable_label);
    }
    if (k == 0)
      glVertexPointer(vertex_depth_, GL_FLOAT, 0, nullptr);
    else if (k == 1)
      glNormalPointer(GL_FLOAT, 0, nullptr);
    else
      glTexCoordPointer(tex_depth_, GL_FLOAT, 0, nullptr);
    check(a.pointer_label);
  }

  // Nothing is drawn into an incomplete framebuffer (one not ready yet).
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
    check("glCheckFramebufferStatus() error ");
    try {
      glDrawArrays(static_cast<GLenum>(mode_), 0,
                   static_cast<GLsizei>(std::min<unsigned long long>(count_, INT_MAX)));
    } catch (const std::exception& e) {
      std::cerr << "error: " << e.what() << std::endl;
    }
    check("VBO::draw() glDrawArrays error ");
    check("glDrawArrays() error ");
  }

  for (int k = 0; k < 3; ++k) {
    if (!enabled[k]) continue;
    enabled[k].reset();
    check(kClientArrays[k].disable_label);
  }
  glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previous_buffer));
  if (texture) {
    if (texture_query) glBindTexture(texture_target, static_cast<GLuint>(previous_texture));
    if (!texture_was_enabled) glDisable(texture_target);
  }
  if (coordinates) glPopMatrix();
  check("VBO::draw() post error ");
}
