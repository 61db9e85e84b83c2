// Render passes and scenes.
#include "render/render_process.h"

#include "render/gl.h"

void RenderProcess::render() {
  if (!enabled) return;
  if (use_program) glUseProgram(program);
  if (attrib_mask) glPushAttrib(static_cast<GLbitfield>(attrib_mask & 0xFFFFFFFFu));
  if (push_matrix) glPushMatrix();
  if (before) before();
  if (draw) draw();
  if (after) after();
  if (push_matrix) glPopMatrix();
  if (attrib_mask) glPopAttrib();
  if (use_program && program) glUseProgram(0);
}

RenderScene::RenderScene() {
  draw = LayerRoutine{this};
}

RenderScene::RenderScene(const RenderScene& other)
    : RenderProcess(other), passes(other.passes), selected_layer(other.selected_layer) {
  rebind_from(other);
}

RenderScene::RenderScene(RenderScene&& other) noexcept
    : RenderProcess(other), passes(std::move(other.passes)), selected_layer(other.selected_layer) {
  rebind_from(other);
}

RenderScene& RenderScene::operator=(const RenderScene& other) {
  if (this == &other) return *this;
  RenderProcess::operator=(other);
  passes = other.passes;
  selected_layer = other.selected_layer;
  rebind_from(other);
  return *this;
}

RenderScene& RenderScene::operator=(RenderScene&& other) noexcept {
  if (this == &other) return *this;
  RenderProcess::operator=(other);
  passes = std::move(other.passes);
  selected_layer = other.selected_layer;
  rebind_from(other);
  return *this;
}

void RenderScene::rebind_from(const RenderScene& other) {
  const LayerRoutine* routine = other.draw.target<LayerRoutine>();
  if (routine && routine->scene == &other) draw = LayerRoutine{this};
}

RenderScene& RenderScene::operator+=(RenderProcess pass) {
  const unsigned int l = pass.layer;
  passes[l].push_back(std::move(pass));
  return *this;
}

void RenderScene::render_layer(unsigned int l) {
  const long long previous = selected_layer;
  selected_layer = l;
  render();
  selected_layer = previous;
}

void RenderScene::draw_layers() {
  if (!enabled) return;
  if (selected_layer < 0) {
    for (auto& [l, list] : passes)
      for (RenderProcess& p : list) p.render();
  } else {
    for (RenderProcess& p : passes[static_cast<unsigned int>(selected_layer)]) p.render();
  }
}
