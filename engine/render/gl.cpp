// OpenGL error texts and whether the entry points are loaded.
#include "render/gl.h"

#include <iostream>

std::string gl_error_string(unsigned int code) {
  const GLubyte* s = gluErrorString(code);
  return s ? reinterpret_cast<const char*>(s) : std::string();
}

int report_gl_errors(const std::string& prefix) {
  int n = 0;
  for (GLenum e = glGetError(); e != GL_NO_ERROR && n < 32; e = glGetError(), ++n)
    std::cerr << prefix << e << ": " << gl_error_string(e) << std::endl;
  return n;
}

bool gl_entry_points_loaded() {
  return glGenBuffers != nullptr && glGenVertexArrays != nullptr;
}
