// The pictures the balls and the table are drawn with: sixteen ball textures,
// the felt and a 1 x 1 texture.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/engine_settings.h"
#include "render/texture.h"

class BallTextures {
 public:
  // Loads a texture by file name under the data folder's textures; the
  // engine's asynchronous loader in the game, a direct load in tests. Its
  // result is not tested.
  using Loader = std::function<int(Texture&, const std::string& name)>;

  // "Ball0.png" to "Ball15.png" through load_ball, the felt from the
  // textures folder ("solid_felt_4.png", loaded at once), then the 1 x 1
  // RGBA texture of the bytes (1, 1, 1, 1) whose name becomes blank_texture. Returns
  // the felt's load code, or else the 1 x 1 texture's. Needs a current
  // OpenGL context; enable and texture state are restored.
  int load(const EngineSettings& settings, Texture& felt, const Loader& load_ball);
  // A loader that loads at once, through Texture::load.
  static Loader direct(const EngineSettings& settings);
  // Deletes the OpenGL textures (balls and the 1 x 1 one).
  void clear();

  std::vector<Texture> balls;
  unsigned int blank_texture = 0;
  Texture blank_image;
};
