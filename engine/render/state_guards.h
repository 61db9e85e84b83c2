// Guards that keep parts of the OpenGL state across a drawing: the 2-D
// texture, vertex-array and array-buffer bindings, and the current colour.
#pragma once

#include "render/gl.h"

// Reads the three bindings at construction and binds them again at
// destruction, early returns included. Before GLEW has loaded the entry
// points it does nothing (there is nothing bound to keep).
class BindingsGuard {
 public:
  BindingsGuard() : loaded_(gl_entry_points_loaded()) {
    if (!loaded_) return;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertex_array_);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &array_buffer_);
  }
  ~BindingsGuard() {
    if (!loaded_) return;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
    glBindVertexArray(static_cast<GLuint>(vertex_array_));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(array_buffer_));
  }
  BindingsGuard(const BindingsGuard&) = delete;
  BindingsGuard& operator=(const BindingsGuard&) = delete;

 private:
  bool loaded_;
  GLint texture_ = 0, vertex_array_ = 0, array_buffer_ = 0;
};

// Keeps the current colour. glPopAttrib restores it with GL_CURRENT_BIT, but
// Mesa 22 drops that restore when a colour was set after another attribute
// change and no vertex followed (an empty text after glLineWidth), so code
// that may draw nothing after setting a colour sets it back itself.
class CurrentColorGuard {
 public:
  CurrentColorGuard() { glGetFloatv(GL_CURRENT_COLOR, color_); }
  ~CurrentColorGuard() { glColor4fv(color_); }
  CurrentColorGuard(const CurrentColorGuard&) = delete;
  CurrentColorGuard& operator=(const CurrentColorGuard&) = delete;

 private:
  GLfloat color_[4] = {1, 1, 1, 1};
};
