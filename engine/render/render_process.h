// Render passes and scenes. A pass makes a program current, saves attribute
// and matrix state around three callbacks and restores it; a scene is a pass
// whose draw callback runs its passes layer by layer.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

class RenderProcess {
 public:
  void render();

  std::string name = "Unnamed";
  unsigned int program = 0;
  bool use_program = true;
  bool enabled = true;
  unsigned int layer = 0;
  unsigned long long attrib_mask = 0xFFFFF;  // 0: no attribute push
  int push_matrix = 0;
  std::function<void()> before;
  std::function<void()> draw;
  std::function<void()> after;
};

class RenderScene : public RenderProcess {
 public:
  RenderScene();
  // A copy or a moved scene draws its own passes: the layer routine is bound
  // to the object it lives in, while a caller's own draw callback is kept.
  RenderScene(const RenderScene& other);
  RenderScene(RenderScene&& other) noexcept;
  RenderScene& operator=(const RenderScene& other);
  RenderScene& operator=(RenderScene&& other) noexcept;

  RenderScene& operator+=(RenderProcess pass);
  // Draws only the given layer, then restores the previous selection.
  void render_layer(unsigned int layer);

  std::map<unsigned int, std::vector<RenderProcess>> passes;
  long long selected_layer = -1;  // negative: all layers

 private:
  struct LayerRoutine {
    RenderScene* scene;
    void operator()() const { scene->draw_layers(); }
  };
  void draw_layers();
  void rebind_from(const RenderScene& other);
};
