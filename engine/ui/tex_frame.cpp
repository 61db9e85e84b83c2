// Texture panels: loading the images, the quad and its drawing.
#include "ui/tex_frame.h"

#include <iostream>

#include "render/gl.h"
#include "render/state_guards.h"

TexFrame::TexFrame(std::string file, std::string selected_file, float height) : Frame() {
  const BindingsGuard bindings;
  if (tex_.load(file, true, true, false) != 0) std::cerr << "TexFrame(" << file << ")" << std::endl;
  if (!selected_file.empty() && selected_file != file &&
      selected_tex_.load(selected_file, true, true, false) != 0)
    std::cerr << "TexFrame(selected: " << selected_file << ")" << std::endl;
  set_height(height);
  init_vao();
}

void TexFrame::set_height(float h) {
  const unsigned int w = tex_.width(), ht = tex_.height();
  const float aspect = (w == 0 || ht == 0) ? 1.0f : static_cast<float>(w) / static_cast<float>(ht);
  vol()[1] = h;
  vol()[0] = aspect * h;
}

void TexFrame::init_vao() {
  const std::vector<float> vertices{-0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f, -0.5f, 0.5f, 0.0f,
                                    0.5f,  -0.5f, 0.0f, 0.5f, 0.5f,  0.0f, -0.5f, 0.5f, 0.0f};
  const std::vector<float> normals{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
  const std::vector<float> tex_coords{0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 1};
  quad_.construct(vertices, normals, tex_coords, -1, -1, -1, 3, 3, 2);
  quad_.mode().mode = GL_TRIANGLES;
  quad_.mode().first = 0;
}

void TexFrame::display() {
  apply_pose();
  render();
}

void TexFrame::render_tex() {
  const BindingsGuard bindings;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glEnable(GL_TEXTURE_2D);
  const bool show_selected = selected() && selected_tex_.id() != 0;
  glBindTexture(GL_TEXTURE_2D, show_selected ? selected_tex_.id() : tex_.id());
  glPushMatrix();
  glScalef(vol()[0], vol()[1], 1.0f);
  glBindVertexArray(quad_.id());
  quad_.mode().draw_arrays();
  glPopMatrix();
  glPopAttrib();
}
