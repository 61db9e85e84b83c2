// TexFrame: the panel that shows an image on a square scaled to the image's
// aspect ratio at a chosen height, with a second image for the selected
// state.
#pragma once

#include <string>

#include "render/object_gl.h"
#include "render/texture.h"
#include "ui/frame.h"

// Built with a current OpenGL context. Copies share the textures' and the
// quad's OpenGL names; nothing deletes them (the images live as long as the
// program's panels).
class TexFrame : public Frame {
 public:
  // Loads the image (and the selected image when one is given that differs
  // from it), reporting a file that does not load on the error stream, then
  // sets the height and builds the quad. A frame without an image still
  // draws its quad, untextured.
  explicit TexFrame(std::string file = "", std::string selected_file = "", float height = 0.1f);

  // vol() = (aspect x h, h, depth): the image's width over its height, or 1
  // (a square) when there is no image.
  void set_height(float h);

  // The volume follows the image and the height only.
  void calculate_volume() override {}
  // The image on the quad scaled to vol(); the selected image while selected
  // when it has an OpenGL texture.
  void render() override { render_tex(); }
  // Applies the pose (which stays applied) and renders.
  void display() override;

  Texture& tex() { return tex_; }
  const Texture& tex() const { return tex_; }
  Texture& selected_tex() { return selected_tex_; }
  const Texture& selected_tex() const { return selected_tex_; }

 protected:
  // The unit square (-0.5..0.5) as two triangles facing +z, with normals and
  // texture coordinates, in the fixed-function arrays.
  void init_vao();
  // State and bindings as before afterwards.
  void render_tex();

 private:
  Texture tex_;
  Texture selected_tex_;
  VAO quad_;
};
