// Multisampled off-screen render targets with a resolve texture.
#include "render/frame_buffer.h"

#include <iostream>
#include <string>

int FrameBuffer::num_framebuffers = 0;

namespace {

constexpr int kSamples = 4;

// One line per pending error: prefix, code "(" text ")".
void report_errors(const char* prefix) {
  for (int i = 0; i < 32; ++i) {
    const GLenum e = glGetError();
    if (e == GL_NO_ERROR) return;
    std::cerr << prefix << e << "(" << gl_error_string(e) << ")" << std::endl;
  }
}

}  // namespace

void FrameBuffer::release_objects() {
  if (depth_render_buffer_) glDeleteRenderbuffers(1, &depth_render_buffer_);
  if (multisample_texture_) glDeleteTextures(1, &multisample_texture_);
  if (multisample_framebuffer_) glDeleteFramebuffers(1, &multisample_framebuffer_);
  if (resolve_texture_) glDeleteTextures(1, &resolve_texture_);
  if (resolve_framebuffer_) glDeleteFramebuffers(1, &resolve_framebuffer_);
  depth_render_buffer_ = multisample_texture_ = multisample_framebuffer_ = 0;
  resolve_texture_ = resolve_framebuffer_ = 0;
}

void FrameBuffer::clear() {
  release_objects();
  size_ = {0, 0};
}

void FrameBuffer::set_size(int width, int height) {
  size_ = {static_cast<unsigned int>(width), static_cast<unsigned int>(height)};
}

int FrameBuffer::create(int width, int height) {
  if (width < 0 || height < 0) {
    std::cerr << "FrameBuffer::create(): size " << width << "," << height << " refused"
              << std::endl;
    return 1;
  }
  if (width == 0 || height == 0) {
    if (size_[0] == 0 || size_[1] == 0) return 1;
    if (width == 0) width = static_cast<int>(size_[0]);
    if (height == 0) height = static_cast<int>(size_[1]);
  }
  const std::array<unsigned int, 2> wanted{static_cast<unsigned int>(width),
                                           static_cast<unsigned int>(height)};
  if (size_ != std::array<unsigned int, 2>{0, 0} && size_ != wanted)
    std::cout << size_[0] << "," << size_[1] << " -> " << wanted[0] << "," << wanted[1]
              << std::endl;
  // Whatever an earlier create made is released, whether or not the size changed.
  release_objects();
  size_ = wanted;

  glGenFramebuffers(1, &multisample_framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, multisample_framebuffer_);

  glGenRenderbuffers(1, &depth_render_buffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_render_buffer_);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, kSamples, GL_DEPTH_COMPONENT, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                            depth_render_buffer_);

  glGenTextures(1, &multisample_texture_);
  glBindTexture(GL_TEXTURE_2D_MULTISAMPLE, multisample_texture_);
  glTexImage2DMultisample(GL_TEXTURE_2D_MULTISAMPLE, kSamples, GL_RGBA8, width, height, GL_TRUE);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D_MULTISAMPLE,
                         multisample_texture_, 0);

  glGenFramebuffers(1, &resolve_framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, resolve_framebuffer_);
  glGenTextures(1, &resolve_texture_);
  glBindTexture(GL_TEXTURE_2D, resolve_texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, alpha_ ? GL_RGBA8 : GL_RGB8, width, height, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, resolve_texture_, 0);

  const GLenum resolve_status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  glBindFramebuffer(GL_FRAMEBUFFER, multisample_framebuffer_);
  const GLenum multisample_status = glCheckFramebufferStatus(GL_FRAMEBUFFER);

  glBindTexture(GL_TEXTURE_2D, 0);
  glBindTexture(GL_TEXTURE_2D_MULTISAMPLE, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (resolve_status != GL_FRAMEBUFFER_COMPLETE || multisample_status != GL_FRAMEBUFFER_COMPLETE) {
    std::cerr << "FrameBuffer::create(): framebuffer of " << width << "," << height
              << " incomplete (" << multisample_status << ", " << resolve_status << ")"
              << std::endl;
    return 1;
  }
  ++num_framebuffers;
  return 0;
}

void FrameBuffer::bind_gl() const {
  auto check = [this](const char* step) {
    const GLenum e = glGetError();
    if (e == GL_NO_ERROR) return;
    std::cerr << step << "FrameBuffer::bind_gl() Error " << e << ", " << gl_error_string(e)
              << std::endl
              << "fb size = " << size_[0] << "," << size_[1] << std::endl;
  };
  check("0: ");
  glEnable(GL_MULTISAMPLE);
  glBindFramebuffer(GL_FRAMEBUFFER, multisample_framebuffer_);
  check("1: ");
}

void FrameBuffer::finish_gl() const {
  for (int i = 0; i < 32; ++i) {
    const GLenum e = glGetError();
    if (e == GL_NO_ERROR) break;
    std::cerr << "0: FrameBuffer::finish_gl() Error " << gl_error_string(e) << std::endl;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDisable(GL_MULTISAMPLE);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, multisample_framebuffer_);
  report_errors("1: FrameBuffer::finish_gl() Error ");
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolve_framebuffer_);
  report_errors("2: FrameBuffer::finish_gl() Error ");
  const GLint w = static_cast<GLint>(size_[0]), h = static_cast<GLint>(size_[1]);
  glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, blit_filter_);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  report_errors("4: FrameBuffer::finish_gl() Error ");
}

void FrameBuffer::draw(std::function<void()> drawing, bool bind, bool finish) const {
  if (bind) bind_gl();
  if (drawing) drawing();
  if (finish) finish_gl();
}

void FrameBuffer::erase(bool finish) const {
  bind_gl();
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  if (finish) finish_gl();
}
