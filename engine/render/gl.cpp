// OpenGL error texts.
#include "render/gl.h"

std::string gl_error_string(unsigned int code) {
  const GLubyte* s = gluErrorString(code);
  return s ? reinterpret_cast<const char*>(s) : std::string();
}
