// Off-screen render targets: a 4-sample framebuffer that drawing goes to,
// resolved into a plain 2-D texture that is then drawn, shown or submitted.
#pragma once

#include <array>
#include <functional>

#include "core/wrapper.h"
#include "render/gl.h"

// Copies name the same OpenGL objects; only one of them may clear(). No
// destructor releases anything.
class FrameBuffer {
 public:
  FrameBuffer() = default;

  // Makes the objects for width x height; a 0 takes the stored value. Objects
  // held from an earlier create are released first. 0 on success, 1 when
  // there is no size or the framebuffer is incomplete.
  int create(int width, int height);
  // Deletes every object held; the names and the size become 0.
  void clear();

  // Directs drawing into the multisample framebuffer (and enables multisampling).
  void bind_gl() const;
  // Resolves into the resolve texture and returns to the default framebuffer.
  void finish_gl() const;
  void draw(std::function<void()> drawing, bool bind, bool finish) const;
  // Clears the colour (not the depth) to transparent black.
  void erase(bool finish) const;

  std::array<unsigned int, 2> size() const { return size_; }
  unsigned int width() const { return size_[0]; }
  unsigned int height() const { return size_[1]; }
  // Stores the size only; the next create uses it.
  void set_size(int width, int height);

  GLuint depth_render_buffer() const { return depth_render_buffer_; }
  GLuint multisample_texture() const { return multisample_texture_; }
  GLuint multisample_framebuffer() const { return multisample_framebuffer_; }
  GLuint resolve_texture() const { return resolve_texture_; }
  GLuint resolve_framebuffer() const { return resolve_framebuffer_; }
  GLenum blit_filter() const { return blit_filter_; }
  void blit_filter(GLenum filter) { blit_filter_ = filter; }
  // The resolve texture is GL_RGBA8 with alpha, GL_RGB8 without.
  bool alpha() const { return alpha_; }
  void alpha(bool a) { alpha_ = a; }

  // Successful create calls in this process.
  static int num_framebuffers;

 private:
  void release_objects();

  GLuint depth_render_buffer_ = 0;
  GLuint multisample_texture_ = 0;
  GLuint multisample_framebuffer_ = 0;
  GLuint resolve_texture_ = 0;
  GLuint resolve_framebuffer_ = 0;
  GLenum blit_filter_ = GL_NEAREST;
  bool alpha_ = true;
  std::array<unsigned int, 2> size_{683, 384};
};

// Something that renders into a framebuffer it borrows or, given none, owns.
class RenderInterface {
 public:
  explicit RenderInterface(FrameBuffer* fb = nullptr) : frame_buffer_(fb) {}
  virtual ~RenderInterface() = default;

  virtual void render() = 0;
  virtual int init_render() = 0;

  FrameBuffer& frame_buffer() { return frame_buffer_.get(); }
  const FrameBuffer& frame_buffer() const { return frame_buffer_.get(); }

 private:
  Wrapper<FrameBuffer> frame_buffer_;
};
